// The CPUID seam: the processor's own instruction, or a recorded processor.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace vx {

struct CpuidRegs {
  uint32_t eax, ebx, ecx, edx;
};

class CpuidSource {
 public:
  // Whether the processor has the CPUID instruction at all.
  virtual bool HasCpuid() = 0;
  // Issues the leaf (EAX = leaf, ECX = 0).
  virtual CpuidRegs Query(uint32_t leaf) = 0;

 protected:
  ~CpuidSource() = default;
};

// The instruction itself. On i686 availability is the EFLAGS ID-bit test (bit 21 must toggle); on x86_64
// CPUID always exists.
class InstructionCpuid final : public CpuidSource {
 public:
  bool HasCpuid() override;
  CpuidRegs Query(uint32_t leaf) override;
};

// The EFLAGS ID-bit test of the i486 and later: invert bit 21, write EFLAGS back, read it again.
bool CpuidInstructionPresent();

// A processor recorded in the text form "CPUID 00000001: 00000673-00000000-00000000-0387F9FF" (one leaf a
// line, EAX-EBX-ECX-EDX in hex). A leaf that was not recorded answers zeros. A recording of a processor
// without the instruction has the single line "CPUID none".
class RecordedCpu final : public CpuidSource {
 public:
  static constexpr int kMaxLeaves = 128;
  struct Leaf {
    uint32_t leaf;
    CpuidRegs regs;
  };

  bool hasCpuid = true;
  int count = 0;
  Leaf leaves[kMaxLeaves] = {};

  bool HasCpuid() override { return hasCpuid; }
  CpuidRegs Query(uint32_t leaf) override;
  // Records a leaf (replacing an earlier recording of it); false when the table is full.
  bool Set(uint32_t leaf, const CpuidRegs& regs);
};

// Parses a recording. On failure returns false and writes "NAME:LINE: what is wrong" into err.
bool ParseCpuidDump(const char* text, size_t length, const char* name, RecordedCpu* out, char* err,
                    size_t errCap);

// Writes leaves 0 to the highest standard leaf and 0x80000000 to the highest extended leaf of a source in
// the recorded form (at most 64 of each), one "CPUID llllllll: aaaaaaaa-bbbbbbbb-cccccccc-dddddddd" line
// each, with LF line ends. Returns the bytes written (cut at cap, zero-terminated).
size_t WriteCpuidDump(CpuidSource& source, char* out, size_t cap);

}  // namespace vx
