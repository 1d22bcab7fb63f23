#include "report/report.h"

#include <gtest/gtest.h>

#include <string>

#include "report/page_writer.h"
#include "resources/control_ids.h"
#include "vexilor_version.h"

namespace {

TEST(Report, HeadersAreFiftyCharactersAndCrLf) {
  for (int i = 0; i < vx::kSectionCount; ++i) {
    std::string h = vx::kSectionHeaders[i];
    EXPECT_EQ(h.size(), 52u) << h;
    EXPECT_EQ(h.substr(50), "\r\n") << h;
  }
}

TEST(Report, JoinPutsBannerThenSectionsInTabOrder) {
  static vx::Report report;
  report = vx::Report();
  vx::BeginSection(report, vx::kCacheSection);
  vx::AppendToSection(report, vx::kCacheSection, "cache line\r\n");
  vx::BeginSection(report, vx::kCpuSection);
  vx::BeginSection(report, vx::kVgaSection);
  vx::BeginSection(report, vx::kChipsetSection);
  vx::BeginSection(report, vx::kFeatureFlagSection);
  vx::JoinReport(report);
  EXPECT_EQ(std::string(report.joined.c_str()),
            "[Vexilor Ver." VX_VERSION "]\r\n\r\n"
            "===== C P U  I n f o =============================\r\n"
            "===== F e a t u r e  F l a g  I n f o ============\r\n"
            "===== C a C h e  I n f o =========================\r\n"
            "cache line\r\n"
            "===== C h i p s e t  I n f o =====================\r\n"
            "===== V G A  I n f o =============================\r\n");
}

// A section that is fed more than 2048 bytes keeps 2047 and its zero; the join keeps 8191 and its zero,
// and the other sections and the buffers beside them are untouched.
TEST(Report, CapacitiesHoldUnderOverlongInput) {
  static vx::Report report;
  report = vx::Report();
  std::string line(100, 'x');
  line += "\r\n";
  for (int s = 0; s < vx::kSectionCount; ++s) {
    vx::BeginSection(report, static_cast<vx::ReportSection>(s));
    for (int i = 0; i < 30; ++i) vx::AppendToSection(report, static_cast<vx::ReportSection>(s), line.c_str());
    EXPECT_EQ(report.section[s].Length(), vx::kSectionCapacity - 1);
    EXPECT_EQ(report.section[s].s[vx::kSectionCapacity - 1], 0);
  }
  vx::JoinReport(report);
  EXPECT_EQ(report.joined.Length(), vx::kReportCapacity - 1);
  std::string joined = report.joined.c_str();
  EXPECT_EQ(joined.rfind("[Vexilor Ver." VX_VERSION "]\r\n\r\n", 0), 0u);
  EXPECT_EQ(joined.find(vx::kSectionHeaders[vx::kCpuSection]), 22u);
  // The first three sections fit whole; the fourth is cut, the fifth left out.
  EXPECT_EQ(joined.find(vx::kSectionHeaders[vx::kChipsetSection]), 22u + 3 * 2047u);
  EXPECT_EQ(joined.find(vx::kSectionHeaders[vx::kVgaSection]), std::string::npos);
}

// A field sets its control to the value and appends the padded label, the value and CR LF; a value too long
// for the line is cut on the control's own capacity (256) and in the line, which still ends with CR LF.
TEST(PageWriter, FieldSetsTheControlAndAppendsItsLine) {
  static vx::Report report;
  static vx::PageModel page;
  report = vx::Report();
  page.Clear();
  vx::PageWriter w(report, vx::kVgaSection, page, 10);
  w.Field(IDC_VGA_NAME, "VGA Name", "Matrox Millennium G400");
  w.Field(IDC_VGA_VENDOR_ID, "Vendor ID", "102B");
  w.Line("\r\n");
  const std::string longValue(300, 'v');
  w.Field(IDC_VGA_REVISION_ID, "Revision", longValue.c_str());
  EXPECT_STREQ(page.GetText(IDC_VGA_NAME), "Matrox Millennium G400");
  EXPECT_STREQ(page.GetText(IDC_VGA_VENDOR_ID), "102B");
  EXPECT_EQ(std::string(page.GetText(IDC_VGA_REVISION_ID)), longValue.substr(0, 256));
  const std::string longLine = "Revision  : " + std::string(256 - 2 - 12, 'v') + "\r\n";
  EXPECT_EQ(std::string(report.section[vx::kVgaSection].c_str()),
            "VGA Name  : Matrox Millennium G400\r\nVendor ID : 102B\r\n\r\n" + longLine);

  // A section writer with a shorter line limit and a label as wide as its width.
  report = vx::Report();
  vx::SectionWriter s(report, vx::kChipsetSection, 4, 10);
  s.Field("Name", "abcdefghij");
  s.Field("N", "ab");
  EXPECT_EQ(std::string(report.section[vx::kChipsetSection].c_str()), "Name: ab\r\nN   : ab\r\n");
  EXPECT_STREQ(vx::SupportText(1), "Support");
  EXPECT_STREQ(vx::SupportText(0), "No Support");
  EXPECT_STREQ(vx::SupportText(2), "No Support");
}

}  // namespace
