#include <gtest/gtest.h>

#include <string>

#include "cpu/cpu_record.h"
#include "cpu/cpuid.h"
#include "test_support.h"

namespace {

struct Expected {
  const char* file;
  const char* vendor;
  uint32_t type, family, model, stepping, brandId;
  const char* flags;  // the labels of the flags that are set, in the F.Flag page's order
  const char* brand;
};

std::string Flags(const vx::CpuRecord& r) {
  std::string s;
  for (int i = 0; i < vx::kFeatureFlagCount; ++i) {
    EXPECT_TRUE(r.flags[i] == 0 || r.flags[i] == 1) << vx::kFeatureFlags[i].label;
    if (r.flags[i] != 0) s += (s.empty() ? "" : " ") + std::string(vx::kFeatureFlags[i].label);
  }
  return s;
}

// Real processors, recorded from their makers' identification notes.
TEST(ProbeCpu, RecordedProcessors) {
  const Expected cases[] = {
      {"intel-486dx2-nocpuid.txt", "", 0, 0, 0, 0, 0, "", ""},
      {"intel-486dx4.txt", "GenuineIntel", 0, 4, 8, 0, 0, "FPU VME", ""},
      {"intel-pentium-mmx.txt", "GenuineIntel", 0, 5, 4, 3, 0, "FPU VME DE PSE TSC MSR MCE CX8 MMX", ""},
      {"intel-pentium3-katmai.txt", "GenuineIntel", 0, 6, 7, 3, 0,
       "FPU VME DE PSE TSC MSR PAE MCE CX8 SEP MTRR PGE MCA CMOV PAT PSE-36 PN MMX FXSR XMM", ""},
      {"amd-k6-2.txt", "AuthenticAMD", 0, 5, 8, 12, 0, "FPU VME DE PSE TSC MSR MCE CX8 PGE MMX K86MSR K86MTRR 3DNow!",
       "AMD-K6(tm) 3D processor"},
      {"amd-athlon-thunderbird.txt", "AuthenticAMD", 0, 6, 4, 2, 0,
       "FPU VME DE PSE TSC MSR PAE MCE CX8 APIC SEP MTRR PGE MCA CMOV PAT PSE-36 MMX FXSR K86MSR MMX+ 3DNow! 3DNow!+",
       "AMD Athlon(tm) Processor"},
  };
  for (const Expected& e : cases) {
    vx::RecordedCpu cpu;
    std::string error;
    ASSERT_TRUE(vxtest::LoadRecordedCpu(e.file, &cpu, &error)) << error;
    vx::CpuRecord r;
    vx::ProbeCpu(r, cpu);
    EXPECT_EQ(r.hasCpuid, e.vendor[0] != 0 ? 1 : 0) << e.file;
    EXPECT_STREQ(r.vendorId, e.vendor) << e.file;
    EXPECT_EQ(r.typeId, e.type) << e.file;
    EXPECT_EQ(r.familyId, e.family) << e.file;
    EXPECT_EQ(r.modelId, e.model) << e.file;
    EXPECT_EQ(r.steppingId, e.stepping) << e.file;
    EXPECT_EQ(r.brandId, e.brandId) << e.file;
    EXPECT_EQ(Flags(r), e.flags) << e.file;
    EXPECT_STREQ(r.brandString, e.brand) << e.file;
  }
}

vx::CpuRecord Probe(std::initializer_list<std::pair<uint32_t, vx::CpuidRegs>> leaves) {
  vx::RecordedCpu cpu;
  for (const auto& l : leaves) cpu.Set(l.first, l.second);
  vx::CpuRecord r;
  vx::ProbeCpu(r, cpu);
  return r;
}

const vx::CpuidRegs kIntelLeaf0 = {3, 0x756E6547, 0x6C65746E, 0x49656E69};

// The signature rule for K86MTRR looks at the low 12 bits only, whatever the vendor.
TEST(ProbeCpu, SignatureAndBrandIndexFields) {
  struct Case {
    uint32_t signature, ebx;
    int32_t k86Mtrr;
    uint32_t brandId, typeId, typeNibble;
  } cases[] = {
      {0x588, 0, 1, 0, 0, 0},     {0x587, 0, 0, 0, 0, 0},     {0x600, 0, 0, 0, 0, 0},
      {0x5FF, 0, 1, 0, 0, 0},     {0x1588, 0x12, 1, 2, 1, 1}, {0xF2683, 0, 0, 0, 2, 2},
      {0xC58D, 0xFF, 1, 15, 0, 12},
  };
  for (const Case& c : cases) {
    vx::CpuRecord r = Probe({{0, kIntelLeaf0}, {1, {c.signature, c.ebx, 0, 0}}, {0x80000000u, {0x80000001u, 0, 0, 0}}});
    EXPECT_EQ(r.flags[vx::kFlagK86Mtrr], c.k86Mtrr) << std::hex << c.signature;
    EXPECT_EQ(r.brandId, c.brandId) << std::hex << c.signature;
    EXPECT_EQ(r.typeId, c.typeId) << std::hex << c.signature;
    EXPECT_EQ(r.typeNibble, c.typeNibble) << std::hex << c.signature;
  }
}

TEST(ProbeCpu, LeafLimitsAndUnusedBits) {
  // EDX bit 10 and bits 19-22 and 26-31 set nothing; only bits 0-9, 11-18, 23-25 count.
  vx::CpuRecord bits = Probe({{0, kIntelLeaf0}, {1, {0x673, 0, 0, 0xFC780400u}}});
  EXPECT_EQ(Flags(bits), "");

  // Highest standard leaf 0: the vendor text only.
  vx::CpuRecord vendorOnly = Probe({{0, {0, 0x756E6547, 0x6C65746E, 0x49656E69}}, {1, {0x673, 0, 0, 0xFFFFFFFF}}});
  EXPECT_STREQ(vendorOnly.vendorId, "GenuineIntel");
  EXPECT_EQ(vendorOnly.familyId, 0u);
  EXPECT_EQ(vendorOnly.serial[0], 0u);

  // Highest extended leaf 0x80000001: the extended flags but no brand text.
  vx::CpuRecord ext1 = Probe({{0, kIntelLeaf0}, {1, {0x58C, 0, 0, 0}}, {0x80000000u, {0x80000001u, 0, 0, 0}},
                              {0x80000001u, {0, 0, 0, 0xC0400020u}}, {0x80000002u, {0x41414141, 0, 0, 0}}});
  EXPECT_EQ(Flags(ext1), "K86MSR K86MTRR MMX+ 3DNow! 3DNow!+");
  EXPECT_STREQ(ext1.brandString, "");

  // Below 0x80000001: all five extended flags stay 0, even K86MTRR's signature rule.
  vx::CpuRecord noExt = Probe({{0, kIntelLeaf0}, {1, {0x58C, 0, 0, 0}}, {0x80000000u, {0x80000000u, 0, 0, 0}},
                               {0x80000001u, {0, 0, 0, 0xFFFFFFFFu}}});
  EXPECT_EQ(Flags(noExt), "");

  // The serial words come from leaves 1 and 3 even without the PN flag; the brand text keeps its blanks.
  vx::CpuRecord serial = Probe({{0, kIntelLeaf0}, {1, {0x686, 0, 0, 0}}, {3, {0, 0, 0x11112222, 0x33334444}},
                                {0x80000000u, {0x80000004u, 0, 0, 0}}, {0x80000002u, {0x20202020, 0x49202020, 0x6C65746E, 0x20202020}}});
  EXPECT_EQ(serial.flags[vx::kFlagPn], 0);
  EXPECT_EQ(serial.serial[0], 0x686u);
  EXPECT_EQ(serial.serial[1], 0x33334444u);
  EXPECT_EQ(serial.serial[2], 0x11112222u);
  EXPECT_STREQ(serial.brandString, "       Intel    ");
}

TEST(CpuidDump, MalformedLinesNameFileAndLine) {
  struct Case {
    const char* text;
    const char* error;  // empty: parses
  } cases[] = {
      {"# comment\n\ncpuid 00000000: 00000001-756e6547-6c65746e-49656e69\n", "t.txt:3: expected"},
      {"CPUID 00000000: 00000001-756e6547-6c65746e-49656e69\r\n  \r\n", ""},
      {"CPUID 0000000: 00000001-756E6547-6C65746E-49656E69\n", "t.txt:1: malformed"},
      {"CPUID 00000000: 00000001-756E6547-6C65746E\n", "t.txt:1: malformed"},
      {"CPUID 00000000: 00000001-756E6547-6C65746E-49656E6G\n", "t.txt:1: malformed"},
      {"CPUID 00000000: 00000001-756E6547-6C65746E-49656E69 trailing\n", "t.txt:1: malformed"},
      {"", "t.txt: no CPUID lines"},
      {"CPUID none\nCPUID 00000000: 00000001-756E6547-6C65746E-49656E69\n", "t.txt: \"CPUID none\" together"},
      {"CPUID 00000001: 00000673-0-0-0\n", "t.txt:1: malformed"},
      {"CPUID 00000000: 00000001-756E6547-6C65746E-49656E69\nCPUID 00000000: 00000002-756E6547-6C65746E-49656E69\n",
       "t.txt:2: leaf 00000000 is recorded twice"},
      {"\xEF\xBB\xBF" "CPUID 00000000: 00000001-756E6547-6C65746E-49656E69\n", "t.txt:1: the file starts with a UTF-8 byte-order mark"},
      {"\xFF\xFE" "C", "t.txt:1: the file is UTF-16 text"},
      {"\xFE\xFF" "C", "t.txt:1: the file is UTF-16 text"},  // big-endian
  };
  for (const Case& c : cases) {
    vx::RecordedCpu cpu;
    char error[256] = "";
    bool ok = vx::ParseCpuidDump(c.text, strlen(c.text), "t.txt", &cpu, error, sizeof error);
    if (c.error[0] == 0) {
      EXPECT_TRUE(ok) << c.text << error;
    } else {
      EXPECT_FALSE(ok) << c.text;
      EXPECT_EQ(std::string(error).rfind(c.error, 0), 0u) << error;
    }
  }
}

// A processor that claims every leaf up to a given highest one; each leaf answers its own number.
class ClaimingCpu final : public vx::CpuidSource {
 public:
  ClaimingCpu(uint32_t highest, uint32_t highestExtended) : highest_(highest), highestExtended_(highestExtended) {}
  bool HasCpuid() override { return true; }
  vx::CpuidRegs Query(uint32_t leaf) override {
    if (leaf == 0) return {highest_, 0, 0, 0};
    if (leaf == 0x80000000u) return {highestExtended_, 0, 0, 0};
    return {leaf, 0, 0, 0};
  }

