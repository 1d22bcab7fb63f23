// Reading a recording line by line: both recording readers (the lspci machine and the CPUID dump) take
// their lines, blanks, "0x" numbers and encoding check from here. Plain C++ without library pieces: the
// CPUID reader lives in the Windows program's core.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "report/text.h"

namespace vx {

// The lines of a text: each without its LF and without a CR just before it; number counts from 1.
class LineReader {
 public:
  LineReader(const char* text, size_t length) : p_(text), end_(text + length) {}

  // The next line as [begin, end); false when the text is used up.
  bool Next() {
    if (p_ >= end_) return false;
    ++number;
    begin = p_;
    const char* eol = begin;
    while (eol < end_ && *eol != '\n') ++eol;
    p_ = eol < end_ ? eol + 1 : end_;
    if (eol > begin && eol[-1] == '\r') --eol;
    end = eol;
    return true;
  }

  const char* begin = nullptr;
  const char* end = nullptr;
  unsigned number = 0;

 private:
  const char* p_;
  const char* end_;
};

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline void SkipBlanks(const char*& p, const char* end) {
  while (p < end && IsBlank(*p)) ++p;
}

// The word at p in any case, followed by a blank or the end of the line; p moves past it.
inline bool ReadWordAnyCase(const char*& p, const char* end, const char* word) {
  const char* q = p;
  for (; *word != 0; ++word, ++q) {
    if (q >= end) return false;
    char c = *q >= 'A' && *q <= 'Z' ? static_cast<char>(*q - 'A' + 'a') : *q;
    char w = *word >= 'A' && *word <= 'Z' ? static_cast<char>(*word - 'A' + 'a') : *word;
    if (c != w) return false;
  }
  if (q < end && !IsBlank(*q)) return false;
  p = q;
  return true;
}

// "0x" (or "0X") and 1 to maxDigits hex digits; *digits is how many there were.
inline bool ReadPrefixedHex(const char*& p, const char* end, int maxDigits, uint32_t* value, int* digits) {
  if (end - p < 3 || p[0] != '0' || (p[1] != 'x' && p[1] != 'X')) return false;
  p += 2;
  uint32_t v = 0;
  int n = 0;
  while (p < end && HexDigitValue(*p) >= 0) {
    if (++n > maxDigits) return false;
    v = v << 4 | static_cast<uint32_t>(HexDigitValue(*p++));
  }
  *value = v;
  *digits = n;
  return n > 0;
}

// What is wrong with the encoding of a recording that must be plain 8-bit text, or null: a byte-order
// mark (UTF-8 or UTF-16), or UTF-16 without one (two ASCII characters at the start, each with a zero byte
// beside it). Editors on Windows save such files when asked for "Unicode".
inline const char* RecordingEncodingProblem(const char* text, size_t length) {
  const unsigned char* u = reinterpret_cast<const unsigned char*>(text);
  if (length >= 2 && ((u[0] == 0xFF && u[1] == 0xFE) || (u[0] == 0xFE && u[1] == 0xFF)))
    return "the file is UTF-16 text (it starts with a byte-order mark); save it as plain ASCII text";
  if (length >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF)
    return "the file starts with a UTF-8 byte-order mark; save it as plain ASCII text without one";
  auto ascii = [](unsigned char c) { return c >= 0x20 && c < 0x7F; };
  if (length >= 4 && ((ascii(u[0]) && u[1] == 0 && ascii(u[2]) && u[3] == 0) ||
                      (u[0] == 0 && ascii(u[1]) && u[2] == 0 && ascii(u[3]))))
    return "the file is UTF-16 text (every other byte is zero); save it as plain ASCII text";
  return nullptr;
}

}  // namespace vx
