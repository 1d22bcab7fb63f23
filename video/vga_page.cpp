#include "report/pages.h"

namespace vx {

// Attachment point for the VGA page: until it is built the page shows its template and writes nothing.
void FillVgaPage(PageContext& context, PageModel& page) {
  (void)context;
  (void)page;
}

}  // namespace vx
