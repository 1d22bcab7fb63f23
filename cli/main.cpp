// vexilor-report: prints the report that the Windows program copies to the clipboard, for this machine or
// for a recorded one.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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

struct Options {
  std::string cpuidDump;
  std::string saveCpuid;
  std::string pciDump;
  bool noPci = false;
  std::string access;  // --access: "sysfs", "ports" or "dump"; empty: by the other options
  bool countRequests = false;
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

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--cpuid-dump") {
      if (!value(&options.cpuidDump)) return Fail("--cpuid-dump needs a file name");
    } else if (arg == "--save-cpuid") {
      if (!value(&options.saveCpuid)) return Fail("--save-cpuid needs a file name");
    } else if (arg == "--pci-dump") {
      if (!value(&options.pciDump)) return Fail("--pci-dump needs a file name");
    } else if (arg == "--clock-mhz") {
      std::string mhz;
      if (!value(&mhz)) return Fail("--clock-mhz needs a frequency in MHz");
      options.clockKHz = ParseClockMhz(mhz.c_str());
      if (options.clockKHz == 0)
        return Fail("--clock-mhz: '" + mhz + "' is not a frequency from 1 to 100000 MHz with at most three decimals");
    } else if (arg == "--no-pci") {
      options.noPci = true;
    } else if (arg == "--access") {
      if (!value(&options.access)) return Fail("--access needs a method: sysfs, ports or dump");
      if (options.access != "sysfs" && options.access != "ports" && options.access != "dump")
        return Fail("--access: unknown method '" + options.access + "' (sysfs, ports or dump)");
    } else if (arg == "--count-requests") {
      options.countRequests = true;
    } else {
      return Fail("unknown argument '" + arg + "' (see --help)");
    }
  }

  vx::InstructionCpuid instruction;
  static vx::RecordedCpu recorded;
  vx::CpuidSource* cpuid = &instruction;
  std::string error;

  if (!options.saveCpuid.empty() && (!options.cpuidDump.empty() || !options.pciDump.empty() || options.noPci ||
                                     options.clockKHz != 0 || !options.access.empty() || options.countRequests))
    return Fail("--save-cpuid records this machine's processor and takes no other option");
  if (!options.saveCpuid.empty()) {
    static char dump[16384];
    size_t n = vx::WriteCpuidDump(instruction, dump, sizeof dump);
    if (!vexilor_cli::WriteWholeFile(options.saveCpuid, dump, n, &error)) return Fail(error);
    return 0;
  }

  if (!options.cpuidDump.empty()) {
    std::string text;
    if (!vexilor_cli::ReadWholeFile(options.cpuidDump, &text, &error)) return Fail(error);
    char message[512];
    if (!vx::ParseCpuidDump(text.data(), text.size(), options.cpuidDump.c_str(), &recorded, message,
                            sizeof message))
      return Fail(message);
    cpuid = &recorded;
  }

  if (options.noPci && !options.pciDump.empty()) return Fail("--no-pci and --pci-dump exclude each other");
  if (options.noPci && !options.access.empty()) return Fail("--no-pci and --access exclude each other");
  if (options.access == "dump" && options.pciDump.empty()) return Fail("--access dump needs --pci-dump FILE");
  if (!options.pciDump.empty() && !options.access.empty() && options.access != "dump")
    return Fail("--pci-dump reads a recording: it takes no --access " + options.access);

  // The Windows 9x route: the process itself executes the port instructions. Asked before anything is
  // read or printed.
  static vexilor_cli::LinuxPortIo portIo;
  bool portRoute = options.access == "ports";
  if (portRoute && !portIo.Acquire(&error)) return Fail(error);

  // PCI: the request handler in-process, over a recorded machine or this machine's sysfs, as the PCIDebug
  // driver on Windows NT; or no route at all.
  static vx::MachineRoute recordedRoute;
  PciDebugBus sysfsBus{};
  vexilor_cli::SysfsPciBus* sysfs = nullptr;
  vx::HandlerTransport sysfsTransport(&sysfsBus, nullptr);
  vx::AccessState access;  // with --no-pci no route: every configuration read answers all ones
  static vx::PciScanCache scanCache;
  access.scanCache = &scanCache;
  if (!options.pciDump.empty()) {
    std::string text;
    if (!vexilor_cli::ReadWholeFile(options.pciDump, &text, &error)) return Fail(error);
    char message[512];
    if (!recordedRoute.Parse(text.data(), text.size(), options.pciDump.c_str(), message, sizeof message))
      return Fail(message);
    fputs(recordedRoute.recorded.warnings.c_str(), stderr);
    recordedRoute.Attach(access);
  } else if (portRoute) {
    vexilor_cli::UseWindows9xPortRoute(access, &portIo);
  } else if (!options.noPci) {
    sysfs = new vexilor_cli::SysfsPciBus();
    sysfs->Bind(&sysfsBus);
    if (sysfs->DeviceCount() == 0)
      fputs("vexilor-report: no PCI device under /sys/bus/pci/devices: the chipset and video pages stay empty\n",
            stderr);
    vx::UseDriverRoute(access, &sysfsTransport);
  }

  static vx::Report report;
  static vx::PageModel models[vx::kPageCount];
  vx::ProgramState state;
  vx::PageContext context;
  context.cpuid = cpuid;
  // A recorded processor has no clock of its own to measure: only a simulated one.
  vx::SimulatedClock simulated(options.clockKHz);
  context.clock = options.clockKHz != 0 ? &simulated : options.cpuidDump.empty() ? vx::SystemClock() : nullptr;
  context.access = &access;
  context.state = &state;
  context.report = &report;
  vx::FillAllPages(context, models);

  delete sysfs;
  if (options.countRequests)
    fprintf(stderr, "vexilor-report: %u requests\n",
            portRoute ? portIo.configRequests
                      : !options.pciDump.empty() ? recordedRoute.transport.requests : sysfsTransport.requests);

  const char* text = report.joined.c_str();
  size_t length = strlen(text);
  if (fwrite(text, 1, length, stdout) != length || fflush(stdout) != 0) return Fail("cannot write the report");
  return 0;
}
