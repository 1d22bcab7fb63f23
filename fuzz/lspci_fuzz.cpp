// The recorded-machine reader: any text gives a machine or an error naming the file, never a crash; a
// machine that reads is then identified whole and its report checked.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "cpu/cpuid.h"
#include "hwaccess/machine_route.h"
#include "report/pages.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vx::MachineRoute route;
  char error[512];
  memset(error, 0x55, sizeof error);
  bool ok = route.Parse(reinterpret_cast<const char*>(data), size, "fuzz.txt", error, sizeof error);
  if (!ok) {
    vxfuzz::Require(memchr(error, 0, sizeof error) != nullptr, "error terminated");
    vxfuzz::Require(strncmp(error, "fuzz.txt", 8) == 0, "error names the file");
    return 0;
  }

  static vx::RecordedCpu cpu;
  cpu = vx::RecordedCpu();
  cpu.Set(0, {1, 0x68747541, 0x444D4163, 0x69746E65});
  cpu.Set(1, {0x591, 0, 0, 0x008021BF});
  vxfuzz::FillAllPagesAndCheck(cpu, &route.transport, nullptr);
  return 0;
}
