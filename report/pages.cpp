#include "report/pages.h"

#include "resources/control_ids.h"

namespace vx {

const PageDef kPages[kPageCount] = {
    {"CPU", IDD_CPU_PAGE, FillCpuPage},       {"F.Flag", IDD_FEATURE_FLAG_PAGE, FillFeatureFlagPage},
    {"Cache", IDD_CACHE_PAGE, FillCachePage}, {"M/B", IDD_MB_PAGE, FillMbPage},
    {"VGA", IDD_VGA_PAGE, FillVgaPage},
};

void FillAllPages(PageContext& context, PageModel* models) {
  for (int i = 0; i < kPageCount; ++i) {
    models[i].Clear();
    kPages[i].fill(context, models[i]);
  }
  JoinReport(*context.report);
}

}  // namespace vx
