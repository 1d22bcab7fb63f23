// The Windows clock: the multimedia timer and the serialised time-stamp counter.
#include <windows.h>
#include <mmsystem.h>

#include "cpu/clock.h"
#include "cpu/serialized_tsc.h"

namespace vx {

namespace {

class WindowsClock final : public ClockSource {
 public:
  uint32_t Milliseconds() override { return static_cast<uint32_t>(timeGetTime()); }
  uint64_t SerializedCounter() override { return ReadSerializedTsc(); }
};

WindowsClock theClock;

}  // namespace

ClockSource* SystemClock() { return &theClock; }

}  // namespace vx
