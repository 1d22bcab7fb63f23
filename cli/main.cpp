// vexilor-report: prints the report that the Windows program copies to the clipboard, for this machine or
// for a recorded one.
#include <stdio.h>
#include <string.h>

#include <string>

#include "cli/input_file.h"
#include "cpu/clock.h"
#include "cpu/cpuid.h"
#include "hwaccess/access.h"
#include "report/pages.h"

namespace {

const char kUsage[] =
    "Usage: vexilor-report [OPTION]...\n"
    "Print Vexilor's hardware report (CPU, feature flags, caches, chipset, video) with CR LF line ends,\n"
    "exactly as the Windows program copies it to the clipboard.\n"
    "\n"
    "By default the processor of this machine is read.\n"
    "\n"
    "  --cpuid-dump FILE   read a recorded processor instead of this one; one leaf a line:\n"
    "                      CPUID 00000001: 00000673-00000000-00000000-0387F9FF\n"
    "                      (EAX-EBX-ECX-EDX in hex; blank lines and # comments allowed)\n"
    "  --save-cpuid FILE   write this machine's CPUID leaves in that form to FILE and exit\n"
    "  --no-pci            read no PCI configuration (as when no access driver can be opened)\n"
    "  --help              show this help and exit\n"
    "\n"
    "Exit status: 0 on success, 2 on a bad argument or input file.\n";

struct Options {
  std::string cpuidDump;
  std::string saveCpuid;
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

  static vx::Report report;
  static vx::PageModel models[vx::kPageCount];
  vx::ProgramState state;
  vx::AccessState access;  // no route: every configuration read answers all ones
  vx::PageContext context;
  context.cpuid = cpuid;
  context.clock = vx::SystemClock();
  context.access = &access;
  context.state = &state;
  context.report = &report;
  vx::FillAllPages(context, models);

  const char* text = report.joined.c_str();
  size_t length = strlen(text);
  if (fwrite(text, 1, length, stdout) != length || fflush(stdout) != 0) return Fail("cannot write the report");
  return 0;
}
