// The report: five section texts, one per page, joined behind a banner into the text that the copy
// command puts on the clipboard and that vexilor-report prints.
#pragma once

#include "report/text.h"

namespace vx {

enum ReportSection {
  kCpuSection = 0,
  kFeatureFlagSection = 1,
  kCacheSection = 2,
  kChipsetSection = 3,
  kVgaSection = 4,
  kSectionCount = 5,
};

constexpr size_t kSectionCapacity = 2048;  // terminating zero included
constexpr size_t kReportCapacity = 8192;

// "[Vexilor Ver.0.66]" CR LF, then one empty line.
extern const char kReportBanner[];
// The 52-byte header line (50 visible characters and CR LF) that opens each section, by section.
extern const char* const kSectionHeaders[kSectionCount];

struct Report {
  Text<kSectionCapacity> section[kSectionCount];
  Text<kReportCapacity> joined;
};

// Makes the section empty and appends its header line: what every page does before its own lines.
void BeginSection(Report& report, ReportSection which);
// Appends a line (or any text) to a section; cut at the section's capacity.
void AppendToSection(Report& report, ReportSection which, const char* text);
// Banner, then the five sections in tab order, nothing in between.
void JoinReport(Report& report);

}  // namespace vx
