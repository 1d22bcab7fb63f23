#include "hwaccess/pci_machine.h"

#include <string.h>

#include <unordered_map>

#include "report/line_reader.h"
#include "report/text.h"

namespace vx {

void RecordedPciMachine::Seal() {
  machine.functions = functions.data();
  machine.functionCount = static_cast<uint32_t>(functions.size());
  machine.ports = portBytes.data();
  machine.portCount = static_cast<uint32_t>(portBytes.size());
  PciDebugMarkBuses(&machine);
}

namespace {

void FormatLocation(char* out, size_t cap, uint16_t busDevFn) {
  TextFormat(out, cap, "%02x:%02x.%u", busDevFn >> 8, (busDevFn >> 3) & 31, busDevFn & 7u);
}

// One reading of a recording: a small function per kind of line, each returning false with the message
// in err.
class Reader {
 public:
  Reader(const char* name, RecordedPciMachine* out, char* err, size_t errCap)
      : name_(name), out_(out), err_(err), errCap_(errCap), portSeen_(65536, false) {}

  bool Line(const LineReader& line);
  bool Finish();

 private:
  bool Fail(unsigned at, const char* message) {
    TextFormat(err_, errCap_, "%s:%u: %s", name_, at, message);
    return false;
  }
  bool PortComment(const char* c, const char* end, unsigned line);
  bool HexLine(const char* q, const char* end, uint32_t offset, unsigned line);
  bool DeviceLine(uint16_t busDevFn, unsigned line);
  bool FinishDevice();

