// The host bridge at bus 0, device 0, function 0: its IDs, the graphics aperture size, and per vendor the
// table that names the chipset and the bridge chip and says which stepping, memory decoder and cache
// decoder apply.
#include <string.h>

#include "chipset/chipset.h"
#include "cpu/cpu_record.h"
#include "hwaccess/access.h"

namespace vx {

namespace {

constexpr uint8_t kAll = 0xFF;

constexpr Stepping kNone{kNoStepping, 0, 0};
constexpr Stepping Fixed(uint8_t v) { return Stepping{kSteppingFixed, v, 0}; }
constexpr Stepping WhenRev(uint8_t v, uint8_t rev) { return Stepping{kSteppingWhenRevision, v, rev}; }
constexpr Stepping RevPlus(uint8_t v) { return Stepping{kSteppingRevisionPlus, v, 0}; }
constexpr Stepping kAmdStep{kSteppingAmd, 0, 0};
constexpr Stepping kM1531Step{kSteppingAliM1531, 0, 0};

// Memory decoders with the registers each chip keeps its rows in.
constexpr MemoryRegisters kRegs{};
constexpr MemoryDecoderCall kNoMem{nullptr, kRegs};
constexpr MemoryDecoderCall k430Paired{DecodeMemory430FX, kRegs.WithFirst(0x60).PairedRows()};
constexpr MemoryDecoderCall k430Single{DecodeMemory430FX, kRegs.WithFirst(0x60)};
constexpr MemoryDecoderCall k430TX{DecodeMemory430TX, kRegs.WithFirst(0x60)};
constexpr MemoryDecoderCall k440FXRules{DecodeMemory440FX, kRegs};
constexpr MemoryDecoderCall k440LXRules{DecodeMemory440FX, kRegs.LxRules()};
constexpr MemoryDecoderCall k440BX{DecodeMemory440BX,
                                   kRegs.WithDramControl(0x57).WithFirst(0x60).WithSdramControl(0x74)};
constexpr MemoryDecoderCall k810{DecodeMemory810, kRegs};
constexpr MemoryDecoderCall k820{DecodeMemory820, kRegs};
constexpr MemoryDecoderCall k840{DecodeMemory840, kRegs};
constexpr MemoryDecoderCall kViaVp{DecodeMemoryViaVp, kRegs.WithFirst(0x58)};
constexpr MemoryDecoderCall kViaPro{DecodeMemoryViaPro, kRegs.WithFirst(0x58)};
constexpr MemoryDecoderCall kAliPlain{DecodeMemoryAli, kRegs.WithFirst(0x60)};
constexpr MemoryDecoderCall kAliPlusOne{DecodeMemoryAli, kRegs.WithFirst(0x60).PlusOne()};
constexpr MemoryDecoderCall kSis5597{DecodeMemorySis5597, kRegs.WithFirst(0x60)};
constexpr MemoryDecoderCall kSis530{DecodeMemorySis530, kRegs.WithFirst(0x60)};
constexpr MemoryDecoderCall kAmd751{DecodeMemoryAmd751, kRegs.WithFirst(0x40)};

// Cache decoders with their cache control register.
constexpr CacheDecoderCall kNoL2{nullptr, 0};
constexpr CacheDecoderCall kL2430{DecodeL2Intel430, 0x52};
constexpr CacheDecoderCall kL2Vp2{DecodeL2ViaVp2, 0x50};
constexpr CacheDecoderCall kL2Vp3{DecodeL2ViaVp3, 0x50};
constexpr CacheDecoderCall kL2M1451{DecodeL2AliM1451, 0x41};
constexpr CacheDecoderCall kL2M1511{DecodeL2AliM1511, 0x41};
constexpr CacheDecoderCall kL2M1521{DecodeL2AliM1521, 0x41};
constexpr CacheDecoderCall kL25596{DecodeL2Sis5596, 0x50};
constexpr CacheDecoderCall kL25597{DecodeL2Sis5597, 0x50};
constexpr CacheDecoderCall kL2530{DecodeL2Sis530, 0x50};

// A row whose words are its own texts.
constexpr HostRow Row(uint32_t device, uint8_t lo, uint8_t hi, const char* chipset, const char* host, Stepping s,
                      MemoryDecoderCall m, CacheDecoderCall c, HostExtra extra = kNoExtra) {
  return HostRow{device, lo, hi, kWordText, chipset, kWordText, host, s, m, c, extra};
}
constexpr HostRow Row(uint32_t device, const char* chipset, const char* host, Stepping s, MemoryDecoderCall m,
                      CacheDecoderCall c) {
  return Row(device, 0, kAll, chipset, host, s, m, c);
}

const HostRow kIntelRows[] = {
    Row(0x04A3, "82434(PCMC)", "", kNone, kNoMem, kNoL2),
    Row(0x122D, "430FX PCISet", "82439FX", kNone, k430Paired, kL2430),
    Row(0x1235, "82430MX PCISet", "82437MX", kNone, k430Single, kL2430),
    Row(0x1237, "440FX PCISet", "82441FX", kNone, k440FXRules, kNoL2),
    Row(0x1250, "430HX PCISet", "82439HX", kNone, k430Paired, kL2430),
    Row(0x1A24, "840 Chipset", "82840", WhenRev(0xA0, 0), k840, kNoL2),
    Row(0x2000, "430VX PCISet", "82439VX", kNone, k430TX, kL2430),
    Row(0x2500, "820 Chipset", "82820", WhenRev(0xB1, 3), k820, kNoL2),
    Row(0x7100, "430TX PCISet", "82439TX", kNone, k430TX, kL2430),
    Row(0x7120, "810 Chipset", "82810", Fixed(0xA2), k810, kNoL2),
    Row(0x7122, "810-DC100", "82810-DC100", Fixed(0xA2), k810, kNoL2),
    Row(0x7124, "810E Chipset", "82810E", kNone, k810, kNoL2),
    Row(0x7180, "440LX/EX AGPSet", "82443LX/EX", kNone, k440LXRules, kNoL2),
    // The 440BX host bridge without (0x7190) and with (0x7192) its AGP port disabled. Revision 2 is the B1
    // stepping, revision 3 the C1; any other revision is still a 440BX, named with empty words.
    Row(0x7190, 2, 2, "440BX/ZX AGPSet", "82443BX/ZX", Fixed(0xB1), k440BX, kNoL2),
    Row(0x7190, 3, 3, "440BX AGPSet", "82443BX", Fixed(0xC1), k440BX, kNoL2),
    Row(0x7190, 0, kAll, "", "", kNone, k440BX, kNoL2),
    Row(0x7192, 2, 2, "440BX/ZX AGPSet", "82443BX/ZX", Fixed(0xB1), k440BX, kNoL2),
    Row(0x7192, 3, 3, "440BX AGPSet", "82443BX", Fixed(0xC1), k440BX, kNoL2),
    Row(0x7192, 0, kAll, "", "", kNone, k440BX, kNoL2),
    Row(0x7194, "440MX-100", "82443MX-100", kNone, k440BX, kNoL2),
    Row(0x71A0, "440GX AGPSet", "82443GX", Fixed(0xA2), k440BX, kNoL2),
    Row(0x71A2, "440GX AGPSet", "82443GX", Fixed(0xA2), k440BX, kNoL2),
    Row(0x84C4, "450KX/GX PCISet", "82454KX/GX", kNone, kNoMem, kNoL2),
    Row(0x84CA, "450NX PCISet", "82454NX", kNone, kNoMem, kNoL2),
};

// VIA steppings are the revision plus 0x0A (revision 0 reads " A").
const HostRow kViaRows[] = {
    Row(0x0305, "KT133", "", kNone, kViaPro, kNoL2),
    Row(0x0391, "KX133", "VT82C8371", kNone, kViaPro, kNoL2),
    Row(0x0501, "MVP4", "VT82C8501", RevPlus(0x0A), kViaPro, kL2Vp3),
    // VPX and VP2: the chipset name follows from the south bridge revision.
    Row(0x0585, "", "VT82C580VPX", RevPlus(0x0A), kViaVp, kL2Vp2),
    Row(0x0595, "", "VT82C595", RevPlus(0x0A), kViaVp, kL2Vp2),
    Row(0x0597, 0x00, 0x03, "VP3", "VT82C597", RevPlus(0x0A), kViaVp, kL2Vp3),
    Row(0x0597, 0x04, kAll, "MVP3", "VT82C598AT", RevPlus(0x0A), kViaVp, kL2Vp3),
    Row(0x0601, "PM601", "VT82C8601", kNone, kViaPro, kNoL2),
    Row(0x0691, 0x00, 0xAF, "Pro", "VT82C691", kNone, kViaPro, kNoL2),
    Row(0x0691, 0xB0, 0xBF, "Pro133", "VT82C693A", kNone, kViaPro, kNoL2),
    Row(0x0691, 0xC0, kAll, "Pro133A", "VT82C694X", kNone, kViaPro, kNoL2),
};

// ALi: the bridge chip is "M" and its device ID.
constexpr HostRow AliRow(uint32_t device, const char* chipset, Stepping s, MemoryDecoderCall m, CacheDecoderCall c) {
  return HostRow{device, 0, kAll, kWordText, chipset, kWordAliChip, "", s, m, c, kNoExtra};
}
const HostRow kAliRows[] = {
    AliRow(0x1445, "", kNone, kNoMem, kNoL2),
    AliRow(0x1451, " ", kNone, kNoMem, kL2M1451),
    AliRow(0x1511, "II", kNone, kNoMem, kL2M1511),
    AliRow(0x1521, "III", kNone, kAliPlain, kL2M1521),
    // The M1531 (Aladdin IV or IV+) is named from its south bridge.
    AliRow(0x1531, "", kM1531Step, kAliPlain, kL2M1521),
    AliRow(0x1541, "V", kNone, kAliPlusOne, kL2M1521),
    AliRow(0x1542, "V", kNone, kAliPlusOne, kL2M1521),
    AliRow(0x1561, "VII", kNone, kAliPlusOne, kL2M1521),
    AliRow(0x1611, "Pro", kNone, kAliPlusOne, kNoL2),
    AliRow(0x1621, "Pro II", kNone, kAliPlusOne, kNoL2),
    AliRow(0x1631, "TNT2", kNone, kAliPlusOne, kNoL2),
    AliRow(0x1641, "Pro IV", kNone, kAliPlusOne, kNoL2),
};

// SiS: one word, formatted from the device ID, names both.
constexpr HostRow SisRow(uint32_t device, WordRule rule, Stepping s, MemoryDecoderCall m, CacheDecoderCall c) {
  return HostRow{device, 0, kAll, rule, "", rule, "", s, m, c, kNoExtra};
}
const HostRow kSisRows[] = {
    SisRow(0x0530, kWordSisThree, RevPlus(0xA0), kSis530, kL2530),
    SisRow(0x0540, kWordSisThree, RevPlus(0xA0), kSis530, kL2530),
    SisRow(0x0620, kWordSisThree, RevPlus(0xA0), kSis530, kNoL2),
    SisRow(0x0630, kWordSisThree, RevPlus(0xA0), kSis530, kNoL2),
    SisRow(0x0730, kWordSisThree, RevPlus(0xA0), kSis530, kNoL2),
    SisRow(0x0740, kWordSisThree, RevPlus(0xA0), kSis530, kNoL2),
    SisRow(0x5581, kWordSisPair, kNone, kSis5597, kL25597),
    SisRow(0x5591, kWordSisPair, kNone, kSis5597, kL25597),
    SisRow(0x5597, kWordSisPair, kNone, kSis5597, kL25597),
    SisRow(0x5596, kWordSisFour, kNone, kSis5597, kL25596),
    SisRow(0x5600, kWordSisThree, RevPlus(0xA0), kSis5597, kNoL2),
};

const HostRow kAmdRows[] = {
    // The AMD-640 is VIA's VP2 design: VIA's aperture, memory and cache registers.
    Row(0x0595, 0, kAll, "640", "640", kAmdStep, kViaVp, kL2Vp2, kExtraViaAperture),
    Row(0x7006, 0, kAll, "", "751", kAmdStep, kAmd751, kNoL2, kExtraSuperBypass),
};

const HostRow kVlsiRows[] = {
    HostRow{0x0007, 0, kAll, kWordText, "Wildcat", kWordHexDevice, "", kNone, kNoMem, kNoL2, kNoExtra},
    HostRow{kAnyDevice, 0, kAll, kWordText, "Eagle", kWordHexDevice, "", kNone, kNoMem, kNoL2, kNoExtra},
};

template <int N>
constexpr HostTable Table(const HostRow (&rows)[N]) {
  return HostTable{rows, N};
}

void ComposeWord(WordRule rule, const char* text, uint16_t device, char* out) {
  switch (rule) {
    case kWordText: TextCopy(out, kControlTextCapacity, text); break;
    case kWordAliChip: TextFormat(out, kControlTextCapacity, "M%04X", device); break;
    case kWordSisThree: TextFormat(out, kControlTextCapacity, "%03X", device & 0xFFFu); break;
    case kWordSisPair: TextFormat(out, kControlTextCapacity, "%04X/%04X", device, device + 1u); break;
    case kWordSisFour:
    case kWordHexDevice: TextFormat(out, kControlTextCapacity, "%04X", device); break;
  }
}

// The table step common to the six vendor routines.
int NameHostFromTable(const HostTable& table, ProgramState& state, PageModel& page, const uint8_t* image,
                      char* chipsetWord, char* hostWord) {
  uint16_t device = ImageWord(image, 0x02);
  uint8_t revision = ImageByte(image, 0x08);
  const HostRow* row = FindHostRow(table, device, revision);
  if (row == nullptr) return 0;
  ComposeWord(row->chipsetRule, row->chipsetWord, device, chipsetWord);
  ComposeWord(row->hostRule, row->hostWord, device, hostWord);
  uint32_t stepping;
  if (SteppingValue(row->stepping, revision, &stepping)) ShowStepping(page, stepping);
  if (row->memory.decode != nullptr) row->memory.decode(page, image, row->memory.regs);
  if (row->cache.decode != nullptr) row->cache.decode(page, image, row->cache.reg);
  if (row->extra == kExtraViaAperture) state.graphicsApertureSizeMB = ViaApertureSizeMB(ImageByte(image, 0x84));
  if (row->extra == kExtraSuperBypass) {
    page.Enable(IDC_MB_SUPER_BYPASS);
    page.Enable(IDC_MB_SUPER_BYPASS_LABEL);
    page.SetText(IDC_MB_SUPER_BYPASS, ImageDword(image, 0x60) & 0x200 ? "Enable" : "Disable");
  }
  return 1;
}

enum ApertureRule { kNoAperture, kIntelAperture, kViaAperture, kAliAperture, kSisAperture, kAmdAperture };

using HostRoutine = int (*)(ProgramState&, PageModel&, const uint8_t*, char*, char*);

struct HostVendor {
  uint16_t vendor;
  ApertureRule aperture;
  HostRoutine routine;
  const char* chipsetPrefix;  // the chipset text is this prefix and the chipset word
  bool chipsetNeedsWord;      // the chipset text stays empty for an empty word
  const char* hostPrefix;     // the host name is this prefix and the host chip word
};

const HostVendor kHostVendors[] = {
    {0x8086, kIntelAperture, NameIntelHost, "Intel ", false, "Intel "},
    {0x1106, kViaAperture, NameViaHost, "VIA Apollo ", true, "VIA "},
    {0x10B9, kAliAperture, NameAliHost, "ALi Aladdin ", true, "ALi "},
    {0x1039, kSisAperture, NameSisHost, "SiS", false, "SiS"},
    {0x1022, kAmdAperture, NameAmdHost, "AMD-", false, "AMD-"},
    {0x1004, kNoAperture, NameVlsiHost, "VLSI ", false, "VLSI "},
};

uint32_t ApertureSizeMB(ApertureRule rule, const uint8_t* image) {
  switch (rule) {
    case kIntelAperture: return IntelApertureSizeMB(ImageByte(image, 0xB4));
    case kViaAperture: return ViaApertureSizeMB(ImageByte(image, 0x84));
    case kAliAperture: return ShiftApertureSizeMB(4, (ImageByte(image, 0x88) >> 4) & 7);
    case kSisAperture: return ShiftApertureSizeMB(4, (ImageByte(image, 0x94) >> 4) & 7);
    case kAmdAperture: return ShiftApertureSizeMB(32, (ImageByte(image, 0xAC) >> 1) & 7);
    case kNoAperture: break;
  }
  return 0;
}

// Halves 256 MB for each set bit from the top bit down, stopping at the first clear bit.
uint32_t HalvingApertureSizeMB(uint8_t reg, int topBit) {
  uint32_t size = 256;
  for (int bit = topBit; bit >= 0 && (reg & (1u << bit)); --bit) size /= 2;
  return size;
}

}  // namespace

const HostTable kIntelHostTable = Table(kIntelRows);
const HostTable kViaHostTable = Table(kViaRows);
const HostTable kAliHostTable = Table(kAliRows);
const HostTable kSisHostTable = Table(kSisRows);
const HostTable kAmdHostTable = Table(kAmdRows);
const HostTable kVlsiHostTable = Table(kVlsiRows);

const HostRow* FindHostRow(const HostTable& table, uint16_t device, uint8_t revision) {
  for (int i = 0; i < table.count; ++i) {
    const HostRow& row = table.rows[i];
    if ((row.device == kAnyDevice || row.device == device) && revision >= row.revLow && revision <= row.revHigh)
      return &row;
  }
  return nullptr;
}

bool SteppingValue(const Stepping& stepping, uint8_t revision, uint32_t* value) {
  switch (stepping.rule) {
    case kNoStepping: return false;
    case kSteppingFixed: *value = stepping.value; return true;
    case kSteppingWhenRevision:
      if (revision != stepping.rev) return false;
      *value = stepping.value;
      return true;
    case kSteppingRevisionPlus: *value = static_cast<uint32_t>(revision) + stepping.value; return true;
    case kSteppingAmd: *value = (revision & 0x77u) + 0xA0u; return true;
    case kSteppingAliM1531: *value = revision == 1 ? 0xA0u : revision; return true;
  }
  return false;
}

uint32_t IntelApertureSizeMB(uint8_t reg) { return HalvingApertureSizeMB(reg, 5); }
uint32_t ViaApertureSizeMB(uint8_t reg) { return HalvingApertureSizeMB(reg, 7); }
uint32_t ShiftApertureSizeMB(uint32_t unit, uint8_t field) { return unit << (field & 7); }

void ShowStepping(PageModel& page, uint32_t value) { page.SetTextFormat(IDC_MB_STEPPING, "%2X", value); }

int NameIntelHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord) {
  return NameHostFromTable(kIntelHostTable, state, page, image, chipsetWord, hostWord);
}
int NameViaHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord) {
  return NameHostFromTable(kViaHostTable, state, page, image, chipsetWord, hostWord);
}
int NameAliHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord) {
  return NameHostFromTable(kAliHostTable, state, page, image, chipsetWord, hostWord);
}
int NameSisHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord) {
  return NameHostFromTable(kSisHostTable, state, page, image, chipsetWord, hostWord);
}
int NameAmdHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord) {
  return NameHostFromTable(kAmdHostTable, state, page, image, chipsetWord, hostWord);
}
int NameVlsiHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord) {
  return NameHostFromTable(kVlsiHostTable, state, page, image, chipsetWord, hostWord);
}

