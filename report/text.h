// Bounded, zero-terminated single-byte texts.
//
// Everything that the program shows or reports is built in fixed-capacity buffers. These helpers never
// write past a buffer's capacity (terminating zero included): text that does not fit is cut at the
// capacity and the result stays zero-terminated. They use no precompiled C++ library pieces, so they
// can go into the i486 release; formatting goes to the C runtime's own formatter (msvcrt.dll on Windows).
#pragma once

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#if defined(__GNUC__)
#define VX_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define VX_PRINTF(fmt_index, first_arg)
#endif

namespace vx {

// Each takes the destination buffer and its capacity in bytes (terminating zero included). A capacity of 0
// writes nothing.
void TextCopy(char* dst, size_t cap, const char* src);
void TextAppend(char* dst, size_t cap, const char* src);
void TextFormatV(char* dst, size_t cap, const char* fmt, va_list ap);
void TextFormat(char* dst, size_t cap, const char* fmt, ...) VX_PRINTF(3, 4);
void TextAppendFormat(char* dst, size_t cap, const char* fmt, ...) VX_PRINTF(3, 4);
// Length of a possibly unterminated buffer, at most cap.
size_t TextLength(const char* s, size_t cap);

// The value of a hex digit (either case), -1 for any other character.
int HexDigitValue(char c);
// Reads exactly n hex digits at p (before end) into *value and advances p; false when they are not there.
bool ReadHexDigits(const char*& p, const char* end, int n, uint32_t* value);

// A zero-filled text buffer of N bytes (terminating zero included). Constant-initialised, so a global
// Text needs no static constructor.
template <size_t N>
struct Text {
  static_assert(N > 0, "a text holds at least its terminating zero");
  static constexpr size_t kCapacity = N;
  char s[N];

  constexpr Text() : s{} {}

  void Clear() { memset(s, 0, N); }
  void Set(const char* src) { TextCopy(s, N, src); }
  void Append(const char* src) { TextAppend(s, N, src); }
  void Format(const char* fmt, ...) VX_PRINTF(2, 3) {
    va_list ap;
    va_start(ap, fmt);
    TextFormatV(s, N, fmt, ap);
    va_end(ap);
  }
  void AppendFormat(const char* fmt, ...) VX_PRINTF(2, 3) {
    size_t len = TextLength(s, N);
    if (len >= N) {  // an unterminated buffer: terminate it at the capacity
      s[N - 1] = 0;
      return;
    }
    va_list ap;
    va_start(ap, fmt);
    TextFormatV(s + len, N - len, fmt, ap);
    va_end(ap);
  }
  const char* c_str() const { return s; }
  size_t Length() const { return TextLength(s, N); }
  bool Empty() const { return s[0] == 0; }
};

}  // namespace vx