  const char* name_;
  RecordedPciMachine* out_;
  char* err_;
  size_t errCap_;
  std::unordered_map<uint16_t, unsigned> firstLine_;  // by BusDevFn: the line of its device line
  std::vector<bool> portSeen_;       // by port: a value was given
  PciDebugFunction* current_ = nullptr;
  unsigned deviceLine_ = 0;
  char what_[160];
};

// "bb:dd.f" or "0000:bb:dd.f" followed by a blank. Returns 1 when the line is a device line, 0 when it is
// not, -1 when it is one with a wrong device or domain (message in what).
int ReadDeviceLocation(const char* q, const char* end, uint16_t* busDevFn, char* what, size_t whatCap) {
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
bool IsHexLine(const char* q, const char* end, uint32_t* offset) {
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

bool Reader::Line(const LineReader& line) {
  const char* q = line.begin;
  const char* end = line.end;
  const char* first = q;
  SkipBlanks(first, end);
  if (first == end) return true;  // blank line
  if (*first == '#') {
    const char* c = first + 1;
    SkipBlanks(c, end);
    if (!ReadWordAnyCase(c, end, "port")) return true;  // a plain comment
    return PortComment(c, end, line.number);
  }
  if (first != q) return true;  // an indented verbose line of lspci -vv
  uint32_t offset;
  if (IsHexLine(q, end, &offset)) return HexLine(q, end, offset, line.number);
  uint16_t busDevFn;
  int device = ReadDeviceLocation(q, end, &busDevFn, what_, sizeof what_);
  if (device < 0) return Fail(line.number, what_);
  if (device == 0) {
    return Fail(line.number, "expected a device line (\"00:07.0 ISA bridge: ...\"), a hex line (\"00: 86 80 ...\") "
                             "or a comment");
  }
  return DeviceLine(busDevFn, line.number);
}

// "# port 0xPORT = 0xVALUE", from behind the word "port".
bool Reader::PortComment(const char* c, const char* end, unsigned line) {
  uint32_t port = 0, value = 0;  // set when ok; zero for the compilers that cannot see it
  int portDigits = 0, valueDigits = 0;
  SkipBlanks(c, end);
  bool ok = ReadPrefixedHex(c, end, 4, &port, &portDigits);
  SkipBlanks(c, end);
  ok = ok && c < end && *c++ == '=';
  SkipBlanks(c, end);
  ok = ok && ReadPrefixedHex(c, end, 8, &value, &valueDigits);
  SkipBlanks(c, end);
  if (!ok || c != end) return Fail(line, "expected \"# port 0xPORT = 0xVALUE\"");
  if (valueDigits != 2 && valueDigits != 4 && valueDigits != 8)
    return Fail(line, "a port value has 2, 4 or 8 hex digits (8, 16 or 32 bits)");
  uint32_t width = static_cast<uint32_t>(valueDigits) / 2;
  if (port + width - 1 > 0xFFFF) return Fail(line, "the port value runs past port 0xffff");
  std::vector<PciDebugPortByte>& ports = out_->portBytes;
  for (uint32_t i = 0; i < width; ++i) {
    if (portSeen_[port + i]) {
      TextFormat(what_, sizeof what_, "port 0x%04x is given twice", port + i);
      return Fail(line, what_);
    }
    portSeen_[port + i] = true;
    PciDebugPortByte b;
    b.port = static_cast<uint16_t>(port + i);
    b.value = static_cast<uint8_t>(value >> (8 * i));
    ports.push_back(b);
  }
  return true;
}

// "xx: b0 b1 ... b15": sixteen bytes at the next offset of the current device.
bool Reader::HexLine(const char* q, const char* end, uint32_t offset, unsigned line) {
  if (current_ == nullptr) return Fail(line, "hex line before any device line");
  if (offset >= PCIDEBUG_CONFIG_BYTES) return true;  // extended configuration space
  if (current_->recorded == PCIDEBUG_CONFIG_BYTES) return Fail(line, "hex line after all 256 bytes of the device");
  if (offset != current_->recorded) {
    TextFormat(what_, sizeof what_, "expected the hex line for offset %02x, found %02x", current_->recorded, offset);
    return Fail(line, what_);
  }
  const char* c = static_cast<const char*>(memchr(q, ':', static_cast<size_t>(end - q))) + 1;
  uint8_t bytes[16];
  int count = 0;
  for (;;) {
    const char* before = c;
    SkipBlanks(c, end);
    if (c == end) break;
    if (c == before || count == 16)
      return Fail(line, count == 16 ? "more than 16 bytes on a hex line" : "bytes must be separated by blanks");
    uint32_t byte;
    const char* token = c;
    if (!ReadHexDigits(c, end, 2, &byte) || (c < end && !IsBlank(*c))) {
      const char* tokenEnd = token;
      while (tokenEnd < end && !IsBlank(*tokenEnd)) ++tokenEnd;
      TextFormat(what_, sizeof what_, "'%.*s' is not a hex byte", static_cast<int>(tokenEnd - token), token);
      return Fail(line, what_);
    }
    bytes[count++] = static_cast<uint8_t>(byte);
  }
  if (count != 16) {
    TextFormat(what_, sizeof what_, "truncated hex line: %d of 16 bytes", count);
    return Fail(line, what_);
  }
  memcpy(current_->config + offset, bytes, 16);
  current_->recorded = static_cast<uint16_t>(current_->recorded + 16);
  return true;
}

// "00:07.0 ISA bridge: ...": a new function.
bool Reader::DeviceLine(uint16_t busDevFn, unsigned line) {
  if (!FinishDevice()) return false;
  char where[16];
  auto first = firstLine_.emplace(busDevFn, line);
  if (!first.second) {
    FormatLocation(where, sizeof where, busDevFn);
    TextFormat(what_, sizeof what_, "device %s is recorded twice (first at line %u)", where, first.first->second);
    return Fail(line, what_);
  }
  out_->functions.emplace_back();
  current_ = &out_->functions.back();
  memset(current_, 0, sizeof *current_);
  current_->busDevFn = busDevFn;
  deviceLine_ = line;
  return true;
}

// Ends the current device: it must have data; a short one gets a warning.
bool Reader::FinishDevice() {
  if (current_ == nullptr) return true;
  char where[16];
  FormatLocation(where, sizeof where, current_->busDevFn);
  if (current_->recorded == 0) {
    TextFormat(what_, sizeof what_, "device %s has no hex lines", where);
    return Fail(deviceLine_, what_);
  }
  if (current_->recorded < PCIDEBUG_CONFIG_BYTES) {
    char warning[200];
    TextFormat(warning, sizeof warning,
               "%s:%u: %s has %u of 256 configuration bytes recorded; the rest reads as zeros\n", name_, deviceLine_,
               where, current_->recorded);
    out_->warnings += warning;
  }
  current_ = nullptr;
  return true;
}

bool Reader::Finish() {
  if (!FinishDevice()) return false;
  if (out_->functions.empty()) {
    TextFormat(err_, errCap_, "%s: no device recorded (expected lspci -xxx output)", name_);
    return false;
  }
  return true;
}

}  // namespace

bool ParsePciMachine(const char* text, size_t length, const char* name, RecordedPciMachine* out, char* err,
                     size_t errCap) {
  out->functions.clear();
  out->portBytes.clear();
  out->warnings.clear();
  bool ok = false;
  if (const char* problem = RecordingEncodingProblem(text, length)) {
    TextFormat(err, errCap, "%s:1: %s", name, problem);
  } else {
    Reader reader(name, out, err, errCap);
    LineReader lines(text, length);
    ok = true;
    while (ok && lines.Next()) ok = reader.Line(lines);
    ok = ok && reader.Finish();
  }
  out->Seal();
  return ok;
}

}  // namespace vx
