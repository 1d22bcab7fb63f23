// An arbitrary processor: every leaf that the pages ask for answers with fuzzer-chosen registers (a highest
// leaf of 0xFFFFFFFF and absurd descriptor bytes included), then all five pages are filled and the report
// is checked.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "cpu/clock.h"
#include "cpu/cpuid.h"
#include "hwaccess/access.h"
#include "report/pages.h"
#include "fuzz_support.h"

namespace {

// The leaves the pages issue, and a few neighbours.
const uint32_t kLeaves[] = {0,          1,          2,          3,          4,          0x80000000u,
                            0x80000001u, 0x80000002u, 0x80000003u, 0x80000004u, 0x80000005u, 0x80000006u,
                            0x80000007u, 0x80000008u};

// A clock whose ticks and counter come from the input, so the measurement sees odd timers too.
class FuzzClock final : public vx::ClockSource {
 public:
  FuzzClock(uint32_t msStep, uint64_t counterStep) : msStep_(msStep | 1), counterStep_(counterStep) {}
  uint32_t Milliseconds() override { return ms_ += msStep_; }
  uint64_t SerializedCounter() override { return counter_ += counterStep_; }

 private:
  uint32_t ms_ = 0, msStep_;
  uint64_t counter_ = 0, counterStep_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vx::RecordedCpu cpu;
  cpu = vx::RecordedCpu();
  size_t pos = 0;
  auto next32 = [&]() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(pos < size ? data[pos++] : 0) << (8 * i);
    return v;
  };
  uint32_t control = next32();
  cpu.hasCpuid = (control & 1) == 0;
  for (uint32_t leaf : kLeaves) {
    vx::CpuidRegs r;
    r.eax = next32();
    r.ebx = next32();
    r.ecx = next32();
    r.edx = next32();
    cpu.Set(leaf, r);
  }
  FuzzClock clock(control >> 8 & 0xFF, (static_cast<uint64_t>(next32()) << 32) | next32());

  vxfuzz::FillAllPagesAndCheck(cpu, nullptr, (control & 2) ? &clock : nullptr);
  return 0;
}
