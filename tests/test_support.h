// Helpers shared by the unit tests: recorded processors from tests/data.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "cpu/cpuid.h"

namespace vxtest {

inline std::string ReadTestFile(const std::string& relative) {
  std::ifstream in(std::string(VX_TEST_DATA) + "/" + relative, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Loads tests/data/cpuid/NAME; fails the calling test when the file does not parse.
inline bool LoadRecordedCpu(const std::string& name, vx::RecordedCpu* cpu, std::string* error) {
  std::string text = ReadTestFile("cpuid/" + name);
  char message[256] = "";
  bool ok = !text.empty() && vx::ParseCpuidDump(text.data(), text.size(), name.c_str(), cpu, message, sizeof message);
  *error = text.empty() ? name + ": missing or empty" : message;
  return ok;
}

}  // namespace vxtest
