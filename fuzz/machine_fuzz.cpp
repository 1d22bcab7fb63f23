// An arbitrary machine: fuzzer-chosen configuration images for the host bridge, the south bridge, the USB
// controller and the display adapter, and fuzzer-chosen port answers, served by the PCIDebug request
// handler as on Windows NT with the driver open. All five pages are filled and the report is checked.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "cpu/cpuid.h"
#include "pcidebug/pcidebug.h"
#include "hwaccess/machine_route.h"
#include "report/pages.h"
#include "fuzz_support.h"

namespace {

enum { kFunctions = 4, kPorts = 64 };

// The class (bits 31-16 of register 0x08) each role may be forced to, so that the scans reach it.
const uint16_t kRoleClass[kFunctions] = {0x0600, 0x0601, 0x0C03, 0x0300};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t pos = 0;
  auto next = [&]() -> uint8_t { return pos < size ? data[pos++] : 0; };

  static vx::MachineRoute route;
  std::vector<PciDebugFunction>& functions = route.recorded.functions;
  std::vector<PciDebugPortByte>& ports = route.recorded.portBytes;
  functions.clear();
  ports.clear();
  uint8_t flags = next();
  for (int role = 0; role < kFunctions; ++role) {
    PciDebugFunction f;
    memset(&f, 0, sizeof f);
    // The host bridge is always at 00:00.0; the others anywhere on buses 0 to 3.
    uint16_t location = role == 0 ? 0 : static_cast<uint16_t>((next() & 3) << 8 | next());
    bool duplicate = false;
    for (const PciDebugFunction& other : functions) duplicate |= other.busDevFn == location;
    if (duplicate) continue;
    f.busDevFn = location;
    f.recorded = PCIDEBUG_CONFIG_BYTES;
    for (uint8_t& b : f.config) b = next();
    if (flags & (1u << role)) {
      f.config[0x0A] = kRoleClass[role] & 0xFF;
      f.config[0x0B] = kRoleClass[role] >> 8;
    }
    functions.push_back(f);
  }
  while (pos + 3 <= size && ports.size() < kPorts) {
    PciDebugPortByte b;
    b.port = static_cast<uint16_t>(next() | next() << 8);
    b.value = next();
    ports.push_back(b);
  }
  route.Bind();

  // A K6-III (so the host bridge renames its cache label) or a Pentium III.
  static vx::RecordedCpu cpu;
  cpu = vx::RecordedCpu();
  if (flags & 0x10) {
    cpu.Set(0, {1, 0x68747541, 0x444D4163, 0x69746E65});
    cpu.Set(1, {0x591, 0, 0, 0x008021BF});
  } else {
    cpu.Set(0, {3, 0x756E6547, 0x6C65746E, 0x49656E69});
    cpu.Set(1, {0x673, 0, 0, 0x0387F9FF});
  }

  vxfuzz::FillAllPagesAndCheck(cpu, &route.transport, nullptr);
  return 0;
}
