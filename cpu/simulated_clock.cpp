// A processor clock in simulated time, for tests and for reports of recorded processors. Kept apart from
// the measurement so that the Windows program, which never simulates, links none of its 64-bit division.
#include "cpu/clock.h"

namespace vx {

SimulatedClock::SimulatedClock(uint64_t kHz, uint32_t startMilliseconds, uint64_t startCounter,
                               uint32_t stepMicroseconds)
    : kHz_(kHz), startMilliseconds_(startMilliseconds), startCounter_(startCounter), step_(stepMicroseconds) {}

uint32_t SimulatedClock::Milliseconds() {
  now_ += step_;
  return startMilliseconds_ + static_cast<uint32_t>(now_ / 1000);
}

uint64_t SimulatedClock::SerializedCounter() {
  now_ += step_;
  ++counterReads;
  // kHz cycles per millisecond, exactly, wrapping like a real 64-bit counter.
  return startCounter_ + (now_ / 1000) * kHz_ + (now_ % 1000) * kHz_ / 1000;
}

}  // namespace vx
