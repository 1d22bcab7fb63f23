#include <gtest/gtest.h>

#include <map>
#include <string>

#include "cpu/clock.h"
#include "cpu/cpuid.h"
#include "report/pages.h"
#include "test_support.h"

namespace {

struct Filled {
  vx::PageModel page;
  vx::Report report;
  std::string section;
};

void Fill(vx::PageFill fill, vx::ReportSection which, vx::CpuidSource& cpu, vx::ClockSource* clock, Filled* out) {
  vx::ProgramState state;
  vx::PageContext context;
  context.cpuid = &cpu;
  context.clock = clock;
  context.state = &state;
  context.report = &out->report;
  out->page.Clear();
  fill(context, out->page);
  out->section = out->report.section[which].c_str();
}

void FillRecorded(vx::PageFill fill, vx::ReportSection which, const char* file, vx::ClockSource* clock,
                  Filled* out) {
  vx::RecordedCpu cpu;
  std::string error;
  ASSERT_TRUE(vxtest::LoadRecordedCpu(file, &cpu, &error)) << error;
  Fill(fill, which, cpu, clock, out);
}

// The CPU section of a Coppermine with a brand ID: every line, and the brand ID controls enabled while
// the brand string controls stay disabled.
TEST(CpuPage, PentiumIIICoppermineWithBrandId) {
  static Filled f;
  vx::SimulatedClock clock(733000);
  FillRecorded(vx::FillCpuPage, vx::kCpuSection, "intel-pentium3-coppermine.txt", &clock, &f);
  EXPECT_EQ(f.section,
            "===== C P U  I n f o =============================\r\n"
            "CPU              : Intel Pentium III(Coppermine)\r\n"
            "\r\n"
            "CPUID\r\n"
            " Vendor ID       : GenuineIntel\r\n"
            " Type ID         : 0\r\n"
            " Family ID       : 6\r\n"
            " Model ID        : 8\r\n"
            " Stepping ID     : 6\r\n"
            " Brand ID        : 2\r\n"
            " Platform        : Slot1/FC-PGA370\r\n"
            " CPUName         : \r\n"
            "Cache\r\n"
            " L1-Inst         : 16KB\r\n"
            " L1-Data         : 16KB\r\n"
            " L2-Unified      : 256KB\r\n"
            "Clock Freaquency\r\n"
            " CPU Clock       : 733.00MHz\r\n"
            "Extended Code\r\n"
            " MMX Tech        : Support\r\n"
            " SSE(SIMD) Tech  : Support\r\n"
            " MMX Ext Tech    : No Support\r\n"
            " 3DNow! Tech     : No Support\r\n"
            " 3DNow! Ext Tech : No Support\r\n"
            "\r\n");
  const std::map<int, std::string> controls = {
      {1018, "Intel Pentium III(Coppermine)"}, {1025, "GenuineIntel"}, {1024, "0"}, {1021, "6"}, {1022, "8"},
      {1023, "6"}, {1035, "2"}, {1009, "Slot1/FC-PGA370"}, {1020, ""}, {1027, "16KB"}, {1026, "16KB"},
      {1028, "256KB"}, {1029, "733.00MHz"}, {1030, "Support"}, {1031, "Support"}, {1052, "No Support"},
      {1032, "No Support"}, {1033, "No Support"}};
  for (const auto& c : controls) {
    EXPECT_TRUE(f.page.HasText(c.first)) << c.first;
    EXPECT_EQ(f.page.GetText(c.first), c.second) << c.first;
  }
  EXPECT_FALSE(f.page.HasText(1034));  // L2 Latency is never set
  EXPECT_FALSE(f.page.HasText(1069));  // labels are only enabled
  EXPECT_TRUE(f.page.IsEnabled(1069));
  EXPECT_TRUE(f.page.IsEnabled(1035));
  EXPECT_FALSE(f.page.IsEnabled(1115));
  EXPECT_FALSE(f.page.IsEnabled(1020));
}

// The Athlon: brand string controls enabled, brand ID controls not; the AMD extensions. (Its whole section
// is in the golden reports.)
TEST(CpuPage, AthlonWithBrandString) {
  static Filled f;
  vx::SimulatedClock clock(900000);
  FillRecorded(vx::FillCpuPage, vx::kCpuSection, "amd-athlon-thunderbird.txt", &clock, &f);
  EXPECT_STREQ(f.page.GetText(1018), "AMD Athlon(ThunderBird)");
  EXPECT_STREQ(f.page.GetText(1052), "Support");
  EXPECT_STREQ(f.page.GetText(1033), "Support");
  EXPECT_STREQ(f.page.GetText(1031), "No Support");
  EXPECT_FALSE(f.page.IsEnabled(1069));
  EXPECT_FALSE(f.page.IsEnabled(1035));
  EXPECT_TRUE(f.page.IsEnabled(1115));
  EXPECT_TRUE(f.page.IsEnabled(1020));
  EXPECT_STREQ(f.page.GetText(1020), "AMD Athlon(tm) Processor");
}

// No clock is measured without CPUID, without a time-stamp counter, or without a clock to measure with;
// the clock then reads "unknown" and the clock is not touched.
TEST(CpuPage, ClockOnlyWithCpuidAndTsc) {
  const struct {
    const char* file;
    bool withClock;
    const char* shown;
  } cases[] = {
      {"intel-486dx2-nocpuid.txt", true, "unknown"},
      {"intel-486dx4.txt", true, "unknown"},  // CPUID, but no time-stamp counter
      {"intel-pentium-mmx.txt", false, "unknown"},
      {"intel-pentium-mmx.txt", true, "166.00MHz"},
  };
  for (const auto& c : cases) {
    static Filled f;
    vx::SimulatedClock clock(166000);
    FillRecorded(vx::FillCpuPage, vx::kCpuSection, c.file, c.withClock ? &clock : nullptr, &f);
    EXPECT_STREQ(f.page.GetText(1029), c.shown) << c.file;
    EXPECT_NE(f.section.find(std::string(" CPU Clock       : ") + c.shown + "\r\n"), std::string::npos) << c.file;
    EXPECT_EQ(clock.counterReads, std::string(c.shown) == "unknown" ? 0 : 2) << c.file;
  }
}

// A processor without CPUID: empty texts, zeros, "unknown" name and platform, nothing enabled. (Its whole
// section is in the golden reports.)
TEST(CpuPage, NoCpuid) {
  static Filled f;
  FillRecorded(vx::FillCpuPage, vx::kCpuSection, "intel-486dx2-nocpuid.txt", nullptr, &f);
  EXPECT_STREQ(f.page.GetText(1018), "unknown");
  EXPECT_STREQ(f.page.GetText(1025), "");
  EXPECT_STREQ(f.page.GetText(1009), "unknown");
  EXPECT_STREQ(f.page.GetText(1028), "0KB");
  for (int id : {1069, 1035, 1115, 1020}) EXPECT_FALSE(f.page.IsEnabled(id)) << id;
}

// Control characters from the processor's vendor or brand text show as '?', so the report keeps its lines.
TEST(CpuPage, ControlCharactersInProcessorTexts) {
  vx::RecordedCpu cpu;
  cpu.Set(0, {1, 0x0A0D7541, 0x7F4D4163, 0x69746E65});  // "Au\r\nenti" "cAM\x7F"
  cpu.Set(1, {0x612, 0, 0, 0});
  cpu.Set(0x80000000, {0x80000004, 0, 0, 0});
  cpu.Set(0x80000002, {0x0A0D4241, 0x00000009, 0, 0});  // "AB\r\n\t"
  static Filled f;
  Fill(vx::FillCpuPage, vx::kCpuSection, cpu, nullptr, &f);
  EXPECT_STREQ(f.page.GetText(1025), "Au??enticAM?");
  EXPECT_STREQ(f.page.GetText(1020), "AB???");
  EXPECT_NE(f.section.find(" Vendor ID       : Au??enticAM?\r\n"), std::string::npos);
  EXPECT_NE(f.section.find(" CPUName         : AB???\r\n"), std::string::npos);
}

// The L2 size in KB below 1 MB, in whole MB from there on; hexadecimal signature fields.
TEST(CpuPage, SizeAndSignatureFormats) {
  const struct {
    uint32_t eax, edx;  // leaf 2
    uint32_t signature;
    const char* l2;
    const char* family;
    const char* type;
  } cases[] = {
      {0x00000001, 0x43, 0x1673, "512KB", "6", "1"},
      {0x00000001, 0x44, 0x2F12, "1MB", "F", "2"},
      {0x00000001, 0x45, 0x0B12, "2MB", "B", "0"},
      {0x00000001, 0x4A, 0x0612, "64MB", "6", "0"},
  };
  for (const auto& c : cases) {
    vx::RecordedCpu cpu;
    cpu.Set(0, {2, 0x756E6547, 0x6C65746E, 0x49656E69});
    cpu.Set(1, {c.signature, 0, 0, 0});
    cpu.Set(2, {c.eax, 0, 0, c.edx});
    static Filled f;
    Fill(vx::FillCpuPage, vx::kCpuSection, cpu, nullptr, &f);
    EXPECT_STREQ(f.page.GetText(1028), c.l2);
    EXPECT_STREQ(f.page.GetText(1021), c.family);
    EXPECT_STREQ(f.page.GetText(1024), c.type);
  }
}

// The Cache section of the Pentium III: both L1 blocks with two TLBs each and the L2 without TLBs; the
// data block overwrites the shared page-size column.
TEST(CachePage, PentiumIIIKatmai) {
  static Filled f;
  FillRecorded(vx::FillCachePage, vx::kCacheSection, "intel-pentium3-katmai.txt", nullptr, &f);
  EXPECT_EQ(f.section,
            "===== C a C h e  I n f o =========================\r\n"
            "\r\n"
            "L1 Instruction TLB :\r\n"
            "4M pages, fully set associative, 2 entries\r\n"
            "4K pages, 4-way set associative, 32 entries\r\n"
            "\r\n"
            "L1 Instruction Cache :\r\n"
            "16KB, 4-way set associative, 32 byte line size\r\n"
            "\r\n"
            "L1 Data TLB :\r\n"
            "4M pages, 4-way set associative, 8 entries\r\n"
            "4K pages, 4-way set associative, 64 entries\r\n"
            "\r\n"
            "L1 Data Cache :\r\n"
            "16KB, 4-way set associative, 32 byte line size\r\n"
            "\r\n"
            "L2 Unified / Instruction TLB :\r\n"
            "\r\n"
            "L2 Unified / Instruction Cache :\r\n"
            "512KB, 4-way set associative, 32 byte cache line\r\n"
            "\r\n");
  const std::map<int, std::string> controls = {
      {1153, "16KB"}, {1151, "4-way"}, {1152, "32 byte"}, {1101, "4M"},   {1111, "fully"}, {1121, "2"},
      {1102, "4K"},   {1112, "4-way"}, {1122, "32"},      {1163, "16KB"}, {1161, "4-way"}, {1162, "32 byte"},
      {1131, "4-way"}, {1141, "8"},    {1132, "4-way"},   {1142, "64"},   {1253, "512KB"}, {1251, "4-way"},
      {1252, "32 byte"}};
  for (const auto& c : controls) EXPECT_EQ(f.page.GetText(c.first), c.second) << c.first;
  EXPECT_EQ(f.page.count, static_cast<int>(controls.size()));
}

// The Athlon: 2M/4M TLBs in row 1, 4K in row 2, the L2 TLB for 4K pages in row 1 of the second level,
// the data TLBs of the second level never shown.
TEST(CachePage, AthlonSecondLevelTlbs) {
  static Filled f;
  FillRecorded(vx::FillCachePage, vx::kCacheSection, "amd-athlon-thunderbird.txt", nullptr, &f);
  EXPECT_NE(f.section.find("L2 Unified / Instruction TLB :\r\n4K pages, 4-way set associative, 256 entries\r\n\r\n"),
            std::string::npos);
  EXPECT_STREQ(f.page.GetText(1101), "2M/4M");  // the data block's large-page TLB
  EXPECT_STREQ(f.page.GetText(1102), "4K");
  EXPECT_STREQ(f.page.GetText(1201), "4K");
  EXPECT_STREQ(f.page.GetText(1211), "4-way");
  EXPECT_STREQ(f.page.GetText(1221), "256");
  EXPECT_STREQ(f.page.GetText(1253), "256KB");
  EXPECT_STREQ(f.page.GetText(1252), "64 byte");
  for (int id : {1202, 1212, 1222, 1231, 1232, 1241, 1242, 1261, 1262, 1263}) EXPECT_FALSE(f.page.HasText(id)) << id;
}

// Placement rules on made-up descriptors: a lone 4K TLB takes row 1; the first cache of a block in
// entry order wins (kind 8 before 6, 0x41 before 0x82); TLBs without their block's cache are dropped;
// "unknown" entries never show.
TEST(CachePage, PlacementRules) {
  vx::RecordedCpu cpu;
  cpu.Set(0, {2, 0x756E6547, 0x6C65746E, 0x49656E69});
  cpu.Set(1, {0x652, 0, 0, 0});
  // Bytes: 01 08 06 | 03 04 05 07 | 41 82 0F 0E | 00 00 00 00
  cpu.Set(2, {0x06080101, 0x07050403, 0x0E0F8241, 0});
  static Filled f;
  Fill(vx::FillCachePage, vx::kCacheSection, cpu, nullptr, &f);
  EXPECT_EQ(f.section,
            "===== C a C h e  I n f o =========================\r\n"
            "\r\n"
            "L1 Instruction TLB :\r\n"
            "4K pages, 4-way set associative, 32 entries\r\n"
            "\r\n"
            "L1 Instruction Cache :\r\n"
            "16KB, 4-way set associative, 32 byte line size\r\n"
            "\r\n"
            "L2 Unified / Instruction TLB :\r\n"
            "\r\n"
            "L2 Unified / Instruction Cache :\r\n"
            "128KB, 4-way set associative, 32 byte cache line\r\n"
            "\r\n");
  EXPECT_STREQ(f.page.GetText(1101), "4K");
  EXPECT_STREQ(f.page.GetText(1111), "4-way");
  EXPECT_STREQ(f.page.GetText(1121), "32");
  EXPECT_STREQ(f.page.GetText(1153), "16KB");
  EXPECT_STREQ(f.page.GetText(1253), "128KB");
  for (int id : {1102, 1112, 1122, 1131, 1141, 1161, 1162, 1163}) EXPECT_FALSE(f.page.HasText(id)) << id;
}

// Nothing decoded: the header and one empty line, no control set.
TEST(CachePage, NothingDecoded) {
  for (const char* file : {"intel-486dx2-nocpuid.txt", "intel-pentium-mmx.txt", "cyrix-6x86mx.txt"}) {
    static Filled f;
    FillRecorded(vx::FillCachePage, vx::kCacheSection, file, nullptr, &f);
    EXPECT_EQ(f.section, "===== C a C h e  I n f o =========================\r\n\r\n") << file;
    EXPECT_EQ(f.page.count, 0) << file;
  }
}

}  // namespace
