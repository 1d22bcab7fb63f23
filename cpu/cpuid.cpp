#include "cpu/cpuid.h"

#include "report/line_reader.h"
#include "report/text.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <cpuid.h>
#endif

namespace vx {

bool CpuidInstructionPresent() {
#if defined(__x86_64__)
  return true;
#elif defined(__i386__)
  uint32_t before, after;
  __asm__ volatile(
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl $0x200000, %1\n\t"
      "pushl %1\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %1\n\t"
      "pushl %0\n\t"  // put the original flags back
      "popfl\n\t"
      : "=&r"(before), "=&r"(after)
      :
      : "cc");
  return ((before ^ after) & 0x200000) != 0;
#else
  return false;
#endif
}

bool InstructionCpuid::HasCpuid() { return CpuidInstructionPresent(); }

CpuidRegs InstructionCpuid::Query(uint32_t leaf) {
  CpuidRegs r = {0, 0, 0, 0};
#if defined(__x86_64__)
  __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
#elif defined(__i386__)
  __asm__ volatile("cpuid" : "=a"(r.eax), "=b"(r.ebx), "=c"(r.ecx), "=d"(r.edx) : "a"(leaf), "c"(0));
#else
  (void)leaf;
#endif
  return r;
}

CpuidRegs RecordedCpu::Query(uint32_t leaf) {
  for (int i = 0; i < count; ++i)
    if (leaves[i].leaf == leaf) return leaves[i].regs;
  CpuidRegs zero = {0, 0, 0, 0};
  return zero;
}

bool RecordedCpu::Set(uint32_t leaf, const CpuidRegs& regs) {
  for (int i = 0; i < count; ++i) {
    if (leaves[i].leaf == leaf) {
      leaves[i].regs = regs;
      return true;
    }
  }
  if (count >= kMaxLeaves) return false;
  leaves[count].leaf = leaf;
  leaves[count].regs = regs;
  ++count;
  return true;
}

namespace {

// Reads exactly eight hex digits at *p.
bool ReadHex8(const char*& p, const char* end, uint32_t* value) { return ReadHexDigits(p, end, 8, value); }

bool StartsWith(const char* p, const char* end, const char* word) {
  for (; *word != 0; ++word, ++p)
    if (p >= end || *p != *word) return false;
  return true;
}

// "CPUID llllllll: eax-ebx-ecx-edx" from behind "CPUID ".
bool ReadLeafLine(const char* q, const char* end, uint32_t* leaf, CpuidRegs* r) {
  SkipBlanks(q, end);
  if (!ReadHex8(q, end, leaf) || q >= end || *q++ != ':') return false;
  SkipBlanks(q, end);
  bool ok = ReadHex8(q, end, &r->eax) && q < end && *q++ == '-' && ReadHex8(q, end, &r->ebx) && q < end &&
            *q++ == '-' && ReadHex8(q, end, &r->ecx) && q < end && *q++ == '-' && ReadHex8(q, end, &r->edx);
  SkipBlanks(q, end);
  return ok && q == end;
}

}  // namespace

bool ParseCpuidDump(const char* text, size_t length, const char* name, RecordedCpu* out, char* err,
                    size_t errCap) {
  out->hasCpuid = true;
  out->count = 0;
  if (const char* problem = RecordingEncodingProblem(text, length)) {
    TextFormat(err, errCap, "%s:1: %s", name, problem);
    return false;
  }
  bool sawLeaf = false;
  bool sawNone = false;
  LineReader line(text, length);
  while (line.Next()) {
    const char* q = line.begin;
    const char* end = line.end;
    SkipBlanks(q, end);
    if (q == end || *q == '#') continue;
    if (StartsWith(q, end, "CPUID none")) {
      q += 10;
      SkipBlanks(q, end);
      if (q != end) {
        TextFormat(err, errCap, "%s:%u: unexpected text after \"CPUID none\"", name, line.number);
        return false;
      }
      sawNone = true;
      continue;
    }
    uint32_t leaf;
    CpuidRegs r;
    if (!StartsWith(q, end, "CPUID ")) {
      TextFormat(err, errCap, "%s:%u: expected \"CPUID llllllll: eax-ebx-ecx-edx\"", name, line.number);
      return false;
    }
    if (!ReadLeafLine(q + 6, end, &leaf, &r)) {
      TextFormat(err, errCap, "%s:%u: malformed line: expected \"CPUID llllllll: eax-ebx-ecx-edx\" in hex", name,
                 line.number);
      return false;
    }
    for (int i = 0; i < out->count; ++i) {
      if (out->leaves[i].leaf == leaf) {
        TextFormat(err, errCap, "%s:%u: leaf %08X is recorded twice", name, line.number, static_cast<unsigned>(leaf));
        return false;
      }
    }
    if (!out->Set(leaf, r)) {
      TextFormat(err, errCap, "%s:%u: more than %d leaves", name, line.number, RecordedCpu::kMaxLeaves);
      return false;
    }
    sawLeaf = true;
  }
  if (sawNone && sawLeaf) {
    TextFormat(err, errCap, "%s: \"CPUID none\" together with recorded leaves", name);
    return false;
  }
  if (!sawNone && !sawLeaf) {
    TextFormat(err, errCap, "%s: no CPUID lines (a processor without CPUID is recorded as \"CPUID none\")",
               name);
    return false;
  }
  out->hasCpuid = !sawNone;
  return true;
}

size_t WriteCpuidDump(CpuidSource& source, char* out, size_t cap) {
  if (cap == 0) return 0;
  out[0] = 0;
  if (!source.HasCpuid()) {
    TextAppend(out, cap, "CPUID none\n");
    return TextLength(out, cap);
  }
  const uint32_t bases[2] = {0x00000000u, 0x80000000u};
  for (uint32_t base : bases) {
    uint32_t highest = source.Query(base).eax;
    if (base == 0x80000000u && (highest < base || highest > base + 0xFFFF)) highest = base;  // no extended leaves
    if (highest - base > 63) highest = base + 63;
    for (uint32_t leaf = base;; ++leaf) {
      CpuidRegs r = source.Query(leaf);
      TextAppendFormat(out, cap, "CPUID %08X: %08X-%08X-%08X-%08X\n", static_cast<unsigned>(leaf),
                       static_cast<unsigned>(r.eax), static_cast<unsigned>(r.ebx),
                       static_cast<unsigned>(r.ecx), static_cast<unsigned>(r.edx));
      if (leaf == highest) break;
    }
  }
  return TextLength(out, cap);
}

}  // namespace vx
