#include <gtest/gtest.h>

#include <map>
#include <string>

#include "cpu/clock.h"
#include "cpu/cpuid.h"
#include "report/pages.h"
#include "resources/control_ids.h"
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
  const std::map<int, std::string> controls = {{IDC_CPU_NAME, "Intel Pentium III(Coppermine)"},
                                               {IDC_CPU_VENDOR_ID, "GenuineIntel"},
                                               {IDC_CPU_TYPE_ID, "0"},
                                               {IDC_CPU_FAMILY_ID, "6"},
                                               {IDC_CPU_MODEL_ID, "8"},
                                               {IDC_CPU_STEPPING_ID, "6"},
                                               {IDC_CPU_BRAND_ID, "2"},
                                               {IDC_CPU_PLATFORM, "Slot1/FC-PGA370"},
                                               {IDC_CPU_BRAND_STRING, ""},
                                               {IDC_CPU_L1_INST, "16KB"},
                                               {IDC_CPU_L1_DATA, "16KB"},
                                               {IDC_CPU_L2, "256KB"},
                                               {IDC_CPU_CLOCK, "733.00MHz"},
                                               {IDC_CPU_MMX, "Support"},
                                               {IDC_CPU_SSE, "Support"},
                                               {IDC_CPU_MMX_EXT, "No Support"},
                                               {IDC_CPU_3DNOW, "No Support"},
                                               {IDC_CPU_3DNOW_EXT, "No Support"}};
  for (const auto& c : controls) {
    EXPECT_TRUE(f.page.HasText(c.first)) << c.first;
    EXPECT_EQ(f.page.GetText(c.first), c.second) << c.first;
  }
  EXPECT_FALSE(f.page.HasText(IDC_CPU_L2_LATENCY));      // L2 Latency is never set
  EXPECT_FALSE(f.page.HasText(IDC_CPU_BRAND_ID_LABEL));  // labels are only enabled
  EXPECT_TRUE(f.page.IsEnabled(IDC_CPU_BRAND_ID_LABEL));
  EXPECT_TRUE(f.page.IsEnabled(IDC_CPU_BRAND_ID));
  EXPECT_FALSE(f.page.IsEnabled(IDC_CPU_BRAND_STRING_LABEL));
  EXPECT_FALSE(f.page.IsEnabled(IDC_CPU_BRAND_STRING));
}

// The Athlon: brand string controls enabled, brand ID controls not; the AMD extensions. (Its whole section
// is in the golden reports.)
TEST(CpuPage, AthlonWithBrandString) {
  static Filled f;
  vx::SimulatedClock clock(900000);
  FillRecorded(vx::FillCpuPage, vx::kCpuSection, "amd-athlon-thunderbird.txt", &clock, &f);
  EXPECT_STREQ(f.page.GetText(IDC_CPU_NAME), "AMD Athlon(ThunderBird)");
  EXPECT_STREQ(f.page.GetText(IDC_CPU_MMX_EXT), "Support");
  EXPECT_STREQ(f.page.GetText(IDC_CPU_3DNOW_EXT), "Support");
  EXPECT_STREQ(f.page.GetText(IDC_CPU_SSE), "No Support");
  EXPECT_FALSE(f.page.IsEnabled(IDC_CPU_BRAND_ID_LABEL));
  EXPECT_FALSE(f.page.IsEnabled(IDC_CPU_BRAND_ID));
  EXPECT_TRUE(f.page.IsEnabled(IDC_CPU_BRAND_STRING_LABEL));
  EXPECT_TRUE(f.page.IsEnabled(IDC_CPU_BRAND_STRING));
  EXPECT_STREQ(f.page.GetText(IDC_CPU_BRAND_STRING), "AMD Athlon(tm) Processor");
}

// Any brand ID but 0 brings the brand ID controls alive; 1 is a Celeron (a Coppermine-128 here).
TEST(CpuPage, BrandIdOneIsShown) {
  vx::RecordedCpu cpu;
  cpu.Set(0, {2, 0x756E6547, 0x6C65746E, 0x49656E69});
  cpu.Set(1, {0x683, 0x00000001, 0, 0});
  static Filled f;
  Fill(vx::FillCpuPage, vx::kCpuSection, cpu, nullptr, &f);
  EXPECT_STREQ(f.page.GetText(IDC_CPU_BRAND_ID), "1");
  EXPECT_TRUE(f.page.IsEnabled(IDC_CPU_BRAND_ID_LABEL));
  EXPECT_TRUE(f.page.IsEnabled(IDC_CPU_BRAND_ID));
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
    EXPECT_STREQ(f.page.GetText(IDC_CPU_CLOCK), c.shown) << c.file;
    EXPECT_NE(f.section.find(std::string(" CPU Clock       : ") + c.shown + "\r\n"), std::string::npos) << c.file;
    EXPECT_EQ(clock.counterReads, std::string(c.shown) == "unknown" ? 0 : 2) << c.file;
  }
}

