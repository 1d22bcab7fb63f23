// The arithmetic of the main window and the About box, kept apart from the window system so that it
// can be checked on any machine: fitting the window around the largest page, centring pages and the
// About box, and the About box's version and platform lines.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace vx {

struct LayoutRect {
  int32_t left, top, right, bottom;
};

inline int32_t RectWidth(const LayoutRect& r) { return r.right - r.left; }
inline int32_t RectHeight(const LayoutRect& r) { return r.bottom - r.top; }

// The system metrics that the outer size adds to the tab control's frame.
struct FrameMetrics {
  int32_t cxBorder;   // SM_CXBORDER
  int32_t cyBorder;   // SM_CYBORDER
  int32_t cyMenu;     // SM_CYMENU
  int32_t cyCaption;  // SM_CYCAPTION
};

struct PagePlacement {
  int32_t x, y;  // in the tab control's client coordinates
};

struct WindowFit {
  int32_t maxWidth, maxHeight;         // the widest and the tallest page (possibly different pages)
  int32_t outerWidth, outerHeight;     // the main window's new outer size
  PagePlacement page[8];               // each page centred in the display area
};

constexpr int kMaxFittedPages = 8;

// pages: each page's client rectangle; tabClient: the tab control's client rectangle (T); tabDisplay: T
// converted to the display area (D). Both taken before the window is resized. count is at most 8.
WindowFit FitWindowToPages(const LayoutRect* pages, int count, const LayoutRect& tabClient,
                           const LayoutRect& tabDisplay, const FrameMetrics& metrics);

// The offset that centres an inner extent in an outer one: (outer - inner) shifted right by one bit,
// arithmetic, so a larger inner extent gives a negative offset.
int32_t CenterOffset(int32_t outer, int32_t inner);

// "OS Version:4.00.1381.0": major, minor with at least two digits, the build number's low 16 bits with
// at least four digits, bits 16-23 of the build number in upper-case hexadecimal.
void FormatOsVersionLine(char* dst, size_t cap, uint32_t major, uint32_t minor, uint32_t build);
// "Platform:Windows NT" and the like; "Platform:" for an unknown platform id.
void FormatPlatformLine(char* dst, size_t cap, uint32_t platformId);

}  // namespace vx
