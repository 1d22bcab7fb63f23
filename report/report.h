// The report: five section texts, one per page, joined behind a banner into the text that the copy
// command puts on the clipboard and that vexilor-report prints.
#pragma once

#include "report/text.h"

namespace vx {

// The product's own spellings. Users compare reports with the ones they saved years ago, and other tools
// read them, so these texts stay as the program has always written them: they are deliberate, not typos to
// fix. "Clock Freaquency" (the CPU page and section, cpu/cpu_page.cpp and the dialog), "Vender ID" (the
// M/B section, chipset/mb_page.cpp), "Cerelon" and its "Convington" (the processor names,
// cpu/naming.cpp), "C a C h e" (the Cache section's header, report.cpp), "GTBL Flush" (the VGA section,
// video/agp.cpp, beside the dialog's "GTLB Flush Control") and "4GB Addresing" (the VGA dialog,
// resources/vexilor.rc, beside the section's "4GB Addressing"). The golden reports hold every one.
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

// "[Vexilor Ver.VERSION]" CR LF, then one empty line (VERSION: project(VERSION) in CMakeLists.txt).
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
