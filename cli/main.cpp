// vexilor-report: prints the report that the Windows program copies to the clipboard, for this machine or
// for a recorded one.
#include <stdio.h>
#include <string.h>

#include <string>

#include "cli/input_file.h"
#include "cli/sysfs_pci.h"
#include "cpu/clock.h"
#include "cpu/cpuid.h"
#include "hwaccess/access.h"
#include "hwaccess/handler_transport.h"
#include "hwaccess/pci_machine.h"
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
    "  --no-pci            read no PCI configuration (as when no access driver can be opened)\n"
    "  --help              show this help and exit\n"
    "\n"
    "Exit status: 0 on success, 2 on a bad argument or input file.\n";

struct Options {
  std::string cpuidDump;
  std::string saveCpuid;
  std::string pciDump;
  bool noPci = false;
};

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
    } else if (arg == "--no-pci") {
      options.noPci = true;
    } else {
      return Fail("unknown argument '" + arg + "' (see --help)");
    }
  }

  vx::InstructionCpuid instruction;
  static vx::RecordedCpu recorded;
  vx::CpuidSource* cpuid = &instruction;
  std::string error;

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

  // PCI: the request handler in-process, over a recorded machine or this machine's sysfs, as the PCIDebug
  // driver on Windows NT; or no route at all.
  static vx::RecordedPciMachine machine;
  PciDebugBus bus{};
  PciDebugPorts ports{};
  bool havePorts = false;
  vexilor_cli::SysfsPciBus* sysfs = nullptr;
  if (!options.pciDump.empty()) {
    std::string text;
    if (!vexilor_cli::ReadWholeFile(options.pciDump, &text, &error)) return Fail(error);
    char message[512];
    static char warnings[8192];
    if (!vx::ParsePciMachine(text.data(), text.size(), options.pciDump.c_str(), &machine, message, sizeof message,
                             warnings, sizeof warnings))
      return Fail(message);
    fputs(warnings, stderr);
    PciDebugMachineBus(&machine.machine, &bus);
    PciDebugMachinePorts(&machine.machine, &ports);
    havePorts = true;
  } else if (!options.noPci) {
    sysfs = new vexilor_cli::SysfsPciBus();
    sysfs->Bind(&bus);
    if (sysfs->DeviceCount() == 0)
      fputs("vexilor-report: no PCI device under /sys/bus/pci/devices: the chipset and video pages stay empty\n",
            stderr);
  }
  vx::HandlerTransport transport(&bus, havePorts ? &ports : nullptr);

  static vx::Report report;
  static vx::PageModel models[vx::kPageCount];
  vx::ProgramState state;
  vx::AccessState access;  // no route: every configuration read answers all ones
  if (!options.noPci) vx::UseDriverRoute(access, &transport);
  vx::PageContext context;
  context.cpuid = cpuid;
  context.clock = vx::SystemClock();
  context.access = &access;
  context.state = &state;
  context.report = &report;
  vx::FillAllPages(context, models);

  delete sysfs;

  const char* text = report.joined.c_str();
  size_t length = strlen(text);
  if (fwrite(text, 1, length, stdout) != length || fflush(stdout) != 0) return Fail("cannot write the report");
  return 0;
}
