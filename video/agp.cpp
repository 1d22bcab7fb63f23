// AGP state of the host bridge (the AGP target in the chipset, not the card).
#include "video/agp.h"

#include "hwaccess/access.h"
#include "report/pages.h"

namespace vx {

namespace {

constexpr uint8_t kAgpCapabilityId = 0x02;
constexpr uint32_t kCapabilityListBit = 0x10;  // PCI status bit 4
constexpr uint32_t kLastWholeCapability = 0xEE;  // capability bytes +0x00 to +0x11 must fit in 0x00-0xFF

uint32_t Dword(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

uint32_t Bit(uint32_t value, int bit) { return (value >> bit) & 1; }

// VGA page controls of the AGP block.
enum {
  kIdAgpOperation = 1004,
  kIdCurrentRate = 1005,
  kIdSupportRate = 1006,
  kIdRevision = 1007,
  kIdAgpMode = 1008,
  kIdSideBand = 1009,
  kIdQueueDepth = 1010,
  kIdFourGb = 1011,
  kIdGtlbFlush = 1012,
  kIdFastWrite = 1013,
  kIdReadSync = 1014,
  kIdApertureSize = 1015,
};

const char* EnableText(uint32_t bit) { return bit != 0 ? "Enable" : "Disable"; }

}  // namespace

bool DecodeAgpCapability(const uint8_t* image, AgpState* state) {
  uint32_t status = static_cast<uint32_t>(image[0x06]) | static_cast<uint32_t>(image[0x07]) << 8;
  uint32_t p = image[0x34];
  // Only the first entry of the list counts; the next pointer is not followed.
  if ((status & kCapabilityListBit) == 0 || p > kLastWholeCapability || image[p] != kAgpCapabilityId) {
    return false;
  }
  const uint8_t* cap = image + p;
  uint32_t agpStatus = Dword(cap + 0x04);
  uint32_t agpCommand = Dword(cap + 0x08);
  uint32_t control = static_cast<uint32_t>(cap[0x10]) | static_cast<uint32_t>(cap[0x11]) << 8;
  state->revisionMajor = cap[0x02] >> 4;
  state->revisionMinor = cap[0x02] & 0x0F;
  state->rates = agpStatus & 7;
  state->dataRate = agpCommand & 7;
  state->enabled = Bit(agpCommand, 8);
  state->queueDepth = (agpStatus >> 24) + 1;
  state->fourGbSupported = Bit(agpStatus, 5);
  state->fourGbEnabled = Bit(agpCommand, 5);
  state->fastWriteSupported = Bit(agpStatus, 4);
  state->fastWriteEnabled = Bit(agpCommand, 4);
  state->sideBandSupported = Bit(agpStatus, 9);
  state->sideBandEnabled = Bit(agpCommand, 9);
  state->gtlbFlushEnabled = Bit(control, 7);
  state->readSyncEnabled = Bit(control, 13);
  return true;
}

const char* SupportStateText(uint32_t supported, uint32_t enabled) {
  static const char* const kTexts[3] = {"No Support", "Disable", "Enable"};
  return kTexts[(supported & 1) + (enabled & 1)];
}

void FormatAgpRates(uint32_t rates, AgpText& text) {
  text.Format("%s%s%s", Bit(rates, 2) ? "4x " : "", Bit(rates, 1) ? "2x " : "", Bit(rates, 0) ? "1x" : "");
}

void FormatAgpDataRate(uint32_t dataRate, AgpText& text) {
  static const char* const kBinary[8] = {"0", "1", "10", "11", "100", "101", "110", "111"};
  dataRate &= 7;
  if (dataRate == 0) {
    text.Set("Auto");
  } else if (dataRate == 1 || dataRate == 2 || dataRate == 4) {
    text.Format("%ux", static_cast<unsigned>(dataRate));
  } else {
    text.Format("Illegal(%s)", kBinary[dataRate]);
  }
}

void FormatApertureSize(uint32_t sizeMB, AgpText& text) {
  if (sizeMB < 1024) {
    text.Format("%uMB", static_cast<unsigned>(sizeMB));
  } else {
    text.Format("%uGB", static_cast<unsigned>(sizeMB / 1024));
  }
}

int DecodeAgpState(PageContext& context, PageModel& page) {
  Report& report = *context.report;
  uint8_t image[257] = {};
  if (PciConfigReadBlock(*context.access, 0, 0, 0, 0, image, 256) == 0) return 0;

  AgpText line;
  AgpText text;
  AppendToSection(report, kVgaSection, "\r\n");

  AgpState agp = {};
  if (!DecodeAgpCapability(image, &agp)) {
    page.SetText(kIdAgpOperation, "No Support");
    line.Format("%-22s: %s\r\n", "AGP Operation", "No Support");
    AppendToSection(report, kVgaSection, line.c_str());
    AppendToSection(report, kVgaSection, "\r\n");
    return 0;
  }

  // Sets the control and appends its report line, both with the same text; labels are padded to 22.
  auto show = [&](int id, const char* label, const char* value) {
    page.SetText(id, value);
    line.Format("%-22s: %s\r\n", label, value);
    AppendToSection(report, kVgaSection, line.c_str());
  };

  show(kIdAgpOperation, "AGP Operation", "Support");
  text.Format("%u.%u", static_cast<unsigned>(agp.revisionMajor), static_cast<unsigned>(agp.revisionMinor));
  show(kIdRevision, "Revision", text.c_str());
  AppendToSection(report, kVgaSection, "Data Transfer Rate\r\n");
  FormatAgpRates(agp.rates, text);
  show(kIdSupportRate, "  Support Rate", text.c_str());
  FormatAgpDataRate(agp.dataRate, text);
  show(kIdCurrentRate, "  Current Rate", text.c_str());
  show(kIdAgpMode, "AGP Mode", EnableText(agp.enabled));
  text.Format("%u", static_cast<unsigned>(agp.queueDepth));
  show(kIdQueueDepth, "Pipeline RQ depth", text.c_str());
  show(kIdFourGb, "4GB Addressing", SupportStateText(agp.fourGbSupported, agp.fourGbEnabled));
  show(kIdGtlbFlush, "GTBL Flush", EnableText(agp.gtlbFlushEnabled));
  show(kIdFastWrite, "Fast Write Transfer",
       SupportStateText(agp.fastWriteSupported, agp.fastWriteEnabled));
  show(kIdSideBand, "Side-band Addressing", SupportStateText(agp.sideBandSupported, agp.sideBandEnabled));
  show(kIdReadSync, "AGP Read Sync", EnableText(agp.readSyncEnabled));
  FormatApertureSize(context.state != nullptr ? context.state->graphicsApertureSizeMB : 0, text);
  show(kIdApertureSize, "Graphics Aperture Size", text.c_str());
  AppendToSection(report, kVgaSection, "\r\n");
  return 1;
}

}  // namespace vx
