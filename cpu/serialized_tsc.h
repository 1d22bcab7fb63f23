// The time-stamp counter read after CPUID leaf 0, which lets every earlier instruction finish first.
// Only for processors that have both (CpuRecord hasCpuid and tsc).
#pragma once

#include <stdint.h>

namespace vx {

#if defined(__i386__) || defined(__x86_64__)
#define VX_HAVE_TSC 1
inline uint64_t ReadSerializedTsc() {
  uint32_t a = 0, b = 0, c = 0, d = 0;
  __asm__ volatile("cpuid" : "+a"(a), "+b"(b), "+c"(c), "+d"(d) : : "memory");
  uint32_t low, high;
  __asm__ volatile("rdtsc" : "=a"(low), "=d"(high) : : "memory");
  return (static_cast<uint64_t>(high) << 32) | low;
}
#else
#define VX_HAVE_TSC 0
#endif

}  // namespace vx
