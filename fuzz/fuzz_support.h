// What the fuzz targets share: the whole identification over the seams they build, and what must hold of
// every report, whatever the hardware answered: each section within its capacity and opening with its
// header, every line ended by CR LF, the joined report within its capacity and starting with the banner.
// A violation aborts, which the fuzzer reports as a finding.
#pragma once

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "hwaccess/handler_transport.h"
#include "report/pages.h"
#include "report/report.h"

namespace vxfuzz {

inline void Require(bool ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "report invariant broken: %s\n", what);
    abort();
  }
}

// Every LF is preceded by CR, every CR followed by LF, and non-empty text ends with CR LF.
inline bool LinesEndInCrLf(const char* text) {
  size_t n = strlen(text);
  for (size_t i = 0; i < n; ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    if (text[i] == '\r' && (i + 1 >= n || text[i + 1] != '\n')) return false;
  }
  return n == 0 || (n >= 2 && text[n - 2] == '\r' && text[n - 1] == '\n');
}

inline void CheckReport(const vx::Report& report) {
  for (int i = 0; i < vx::kSectionCount; ++i) {
    const char* s = report.section[i].c_str();
    Require(memchr(report.section[i].s, 0, vx::kSectionCapacity) != nullptr, "section terminated");
    // A page that is not built yet writes nothing; a built one opens with its header.
    if (s[0] != 0) {
      Require(strncmp(s, vx::kSectionHeaders[i], strlen(vx::kSectionHeaders[i])) == 0, "section header");
      Require(LinesEndInCrLf(s), "section lines end in CR LF");
    }
  }
  const char* joined = report.joined.c_str();
  Require(memchr(report.joined.s, 0, vx::kReportCapacity) != nullptr, "report terminated");
  Require(strncmp(joined, vx::kReportBanner, strlen(vx::kReportBanner)) == 0, "banner");
  Require(LinesEndInCrLf(joined), "report lines end in CR LF");
}

// Fills all five pages in tab order over the processor, the PCIDebug driver route (none when driver is
// null) and the clock (none when null), as one start-up, then checks the report.
inline void FillAllPagesAndCheck(vx::CpuidSource& cpu, vx::DriverTransport* driver, vx::ClockSource* clock) {
  static vx::Report report;
  static vx::PageModel models[vx::kPageCount];
  report = vx::Report();
  vx::ProgramState state;
  vx::AccessState access;
  if (driver != nullptr) vx::UseDriverRoute(access, driver);
  static vx::PciScanCache scanCache;  // one start-up's, fresh for each run
  memset(&scanCache, 0, sizeof scanCache);
  access.scanCache = &scanCache;
  vx::PageContext context;
  context.cpuid = &cpu;
  context.clock = clock;
  context.access = &access;
  context.state = &state;
  context.report = &report;
  vx::FillAllPages(context, models);
  CheckReport(report);
}

}  // namespace vxfuzz
