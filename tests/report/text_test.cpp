#include <gtest/gtest.h>

#include <string>

#include "report/page_model.h"
#include "report/text.h"

namespace {

// Each operation, fed more than fits, keeps the capacity and the terminating zero, and never touches the
// guard bytes behind the buffer.
TEST(Text, BoundedOperationsCutAtCapacity) {
  struct Case {
    const char* what;
    void (*op)(char* dst, size_t cap);
    const char* expected;
  };
  const Case cases[] = {
      {"copy fits", [](char* d, size_t c) { vx::TextCopy(d, c, "abc"); }, "abc"},
      {"copy cut", [](char* d, size_t c) { vx::TextCopy(d, c, "abcdefghij"); }, "abcdefg"},
      {"append cut", [](char* d, size_t c) { vx::TextCopy(d, c, "abcde"); vx::TextAppend(d, c, "XYZ"); }, "abcdeXY"},
      {"append to full", [](char* d, size_t c) { vx::TextCopy(d, c, "abcdefg"); vx::TextAppend(d, c, "Q"); }, "abcdefg"},
      {"format exact", [](char* d, size_t c) { vx::TextFormat(d, c, "%07d", 42); }, "0000042"},
      {"format cut", [](char* d, size_t c) { vx::TextFormat(d, c, "%s-%d", "abcdef", 12345); }, "abcdef-"},
      {"append format cut", [](char* d, size_t c) { vx::TextCopy(d, c, "ab"); vx::TextAppendFormat(d, c, "%-8s|", "x"); }, "abx    "},
  };
  for (const Case& c : cases) {
    char buffer[8 + 4];
    memset(buffer, '#', sizeof buffer);
    c.op(buffer, 8);
    EXPECT_STREQ(buffer, c.expected) << c.what;
    EXPECT_EQ(std::string(buffer + 8, 4), "####") << c.what;
  }
}

TEST(Text, FixedTextAppendsUntilFull) {
  vx::Text<16> t;
  for (int i = 0; i < 10; ++i) t.AppendFormat("%d,", i);
  EXPECT_STREQ(t.c_str(), "0,1,2,3,4,5,6,7");
  EXPECT_EQ(t.Length(), 15u);
  t.Set("");
  EXPECT_TRUE(t.Empty());
}

TEST(PageModel, TextsEnablesAndReadBack) {
  static vx::PageModel page;
  page.Clear();
  EXPECT_STREQ(page.GetText(1018), "");
  page.SetText(1018, "first");
  page.SetTextFormat(1018, "%s %X", "second", 0xAB);
  page.Enable(1069);
  EXPECT_STREQ(page.GetText(1018), "second AB");
  EXPECT_TRUE(page.HasText(1018));
  EXPECT_FALSE(page.HasText(1069));
  EXPECT_TRUE(page.IsEnabled(1069));
  EXPECT_FALSE(page.IsEnabled(1018));
  std::string longText(400, 'x');
  page.SetText(1020, longText.c_str());
  EXPECT_EQ(std::string(page.GetText(1020)), std::string(256, 'x'));
}

}  // namespace
