#include "report/report.h"

#include "vexilor_version.h"

namespace vx {

const char kReportBanner[] = "[Vexilor Ver." VX_VERSION "]\r\n\r\n";

const char* const kSectionHeaders[kSectionCount] = {
    "===== C P U  I n f o =============================\r\n",
    "===== F e a t u r e  F l a g  I n f o ============\r\n",
    "===== C a C h e  I n f o =========================\r\n",
    "===== C h i p s e t  I n f o =====================\r\n",
    "===== V G A  I n f o =============================\r\n",
};

void BeginSection(Report& report, ReportSection which) {
  report.section[which].Set("");
  report.section[which].Append(kSectionHeaders[which]);
}

void AppendToSection(Report& report, ReportSection which, const char* text) {
  report.section[which].Append(text);
}

void JoinReport(Report& report) {
  report.joined.Set("");
  report.joined.Append(kReportBanner);
  for (int i = 0; i < kSectionCount; ++i) report.joined.Append(report.section[i].c_str());
}

}  // namespace vx
