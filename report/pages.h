// The five pages, their fills and what they share. Each fill is a pure function of the hardware seams to
// a page model and its report section; the Windows shell runs it in WM_INITDIALOG, vexilor-report runs
// them all in tab order.
#pragma once

#include <stdint.h>

#include "report/page_model.h"
#include "report/report.h"

namespace vx {

class CpuidSource;
class ClockSource;
struct AccessState;

// Values that one page leaves for another, program-wide for the run.
struct ProgramState {
  uint32_t graphicsApertureSizeMB = 0;  // GraphicsApertureSizeMB: set by the host bridge, shown on VGA
  uint32_t hostBridgeId = 0;            // HostBridgeId: first dword of bus 0 device 0 function 0
  uint32_t southBridgeId = 0;           // SouthBridgeId: first dword of the PCI-to-ISA bridge
  uint32_t viaSouthRevision = 0;        // ViaSouthRevision
};

// The hardware seams and the shared state that the fills read and write.
struct PageContext {
  CpuidSource* cpuid = nullptr;
  ClockSource* clock = nullptr;  // null: the clock is not measured
  AccessState* access = nullptr;
  ProgramState* state = nullptr;
  Report* report = nullptr;
};

using PageFill = void (*)(PageContext& context, PageModel& page);

struct PageDef {
  const char* tabLabel;
  int dialogId;
  PageFill fill;
};

enum { kPageCount = 5 };
// In tab order, which is also the creation order: CPU, F.Flag, Cache, M/B, VGA. The
// VGA page reads the aperture size that the M/B page stores, so the order is load-bearing.
extern const PageDef kPages[kPageCount];

void FillCpuPage(PageContext& context, PageModel& page);
void FillFeatureFlagPage(PageContext& context, PageModel& page);
void FillCachePage(PageContext& context, PageModel& page);
void FillMbPage(PageContext& context, PageModel& page);
void FillVgaPage(PageContext& context, PageModel& page);

// Fills the five pages in tab order into models[0..4], then joins the report.
void FillAllPages(PageContext& context, PageModel* models);

}  // namespace vx
