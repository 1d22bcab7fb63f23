// AGP state of the host bridge (the AGP target in the chipset, not the card).
#include "video/agp.h"

#include "hwaccess/access.h"
#include "pcidebug/little_endian.h"
#include "report/page_writer.h"
#include "report/pages.h"
#include "resources/control_ids.h"

namespace vx {

namespace {

constexpr uint8_t kAgpCapabilityId = 0x02;
constexpr uint32_t kCapabilityListBit = 0x10;  // PCI status bit 4
constexpr uint32_t kLastWholeCapability = 0xEE;  // capability bytes +0x00 to +0x11 must fit in 0x00-0xFF

uint32_t Bit(uint32_t value, int bit) { return (value >> bit) & 1; }

// Report labels of the AGP block are padded to 22 characters.
constexpr int kLabelWidth = 22;

const char* EnableText(uint32_t bit) { return bit != 0 ? "Enable" : "Disable"; }

}  // namespace

bool DecodeAgpCapability(const uint8_t* image, AgpState* state) {
  uint32_t status = LoadLe16(image + 0x06);
  uint32_t p = image[0x34];
  // Only the first entry of the list counts; the next pointer is not followed.
  if ((status & kCapabilityListBit) == 0 || p > kLastWholeCapability || image[p] != kAgpCapabilityId) {
    return false;
  }
  const uint8_t* cap = image + p;
  uint32_t agpStatus = LoadLe32(cap + 0x04);
  uint32_t agpCommand = LoadLe32(cap + 0x08);
  uint32_t control = LoadLe16(cap + 0x10);
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
  uint8_t image[257] = {};
  if (PciConfigReadBlock(*context.access, 0, 0, 0, 0, image, 256) == 0) return 0;

  PageWriter w(*context.report, kVgaSection, page, kLabelWidth);
  AgpText text;
  w.Line("\r\n");

  AgpState agp = {};
  if (!DecodeAgpCapability(image, &agp)) {
    w.Field(IDC_VGA_AGP_OPERATION, "AGP Operation", "No Support");
    w.Line("\r\n");
    return 0;
  }

  w.Field(IDC_VGA_AGP_OPERATION, "AGP Operation", "Support");
  text.Format("%u.%u", static_cast<unsigned>(agp.revisionMajor), static_cast<unsigned>(agp.revisionMinor));
  w.Field(IDC_VGA_AGP_REVISION, "Revision", text.c_str());
  w.Line("Data Transfer Rate\r\n");
  FormatAgpRates(agp.rates, text);
  w.Field(IDC_VGA_SUPPORT_RATE, "  Support Rate", text.c_str());
  FormatAgpDataRate(agp.dataRate, text);
  w.Field(IDC_VGA_CURRENT_RATE, "  Current Rate", text.c_str());
  w.Field(IDC_VGA_AGP_MODE, "AGP Mode", EnableText(agp.enabled));
  text.Format("%u", static_cast<unsigned>(agp.queueDepth));
  w.Field(IDC_VGA_QUEUE_DEPTH, "Pipeline RQ depth", text.c_str());
  w.Field(IDC_VGA_FOUR_GB, "4GB Addressing", SupportStateText(agp.fourGbSupported, agp.fourGbEnabled));
  w.Field(IDC_VGA_GTLB_FLUSH, "GTBL Flush", EnableText(agp.gtlbFlushEnabled));  // product spelling, report.h
  w.Field(IDC_VGA_FAST_WRITE, "Fast Write Transfer", SupportStateText(agp.fastWriteSupported, agp.fastWriteEnabled));
  w.Field(IDC_VGA_SIDE_BAND, "Side-band Addressing", SupportStateText(agp.sideBandSupported, agp.sideBandEnabled));
  w.Field(IDC_VGA_READ_SYNC, "AGP Read Sync", EnableText(agp.readSyncEnabled));
  FormatApertureSize(context.state != nullptr ? context.state->graphicsApertureSizeMB : 0, text);
  w.Field(IDC_VGA_APERTURE_SIZE, "Graphics Aperture Size", text.c_str());
  w.Line("\r\n");
  return 1;
}

}  // namespace vx
