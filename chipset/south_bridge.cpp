// The PCI-to-ISA (or LPC) bridge, the chipset names that depend on it, and the USB field.
#include "chipset/chipset.h"
#include "hwaccess/access.h"

namespace vx {

namespace {

struct SouthRow {
  uint16_t device;
  uint8_t revLow, revHigh;  // the row applies to revisions revLow to revHigh
  const char* word;
};

const SouthRow kIntelSouthRows[] = {
    {0x122E, 0x00, 0xFF, "82371FB(PII)"},
    {0x2410, 0x00, 0xFF, "ICH:82801AA"},
    {0x2420, 0x00, 0xFF, "ICH0:82801AB"},
    {0x7000, 0x00, 0xFF, "82371SB(PIIX3)"},
    {0x7110, 0x02, 0xFF, "82371EB(PIIX4E)"},
    {0x7110, 0x00, 0x01, "82371AB(PIIX4)"},
    {0x7198, 0x00, 0xFF, "82443MX-100(include)"},
};

const SouthRow kViaSouthRows[] = {
    {0x0586, 0x00, 0x0F, "VT82C586"},
    {0x0586, 0x10, 0x2F, "VT82C586A"},
    {0x0586, 0x30, 0x3F, "VT82C586B(OEM)"},
    {0x0586, 0x40, 0x4F, "VT82C586B(Production)"},
    {0x0586, 0x50, 0xFF, "VT82C586x"},
    {0x0686, 0x00, 0xFF, "VT82C686A"},
};

const SouthRow kSisSouthRows[] = {
    {0x0008, 0x00, 0xFF, "5595"},
};

const SouthRow kAmdSouthRows[] = {
    {0x0586, 0x00, 0xFF, "645"},
    {0x7408, 0x00, 0xFF, "756"},
};

template <int N>
int NameSouthFromTable(const SouthRow (&rows)[N], const uint8_t* image, char* word) {
  uint16_t device = ImageWord(image, 0x02);
  uint8_t revision = ImageByte(image, 0x08);
  for (const SouthRow& row : rows) {
    if (row.device == device && revision >= row.revLow && revision <= row.revHigh) {
      TextCopy(word, kControlTextCapacity, row.word);
      return 1;
    }
  }
  return 0;
}

// Chipsets whose name depends on the south bridge they are paired with. Host and south are whole IDs
// (device ID in bits 31:16, vendor ID in bits 15:0).
struct RefineRow {
  uint32_t host;
  bool byViaRevision;        // true: ViaSouthRevision in revLow..revHigh; false: SouthBridgeId == south
  uint32_t revLow, revHigh;
  uint32_t south;
  const char* text;
};

const RefineRow kRefineRows[] = {
    {0x05851106, true, 0x00, 0x1F, 0, "VIA Apollo VP"},
    {0x05851106, true, 0x20, 0x2F, 0, "VIA Apollo VPX"},
    {0x05851106, true, 0x30, 0xFFFFFFFF, 0, "VIA Apollo VPX/97"},
    {0x05951106, true, 0x00, 0x2F, 0, "VIA Apollo VP2"},
    {0x05951106, true, 0x30, 0xFFFFFFFF, 0, "VIA Apollo VP2/97"},
    {0x153110B9, false, 0, 0, 0x153310B9, "ALi Aladdin IV"},
    {0x153110B9, false, 0, 0, 0x154310B9, "ALi Aladdin IV+"},
    {0x70061022, false, 0, 0, 0x06861106, "AMD-751 / VT82C686A"},
    {0x70061022, false, 0, 0, 0x74081022, "AMD-750"},
};

}  // namespace

int NameIntelSouth(const uint8_t* image, char* word) { return NameSouthFromTable(kIntelSouthRows, image, word); }

int NameViaSouth(ProgramState& state, const uint8_t* image, char* word) {
  state.viaSouthRevision = ImageByte(image, 0x08);
  return NameSouthFromTable(kViaSouthRows, image, word);
}

int NameSisSouth(const uint8_t* image, char* word) { return NameSouthFromTable(kSisSouthRows, image, word); }

int NameAmdSouth(const uint8_t* image, char* word) { return NameSouthFromTable(kAmdSouthRows, image, word); }

int IdentifySouthBridge(PageContext& context, PageModel& page) {
  if (context.access == nullptr || context.state == nullptr) return 0;
  ProgramState& state = *context.state;
  PciLocation at;
  // The first PCI-to-ISA bridge (class 06, subclass 01), function 0 of each device only.
  if (!FindFunctionByClass(*context.access, 0, 255, true, 0x06, 0x01, &at)) return 0;
  ConfigImage image = {};
  if (PciConfigReadBlock(*context.access, at.bus, at.device, 0, 0, image.bytes, kConfigImageBytes) == 0) return 0;
  const uint8_t* config = image.bytes;

  state.southBridgeId = ImageDword(config, 0x00);
  uint16_t vendor = ImageWord(config, 0x00), device = ImageWord(config, 0x02);
  page.SetTextFormat(IDC_MB_SOUTH_VENDOR, "%04X", vendor);
  page.SetTextFormat(IDC_MB_SOUTH_DEVICE, "%04X", device);
  page.SetTextFormat(IDC_MB_SOUTH_REVISION, "%02X", ImageByte(config, 0x08));

  Text<kControlTextCapacity> word, name;
  const char* prefix = nullptr;
  int named = 0;
  switch (vendor) {
    case 0x8086: prefix = "Intel "; named = NameIntelSouth(config, word.s); break;
    case 0x1106: prefix = "VIA "; named = NameViaSouth(state, config, word.s); break;
    case 0x10B9: prefix = "ALi "; word.Format("M%04X", device); named = 1; break;
    case 0x1039: prefix = "SiS"; named = NameSisSouth(config, word.s); break;
    case 0x1022: prefix = "AMD-"; named = NameAmdSouth(config, word.s); break;
    case 0x1004: prefix = "VLSI "; word.Format("%04X", device); named = 1; break;
    default: break;
  }
  if (named) {
    name.Set(prefix);
    name.Append(word.c_str());
  } else {
    name.Set("No Support");
  }
  page.SetText(IDC_MB_SOUTH_NAME, name.c_str());
  return 1;
}

int RefineChipsetName(PageContext& context, PageModel& page) {
  if (context.state == nullptr) return 1;
  const ProgramState& state = *context.state;
  for (const RefineRow& row : kRefineRows) {
    if (row.host != state.hostBridgeId) continue;
    bool match = row.byViaRevision
                     ? state.viaSouthRevision >= row.revLow && state.viaSouthRevision <= row.revHigh
                     : state.southBridgeId == row.south;
    if (match) {
      page.SetText(IDC_MB_CHIPSET, row.text);
      break;
    }
  }
  return 1;
}

int ShowUsbField(PageContext& context, PageModel& page) {
  if (context.access == nullptr) return 0;
  AccessState& access = *context.access;
  PciLocation at;
  // The first USB controller (class 0C, subclass 03), every function of every device.
  if (!FindFunctionByClass(access, 0, 255, false, 0x0C, 0x03, &at)) return 0;
  // The serial bus release number (0x10 for USB 1.0, 0x20 for 2.0) is configuration byte 0x60 of a UHCI
  // (programming interface 0x00) or EHCI (0x20) controller; OHCI (0x10) has no such register. Read only
  // through the PCIDebug driver; a failed read shows nothing.
  if (access.pciDriverOpen) {
    uint32_t progIf = (PciConfigRead32(access, at.bus, at.device, at.function, 0x08) >> 8) & 0xFF;
    if (progIf == 0x00 || progIf == 0x20) {
      uint32_t release = PciConfigRead32(access, at.bus, at.device, at.function, 0x60);
      if (release != 0xFFFFFFFFu)
        page.SetTextFormat(IDC_MB_USB, "%d.%d", static_cast<int>((release >> 4) & 0xF), static_cast<int>(release & 0xF));
    }
  }
  return 1;
}

}  // namespace vx
