#include <gtest/gtest.h>

#include <string>

#include "cpu/cpuid.h"
#include "report/pages.h"
#include "resources/control_ids.h"
#include "test_support.h"

namespace {

struct Filled {
  vx::PageModel page;
  vx::Report report;
};

void Fill(const char* file, Filled* out) {
  vx::RecordedCpu cpu;
  std::string error;
  ASSERT_TRUE(vxtest::LoadRecordedCpu(file, &cpu, &error)) << error;
  vx::ProgramState state;
  vx::PageContext context;
  context.cpuid = &cpu;
  context.state = &state;
  context.report = &out->report;
  out->page.Clear();
  vx::FillFeatureFlagPage(context, out->page);
}

// The Pentium III reports its processor number: six blank-padded groups of the signature and leaf 3.
TEST(FeatureFlagPage, PentiumIIIWithProcessorNumber) {
  static Filled f;
  Fill("intel-pentium3-katmai.txt", &f);
  EXPECT_EQ(std::string(f.report.section[vx::kFeatureFlagSection].c_str()),
            "===== F e a t u r e  F l a g  I n f o ============\r\n"
            "\r\n"
            "FPU  : Support    | MCA     : Support   \r\n"
            "VME  : Support    | CMOV    : Support   \r\n"
            "DE   : Support    | PAT     : Support   \r\n"
            "PSE  : Support    | PSE-36  : Support   \r\n"
            "TSC  : Support    | PN      : Support   \r\n"
            "MSR  : Support    | MMX     : Support   \r\n"
            "PAE  : Support    | FXSR    : Support   \r\n"
            "MCE  : Support    | XMM     : Support   \r\n"
            "CX8  : Support    | K86MSR  : No Support\r\n"
            "APIC : No Support | K86MTRR : No Support\r\n"
            "SEP  : Support    | MMX+    : No Support\r\n"
            "MTRR : Support    | 3DNow!  : No Support\r\n"
            "PGE  : Support    | 3DNow!+ : No Support\r\n"
            "\r\n"
            "96bit Processor Number :\r\n"
            "   0- 673-   1-A4F0-2B9C-4E01\r\n"
            "\r\n");
  EXPECT_STREQ(f.page.GetText(IDC_FLAG_PROCESSOR_NUMBER), "   0- 673-   1-A4F0-2B9C-4E01");
  EXPECT_STREQ(f.page.GetText(IDC_FLAG_APIC), "No Support");
  EXPECT_STREQ(f.page.GetText(IDC_FLAG_XMM), "Support");
  EXPECT_STREQ(f.page.GetText(IDC_FLAG_MMX), "Support");
}

// Without the PN flag no number line is written and the number's control stays empty.
TEST(FeatureFlagPage, PentiumMmxWithoutProcessorNumber) {
  static Filled f;
  Fill("intel-pentium-mmx.txt", &f);
  EXPECT_EQ(std::string(f.report.section[vx::kFeatureFlagSection].c_str()),
            "===== F e a t u r e  F l a g  I n f o ============\r\n"
            "\r\n"
            "FPU  : Support    | MCA     : No Support\r\n"
            "VME  : Support    | CMOV    : No Support\r\n"
            "DE   : Support    | PAT     : No Support\r\n"
            "PSE  : Support    | PSE-36  : No Support\r\n"
            "TSC  : Support    | PN      : No Support\r\n"
            "MSR  : Support    | MMX     : Support   \r\n"
            "PAE  : No Support | FXSR    : No Support\r\n"
            "MCE  : Support    | XMM     : No Support\r\n"
            "CX8  : Support    | K86MSR  : No Support\r\n"
            "APIC : No Support | K86MTRR : No Support\r\n"
            "SEP  : No Support | MMX+    : No Support\r\n"
            "MTRR : No Support | 3DNow!  : No Support\r\n"
            "PGE  : No Support | 3DNow!+ : No Support\r\n"
            "\r\n"
            "96bit Processor Number :\r\n"
            "\r\n");
  EXPECT_FALSE(f.page.HasText(IDC_FLAG_PROCESSOR_NUMBER));
  // The 26 value controls are set, and nothing else.
  EXPECT_EQ(f.page.count, 26);
  EXPECT_STREQ(f.page.GetText(IDC_FLAG_FPU), "Support");
  EXPECT_STREQ(f.page.GetText(IDC_FLAG_3DNOW_EXT), "No Support");
}

}  // namespace
