#include "report/pages.h"

namespace vx {

// Attachment point for the Cache page: until it is built the page shows its template and writes nothing.
void FillCachePage(PageContext& context, PageModel& page) {
  (void)context;
  (void)page;
}

}  // namespace vx
