// Display adapter names: seventeen PCI vendor IDs, each with its model table keyed by device ID and, for
// Matrox, nVidia, ATI and 3Dlabs boards, by subsystem ID.
#include "video/graphics_adapter.h"

#include "pcidebug/little_endian.h"

namespace vx {

namespace {

constexpr int32_t kAny = -1;

// A model table row: the first row whose device ID matches, and whose subsystem ID matches or is kAny,
// gives the model text. A device without a row is not named.
struct ModelRow {
  uint16_t device;
  int32_t subsystem;
  const char* text;
  bool named;  // false: the text is shown, but without the vendor word
};

uint16_t DeviceIdOf(const uint8_t* image) { return LoadLe16(image + 0x02); }
uint16_t SubsystemIdOf(const uint8_t* image) { return LoadLe16(image + 0x2E); }

template <size_t N>
int LookUpModel(const ModelRow (&rows)[N], const uint8_t* image, NameText& model) {
  uint16_t device = DeviceIdOf(image);
  int32_t subsystem = SubsystemIdOf(image);
  for (const ModelRow& row : rows) {
    if (row.device != device) continue;
    if (row.subsystem != kAny && row.subsystem != subsystem) continue;
    model.Set(row.text);
    return row.named ? 1 : 0;
  }
  return 0;
}

const ModelRow kMatroxModels[] = {
    {0x0519, kAny, "MGA Millennium", true},
    {0x051A, kAny, "MGA Mystique", true},
    {0x051B, kAny, "MGA Millennium II", true},
    {0x051F, kAny, "MGA Millennium II AGP", true},
    {0x0520, 0xFF03, "Marvel G200 PCI", true},
    {0x0520, 0xFF04, "Millennium G200 SD PCI", true},
    // Any other G200 PCI board: the chip's own name rather than the vendor word alone.
    {0x0520, kAny, "G200 PCI", true},
    {0x0521, 0x0032, "Millennium-G200 AGP", true},
    {0x0521, 0xFF00, "Millennium-G200 AGP", true},
    {0x0521, 0x48E9, "Mystique G200 AGP", true},
    {0x0521, 0xFF02, "Mystique G200 AGP", true},
    {0x0521, 0x48F8, "Millennium G200 SD AGP", true},
    {0x0521, 0x4A60, "Millennium G200 LE AGP", true},
    {0x0521, 0x4A64, "Millennium G200 AGP", true},
    {0x0521, 0xC93C, "Millennium G200 AGP", true},
    {0x0521, 0xC9B0, "Millennium G200 AGP", true},
    {0x0521, 0xC9BC, "Millennium G200 AGP", true},
    {0x0521, 0xDBBC, "Millennium G200 AGP", true},
    {0x0521, 0xFF03, "Millennium G200 AGP", true},
    {0x0521, 0xCA60, "Millennium G250 LE AGP", true},
    {0x0521, 0xCA6C, "Millennium G250 AGP", true},
    {0x0521, 0xF806, "Mystique G200 Video AGP", true},
    {0x0521, 0xFF04, "Marvel G200 AGP", true},
    {0x0521, kAny, "G200 Multi-Monitor", true},
    // A G400 sold without Matrox branding: shown as the board's own name.
    {0x0525, 0x0400, "GA-G400", false},
    {0x0525, 0x2159, "Millennium G400 DualHead", true},
    {0x0525, 0x2179, "Millennium G400 DualHead", true},
    {0x0525, 0x217D, "Millennium G400 DualHead Max", true},
    {0x0525, 0x3693, "Marvel G400 AGP", true},
    {0x0525, 0xB16F, "G400 AGP", true},
    {0x0525, kAny, "Millennium G400", true},
    {0x1000, 0xFF01, "Productiva G100 AGP", true},
    {0x1001, 0xFF01, "Productiva G100 AGP", true},
    {0x1000, 0xFF03, "Millennium G100 AGP", true},
    {0x1001, 0xFF03, "Millennium G100 AGP", true},
    {0x1000, 0xFF05, "Productiva G100 Multi-Monitor", true},
    {0x1001, 0xFF05, "Productiva G100 Multi-Monitor", true},
    {0x1000, kAny, "MGA-G100 AGP", true},
    {0x1001, kAny, "MGA-G100 AGP", true},
};

const ModelRow kNvidiaModels[] = {
    {0x0018, kAny, "Riva 128/128ZX", true},
    {0x0020, kAny, "Riva TNT", true},
    {0x0028, 0x0005, "Riva TNT2 Pro", true},
    {0x0028, 0x051A, "Riva TNT2 Pro", true},
    {0x0028, kAny, "Riva TNT2", true},
    {0x0029, kAny, "Riva TNT2 ULTRA", true},
    {0x002C, kAny, "Riva TNT2 VANTA", true},
    {0x002D, kAny, "Riva TNT2 M64", true},
    {0x0100, kAny, "GeForce256", true},
    {0x0101, kAny, "GeForce256 DDR", true},
    {0x0103, kAny, "GeForce256 Quadra", true},
    {0x0150, kAny, "GeForce2 GTS", true},
    {0x0151, kAny, "GeForce2 GTS DDR", true},
    {0x0152, kAny, "GeForce2 GTS Quadra", true},
    {0x0153, kAny, "Nv15GL", true},
    {0x0200, kAny, "Nv20", true},
    {0x0201, kAny, "Nv20", true},
    {0x0202, kAny, "Nv20", true},
    {0x0203, kAny, "Nv20", true},
};

// ATI boards other than the Rage 128 family.
const ModelRow kAtiModels[] = {
    {0x4158, kAny, "Mach32", true},
    {0x4354, kAny, "Mach64 CT", true},
    {0x4358, kAny, "Mach64 CX", true},
    {0x4554, kAny, "Mach64 ET", true},
    {0x4742, kAny, "RAGE PRO TURBO AGP 2X", true},
    {0x4744, kAny, "RAGE PRO TURBO AGP", true},
    {0x474D, kAny, "RAGE XL AGP", true},
    {0x4750, kAny, "RAGE PRO TURBO PCI", true},
    {0x4754, kAny, "Mach64 GT", true},
    {0x4755, kAny, "Rage II+(U3)", true},
    {0x4758, kAny, "Mach64 GX", true},
    {0x4C42, kAny, "RAGE LT PRO AGP 2X", true},
    {0x4C49, kAny, "RAGE LT PRO PCI", true},
    {0x4C50, kAny, "RAGE LT PRO PCI", true},
    {0x4C4D, kAny, "MOBILITY AGP", true},
    {0x4C52, kAny, "RAGE LT PRO", true},
    {0x4C54, kAny, "Mach64 LT", true},
    {0x5052, kAny, "Rage 128 Pro AGP 4X", true},
    {0x534D, kAny, "Xpert 99 AGP", true},
    {0x5654, kAny, "Mach64 VT", true},
};

// Rage 128 chips: model word and bus index (1 AGP, 2 PCI).
struct Rage128Chip {
  uint16_t device;
  const char* model;
  uint8_t bus;
};

const Rage128Chip kRage128Chips[] = {
    {0x5046, "Pro", 1}, {0x5245, "GL", 2}, {0x5246, "GL", 1}, {0x524B, "VR", 2}, {0x524C, "VR", 1},
};

const char* const kRage128BusWords[3] = {"", "AGP ", "PCI"};
// The subsystem's two-bit memory field; value 3 names no memory type and gets no word.
const char* const kRage128MemoryWords[4] = {"", "SG ", "SD ", ""};

const ModelRow k3DlabsModels[] = {
    {0x0004, kAny, "Permedia", true},
    {0x0005, kAny, "Permedia", true},
    {0x1004, kAny, "Permedia", true},
    {0x3D04, kAny, "Permedia", true},
    {0x0009, kAny, "Permedia2A", true},
    {0x3D07, kAny, "Permedia2", true},
    {0x000A, 0x0116, "Oxygen GVX1 AGP", true},
    {0x000C, 0x0116, "Oxygen GVX1 AGP", true},
    {0x000A, 0x0121, "Oxygen VX1 PCI", true},
    {0x000C, 0x0121, "Oxygen VX1 PCI", true},
    {0x000A, 0x0129, "Oxygen VX1 PCI", true},
    {0x000C, 0x0129, "Oxygen VX1 PCI", true},
    {0x000A, 0x0125, "Oxygen VX1 AGP", true},
    {0x000C, 0x0125, "Oxygen VX1 AGP", true},
    {0x000A, 0x0130, "Oxygen VX1 AGP", true},
    {0x000C, 0x0130, "Oxygen VX1 AGP", true},
    {0x000A, 0x0144, "Oxygen VX1 AGP", true},
    {0x000C, 0x0144, "Oxygen VX1 AGP", true},
    {0x000A, 0x0127, "Permedia3 Create!", true},
    {0x000C, 0x0127, "Permedia3 Create!", true},
    {0x000A, 0x0134, "Oxygen GVX1 PCI", true},
    {0x000C, 0x0134, "Oxygen GVX1 PCI", true},
    {0x000A, 0x0136, "Oxygen GVX210", true},
    {0x000C, 0x0136, "Oxygen GVX210", true},
    {0x000A, 0x0140, "Oxygen VX1-16", true},
    {0x000C, 0x0140, "Oxygen VX1-16", true},
};

const ModelRow kS3Models[] = {
    {0x5631, kAny, "ViRGE PCI", true},
    {0x8810, kAny, "Trio32 PCI", true},
    {0x8811, kAny, "Trio32/64/64V+ PCI", true},
    {0x8812, kAny, "Aurora64V+", true},
    {0x8814, kAny, "Trio64UV+", true},
    {0x8815, kAny, "Aurora128", true},
    {0x883D, kAny, "ViRGE/VX PCI", true},
    {0x8880, kAny, "Vision868 PCI", true},
    {0x8881, kAny, "Vision968 PCI", true},
    {0x88B0, kAny, "928 PCI", true},
    {0x88C0, kAny, "Vision864 PCI", true},
    {0x88C1, kAny, "Vision864 PCI", true},
    {0x88D0, kAny, "Vision964 PCI", true},
    {0x88D1, kAny, "Vision964 PCI", true},
    {0x8901, kAny, "Trio64V2 DX/GX", true},
    {0x8A01, kAny, "ViRGE(DX/GX) PCI", true},
    {0x8A22, kAny, "Savage4", true},
    {0x9102, kAny, "Savage2000", true},
};

const ModelRow kTridentModels[] = {
    {0x8400, kAny, "CyberBlade i7 AGP", true},
    {0x8420, kAny, "CyberBlade i7 AGP", true},
    {0x8520, kAny, "CyberBlade i1 AGP", true},
    {0x9320, kAny, "9320 PCI", true},
    {0x9440, kAny, "9440 PCI", true},
    {0x9660, kAny, "968x/938x PCI", true},
    {0x9750, kAny, "3D Image 9750 PCI/AGP", true},
    {0x9850, kAny, "Image 9850 AGP", true},
};

const ModelRow kCirrusModels[] = {
    {0x0038, kAny, "7548", true}, {0x00A0, kAny, "5430/40", true}, {0x00A8, kAny, "5434", true},
    {0x00AC, kAny, "5436", true}, {0x00B8, kAny, "5446", true},    {0x00BC, kAny, "5480", true},
    {0x00D0, kAny, "5462", true}, {0x00D4, kAny, "5464", true},
};

const ModelRow kChipsModels[] = {
    {0x00B8, kAny, "64310", true}, {0x00D8, kAny, "65545", true}, {0x00DC, kAny, "65548", true},
    {0x00E0, kAny, "65550", true}, {0x00E4, kAny, "65554", true},
};

const ModelRow kIntelGraphicsModels[] = {
    {0x7121, kAny, "810(GMCH)", true},
    {0x7123, kAny, "810-DC100(GMCH)", true},
    {0x7125, kAny, "810E(GMCH)", true},
    {0x7800, kAny, "740", true},
};

// The 6306 and 6326 are named by their device ID in hexadecimal.
const ModelRow kSisModels[] = {
    {0x0300, kAny, "300", true},
    {0x5300, kAny, "300", true},
    {0x6306, kAny, "6306", true},
    {0x6326, kAny, "6326", true},
};

const ModelRow k3dfxModels[] = {
    {0x0003, kAny, "Voodoo Banshee", true},
    {0x0004, kAny, "Voodoo3", true},
    {0x0005, kAny, "Voodoo3", true},
};

const ModelRow kNumberNineModels[] = {
    {0x2309, kAny, "Imagine 128", true},
    {0x2339, kAny, "Imagine 128(Series 2)", true},
};

const ModelRow kNeoMagicModels[] = {
    {0x0001, kAny, "128 PCI", true},
    {0x0002, kAny, "128V", true},
    {0x0003, kAny, "128ZV", true},
};

const ModelRow kRenditionModels[] = {
    {0x0001, kAny, "Verite 1000 PCI", true},
};

const ModelRow kTsengModels[] = {
    {0x3202, kAny, "ET4000/W32 PCI", true}, {0x3205, kAny, "ET4000/W32 PCI", true},
    {0x3206, kAny, "ET4000/W32 PCI", true}, {0x3207, kAny, "ET4000/W32 PCI", true},
    {0x3208, kAny, "ET6000 PCI", true},
};

// The name is prefix, model text, suffix.
struct VendorRow {
  uint16_t vendor;
  ModelNamer namer;
  const char* prefix;
  const char* suffix;
};

const VendorRow kVendors[] = {
    {0x1002, NameAtiModel, "ATI ", ""},
    {0x100C, NameTsengModel, "Tseng Labs ", ""},
    {0x1013, NameCirrusModel, "Cirrus Logic ", " PCI"},
    {0x1023, NameTridentModel, "Trident ", ""},
    {0x102B, NameMatroxModel, "Matrox ", ""},
    {0x102C, NameChipsModel, "CT ", ""},
    {0x1039, NameSisModel, "SiS ", ""},
    {0x104C, Name3DlabsModel, "3Dlabs Inc. ", "(TI)"},  // 3Dlabs parts made by Texas Instruments
    {0x105D, NameNumberNineModel, "Number Nine ", ""},
    {0x10C8, NameNeoMagicModel, "NeoMagic MagicGraph ", ""},
    {0x10DE, NameNvidiaModel, "NVidia ", ""},
    {0x12D2, NameNvidiaModel, "NVidia ", ""},
    {0x1163, NameRenditionModel, "Rendition ", ""},
    {0x121A, Name3dfxModel, "3dfx Interactive, Inc. ", ""},
    {0x3D3D, Name3DlabsModel, "3Dlabs Inc. ", ""},
    {0x5333, NameS3Model, "S3 Inc. ", ""},
    {0x8086, NameIntelGraphicsModel, "Intel ", ""},
};

}  // namespace

int NameMatroxModel(const uint8_t* image, NameText& model) { return LookUpModel(kMatroxModels, image, model); }
int NameNvidiaModel(const uint8_t* image, NameText& model) { return LookUpModel(kNvidiaModels, image, model); }
int Name3dfxModel(const uint8_t* image, NameText& model) { return LookUpModel(k3dfxModels, image, model); }
int Name3DlabsModel(const uint8_t* image, NameText& model) { return LookUpModel(k3DlabsModels, image, model); }
int NameS3Model(const uint8_t* image, NameText& model) { return LookUpModel(kS3Models, image, model); }
int NameNumberNineModel(const uint8_t* image, NameText& model) {
  return LookUpModel(kNumberNineModels, image, model);
}
int NameSisModel(const uint8_t* image, NameText& model) { return LookUpModel(kSisModels, image, model); }
int NameChipsModel(const uint8_t* image, NameText& model) { return LookUpModel(kChipsModels, image, model); }
int NameCirrusModel(const uint8_t* image, NameText& model) { return LookUpModel(kCirrusModels, image, model); }
int NameTridentModel(const uint8_t* image, NameText& model) { return LookUpModel(kTridentModels, image, model); }
int NameNeoMagicModel(const uint8_t* image, NameText& model) {
  return LookUpModel(kNeoMagicModels, image, model);
}
int NameRenditionModel(const uint8_t* image, NameText& model) {
  return LookUpModel(kRenditionModels, image, model);
}
int NameTsengModel(const uint8_t* image, NameText& model) { return LookUpModel(kTsengModels, image, model); }
int NameIntelGraphicsModel(const uint8_t* image, NameText& model) {
  return LookUpModel(kIntelGraphicsModels, image, model);
}

void FormatRage128Name(uint16_t deviceId, uint16_t s, NameText& model) {
  const char* modelWord = "";
  const char* busWord = "";
  for (const Rage128Chip& chip : kRage128Chips) {
    if (chip.device == deviceId) {
      modelWord = chip.model;
      busWord = kRage128BusWords[chip.bus];
    }
  }
  if (s == 0x2000 || s == 0x2001) {
    model.Format("%s %s %s%s%s", "RAGE FURY", "MAXX", "", "", "");
  } else if (s == 0x5046) {
    model.Format("%s %s %s%s%s", "All-in-Wonder", "128 Pro", "", "", "");
  } else if (s == 0x5246 || (s < 0x0100 && (s & 0x20) != 0)) {
    model.Format("%s %s %s%s%s", "All-in-Wonder", "128", "", "", busWord);
  } else if (s < 0x0100) {
    model.Format("%s %s %s%s%s", "Rage 128", modelWord, kRage128MemoryWords[(s >> 2) & 3],
                 (s & 0x40) != 0 ? "TV " : "", busWord);
  } else {
    model.Format("%s %s %s%s%s", "Rage 128", modelWord, "", "", busWord);
  }
}

int NameAtiModel(const uint8_t* image, NameText& model) {
  uint16_t device = DeviceIdOf(image);
  for (const Rage128Chip& chip : kRage128Chips) {
    if (chip.device == device) {
      FormatRage128Name(device, SubsystemIdOf(image), model);
      return 1;
    }
  }
  return LookUpModel(kAtiModels, image, model);
}

void NameGraphicsAdapter(const GraphicsAdapter& adapter, NameText& name) {
  NameText model;
  name.Set("No Support");
  for (const VendorRow& vendor : kVendors) {
    if (vendor.vendor != adapter.vendorId) continue;
    if (vendor.namer(adapter.image, model) != 0) {
      name.Format("%s%s%s", vendor.prefix, model.c_str(), vendor.suffix);
    } else if (vendor.vendor == 0x102B && !model.Empty()) {
      name.Set(model.c_str());
    }
    break;
  }
}

}  // namespace vx
