#include "app/layout.h"

#include "report/text.h"

namespace vx {

WindowFit FitWindowToPages(const LayoutRect* pages, int count, const LayoutRect& tabClient,
                           const LayoutRect& tabDisplay, const FrameMetrics& metrics) {
  WindowFit fit = {};
  if (count > kMaxFittedPages) count = kMaxFittedPages;
  for (int i = 0; i < count; ++i) {
    if (RectWidth(pages[i]) > fit.maxWidth) fit.maxWidth = RectWidth(pages[i]);
    if (RectHeight(pages[i]) > fit.maxHeight) fit.maxHeight = RectHeight(pages[i]);
  }
  int32_t frameWidth = RectWidth(tabClient) - RectWidth(tabDisplay);
  int32_t frameHeight = RectHeight(tabClient) - RectHeight(tabDisplay);
  fit.outerWidth = fit.maxWidth + frameWidth + 4 * metrics.cxBorder;
  fit.outerHeight = fit.maxHeight + frameHeight + 2 * metrics.cyBorder + metrics.cyMenu + metrics.cyCaption;
  for (int i = 0; i < count; ++i) {
    // Integer division truncates toward zero; the differences are never negative here.
    fit.page[i].x = tabDisplay.left + (fit.maxWidth - RectWidth(pages[i])) / 2;
    fit.page[i].y = tabDisplay.top + (fit.maxHeight - RectHeight(pages[i])) / 2;
  }
  return fit;
}

int32_t CenterOffset(int32_t outer, int32_t inner) { return (outer - inner) >> 1; }

void FormatOsVersionLine(char* dst, size_t cap, uint32_t major, uint32_t minor, uint32_t build) {
  TextFormat(dst, cap, "OS Version:%d.%02d.%04d.%X", static_cast<int>(major), static_cast<int>(minor),
             static_cast<int>(build & 0xFFFF), static_cast<unsigned>((build >> 16) & 0xFF));
}

void FormatPlatformLine(char* dst, size_t cap, uint32_t platformId) {
  static const char* const kPlatforms[3] = {"Windows 3.1", "Windows 9x", "Windows NT"};
  TextFormat(dst, cap, "Platform:%s", platformId < 3 ? kPlatforms[platformId] : "");
}

}  // namespace vx
