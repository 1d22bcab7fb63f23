// The F.Flag page (IDD_FEATURE_FLAG_PAGE): 26 feature flags as "Support"/"No Support" and the 96-bit processor
// number when the processor reports one.
#include "cpu/cpu_record.h"
#include "report/page_writer.h"
#include "report/pages.h"
#include "resources/control_ids.h"

namespace vx {

namespace {

// Two columns: row i shows flag i on the left and flag i + kRows on the right.
constexpr int kRows = kFeatureFlagCount / 2;
static_assert(kFeatureFlagCount == 2 * kRows, "the two columns are equally long");

}  // namespace

void FillFeatureFlagPage(PageContext& context, PageModel& page) {
  CpuRecord record;
  ProbeCpu(record, *context.cpuid);
  Report& report = *context.report;
  Text<80> line;

  BeginSection(report, kFeatureFlagSection);
  AppendToSection(report, kFeatureFlagSection, "\r\n");
  for (int i = 0; i < kRows; ++i) {
    const FeatureFlagDef& left = kFeatureFlags[i];
    const FeatureFlagDef& right = kFeatureFlags[kRows + i];
    line.Format("%-4s : %-10s | %-7s : %-10s\r\n", left.label, SupportText(record.flags[i]), right.label,
                SupportText(record.flags[kRows + i]));
    AppendToSection(report, kFeatureFlagSection, line.c_str());
  }
  // The controls: the left column top to bottom, then the right column.
  for (int i = 0; i < kFeatureFlagCount; ++i) page.SetText(kFeatureFlags[i].controlId, SupportText(record.flags[i]));

  AppendToSection(report, kFeatureFlagSection, "\r\n");
  AppendToSection(report, kFeatureFlagSection, "96bit Processor Number :\r\n");
  if (record.flags[kFlagPn] == 1) {
    const uint32_t* s = record.serial;
    line.Format("%4X-%4X-%4X-%4X-%4X-%4X", static_cast<unsigned>(s[0] >> 16), static_cast<unsigned>(s[0] & 0xFFFF),
                static_cast<unsigned>(s[1] >> 16), static_cast<unsigned>(s[1] & 0xFFFF),
                static_cast<unsigned>(s[2] >> 16), static_cast<unsigned>(s[2] & 0xFFFF));
    page.SetText(IDC_FLAG_PROCESSOR_NUMBER, line.c_str());
    AppendToSection(report, kFeatureFlagSection, line.c_str());
    AppendToSection(report, kFeatureFlagSection, "\r\n");
  }
  AppendToSection(report, kFeatureFlagSection, "\r\n");
}

}  // namespace vx