// A processor without CPUID: empty texts, zeros, "unknown" name and platform, nothing enabled. (Its whole
// section is in the golden reports.)
TEST(CpuPage, NoCpuid) {
  static Filled f;
  FillRecorded(vx::FillCpuPage, vx::kCpuSection, "intel-486dx2-nocpuid.txt", nullptr, &f);
  EXPECT_STREQ(f.page.GetText(IDC_CPU_NAME), "unknown");
  EXPECT_STREQ(f.page.GetText(IDC_CPU_VENDOR_ID), "");
  EXPECT_STREQ(f.page.GetText(IDC_CPU_PLATFORM), "unknown");
  EXPECT_STREQ(f.page.GetText(IDC_CPU_L2), "0KB");
  for (int id : {IDC_CPU_BRAND_ID_LABEL, IDC_CPU_BRAND_ID, IDC_CPU_BRAND_STRING_LABEL, IDC_CPU_BRAND_STRING})
    EXPECT_FALSE(f.page.IsEnabled(id)) << id;
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
  EXPECT_STREQ(f.page.GetText(IDC_CPU_VENDOR_ID), "Au??enticAM?");
  EXPECT_STREQ(f.page.GetText(IDC_CPU_BRAND_STRING), "AB???");
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
    EXPECT_STREQ(f.page.GetText(IDC_CPU_L2), c.l2);
    EXPECT_STREQ(f.page.GetText(IDC_CPU_FAMILY_ID), c.family);
    EXPECT_STREQ(f.page.GetText(IDC_CPU_TYPE_ID), c.type);
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
      {IDC_L1_ICACHE_SIZE, "16KB"},   {IDC_L1_ICACHE_ASSOC, "4-way"}, {IDC_L1_ICACHE_LINE, "32 byte"},
      {IDC_L1_TLB_PAGE_SIZE_1, "4M"}, {IDC_L1_ITLB_ASSOC_1, "fully"}, {IDC_L1_ITLB_ENTRIES_1, "2"},
      {IDC_L1_TLB_PAGE_SIZE_2, "4K"}, {IDC_L1_ITLB_ASSOC_2, "4-way"}, {IDC_L1_ITLB_ENTRIES_2, "32"},
      {IDC_L1_DCACHE_SIZE, "16KB"},   {IDC_L1_DCACHE_ASSOC, "4-way"}, {IDC_L1_DCACHE_LINE, "32 byte"},
      {IDC_L1_DTLB_ASSOC_1, "4-way"}, {IDC_L1_DTLB_ENTRIES_1, "8"},   {IDC_L1_DTLB_ASSOC_2, "4-way"},
      {IDC_L1_DTLB_ENTRIES_2, "64"},  {IDC_L2_CACHE_SIZE, "512KB"},   {IDC_L2_CACHE_ASSOC, "4-way"},
      {IDC_L2_CACHE_LINE, "32 byte"}};
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
  EXPECT_STREQ(f.page.GetText(IDC_L1_TLB_PAGE_SIZE_1), "2M/4M");  // the data block's large-page TLB
  EXPECT_STREQ(f.page.GetText(IDC_L1_TLB_PAGE_SIZE_2), "4K");
  EXPECT_STREQ(f.page.GetText(IDC_L2_TLB_PAGE_SIZE_1), "4K");
  EXPECT_STREQ(f.page.GetText(IDC_L2_UTLB_ASSOC_1), "4-way");
  EXPECT_STREQ(f.page.GetText(IDC_L2_UTLB_ENTRIES_1), "256");
  EXPECT_STREQ(f.page.GetText(IDC_L2_CACHE_SIZE), "256KB");
  EXPECT_STREQ(f.page.GetText(IDC_L2_CACHE_LINE), "64 byte");
  for (int id :
       {IDC_L2_TLB_PAGE_SIZE_2, IDC_L2_UTLB_ASSOC_2, IDC_L2_UTLB_ENTRIES_2, IDC_L2_DTLB_ASSOC_1, IDC_L2_DTLB_ASSOC_2,
        IDC_L2_DTLB_ENTRIES_2, IDC_L2_DTLB_ENTRIES_1, IDC_L2_DCACHE_ASSOC, IDC_L2_DCACHE_LINE, IDC_L2_DCACHE_SIZE})
    EXPECT_FALSE(f.page.HasText(id)) << id;
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
  EXPECT_STREQ(f.page.GetText(IDC_L1_TLB_PAGE_SIZE_1), "4K");
  EXPECT_STREQ(f.page.GetText(IDC_L1_ITLB_ASSOC_1), "4-way");
  EXPECT_STREQ(f.page.GetText(IDC_L1_ITLB_ENTRIES_1), "32");
  EXPECT_STREQ(f.page.GetText(IDC_L1_ICACHE_SIZE), "16KB");
  EXPECT_STREQ(f.page.GetText(IDC_L2_CACHE_SIZE), "128KB");
  for (int id : {IDC_L1_TLB_PAGE_SIZE_2, IDC_L1_ITLB_ASSOC_2, IDC_L1_ITLB_ENTRIES_2, IDC_L1_DTLB_ASSOC_1,
                 IDC_L1_DTLB_ENTRIES_1, IDC_L1_DCACHE_ASSOC, IDC_L1_DCACHE_LINE, IDC_L1_DCACHE_SIZE})
    EXPECT_FALSE(f.page.HasText(id)) << id;
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
