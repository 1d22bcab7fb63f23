// The clock seam: a millisecond timer and a serialised time-stamp counter.
#pragma once

#include <stdint.h>

namespace vx {

class ClockSource {
 public:
  // A millisecond count that increases; differences are taken with 32-bit wrap-around.
  virtual uint32_t Milliseconds() = 0;
  // Executes CPUID leaf 0 (to serialise the processor), then reads the time-stamp counter.
  virtual uint64_t SerializedCounter() = 0;

 protected:
  ~ClockSource() = default;
};

// This machine's millisecond timer and time-stamp counter; null where there is none.
ClockSource* SystemClock();

// The processor's clock in MHz, counted over `seconds` (low 16 bits, 1 to 65535) of the millisecond timer.
double MeasureCpuClock(ClockSource& clock, uint32_t seconds);

}  // namespace vx
