#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "cpu/clock.h"

namespace {

std::string Shown(double mhz) {
  char text[64];
  snprintf(text, sizeof text, "%.2fMHz", mhz);
  return text;
}

// Simulated processors: the interval is 1001 ms after the first tick, so the count divided by
// 1001000 gives the frequency exactly, from the 32-bit range to well past it.
TEST(MeasureCpuClock, SimulatedFrequencies) {
  const struct {
    uint64_t kHz;
    uint32_t startMs;
    uint64_t startCounter;
    const char* shown;
  } cases[] = {
      {500000, 0, 0, "500.00MHz"},
      {2095990, 123456, 77, "2095.99MHz"},
      {4290680, 0, 0, "4290.68MHz"},  // 4294970680 cycles: just past 2^32
      {5000000, 0, 0, "5000.00MHz"},
      {33000, 0xFFFFFC00u, 0, "33.00MHz"},                         // the millisecond timer wraps mid-interval
      {500000, 7, 0xFFFFFFFFu - 100000000u, "500.00MHz"},          // the counter passes 2^32
      {2095990, 7, 0xFFFFFFFFFFFFFFFFull - 1000000000u, "2095.99MHz"},  // and 2^64
      {5000000, 7, 0xFFFFFFFFFFFFFFFFull - 2000000000u, "5000.00MHz"},
  };
  for (const auto& c : cases) {
    vx::SimulatedClock clock(c.kHz, c.startMs, c.startCounter);
    double mhz = vx::MeasureCpuClock(clock, 1);
    EXPECT_EQ(Shown(mhz), c.shown) << c.kHz << " kHz from counter " << c.startCounter;
    EXPECT_EQ(clock.counterReads, 2);
  }
}

// 500 MHz counts about 500.5 million cycles; the counter is read once after the first tick and once at
// the first reading more than 1000 ms after it (at least 1001 ms).
TEST(MeasureCpuClock, IntervalAfterFirstTick) {
  vx::SimulatedClock clock(500000, 0, 0, 10);
  double mhz = vx::MeasureCpuClock(clock, 1);
  EXPECT_DOUBLE_EQ(mhz, 500.0);
  // First tick of 2 ms, then 1001 ms, then the last counter read.
  EXPECT_EQ(clock.ElapsedMicroseconds(), 2000u + 1001000u + 10u);

  // A coarse timer (one reading every 3 ms) ends the wait late and reads high, as a real one would: the
  // counter runs 1002 ms, the divisor stays 1001000.
  vx::SimulatedClock coarse(500000, 0, 0, 3000);
  EXPECT_EQ(Shown(vx::MeasureCpuClock(coarse, 1)), "500.50MHz");
}

// Only the low 16 bits of the interval count: 65537 seconds is one. Longer intervals wait S * 1000 + 1 ms
// against a divisor of S * 1001000, so they read a little low (the pages always measure one second).
TEST(MeasureCpuClock, IntervalLow16Bits) {
  vx::SimulatedClock two(700000, 0, 0, 100);
  EXPECT_EQ(Shown(vx::MeasureCpuClock(two, 2)), "699.65MHz");
  EXPECT_EQ(two.ElapsedMicroseconds(), 2000u + 2001000u + 100u);
  vx::SimulatedClock wrapped(700000, 0, 0, 100);
  EXPECT_EQ(Shown(vx::MeasureCpuClock(wrapped, 65537)), "700.00MHz");
  EXPECT_LT(wrapped.ElapsedMicroseconds(), 1100000u);
}

}  // namespace
