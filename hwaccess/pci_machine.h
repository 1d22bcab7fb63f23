// Recorded PCI machines: the text that `lspci -xxx` (or `lspci -vvxxx`) prints, read into the machine
// that the PCIDebug request handler serves.
//
// The text: a device line "00:07.0 ISA bridge: ..." (an optional "0000:" domain in front) followed by hex
// lines "00: 86 80 10 71 ..." up to "f0: ..." (sixteen bytes each, offsets in order from 00). Indented
// verbose lines, blank lines and comments (#) are skipped; lines past offset f0 (extended configuration
// space) are ignored. A device recorded with fewer than 256 bytes (lspci as a normal user prints 64)
// reads zeros beyond them, with a warning. I/O port values come in comment lines (the word "port" in any
// case):
//
//   # port 0xd400 = 0x0010            (2, 4 or 8 hex digits: an 8-, 16- or 32-bit value, little-endian
//                                      from that port on)
//
// The recording is plain 8-bit text: UTF-16 and a byte-order mark are refused with a message that says so.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "pcidebug/pcidebug.h"

namespace vx {

// Holds any number of functions (up to every location of the 256 buses). Not linked into the Windows
// program, which never reads recordings.
struct RecordedPciMachine {
  std::vector<PciDebugFunction> functions;
  std::vector<PciDebugPortByte> portBytes;
  std::string warnings;     // "NAME:LINE: ..." lines, each ended by '\n'; empty when there are none
  PciDebugMachine machine;  // points into the vectors above (after Seal)

  RecordedPciMachine() { Seal(); }
  RecordedPciMachine(const RecordedPciMachine&) = delete;
  RecordedPciMachine& operator=(const RecordedPciMachine&) = delete;

  // Points `machine` at the functions and port bytes and marks the buses that exist; call it after
  // changing either vector by hand.
  void Seal();
};

// Reads a recording named `name` (used in messages). On failure returns false and writes
// "NAME:LINE: what is wrong" into err. Warnings go to out->warnings, every one of them.
bool ParsePciMachine(const char* text, size_t length, const char* name, RecordedPciMachine* out, char* err,
                     size_t errCap);

}  // namespace vx
