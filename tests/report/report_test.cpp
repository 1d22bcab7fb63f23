#include <gtest/gtest.h>

#include <string>

#include "report/report.h"

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
            "[Vexilor Ver.0.66]\r\n\r\n"
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
  EXPECT_EQ(joined.rfind("[Vexilor Ver.0.66]\r\n\r\n", 0), 0u);
  EXPECT_EQ(joined.find(vx::kSectionHeaders[vx::kCpuSection]), 22u);
  // The first three sections fit whole; the fourth is cut, the fifth left out.
  EXPECT_EQ(joined.find(vx::kSectionHeaders[vx::kChipsetSection]), 22u + 3 * 2047u);
  EXPECT_EQ(joined.find(vx::kSectionHeaders[vx::kVgaSection]), std::string::npos);
}

}  // namespace
