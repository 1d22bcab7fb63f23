#include "report/pages.h"

namespace vx {

// Attachment point for the M/B page: until it is built the page shows its template and writes nothing.
void FillMbPage(PageContext& context, PageModel& page) {
  (void)context;
  (void)page;
}

}  // namespace vx
