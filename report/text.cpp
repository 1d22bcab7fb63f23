#include "report/text.h"

#include <stdio.h>

// On Windows the formatter is msvcrt.dll's _vsnprintf (declared by stdio.h): it returns -1 and writes no
// terminating zero when the output does not fit, and returns the count without a zero when the output
// fills the buffer exactly.

namespace vx {

size_t TextLength(const char* s, size_t cap) {
  size_t n = 0;
  while (n < cap && s[n] != 0) ++n;
  return n;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadHexDigits(const char*& p, const char* end, int n, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) {
    if (p >= end || HexDigitValue(*p) < 0) return false;
    v = v << 4 | static_cast<uint32_t>(HexDigitValue(*p++));
  }
  *value = v;
  return true;
}

void TextCopy(char* dst, size_t cap, const char* src) {
  if (cap == 0) return;
  size_t n = 0;
  while (n + 1 < cap && src[n] != 0) {
    dst[n] = src[n];
    ++n;
  }
  dst[n] = 0;
}

void TextAppend(char* dst, size_t cap, const char* src) {
  size_t len = TextLength(dst, cap);
  if (len >= cap) {  // an unterminated buffer: terminate it at the capacity
    if (cap > 0) dst[cap - 1] = 0;
    return;
  }
  TextCopy(dst + len, cap - len, src);
}

void TextFormatV(char* dst, size_t cap, const char* fmt, va_list ap) {
  if (cap == 0) return;
  if (cap == 1) {
    dst[0] = 0;
    return;
  }
#if defined(_WIN32)
  // Hold one byte back for the zero that the runtime may not write.
  int n = _vsnprintf(dst, cap - 1, fmt, ap);
  if (n < 0 || static_cast<size_t>(n) >= cap - 1)
    dst[cap - 1] = 0;
  else
    dst[n] = 0;
#else
  int n = vsnprintf(dst, cap, fmt, ap);
  if (n < 0) dst[0] = 0;
#endif
}

void TextFormat(char* dst, size_t cap, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  TextFormatV(dst, cap, fmt, ap);
  va_end(ap);
}

void TextAppendFormat(char* dst, size_t cap, const char* fmt, ...) {
  size_t len = TextLength(dst, cap);
  if (len >= cap) {
    if (cap > 0) dst[cap - 1] = 0;
    return;
  }
  va_list ap;
  va_start(ap, fmt);
  TextFormatV(dst + len, cap - len, fmt, ap);
  va_end(ap);
}

}  // namespace vx
