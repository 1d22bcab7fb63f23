// Recorded PCI machines: the text that `lspci -xxx` (or `lspci -vvxxx`) prints, read into the machine
// that the PCIDebug request handler serves.
//
// The text: a device line "00:07.0 ISA bridge: ..." (an optional "0000:" domain in front) followed by hex
// lines "00: 86 80 10 71 ..." up to "f0: ..." (sixteen bytes each, offsets in order from 00). Indented
// verbose lines, blank lines and comments (#) are skipped; lines past offset f0 (extended configuration
// space) are ignored. A device recorded with fewer than 256 bytes (lspci as a normal user prints 64)
// reads zeros beyond them, with a warning. I/O port values come in comment lines:
//
//   # port 0xd400 = 0x0010            (2, 4 or 8 hex digits: an 8-, 16- or 32-bit value, little-endian
//                                      from that port on)
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "drivers/pcidebug/pcidebug.h"

namespace vx {

struct RecordedPciMachine {
  enum { kMaxFunctions = 256, kMaxPortBytes = 1024 };
  PciDebugFunction functions[kMaxFunctions];
  PciDebugPortByte portBytes[kMaxPortBytes];
  PciDebugMachine machine;  // points into the arrays above

  RecordedPciMachine() = default;
  RecordedPciMachine(const RecordedPciMachine&) = delete;
  RecordedPciMachine& operator=(const RecordedPciMachine&) = delete;
};

// Reads a recording named `name` (used in messages). On failure returns false and writes
// "NAME:LINE: what is wrong" into err. Warnings ("NAME:LINE: ..." lines, each ended by '\n') go to
// warnings, which may be null.
bool ParsePciMachine(const char* text, size_t length, const char* name, RecordedPciMachine* out, char* err,
                     size_t errCap, char* warnings, size_t warningsCap);

}  // namespace vx
