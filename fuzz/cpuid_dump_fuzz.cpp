// The recorded-processor reader: any text gives a processor or an error naming the file, never a crash.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "cpu/cpuid.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vx::RecordedCpu cpu;
  char error[256];
  memset(error, 0x55, sizeof error);
  bool ok = vx::ParseCpuidDump(reinterpret_cast<const char*>(data), size, "fuzz.txt", &cpu, error, sizeof error);
  if (!ok) {
    vxfuzz::Require(memchr(error, 0, sizeof error) != nullptr, "error terminated");
    vxfuzz::Require(strncmp(error, "fuzz.txt", 8) == 0, "error names the file");
  } else {
    vxfuzz::Require(cpu.count <= vx::RecordedCpu::kMaxLeaves, "leaf table bounded");
  }
  return 0;
}