bool IsK6III(const char* cpuName) { return cpuName != nullptr && strstr(cpuName, "K6-III") != nullptr; }

int IdentifyHostBridge(PageContext& context, PageModel& page) {
  if (context.access == nullptr || context.state == nullptr) return 0;
  ProgramState& state = *context.state;
  Text<kControlTextCapacity> chipsetText, hostName, chipsetWord, hostWord;
  ConfigImage image = {};

  if (PciConfigReadBlock(*context.access, 0, 0, 0, 0, image.bytes, kConfigImageBytes) == 0) return 0;
  const uint8_t* config = image.bytes;
  if (ImageByte(config, 0x0A) != 0x00 || ImageByte(config, 0x0B) != 0x06) return 0;

  state.hostBridgeId = ImageDword(config, 0x00);
  uint16_t vendor = ImageWord(config, 0x00);
  page.SetTextFormat(IDC_MB_HOST_VENDOR, "%04X", vendor);
  page.SetTextFormat(IDC_MB_HOST_DEVICE, "%04X", ImageWord(config, 0x02));
  page.SetTextFormat(IDC_MB_HOST_REVISION, "%02X", ImageByte(config, 0x08));

  const HostVendor* known = nullptr;
  for (const HostVendor& v : kHostVendors)
    if (v.vendor == vendor) known = &v;
  if (known == nullptr) {
    chipsetText.Set("No Support");
  } else {
    // The aperture size is kept before the device is looked up: it holds even for an unknown device.
    if (known->aperture != kNoAperture) state.graphicsApertureSizeMB = ApertureSizeMB(known->aperture, config);
    if (known->routine(state, page, config, chipsetWord.s, hostWord.s) == 0) {
      chipsetText.Set("No Support");
    } else {
      if (!known->chipsetNeedsWord || !chipsetWord.Empty()) {
        chipsetText.Set(known->chipsetPrefix);
        chipsetText.Append(chipsetWord.c_str());
      }
      hostName.Set(known->hostPrefix);
      hostName.Append(hostWord.c_str());
    }
  }
  page.SetText(IDC_MB_CHIPSET, chipsetText.c_str());
  page.SetText(IDC_MB_HOST_NAME, hostName.c_str());

  if (context.cpuid != nullptr) {
    CpuRecord record;
    ProbeCpu(record, *context.cpuid);
    char name[sizeof record.name + 1];
    memcpy(name, record.name, sizeof record.name);
    name[sizeof record.name] = 0;
    if (IsK6III(name)) page.SetText(IDC_MB_L2_LABEL, "L3Cache");
  }
  return 1;
}

}  // namespace vx
