#include "report/pages.h"

namespace vx {

const PageDef kPages[kPageCount] = {
    {"CPU", 200, FillCpuPage},     {"F.Flag", 201, FillFeatureFlagPage}, {"Cache", 135, FillCachePage},
    {"M/B", 132, FillMbPage},      {"VGA", 203, FillVgaPage},
};

void FillAllPages(PageContext& context, PageModel* models) {
  for (int i = 0; i < kPageCount; ++i) {
    models[i].Clear();
    kPages[i].fill(context, models[i]);
  }
  JoinReport(*context.report);
}

}  // namespace vx
