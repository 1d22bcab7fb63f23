#include "app/layout.h"

#include <gtest/gtest.h>

namespace {

TEST(AboutLines, VersionAndPlatform) {
  struct Case {
    uint32_t major, minor, build;
    const char* want;
  };
  const Case kCases[] = {
      {4, 0, 1381, "OS Version:4.00.1381.0"},                 // Windows NT 4.0
      {4, 10, (10u << 16) | 222, "OS Version:4.10.0222.A"},   // Windows 98: minor version in bits 16-23
      {4, 10, 0x040A08AEu, "OS Version:4.10.2222.A"},         // Windows 98 SE: bits 24-31 are left out
      {4, 90, 0x045A0BB8u, "OS Version:4.90.3000.5A"},        // Windows ME
      {5, 1, 2600, "OS Version:5.01.2600.0"},
      {10, 0, 19045, "OS Version:10.00.19045.0"},              // more than four digits are kept
  };
  for (const Case& c : kCases) {
    char line[80];
    vx::FormatOsVersionLine(line, sizeof line, c.major, c.minor, c.build);
    EXPECT_STREQ(line, c.want) << c.major << "." << c.minor << " build " << c.build;
  }

  const char* const kPlatforms[] = {"Platform:Windows 3.1", "Platform:Windows 9x", "Platform:Windows NT",
                                    "Platform:"};
  for (uint32_t id = 0; id < 4; ++id) {
    char line[80];
    vx::FormatPlatformLine(line, sizeof line, id);
    EXPECT_STREQ(line, kPlatforms[id]) << "platform id " << id;
  }
  char line[80];
  vx::FormatPlatformLine(line, sizeof line, 0xFFFFFFFFu);
  EXPECT_STREQ(line, "Platform:");
}

TEST(Fitting, LargestPageAndFrame) {
  // The five templates in pixels of a 6x13 dialog font, in tab order: CPU, F.Flag, Cache, M/B, VGA.
  const vx::LayoutRect pages[5] = {
      {0, 0, 330, 257}, {0, 0, 326, 258}, {0, 0, 346, 265}, {0, 0, 332, 271}, {0, 0, 336, 258},
  };
  const vx::LayoutRect tab = {0, 0, 289, 346};       // the client rectangle of the 295 x 380 window's tab
  const vx::LayoutRect display = {4, 25, 285, 342};  // its display area: 8 wider, 29 taller frame
  const vx::FrameMetrics metrics = {1, 1, 19, 19};
  vx::WindowFit fit = vx::FitWindowToPages(pages, 5, tab, display, metrics);
  EXPECT_EQ(fit.maxWidth, 346);   // from the Cache page
  EXPECT_EQ(fit.maxHeight, 271);  // from the M/B page
  EXPECT_EQ(fit.outerWidth, 346 + 8 + 4 * 1);
  EXPECT_EQ(fit.outerHeight, 271 + 29 + 2 * 1 + 19 + 19);
  // Each page centred in the display area; odd differences truncate.
  const vx::PagePlacement want[5] = {{4 + 8, 25 + 7}, {4 + 10, 25 + 6}, {4, 25 + 3}, {4 + 7, 25}, {4 + 5, 25 + 6}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(fit.page[i].x, want[i].x) << "page " << i;
    EXPECT_EQ(fit.page[i].y, want[i].y) << "page " << i;
  }
}

TEST(Fitting, DisplayAreaOffsetAndMetrics) {
  // A display area that does not start at the origin and larger border metrics both count.
  const vx::LayoutRect pages[2] = {{0, 0, 100, 50}, {0, 0, 61, 81}};
  const vx::LayoutRect tab = {0, 0, 200, 200};
  const vx::LayoutRect display = {2, 40, 196, 198};
  const vx::FrameMetrics metrics = {2, 3, 20, 24};
  vx::WindowFit fit = vx::FitWindowToPages(pages, 2, tab, display, metrics);
  EXPECT_EQ(fit.outerWidth, 100 + 6 + 8);
  EXPECT_EQ(fit.outerHeight, 81 + 42 + 6 + 20 + 24);
  EXPECT_EQ(fit.page[0].x, 2);
  EXPECT_EQ(fit.page[0].y, 40 + 15);
  EXPECT_EQ(fit.page[1].x, 2 + 19);
  EXPECT_EQ(fit.page[1].y, 40);
}

TEST(Centring, ArithmeticShift) {
  EXPECT_EQ(vx::CenterOffset(300, 200), 50);
  EXPECT_EQ(vx::CenterOffset(301, 200), 50);
  // A dialog larger than the window: the shift rounds toward minus infinity, unlike a division.
  EXPECT_EQ(vx::CenterOffset(200, 301), -51);
  EXPECT_EQ(vx::CenterOffset(0, 0), 0);
}

}  // namespace
