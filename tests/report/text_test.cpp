#include <gtest/gtest.h>

#include <memory>
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

// A buffer without its terminating zero (filled to the capacity) given to an append or a format comes back
// terminated within its capacity, the guard bytes behind it untouched.
struct Guarded {
  vx::Text<8> text;
  char guard[4];
};

TEST(Text, UnterminatedBufferComesBackTerminated) {
  struct Case {
    const char* what;
    void (*op)(Guarded& g);
    const char* expected;
  };
  const Case cases[] = {
      {"append", [](Guarded& g) { vx::TextAppend(g.text.s, 8, "xyz"); }, "#######"},
      {"append empty", [](Guarded& g) { vx::TextAppend(g.text.s, 8, ""); }, "#######"},
      {"append format", [](Guarded& g) { vx::TextAppendFormat(g.text.s, 8, "%d", 7); }, "#######"},
      {"format", [](Guarded& g) { vx::TextFormat(g.text.s, 8, "%s", "abcdefghij"); }, "abcdefg"},
      {"text append", [](Guarded& g) { g.text.Append("xyz"); }, "#######"},
      {"text append format", [](Guarded& g) { g.text.AppendFormat("%s", "xyz"); }, "#######"},
      {"text format", [](Guarded& g) { g.text.Format("%s", "xyz"); }, "xyz"},
  };
  static_assert(sizeof(Guarded) == 12, "the guard follows the text directly");
  for (const Case& c : cases) {
    Guarded g;
    memset(g.text.s, '#', sizeof g.text.s);
    memcpy(g.guard, "GRD", 4);  // a zero behind the guard keeps a bad read from running on
    c.op(g);
    EXPECT_NE(memchr(g.text.s, 0, sizeof g.text.s), nullptr) << c.what;
    EXPECT_EQ(std::string(g.text.s, strnlen(g.text.s, sizeof g.text.s)), c.expected) << c.what;
    EXPECT_STREQ(g.guard, "GRD") << c.what;
  }
}

// A page model holds 80 controls: an 81st is not taken (nothing written past the table), the 80 stay.
TEST(PageModel, EightyFirstControlIsNotTaken) {
  auto page = std::make_unique<vx::PageModel>();
  page->Clear();
  for (int i = 0; i < vx::kMaxPageControls; ++i) page->SetTextFormat(1000 + i, "c%d", i);
  ASSERT_EQ(page->count, vx::kMaxPageControls);
  page->SetText(2000, "eighty-first");
  page->SetTextFormat(2001, "%s", "eighty-first");
  page->Enable(2002);
  EXPECT_EQ(page->count, vx::kMaxPageControls);
  EXPECT_FALSE(page->HasText(2000));
  EXPECT_FALSE(page->HasText(2001));
  EXPECT_FALSE(page->IsEnabled(2002));
  EXPECT_STREQ(page->GetText(2000), "");
  // The table is full, but its controls still change.
  page->SetText(1079, "last");
  page->Enable(1000);
  EXPECT_STREQ(page->GetText(1079), "last");
  EXPECT_STREQ(page->GetText(1000), "c0");
  EXPECT_TRUE(page->IsEnabled(1000));
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
