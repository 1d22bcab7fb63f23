// Turns a recorded machine (lspci -xxx text) into the C data that pcilibnt.sys is built around, and the
// version resource that says which machine it simulates.
//
// Usage: pcidebug_machine2c LSPCI-FILE OUT.c OUT.rc
#include <stdio.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "hwaccess/pci_machine.h"

namespace {

bool WriteFile(const std::string& path, const std::string& text) {
  std::string temporary = path + ".tmp";
  FILE* f = fopen(temporary.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = fclose(f) == 0 && ok;
  return ok && rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s LSPCI-FILE OUT.c OUT.rc\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    fprintf(stderr, "%s: cannot be read\n", argv[1]);
    return 2;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string text = buffer.str();
  std::string name = argv[1];
  name = name.substr(name.find_last_of('/') + 1);
  auto machine = std::make_unique<vx::RecordedPciMachine>();
  char err[512];
  if (!vx::ParsePciMachine(text.data(), text.size(), argv[1], machine.get(), err, sizeof err)) {
    fprintf(stderr, "%s\n", err);
    return 2;
  }
  const PciDebugMachine& m = machine->machine;
  std::ostringstream c;
  c << "/* Generated from " << name << " by pcidebug_machine2c; do not edit. */\n#include \"pcidebug/pcidebug.h\"\n\n";
  c << "static PciDebugFunction g_functions[" << m.functionCount << "] = {\n";
  char hex[16];
  for (uint32_t i = 0; i < m.functionCount; ++i) {
    const PciDebugFunction& f = m.functions[i];
    c << "  {0x" << std::hex << f.busDevFn << ", " << std::dec << f.recorded << ", {";
    for (int b = 0; b < 256; ++b) {
      snprintf(hex, sizeof hex, "%s0x%02x", b % 16 == 0 ? "\n    " : " ", f.config[b]);
      c << hex << (b < 255 ? "," : "");
    }
    c << "}},\n";
  }
  c << "};\n\n";
  uint32_t ports = m.portCount > 0 ? m.portCount : 1;
  c << "static PciDebugPortByte g_ports[" << ports << "] = {";
  for (uint32_t i = 0; i < m.portCount; ++i) {
    snprintf(hex, sizeof hex, "0x%02x", m.ports[i].value);
    c << (i ? ", " : "") << "{0x" << std::hex << m.ports[i].port << std::dec << ", " << hex << "}";
  }
  if (m.portCount == 0) c << "{0, 0}";
  c << "};\n\nPciDebugMachine g_recordedMachine = {g_functions, " << m.functionCount << ", g_ports, " << m.portCount
    << ", {";
  for (int i = 0; i < 32; ++i) c << (i ? ", " : "") << int(m.busPresent[i]);
  c << "}};\n";

  std::ostringstream rc;
  rc << "// Generated from " << name << " by pcidebug_machine2c; do not edit.\n"
     << "1 VERSIONINFO\nFILEVERSION 1,0,0,0\nPRODUCTVERSION 1,0,0,0\nFILEOS 0x40004\nFILETYPE 3\nFILESUBTYPE 7\n"
     << "BEGIN\n  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK \"040904B0\"\n    BEGIN\n"
     << "      VALUE \"CompanyName\", \"Vexilor\"\n"
     << "      VALUE \"FileDescription\", \"PCIDebug test driver: simulates the recorded machine " << name
     << "; reads no hardware\"\n"
     << "      VALUE \"FileVersion\", \"1.0\"\n"
     << "      VALUE \"InternalName\", \"pcilibnt.sys\"\n"
     << "      VALUE \"OriginalFilename\", \"pcilibnt.sys\"\n"
     << "      VALUE \"ProductName\", \"Vexilor PCIDebug simulator (" << name << ")\"\n"
     << "      VALUE \"Comments\", \"Answers PCIDebug requests from a machine recorded with lspci; for tests and "
        "demonstrations only\"\n"
     << "    END\n  END\n  BLOCK \"VarFileInfo\"\n  BEGIN\n    VALUE \"Translation\", 0x409, 1200\n  END\nEND\n";
  if (!WriteFile(argv[2], c.str()) || !WriteFile(argv[3], rc.str())) {
    fprintf(stderr, "cannot write %s or %s\n", argv[2], argv[3]);
    return 2;
  }
  return 0;
}
