// The host bridge's AGP state: the first capability of bus 0, device 0, function 0 decoded into the VGA
// page's AGP fields and the AGP block of the VGA section.
#pragma once

#include <stdint.h>

#include "report/text.h"

namespace vx {

struct PageContext;
struct PageModel;

struct AgpState {
  uint32_t revisionMajor;  // capability byte 2, bits 7:4
  uint32_t revisionMinor;  // bits 3:0
  uint32_t rates;          // status bits 2:0: 4x, 2x, 1x supported
  uint32_t dataRate;       // command bits 2:0
  uint32_t enabled;        // command bit 8
  uint32_t queueDepth;     // status bits 31:24 plus one, 1 to 256
  uint32_t fourGbSupported, fourGbEnabled;        // status / command bit 5
  uint32_t fastWriteSupported, fastWriteEnabled;  // status / command bit 4
  uint32_t sideBandSupported, sideBandEnabled;    // status / command bit 9
  uint32_t gtlbFlushEnabled;  // chipset control word bit 7
  uint32_t readSyncEnabled;   // chipset control word bit 13
};

// Decodes the AGP capability when it is the first entry of the host bridge's capability list. A
// capabilities pointer above 0xEE leaves no room for the capability's 18 bytes in the 256-byte image and
// counts as no AGP capability.
bool DecodeAgpCapability(const uint8_t* image, AgpState* state);

// "No Support", "Disable" or "Enable" by the sum of the two bits.
const char* SupportStateText(uint32_t supported, uint32_t enabled);

using AgpText = Text<257>;
// "4x 2x 1x" from the supported-rate bits, each rate word present or empty.
void FormatAgpRates(uint32_t rates, AgpText& text);
// "Auto", "1x", "2x", "4x" or "Illegal(...)" with the field in base 2.
void FormatAgpDataRate(uint32_t dataRate, AgpText& text);
// "%dMB" below 1024 MB, else whole gigabytes.
void FormatApertureSize(uint32_t sizeMB, AgpText& text);

// Reads the host bridge, sets the AGP controls and appends the AGP block to the VGA section. Returns 1
// when an AGP capability was decoded. An unreadable host bridge sets nothing and appends nothing.
int DecodeAgpState(PageContext& context, PageModel& page);

}  // namespace vx
