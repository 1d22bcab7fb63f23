#include "hwaccess/pci_machine.h"

#include <string.h>

#include "report/text.h"

namespace vx {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads "0x" and 1 to maxDigits hex digits; *digits is how many there were.
bool ReadPrefixedHex(const char*& p, const char* end, int maxDigits, uint32_t* value, int* digits) {
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

void SkipBlanks(const char*& p, const char* end) {
  while (p < end && IsBlank(*p)) ++p;
}

// "bb:dd.f" or "0000:bb:dd.f" followed by a blank. Returns 1 when the line is a device line, 0 when it is
// not, -1 when it is one with a wrong device or domain (message in err).
int ReadDeviceLine(const char* p, const char* end, uint16_t* busDevFn, char* what, size_t whatCap) {
  const char* q = p;
  uint32_t domain = 0, bus, device, function;
  if (end - q >= 5 && HexDigitValue(q[0]) >= 0 && HexDigitValue(q[1]) >= 0 && HexDigitValue(q[2]) >= 0 &&
      HexDigitValue(q[3]) >= 0 && q[4] == ':') {
    ReadHexDigits(q, end, 4, &domain);
    ++q;
  }
  if (!ReadHexDigits(q, end, 2, &bus) || q >= end || *q++ != ':') return 0;
  if (!ReadHexDigits(q, end, 2, &device) || q >= end || *q++ != '.') return 0;
  if (q >= end || *q < '0' || *q > '7') return 0;
  function = static_cast<uint32_t>(*q++ - '0');
  if (q < end && !IsBlank(*q)) return 0;
  if (domain != 0) {
    TextFormat(what, whatCap, "PCI domain %04x is not supported (only 0000)", domain);
    return -1;
  }
  if (device > 31) {
    TextFormat(what, whatCap, "device number %02x is above 1f", device);
    return -1;
  }
  *busDevFn = static_cast<uint16_t>(bus << 8 | device << 3 | function);
  return 1;
}

// "xx: " or "xxx: " at the start of the line: a hex line. *offset is its offset.
bool IsHexLine(const char* p, const char* end, uint32_t* offset) {
  const char* q = p;
  uint32_t v = 0;
  int n = 0;
  while (q < end && HexDigitValue(*q) >= 0 && n < 4) {
    v = v << 4 | static_cast<uint32_t>(HexDigitValue(*q++));
    ++n;
  }
  if (n < 2 || n > 3 || q >= end || *q != ':') return false;
  ++q;
  if (q < end && !IsBlank(*q)) return false;
  *offset = v;
  return true;
}

void FormatLocation(char* out, size_t cap, uint16_t busDevFn) {
  TextFormat(out, cap, "%02x:%02x.%u", busDevFn >> 8, (busDevFn >> 3) & 31, busDevFn & 7u);
}

}  // namespace

bool ParsePciMachine(const char* text, size_t length, const char* name, RecordedPciMachine* out, char* err,
                     size_t errCap, char* warnings, size_t warningsCap) {
  PciDebugMachine& m = out->machine;
  m.functions = out->functions;
  m.functionCount = 0;
  m.ports = out->portBytes;
  m.portCount = 0;
  memset(m.busPresent, 0, sizeof m.busPresent);
  if (warnings != nullptr && warningsCap > 0) warnings[0] = 0;

  const char* p = text;
  const char* end = text + length;
  unsigned line = 0;
  unsigned deviceLine = 0;          // line of the current device, 0 before the first
  unsigned deviceLines[RecordedPciMachine::kMaxFunctions];
  PciDebugFunction* current = nullptr;
  char what[160];
  char where[16];

  auto fail = [&](unsigned at, const char* message) {
    TextFormat(err, errCap, "%s:%u: %s", name, at, message);
    return false;
  };
  // Ends the current device: it must have data; a short one gets a warning.
  auto finishDevice = [&]() {
    if (current == nullptr) return true;
    FormatLocation(where, sizeof where, current->busDevFn);
    if (current->recorded == 0) {
      TextFormat(what, sizeof what, "device %s has no hex lines", where);
      return fail(deviceLine, what);
    }
    if (current->recorded < PCIDEBUG_CONFIG_BYTES && warnings != nullptr) {
      TextAppendFormat(warnings, warningsCap,
                       "%s:%u: %s has %u of 256 configuration bytes recorded; the rest reads as zeros\n", name,
                       deviceLine, where, current->recorded);
    }
    current = nullptr;
    return true;
  };

  while (p < end) {
    ++line;
    const char* eol = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
    if (eol == nullptr) eol = end;
    const char* next = eol < end ? eol + 1 : end;
    if (eol > p && eol[-1] == '\r') --eol;
    const char* q = p;
    p = next;

    const char* first = q;
    SkipBlanks(first, eol);
    if (first == eol) continue;  // blank line
    if (*first == '#') {
      const char* c = first + 1;
      SkipBlanks(c, eol);
      if (eol - c < 5 || strncmp(c, "port", 4) != 0 || !IsBlank(c[4])) continue;  // a plain comment
      c += 4;
      SkipBlanks(c, eol);
      uint32_t port = 0, value = 0;
      int portDigits = 0, valueDigits = 0;
      bool ok = ReadPrefixedHex(c, eol, 4, &port, &portDigits);
      SkipBlanks(c, eol);
      ok = ok && c < eol && *c++ == '=';
      SkipBlanks(c, eol);
      ok = ok && ReadPrefixedHex(c, eol, 8, &value, &valueDigits);
      SkipBlanks(c, eol);
      if (!ok || c != eol) return fail(line, "expected \"# port 0xPORT = 0xVALUE\"");
      if (valueDigits != 2 && valueDigits != 4 && valueDigits != 8)
        return fail(line, "a port value has 2, 4 or 8 hex digits (8, 16 or 32 bits)");
      uint32_t width = static_cast<uint32_t>(valueDigits) / 2;
      if (port + width - 1 > 0xFFFF) return fail(line, "the port value runs past port 0xffff");
      for (uint32_t i = 0; i < width; ++i) {
        for (uint32_t k = 0; k < m.portCount; ++k) {
          if (m.ports[k].port == port + i) {
            TextFormat(what, sizeof what, "port 0x%04x is given twice", port + i);
            return fail(line, what);
          }
        }
        if (m.portCount >= RecordedPciMachine::kMaxPortBytes) return fail(line, "too many port values");
        m.ports[m.portCount].port = static_cast<uint16_t>(port + i);
        m.ports[m.portCount].value = static_cast<uint8_t>(value >> (8 * i));
        ++m.portCount;
      }
      continue;
    }
    if (first != q) continue;  // an indented verbose line of lspci -vv

    uint32_t offset;
    if (IsHexLine(q, eol, &offset)) {
      if (current == nullptr) return fail(line, "hex line before any device line");
      if (offset >= PCIDEBUG_CONFIG_BYTES) continue;  // extended configuration space
      if (current->recorded == PCIDEBUG_CONFIG_BYTES) return fail(line, "hex line after all 256 bytes of the device");
      if (offset != current->recorded) {
        TextFormat(what, sizeof what, "expected the hex line for offset %02x, found %02x", current->recorded,
                   offset);
        return fail(line, what);
      }
      const char* c = q;
      while (*c != ':') ++c;
      ++c;
      uint8_t bytes[16];
      int count = 0;
      for (;;) {
        const char* before = c;
        SkipBlanks(c, eol);
        if (c == eol) break;
        if (c == before || count == 16) {
          return fail(line, count == 16 ? "more than 16 bytes on a hex line" : "bytes must be separated by blanks");
        }
        uint32_t byte;
        const char* token = c;
        if (!ReadHexDigits(c, eol, 2, &byte) || (c < eol && !IsBlank(*c))) {
          const char* tokenEnd = token;
          while (tokenEnd < eol && !IsBlank(*tokenEnd)) ++tokenEnd;
          TextFormat(what, sizeof what, "'%.*s' is not a hex byte", static_cast<int>(tokenEnd - token), token);
          return fail(line, what);
        }
        bytes[count++] = static_cast<uint8_t>(byte);
      }
      if (count != 16) {
        TextFormat(what, sizeof what, "truncated hex line: %d of 16 bytes", count);
        return fail(line, what);
      }
      memcpy(current->config + offset, bytes, 16);
      current->recorded = static_cast<uint16_t>(current->recorded + 16);
      continue;
    }

    uint16_t busDevFn;
    int device = ReadDeviceLine(q, eol, &busDevFn, what, sizeof what);
    if (device < 0) return fail(line, what);
    if (device == 0) {
      return fail(line, "expected a device line (\"00:07.0 ISA bridge: ...\"), a hex line (\"00: 86 80 ...\") "
                        "or a comment");
    }
    if (!finishDevice()) return false;
    for (uint32_t k = 0; k < m.functionCount; ++k) {
      if (m.functions[k].busDevFn == busDevFn) {
        FormatLocation(where, sizeof where, busDevFn);
        TextFormat(what, sizeof what, "device %s is recorded twice (first at line %u)", where, deviceLines[k]);
        return fail(line, what);
      }
    }
    if (m.functionCount >= RecordedPciMachine::kMaxFunctions) return fail(line, "too many devices");
    deviceLines[m.functionCount] = line;
    current = &m.functions[m.functionCount++];
    memset(current, 0, sizeof *current);
    current->busDevFn = busDevFn;
    deviceLine = line;
  }
  if (!finishDevice()) return false;
  if (m.functionCount == 0) {
    TextFormat(err, errCap, "%s: no device recorded (expected lspci -xxx output)", name);
    return false;
  }
  PciDebugMarkBuses(&m);
  return true;
}

}  // namespace vx
