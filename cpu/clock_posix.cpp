// The Linux clock: the monotonic clock in whole milliseconds and the serialised time-stamp counter.
#include <time.h>

#include "cpu/clock.h"
#include "cpu/serialized_tsc.h"

namespace vx {

#if VX_HAVE_TSC

namespace {

class MonotonicClock final : public ClockSource {
 public:
  uint32_t Milliseconds() override {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
  }
  uint64_t SerializedCounter() override { return ReadSerializedTsc(); }
};

MonotonicClock theClock;

}  // namespace

ClockSource* SystemClock() { return &theClock; }

#else

ClockSource* SystemClock() { return nullptr; }  // no time-stamp counter on this architecture

#endif

}  // namespace vx
