// vexilor-report: prints the report that the Windows program copies to the clipboard, for this machine or
// for a recorded one.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>

#include "cli/input_file.h"
#include "cli/linux_ports.h"
#include "cli/sysfs_pci.h"
#include "cpu/clock.h"
#include "cpu/cpuid.h"
#include "hwaccess/access.h"
#include "hwaccess/handler_transport.h"
#include "hwaccess/machine_route.h"
#include "report/pages.h"

namespace {

const char kUsage[] =
    "Usage: vexilor-report [OPTION]...\n"
    "Print Vexilor's hardware report (CPU, feature flags, caches, chipset, video) with CR LF line ends,\n"
    "exactly as the Windows program copies it to the clipboard.\n"
    "\n"
    "By default the processor and the PCI buses of this machine are read (PCI through Linux sysfs; as a\n"
    "normal user only the first 64 configuration bytes of each function are readable).\n"
    "\n"
    "  --cpuid-dump FILE   read a recorded processor instead of this one; one leaf a line:\n"
    "                      CPUID 00000001: 00000673-00000000-00000000-0387F9FF\n"
    "                      (EAX-EBX-ECX-EDX in hex; blank lines and # comments allowed)\n"
    "  --save-cpuid FILE   write this machine's CPUID leaves in that form to FILE and exit\n"
    "  --pci-dump FILE     read a recorded machine's PCI buses instead: the output of lspci -xxx or\n"
    "                      lspci -vvxxx; I/O port values in comment lines such as\n"
    "                      # port 0xd400 = 0x0010   (2, 4 or 8 hex digits: 8, 16 or 32 bits)\n"
    "  --clock-mhz MHZ     measure the clock against a simulated processor of MHZ (for example 500 or\n"
    "                      2095.99; 1 to 100000, at most three decimals) instead of waiting one second on\n"
    "                      this one; without it a recorded processor's clock reads \"unknown\"\n"
    "  --no-pci            read no PCI configuration (as when no access driver can be opened)\n"
    "  --access METHOD     how PCI configuration is read: sysfs (the default: Linux sysfs, through the\n"
    "                      same requests as the access driver on Windows NT), ports (configuration\n"
    "                      mechanism 1 through ports 0xCF8/0xCFC, as on Windows 95/98/ME without the\n"
    "                      driver; needs root and a kernel that grants I/O privilege, else exit 2\n"
    "                      before anything is printed) or dump (a recording: needs --pci-dump FILE,\n"
    "                      which selects it by itself)\n"
    "  --count-requests    on standard error, the number of requests sent to the access driver (with\n"
    "                      --access ports: of configuration addresses written to port 0xCF8)\n"
    "  --help              show this help and exit\n"
    "\n"
    "Exit status: 0 on success, 2 on a bad argument or input file, or when the ports are refused.\n";

// How PCI configuration is read (--access, or what the other options imply).
enum class Method { kByOptions, kSysfs, kPorts, kDump, kNone };

struct Options {
  std::string cpuidDump;
  std::string saveCpuid;
  std::string pciDump;
  bool noPci = false;
  Method access = Method::kByOptions;  // as given with --access
  std::string accessName;              // ... and its name, for the messages
  bool countRequests = false;
  bool help = false;
  uint64_t clockKHz = 0;  // --clock-mhz in kHz; 0: this machine's clock
};

// A frequency in MHz, 1 to 100000 with at most three decimals, in kHz; 0 when the text is not one.
uint64_t ParseClockMhz(const char* text) {
  const char* digits = "0123456789.";
  if (*text == 0 || strspn(text, digits) != strlen(text)) return 0;
  const char* point = strchr(text, '.');
  if (point != nullptr && (strchr(point + 1, '.') != nullptr || strlen(point + 1) > 3)) return 0;
  char* end = nullptr;
  double mhz = strtod(text, &end);
  if (end == text || *end != 0 || !(mhz >= 1.0 && mhz <= 100000.0)) return 0;
  return static_cast<uint64_t>(llround(mhz * 1000.0));
}

int Fail(const std::string& message) {
  fprintf(stderr, "vexilor-report: %s\n", message.c_str());
  return 2;
}

bool ParseMethod(const std::string& name, Method* method) {
  static const struct {
    const char* name;
    Method method;
  } kMethods[] = {{"sysfs", Method::kSysfs}, {"ports", Method::kPorts}, {"dump", Method::kDump}};
  for (const auto& m : kMethods) {
    if (name == m.name) {
      *method = m.method;
      return true;
    }
  }
  return false;
}

// One option at argv[*i] (its value, if any, consumed too). False with the message for the user.
bool ParseOption(int argc, char** argv, int* i, Options* o, std::string* error) {
  std::string arg = argv[*i];
  auto value = [&](std::string* out, const char* missing) {
    if (*i + 1 >= argc) {
      *error = missing;
      return false;
    }
    *out = argv[++*i];
    return true;
  };
  if (arg == "--help" || arg == "-h") {
    o->help = true;
  } else if (arg == "--cpuid-dump") {
    return value(&o->cpuidDump, "--cpuid-dump needs a file name");
  } else if (arg == "--save-cpuid") {
    return value(&o->saveCpuid, "--save-cpuid needs a file name");
  } else if (arg == "--pci-dump") {
    return value(&o->pciDump, "--pci-dump needs a file name");
  } else if (arg == "--clock-mhz") {
    std::string mhz;
    if (!value(&mhz, "--clock-mhz needs a frequency in MHz")) return false;
    o->clockKHz = ParseClockMhz(mhz.c_str());
    if (o->clockKHz == 0)
      *error = "--clock-mhz: '" + mhz + "' is not a frequency from 1 to 100000 MHz with at most three decimals";
    return o->clockKHz != 0;
  } else if (arg == "--no-pci") {
    o->noPci = true;
  } else if (arg == "--access") {
    if (!value(&o->accessName, "--access needs a method: sysfs, ports or dump")) return false;
    if (!ParseMethod(o->accessName, &o->access)) {
      *error = "--access: unknown method '" + o->accessName + "' (sysfs, ports or dump)";
      return false;
    }
  } else if (arg == "--count-requests") {
    o->countRequests = true;
  } else {
    *error = "unknown argument '" + arg + "' (see --help)";
    return false;
  }
  return true;
}

// The arguments in order; stops at --help or at the first bad one.
bool ParseArguments(int argc, char** argv, Options* o, std::string* error) {
  for (int i = 1; i < argc && !o->help; ++i) {
    if (!ParseOption(argc, argv, &i, o, error)) return false;
  }
  return true;
}

// The route: what --access names, else a recording with --pci-dump, none with --no-pci, else this
// machine's sysfs.
Method RouteOf(const Options& o) {
  if (o.access != Method::kByOptions) return o.access;
  if (!o.pciDump.empty()) return Method::kDump;
  if (o.noPci) return Method::kNone;
  return Method::kSysfs;
}

// Options that exclude each other; then the route.
bool CheckOptions(const Options& o, Method* method, std::string* error) {
  bool access = o.access != Method::kByOptions, dump = !o.pciDump.empty();
  if (!o.saveCpuid.empty() &&
      (!o.cpuidDump.empty() || dump || o.noPci || o.clockKHz != 0 || access || o.countRequests)) {
    *error = "--save-cpuid records this machine's processor and takes no other option";
  } else if (o.noPci && dump) {
    *error = "--no-pci and --pci-dump exclude each other";
  } else if (o.noPci && access) {
    *error = "--no-pci and --access exclude each other";
  } else if (o.access == Method::kDump && !dump) {
    *error = "--access dump needs --pci-dump FILE";
  } else if (dump && access && o.access != Method::kDump) {
    *error = "--pci-dump reads a recording: it takes no --access " + o.accessName;
  } else {
    *method = RouteOf(o);
    return true;
  }
  return false;
}

int SaveCpuid(const std::string& path) {
  vx::InstructionCpuid instruction;
  static char dump[16384];
  size_t n = vx::WriteCpuidDump(instruction, dump, sizeof dump);
  std::string error;
  if (!vexilor_cli::WriteWholeFile(path, dump, n, &error)) return Fail(error);
  return 0;
}

bool LoadCpuid(const std::string& path, vx::RecordedCpu* recorded, std::string* error) {
  std::string text;
  if (!vexilor_cli::ReadWholeFile(path, &text, error)) return false;
  char message[512];
  if (vx::ParseCpuidDump(text.data(), text.size(), path.c_str(), recorded, message, sizeof message)) return true;
  *error = message;
  return false;
}

// What PCI configuration is read through: the request handler in-process over a recorded machine or this
// machine's sysfs, as the PCIDebug driver on Windows NT; the program's own port instructions, as on
// Windows 9x without its driver; or nothing. `requests` counts what the route sends.
struct PciRoute {
  vx::AccessState access;  // no route until one is chosen: every configuration read answers all ones
  uint32_t noRequests = 0;
  const uint32_t* requests = &noRequests;
  vx::MachineRoute recorded;
  vexilor_cli::LinuxPortIo ports;
  PciDebugBus sysfsBus{};
  std::unique_ptr<vexilor_cli::SysfsPciBus> sysfs;
  vx::HandlerTransport sysfsTransport{&sysfsBus, nullptr};
};

bool UseRecording(PciRoute& route, const std::string& path, std::string* error) {
  std::string text;
  if (!vexilor_cli::ReadWholeFile(path, &text, error)) return false;
  char message[512];
  if (!route.recorded.Parse(text.data(), text.size(), path.c_str(), message, sizeof message)) {
    *error = message;
    return false;
  }
  fputs(route.recorded.recorded.warnings.c_str(), stderr);
  route.recorded.Attach(route.access);
  route.requests = &route.recorded.transport.requests;
  return true;
}

void UseSysfs(PciRoute& route) {
  route.sysfs = std::make_unique<vexilor_cli::SysfsPciBus>();
  route.sysfs->Bind(&route.sysfsBus);
  if (route.sysfs->DeviceCount() == 0)
    fputs("vexilor-report: no PCI device under /sys/bus/pci/devices: the chipset and video pages stay empty\n",
          stderr);
  vx::UseDriverRoute(route.access, &route.sysfsTransport);
  route.requests = &route.sysfsTransport.requests;
}

// The ports are asked for before anything is read or printed.
bool ChooseRoute(Method method, const std::string& pciDump, PciRoute& route, std::string* error) {
  switch (method) {
    case Method::kPorts:
      if (!route.ports.Acquire(error)) return false;
      vx::UsePortsRoute(route.access, &route.ports);
      route.requests = &route.ports.configRequests;
      return true;
    case Method::kDump:
      return UseRecording(route, pciDump, error);
    case Method::kSysfs:
      UseSysfs(route);
      return true;
    default:
      return true;
  }
}

// Fills the five pages and prints the report.
int Run(const Options& options, vx::CpuidSource* cpuid, PciRoute& route) {
  static vx::Report report;
  static vx::PageModel models[vx::kPageCount];
  static vx::PciScanCache scanCache;
  route.access.scanCache = &scanCache;
  vx::ProgramState state;
  vx::PageContext context;
  context.cpuid = cpuid;
  // A recorded processor has no clock of its own to measure: only a simulated one.
  vx::SimulatedClock simulated(options.clockKHz);
  if (options.clockKHz != 0) {
    context.clock = &simulated;
  } else if (options.cpuidDump.empty()) {
    context.clock = vx::SystemClock();  // may be null: then the clock reads "unknown"
  }
  context.access = &route.access;
  context.state = &state;
  context.report = &report;
  vx::FillAllPages(context, models);
  route.sysfs.reset();
  if (options.countRequests) fprintf(stderr, "vexilor-report: %u requests\n", *route.requests);
  const char* text = report.joined.c_str();
  size_t length = strlen(text);
  if (fwrite(text, 1, length, stdout) != length || fflush(stdout) != 0) return Fail("cannot write the report");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseArguments(argc, argv, &options, &error)) return Fail(error);
  if (options.help) {
    fputs(kUsage, stdout);
    return 0;
  }
  Method method;
  if (!CheckOptions(options, &method, &error)) return Fail(error);
  if (!options.saveCpuid.empty()) return SaveCpuid(options.saveCpuid);

  vx::InstructionCpuid instruction;
  static vx::RecordedCpu recorded;
  vx::CpuidSource* cpuid = &instruction;
  if (!options.cpuidDump.empty()) {
    if (!LoadCpuid(options.cpuidDump, &recorded, &error)) return Fail(error);
    cpuid = &recorded;
  }
  static PciRoute route;
  if (!ChooseRoute(method, options.pciDump, route, &error)) return Fail(error);
  return Run(options, cpuid, route);
}
