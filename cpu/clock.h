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

// This machine's millisecond timer and time-stamp counter; null where there is none. Whether the
// processor has CPUID and a time-stamp counter at all is the caller's to check (CpuRecord hasCpuid, tsc).
ClockSource* SystemClock();

// The processor's clock in MHz, counted over `seconds` (low 16 bits, 1 to 65535) of the millisecond timer.
double MeasureCpuClock(ClockSource& clock, uint32_t seconds);

// A processor running at a given frequency, in simulated time: every timer or counter read advances the
// time by a fixed step, so a measurement runs its whole loop without waiting. For tests and for reports
// of recorded processors.
class SimulatedClock final : public ClockSource {
 public:
  // kHz: the clock frequency in kHz (500 MHz is 500000). startMilliseconds and startCounter: what the
  // timer and the counter read at time zero; stepMicroseconds: the time that one read takes.
  SimulatedClock(uint64_t kHz, uint32_t startMilliseconds = 0, uint64_t startCounter = 0,
                 uint32_t stepMicroseconds = 10);

  uint32_t Milliseconds() override;
  uint64_t SerializedCounter() override;

  uint64_t ElapsedMicroseconds() const { return now_; }
  int counterReads = 0;

 private:
  uint64_t kHz_;
  uint32_t startMilliseconds_;
  uint64_t startCounter_;
  uint32_t step_;
  uint64_t now_ = 0;  // microseconds since time zero
};

}  // namespace vx
