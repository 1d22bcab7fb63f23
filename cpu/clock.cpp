// The clock measurement: time-stamp-counter cycles across a fixed interval of the millisecond timer.
#include "cpu/clock.h"

namespace vx {

namespace {

// Whole 64-bit counts as a double by their two 32-bit halves, so that the conversion stays in plain x87
// loads on the i486 (no runtime helper).
double CountToDouble(uint64_t count) {
  uint32_t high = static_cast<uint32_t>(count >> 32);
  uint32_t low = static_cast<uint32_t>(count);
  return static_cast<double>(high) * 4294967296.0 + static_cast<double>(low);
}

}  // namespace

double MeasureCpuClock(ClockSource& clock, uint32_t seconds) {
  uint32_t interval = seconds & 0xFFFF;
  // Start on a timer tick: wait until the timer has moved on by more than one millisecond.
  uint32_t t0 = clock.Milliseconds();
  uint32_t t1;
  do {
    t1 = clock.Milliseconds();
  } while (static_cast<int32_t>(t1 - t0) < 2);
  uint64_t c0 = clock.SerializedCounter();

  int32_t wait = static_cast<int32_t>(interval * 1000);
  while (static_cast<int32_t>(clock.Milliseconds() - t1) <= wait) {
  }
  uint64_t c1 = clock.SerializedCounter();

  // The whole counter difference: its low 32 bits alone wrap from 4290.68 MHz on (2^32 cycles in 1001 ms).
  uint64_t cycles = c1 - c0;
  const float kCyclesPerMhzSecond = 1001000.0f;
  return CountToDouble(cycles) / (kCyclesPerMhzSecond * static_cast<float>(interval));
}

}  // namespace vx