 private:
  uint32_t highest_, highestExtended_;
};

// The recording writer takes at most 64 leaves of each range, however many the processor claims, and no
// extended leaves when the extended range's answer is not one.
TEST(CpuidDump, WriterTakesAtMost64LeavesOfEachRange) {
  struct Case {
    uint32_t highest, highestExtended;
    const char* lastStandard;  // the last standard leaf written
    const char* lastExtended;  // the last extended leaf written
    size_t lines;
  };
  const Case cases[] = {
      {0x3E, 0x8000003E, "0000003E", "8000003E", 126},
      {0x3F, 0x8000003F, "0000003F", "8000003F", 128},
      {0x40, 0x80000040, "0000003F", "8000003F", 128},
      {0xFFFFFFFF, 0x8000FFFF, "0000003F", "8000003F", 128},
      // An extended answer outside 0x80000000-0x8000FFFF: the base leaf alone.
      {0x02, 0x80010000, "00000002", "80000000", 4},
      {0x02, 0x00000005, "00000002", "80000000", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.highest << " / " << c.highestExtended);
    ClaimingCpu cpu(c.highest, c.highestExtended);
    static char dump[16384];
    size_t n = vx::WriteCpuidDump(cpu, dump, sizeof dump);
    std::string text(dump, n);
    size_t lines = 0;
    for (char ch : text) lines += ch == '\n';
    EXPECT_EQ(lines, c.lines);
    EXPECT_NE(text.find(std::string("CPUID ") + c.lastStandard + ":"), std::string::npos);
    EXPECT_NE(text.find(std::string("CPUID ") + c.lastExtended + ":"), std::string::npos);
    EXPECT_EQ(text.find("CPUID 00000040:"), std::string::npos);
    EXPECT_EQ(text.find("CPUID 80000040:"), std::string::npos);
  }
}

// This machine's own processor through the instruction must probe without harm and agree with its own
// recording.
TEST(CpuidDump, InstructionAgreesWithItsRecording) {
  vx::InstructionCpuid instruction;
  static char dump[16384];
  size_t n = vx::WriteCpuidDump(instruction, dump, sizeof dump);
  ASSERT_GT(n, 0u);
  static vx::RecordedCpu recorded;
  char error[256] = "";
  ASSERT_TRUE(vx::ParseCpuidDump(dump, n, "self", &recorded, error, sizeof error)) << error;
  vx::CpuRecord live, replayed;
  vx::ProbeCpu(live, instruction);
  vx::ProbeCpu(replayed, recorded);
  EXPECT_EQ(memcmp(&live, &replayed, sizeof live), 0);
  EXPECT_EQ(live.hasCpuid, 1);
  EXPECT_EQ(strlen(live.vendorId), 12u);
}

}  // namespace
