// One whole identification run for the tests: all five pages of whatever the access state reaches, with a
// recorded Pentium III (Katmai) as the processor, into a fresh report and fresh page models.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "report/pages.h"
#include "test_support.h"

namespace vxtest {

struct FilledRun {
  vx::Report report;
  vx::PageModel models[vx::kPageCount];
};

inline void FillWholeRun(vx::AccessState& access, FilledRun* run) {
  static vx::RecordedCpu cpu;
  std::string error;
  ASSERT_TRUE(LoadRecordedCpu("intel-pentium3-katmai.txt", &cpu, &error)) << error;
  vx::ProgramState state;
  vx::PageContext context;
  context.cpuid = &cpu;
  context.access = &access;
  context.state = &state;
  context.report = &run->report;
  run->report = vx::Report();
  for (vx::PageModel& m : run->models) m.Clear();
  vx::FillAllPages(context, run->models);
}

}  // namespace vxtest
