#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "machine_fixture.h"
#include "video/graphics_adapter.h"

namespace {

constexpr int kNoSub = -1;  // the row does not depend on the subsystem ID: tried with 0x0000 and 0xBEEF

struct NameCase {
  uint16_t vendor;
  uint16_t device;
  int subsystem;
  const char* name;
};

// Every vendor and every model row, with each subsystem split on both sides.
const NameCase kNameCases[] = {
    // ATI
    {0x1002, 0x4158, kNoSub, "ATI Mach32"},
    {0x1002, 0x4354, kNoSub, "ATI Mach64 CT"},
    {0x1002, 0x4358, kNoSub, "ATI Mach64 CX"},
    {0x1002, 0x4554, kNoSub, "ATI Mach64 ET"},
    {0x1002, 0x4742, kNoSub, "ATI RAGE PRO TURBO AGP 2X"},
    {0x1002, 0x4744, kNoSub, "ATI RAGE PRO TURBO AGP"},
    {0x1002, 0x474D, kNoSub, "ATI RAGE XL AGP"},
    {0x1002, 0x4750, kNoSub, "ATI RAGE PRO TURBO PCI"},
    {0x1002, 0x4754, kNoSub, "ATI Mach64 GT"},
    {0x1002, 0x4755, kNoSub, "ATI Rage II+(U3)"},
    {0x1002, 0x4758, kNoSub, "ATI Mach64 GX"},
    {0x1002, 0x4C42, kNoSub, "ATI RAGE LT PRO AGP 2X"},
    {0x1002, 0x4C49, kNoSub, "ATI RAGE LT PRO PCI"},
    {0x1002, 0x4C50, kNoSub, "ATI RAGE LT PRO PCI"},
    {0x1002, 0x4C4D, kNoSub, "ATI MOBILITY AGP"},
    {0x1002, 0x4C52, kNoSub, "ATI RAGE LT PRO"},
    {0x1002, 0x4C54, kNoSub, "ATI Mach64 LT"},
    {0x1002, 0x5052, kNoSub, "ATI Rage 128 Pro AGP 4X"},
    {0x1002, 0x534D, kNoSub, "ATI Xpert 99 AGP"},
    {0x1002, 0x5654, kNoSub, "ATI Mach64 VT"},
    {0x1002, 0x4756, kNoSub, "No Support"},
    // ATI Rage 128, rule 1: the MAXX whatever the chip
    {0x1002, 0x5046, 0x2000, "ATI RAGE FURY MAXX "},
    {0x1002, 0x5046, 0x2001, "ATI RAGE FURY MAXX "},
    {0x1002, 0x524B, 0x2001, "ATI RAGE FURY MAXX "},
    // rule 2
    {0x1002, 0x5046, 0x5046, "ATI All-in-Wonder 128 Pro "},
    {0x1002, 0x5245, 0x5046, "ATI All-in-Wonder 128 Pro "},
    // rule 3: 0x5246, or below 0x0100 with bit 5 set; the chip's bus word
    {0x1002, 0x5246, 0x5246, "ATI All-in-Wonder 128 AGP "},
    {0x1002, 0x5245, 0x5246, "ATI All-in-Wonder 128 PCI"},
    {0x1002, 0x5246, 0x0020, "ATI All-in-Wonder 128 AGP "},
    {0x1002, 0x524B, 0x00FF, "ATI All-in-Wonder 128 PCI"},
    // rule 4: below 0x0100, bit 5 clear; memory field (S >> 2) & 3 and TV bit 6
    {0x1002, 0x5246, 0x0048, "ATI Rage 128 GL SD TV AGP "},
    {0x1002, 0x5246, 0x0000, "ATI Rage 128 GL AGP "},
    {0x1002, 0x5245, 0x0004, "ATI Rage 128 GL SG PCI"},
    {0x1002, 0x524C, 0x0008, "ATI Rage 128 VR SD AGP "},
    {0x1002, 0x524B, 0x0040, "ATI Rage 128 VR TV PCI"},
    {0x1002, 0x5046, 0x00DC, "ATI Rage 128 Pro TV AGP "},  // memory field 3 has no word
    // rule 5
    {0x1002, 0x5245, 0x1234, "ATI Rage 128 GL PCI"},
    {0x1002, 0x5046, 0x0100, "ATI Rage 128 Pro AGP "},
    {0x1002, 0x524C, 0xFFFF, "ATI Rage 128 VR AGP "},
    {0x1002, 0x524B, 0x0148, "ATI Rage 128 VR PCI"},
    // Tseng Labs
    {0x100C, 0x3202, kNoSub, "Tseng Labs ET4000/W32 PCI"},
    {0x100C, 0x3205, kNoSub, "Tseng Labs ET4000/W32 PCI"},
    {0x100C, 0x3206, kNoSub, "Tseng Labs ET4000/W32 PCI"},
    {0x100C, 0x3207, kNoSub, "Tseng Labs ET4000/W32 PCI"},
    {0x100C, 0x3208, kNoSub, "Tseng Labs ET6000 PCI"},
    {0x100C, 0x3203, kNoSub, "No Support"},
    {0x100C, 0x3204, kNoSub, "No Support"},
    // Cirrus Logic
    {0x1013, 0x0038, kNoSub, "Cirrus Logic 7548 PCI"},
    {0x1013, 0x00A0, kNoSub, "Cirrus Logic 5430/40 PCI"},
    {0x1013, 0x00A8, kNoSub, "Cirrus Logic 5434 PCI"},
    {0x1013, 0x00AC, kNoSub, "Cirrus Logic 5436 PCI"},
    {0x1013, 0x00B8, kNoSub, "Cirrus Logic 5446 PCI"},
    {0x1013, 0x00BC, kNoSub, "Cirrus Logic 5480 PCI"},
    {0x1013, 0x00D0, kNoSub, "Cirrus Logic 5462 PCI"},
    {0x1013, 0x00D4, kNoSub, "Cirrus Logic 5464 PCI"},
    {0x1013, 0x00A4, kNoSub, "No Support"},
    // Trident
    {0x1023, 0x8400, kNoSub, "Trident CyberBlade i7 AGP"},
    {0x1023, 0x8420, kNoSub, "Trident CyberBlade i7 AGP"},
    {0x1023, 0x8520, kNoSub, "Trident CyberBlade i1 AGP"},
    {0x1023, 0x9320, kNoSub, "Trident 9320 PCI"},
    {0x1023, 0x9440, kNoSub, "Trident 9440 PCI"},
    {0x1023, 0x9660, kNoSub, "Trident 968x/938x PCI"},
    {0x1023, 0x9750, kNoSub, "Trident 3D Image 9750 PCI/AGP"},
    {0x1023, 0x9850, kNoSub, "Trident Image 9850 AGP"},
    {0x1023, 0x9880, kNoSub, "No Support"},
    // Matrox
    {0x102B, 0x0519, kNoSub, "Matrox MGA Millennium"},
    {0x102B, 0x051A, kNoSub, "Matrox MGA Mystique"},
    {0x102B, 0x051B, kNoSub, "Matrox MGA Millennium II"},
    {0x102B, 0x051F, kNoSub, "Matrox MGA Millennium II AGP"},
    {0x102B, 0x051C, kNoSub, "No Support"},
    {0x102B, 0x051D, kNoSub, "No Support"},
    {0x102B, 0x051E, kNoSub, "No Support"},
    {0x102B, 0x0520, 0xFF03, "Matrox Marvel G200 PCI"},
    {0x102B, 0x0520, 0xFF04, "Matrox Millennium G200 SD PCI"},
    {0x102B, 0x0520, 0xFF00, "Matrox G200 PCI"},
    {0x102B, 0x0520, 0x0000, "Matrox G200 PCI"},
    {0x102B, 0x0521, 0x0032, "Matrox Millennium-G200 AGP"},
    {0x102B, 0x0521, 0xFF00, "Matrox Millennium-G200 AGP"},
    {0x102B, 0x0521, 0x48E9, "Matrox Mystique G200 AGP"},
    {0x102B, 0x0521, 0xFF02, "Matrox Mystique G200 AGP"},
    {0x102B, 0x0521, 0x48F8, "Matrox Millennium G200 SD AGP"},
    {0x102B, 0x0521, 0x4A60, "Matrox Millennium G200 LE AGP"},
    {0x102B, 0x0521, 0x4A64, "Matrox Millennium G200 AGP"},
    {0x102B, 0x0521, 0xC93C, "Matrox Millennium G200 AGP"},
    {0x102B, 0x0521, 0xC9B0, "Matrox Millennium G200 AGP"},
    {0x102B, 0x0521, 0xC9BC, "Matrox Millennium G200 AGP"},
    {0x102B, 0x0521, 0xDBBC, "Matrox Millennium G200 AGP"},
    {0x102B, 0x0521, 0xFF03, "Matrox Millennium G200 AGP"},
    {0x102B, 0x0521, 0xCA60, "Matrox Millennium G250 LE AGP"},
    {0x102B, 0x0521, 0xCA6C, "Matrox Millennium G250 AGP"},
    {0x102B, 0x0521, 0xF806, "Matrox Mystique G200 Video AGP"},
    {0x102B, 0x0521, 0xFF04, "Matrox Marvel G200 AGP"},
    {0x102B, 0x0521, 0xFF01, "Matrox G200 Multi-Monitor"},
    {0x102B, 0x0521, 0x0000, "Matrox G200 Multi-Monitor"},
    {0x102B, 0x0525, 0x0400, "GA-G400"},
    {0x102B, 0x0525, 0x2159, "Matrox Millennium G400 DualHead"},
    {0x102B, 0x0525, 0x2179, "Matrox Millennium G400 DualHead"},
    {0x102B, 0x0525, 0x217D, "Matrox Millennium G400 DualHead Max"},
    {0x102B, 0x0525, 0x3693, "Matrox Marvel G400 AGP"},
    {0x102B, 0x0525, 0xB16F, "Matrox G400 AGP"},
    {0x102B, 0x0525, 0x1234, "Matrox Millennium G400"},
    {0x102B, 0x1000, 0xFF01, "Matrox Productiva G100 AGP"},
    {0x102B, 0x1001, 0xFF01, "Matrox Productiva G100 AGP"},
    {0x102B, 0x1000, 0xFF03, "Matrox Millennium G100 AGP"},
    {0x102B, 0x1001, 0xFF03, "Matrox Millennium G100 AGP"},
    {0x102B, 0x1000, 0xFF05, "Matrox Productiva G100 Multi-Monitor"},
    {0x102B, 0x1001, 0xFF05, "Matrox Productiva G100 Multi-Monitor"},
    {0x102B, 0x1000, 0xFF02, "Matrox MGA-G100 AGP"},
    {0x102B, 0x1001, 0x0000, "Matrox MGA-G100 AGP"},
    {0x102B, 0x2527, kNoSub, "No Support"},
    // Chips and Technologies
    {0x102C, 0x00B8, kNoSub, "CT 64310"},
    {0x102C, 0x00D8, kNoSub, "CT 65545"},
    {0x102C, 0x00DC, kNoSub, "CT 65548"},
    {0x102C, 0x00E0, kNoSub, "CT 65550"},
    {0x102C, 0x00E4, kNoSub, "CT 65554"},
    {0x102C, 0x00C0, kNoSub, "No Support"},
    // SiS
    {0x1039, 0x0300, kNoSub, "SiS 300"},
    {0x1039, 0x5300, kNoSub, "SiS 300"},
    {0x1039, 0x6306, kNoSub, "SiS 6306"},
    {0x1039, 0x6326, kNoSub, "SiS 6326"},
    {0x1039, 0x6205, kNoSub, "No Support"},
    // 3Dlabs, under Texas Instruments' vendor ID with the "(TI)" suffix and under its own
    {0x104C, 0x3D07, kNoSub, "3Dlabs Inc. Permedia2(TI)"},
    {0x3D3D, 0x3D07, kNoSub, "3Dlabs Inc. Permedia2"},
    {0x104C, 0x3D04, kNoSub, "3Dlabs Inc. Permedia(TI)"},
    {0x3D3D, 0x0004, kNoSub, "3Dlabs Inc. Permedia"},
    {0x3D3D, 0x0005, kNoSub, "3Dlabs Inc. Permedia"},
    {0x3D3D, 0x1004, kNoSub, "3Dlabs Inc. Permedia"},
    {0x3D3D, 0x3D04, kNoSub, "3Dlabs Inc. Permedia"},
    {0x3D3D, 0x0009, kNoSub, "3Dlabs Inc. Permedia2A"},
    {0x104C, 0x0009, kNoSub, "3Dlabs Inc. Permedia2A(TI)"},
    {0x3D3D, 0x000A, 0x0116, "3Dlabs Inc. Oxygen GVX1 AGP"},
    {0x3D3D, 0x000C, 0x0116, "3Dlabs Inc. Oxygen GVX1 AGP"},
    {0x3D3D, 0x000A, 0x0121, "3Dlabs Inc. Oxygen VX1 PCI"},
    {0x3D3D, 0x000C, 0x0129, "3Dlabs Inc. Oxygen VX1 PCI"},
    {0x3D3D, 0x000A, 0x0125, "3Dlabs Inc. Oxygen VX1 AGP"},
    {0x3D3D, 0x000C, 0x0130, "3Dlabs Inc. Oxygen VX1 AGP"},
    {0x3D3D, 0x000A, 0x0144, "3Dlabs Inc. Oxygen VX1 AGP"},
    {0x3D3D, 0x000C, 0x0127, "3Dlabs Inc. Permedia3 Create!"},
    {0x3D3D, 0x000A, 0x0134, "3Dlabs Inc. Oxygen GVX1 PCI"},
    {0x3D3D, 0x000C, 0x0136, "3Dlabs Inc. Oxygen GVX210"},
    {0x3D3D, 0x000A, 0x0140, "3Dlabs Inc. Oxygen VX1-16"},
    {0x104C, 0x000C, 0x0140, "3Dlabs Inc. Oxygen VX1-16(TI)"},
    {0x3D3D, 0x000A, 0x0128, "No Support"},
    {0x3D3D, 0x000C, 0x0000, "No Support"},
    {0x3D3D, 0x0007, kNoSub, "No Support"},
    // Number Nine
    {0x105D, 0x2309, kNoSub, "Number Nine Imagine 128"},
    {0x105D, 0x2339, kNoSub, "Number Nine Imagine 128(Series 2)"},
    {0x105D, 0x493D, kNoSub, "No Support"},
    // NeoMagic
    {0x10C8, 0x0001, kNoSub, "NeoMagic MagicGraph 128 PCI"},
    {0x10C8, 0x0002, kNoSub, "NeoMagic MagicGraph 128V"},
    {0x10C8, 0x0003, kNoSub, "NeoMagic MagicGraph 128ZV"},
    {0x10C8, 0x0004, kNoSub, "No Support"},
    // nVidia, under both vendor IDs
    {0x10DE, 0x0018, kNoSub, "NVidia Riva 128/128ZX"},
    {0x12D2, 0x0018, kNoSub, "NVidia Riva 128/128ZX"},
    {0x10DE, 0x0020, kNoSub, "NVidia Riva TNT"},
    {0x10DE, 0x0028, 0x0005, "NVidia Riva TNT2 Pro"},
    {0x10DE, 0x0028, 0x051A, "NVidia Riva TNT2 Pro"},
    {0x10DE, 0x0028, 0x0000, "NVidia Riva TNT2"},
    {0x10DE, 0x0028, 0x0006, "NVidia Riva TNT2"},
    {0x10DE, 0x0029, kNoSub, "NVidia Riva TNT2 ULTRA"},
    {0x10DE, 0x002C, kNoSub, "NVidia Riva TNT2 VANTA"},
    {0x10DE, 0x002D, kNoSub, "NVidia Riva TNT2 M64"},
    {0x10DE, 0x0100, kNoSub, "NVidia GeForce256"},
    {0x10DE, 0x0101, kNoSub, "NVidia GeForce256 DDR"},
    {0x10DE, 0x0103, kNoSub, "NVidia GeForce256 Quadra"},
    {0x10DE, 0x0150, kNoSub, "NVidia GeForce2 GTS"},
    {0x10DE, 0x0151, kNoSub, "NVidia GeForce2 GTS DDR"},
    {0x10DE, 0x0152, kNoSub, "NVidia GeForce2 GTS Quadra"},
    {0x10DE, 0x0153, kNoSub, "NVidia Nv15GL"},
    {0x10DE, 0x0200, kNoSub, "NVidia Nv20"},
    {0x10DE, 0x0201, kNoSub, "NVidia Nv20"},
    {0x10DE, 0x0202, kNoSub, "NVidia Nv20"},
    {0x12D2, 0x0203, kNoSub, "NVidia Nv20"},
    {0x10DE, 0x0204, kNoSub, "No Support"},
    {0x10DE, 0x0102, kNoSub, "No Support"},
    // Rendition
    {0x1163, 0x0001, kNoSub, "Rendition Verite 1000 PCI"},
    {0x1163, 0x2000, kNoSub, "No Support"},
    // 3dfx
    {0x121A, 0x0003, kNoSub, "3dfx Interactive, Inc. Voodoo Banshee"},
    {0x121A, 0x0004, kNoSub, "3dfx Interactive, Inc. Voodoo3"},
    {0x121A, 0x0005, kNoSub, "3dfx Interactive, Inc. Voodoo3"},
    {0x121A, 0x0009, kNoSub, "No Support"},
    // S3
    {0x5333, 0x5631, kNoSub, "S3 Inc. ViRGE PCI"},
    {0x5333, 0x8810, kNoSub, "S3 Inc. Trio32 PCI"},
    {0x5333, 0x8811, kNoSub, "S3 Inc. Trio32/64/64V+ PCI"},
    {0x5333, 0x8812, kNoSub, "S3 Inc. Aurora64V+"},
    {0x5333, 0x8814, kNoSub, "S3 Inc. Trio64UV+"},
    {0x5333, 0x8815, kNoSub, "S3 Inc. Aurora128"},
    {0x5333, 0x883D, kNoSub, "S3 Inc. ViRGE/VX PCI"},
    {0x5333, 0x8880, kNoSub, "S3 Inc. Vision868 PCI"},
    {0x5333, 0x8881, kNoSub, "S3 Inc. Vision968 PCI"},
    {0x5333, 0x88B0, kNoSub, "S3 Inc. 928 PCI"},
    {0x5333, 0x88C0, kNoSub, "S3 Inc. Vision864 PCI"},
    {0x5333, 0x88C1, kNoSub, "S3 Inc. Vision864 PCI"},
    {0x5333, 0x88D0, kNoSub, "S3 Inc. Vision964 PCI"},
    {0x5333, 0x88D1, kNoSub, "S3 Inc. Vision964 PCI"},
    {0x5333, 0x8901, kNoSub, "S3 Inc. Trio64V2 DX/GX"},
    {0x5333, 0x8A01, kNoSub, "S3 Inc. ViRGE(DX/GX) PCI"},
    {0x5333, 0x8A22, kNoSub, "S3 Inc. Savage4"},
    {0x5333, 0x9102, kNoSub, "S3 Inc. Savage2000"},
    {0x5333, 0x8A20, kNoSub, "No Support"},
    // Intel
    {0x8086, 0x7121, kNoSub, "Intel 810(GMCH)"},
    {0x8086, 0x7123, kNoSub, "Intel 810-DC100(GMCH)"},
    {0x8086, 0x7125, kNoSub, "Intel 810E(GMCH)"},
    {0x8086, 0x7800, kNoSub, "Intel 740"},
    {0x8086, 0x1132, kNoSub, "No Support"},
    // Vendors without a table
    {0x1106, 0x8D01, kNoSub, "No Support"},
    {0x1023 + 1, 0x9750, kNoSub, "No Support"},
    {0x0000, 0x0000, kNoSub, "No Support"},
};

std::string NameOf(uint16_t vendor, uint16_t device, uint16_t subsystem) {
  vx::GraphicsAdapter adapter = {};
  adapter.vendorId = vendor;
  adapter.deviceId = device;
  adapter.subsystemId = subsystem;
  // The model routines read the IDs from the image.
  adapter.image[0] = static_cast<uint8_t>(vendor);
  adapter.image[1] = static_cast<uint8_t>(vendor >> 8);
  adapter.image[2] = static_cast<uint8_t>(device);
  adapter.image[3] = static_cast<uint8_t>(device >> 8);
  adapter.image[0x2C] = 0x3D;  // a subsystem vendor ID that nothing consults
  adapter.image[0x2E] = static_cast<uint8_t>(subsystem);
  adapter.image[0x2F] = static_cast<uint8_t>(subsystem >> 8);
  vx::NameText name;
  vx::NameGraphicsAdapter(adapter, name);
  return name.c_str();
}

TEST(AdapterNames, EveryVendorAndModelRow) {
  for (const NameCase& c : kNameCases) {
    SCOPED_TRACE(testing::Message() << std::hex << "vendor " << c.vendor << " device " << c.device << " subsystem "
                                    << c.subsystem);
    if (c.subsystem == kNoSub) {
      EXPECT_EQ(NameOf(c.vendor, c.device, 0x0000), c.name);
      EXPECT_EQ(NameOf(c.vendor, c.device, 0xBEEF), c.name);
    } else {
      EXPECT_EQ(NameOf(c.vendor, c.device, static_cast<uint16_t>(c.subsystem)), c.name);
    }
  }
}

// The model routines answer "named" and the text themselves; the Matrox GA-G400 is the one board that
// leaves a text while answering not named.
TEST(AdapterNames, ModelRoutinesReportNamedAndText) {
  uint8_t image[256] = {};
  vx::NameText model;
  image[2] = 0x25;
  image[3] = 0x05;
  image[0x2E] = 0x00;
  image[0x2F] = 0x04;
  EXPECT_EQ(vx::NameMatroxModel(image, model), 0);
  EXPECT_STREQ(model.c_str(), "GA-G400");
  model.Clear();
  image[2] = 0x1C;  // 0x051C
  EXPECT_EQ(vx::NameMatroxModel(image, model), 0);
  EXPECT_TRUE(model.Empty());
  image[2] = 0x46;  // 0x5046 under the ATI routine
  image[3] = 0x50;
  EXPECT_NE(vx::NameAtiModel(image, model), 0);
  EXPECT_STREQ(model.c_str(), "Rage 128 Pro AGP ");
}

// Rage 128 names straight from the device and subsystem IDs.
TEST(AdapterNames, Rage128Rules) {
  struct Case {
    uint16_t device, subsystem;
    const char* text;
  } const cases[] = {
      {0x5046, 0x2001, "RAGE FURY MAXX "},      {0x5046, 0x5046, "All-in-Wonder 128 Pro "},
      {0x524C, 0x0030, "All-in-Wonder 128 AGP "}, {0x524B, 0x000C, "Rage 128 VR PCI"},
      {0x524C, 0x0044, "Rage 128 VR SG TV AGP "}, {0x5245, 0x00E0, "All-in-Wonder 128 PCI"},
      {0x5245, 0x00DF, "Rage 128 GL TV PCI"}, {0x5245, 0x00C8, "Rage 128 GL SD TV PCI"},  {0x5245, 0x0100, "Rage 128 GL PCI"},
  };
  for (const Case& c : cases) {
    vx::NameText model;
    vx::FormatRage128Name(c.device, c.subsystem, model);
    EXPECT_STREQ(model.c_str(), c.text) << std::hex << c.device << " " << c.subsystem;
  }
}

// Discovery: bus 1 first, then every bus; only class 0x03 subclass 0x00; all eight functions.
TEST(AdapterDiscovery, OrderAndClassTest) {
  struct Case {
    const char* what;
    std::vector<std::tuple<int, int, int, uint32_t>> functions;  // bus, device, function, class dword
    bool found;
    int bus, device, function;
  } const cases[] = {
      {"AGP card on bus 1 beats integrated graphics on bus 0",
       {{0, 1, 0, 0x03000002}, {1, 5, 0, 0x03000001}},
       true, 1, 5, 0},
      {"integrated graphics on bus 0 found by the second pass", {{0, 1, 0, 0x03000003}}, true, 0, 1, 0},
      {"display controller of subclass 0x80 passed over",
       {{0, 3, 0, 0x03800001}, {0, 9, 0, 0x030000A1}},
       true, 0, 9, 0},
      {"XGA (subclass 0x01) passed over; programming interface ignored",
       {{1, 0, 0, 0x03010000}, {2, 4, 0, 0x0300FF10}},
       true, 2, 4, 0},
      {"VGA at function 3 of a single-function device", {{0, 14, 0, 0x06800000}, {0, 14, 3, 0x03000000}},
       true, 0, 14, 3},
      {"lower device wins on the same bus",
       {{3, 7, 0, 0x03000000}, {3, 2, 0, 0x04010000}, {3, 2, 1, 0x03000000}},
       true, 3, 2, 1},
      {"bus 255", {{255, 31, 0, 0x04800000}, {255, 31, 7, 0x03000000}}, true, 255, 31, 7},
      {"no VGA-compatible function", {{0, 0, 0, 0x06000000}, {0, 7, 0, 0x06010000}, {1, 0, 0, 0x04000000}},
       false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vxtest::Machine machine;
    for (auto& f : c.functions) {
      machine.Place(std::get<0>(f), std::get<1>(f), std::get<2>(f),
                    vxtest::MakeFunction(0x1234, 0x5678, std::get<3>(f)));
    }
    vx::AccessState& access = machine.access;
    uint32_t bus = 99, device = 99, function = 99;
    ASSERT_EQ(vx::FindGraphicsAdapter(access, &bus, &device, &function), c.found);
    if (c.found) {
      EXPECT_EQ(bus, static_cast<uint32_t>(c.bus));
      EXPECT_EQ(device, static_cast<uint32_t>(c.device));
      EXPECT_EQ(function, static_cast<uint32_t>(c.function));
    }
  }
}

// No route at all: nothing is found and nothing crashes.
TEST(AdapterDiscovery, NoRoute) {
  vx::AccessState access;
  uint32_t bus = 0, device = 0, function = 0;
  EXPECT_FALSE(vx::FindGraphicsAdapter(access, &bus, &device, &function));
}

// The ID fields come from the image; a read that stops early leaves the rest zero.
TEST(AdapterRead, IdsFromImageAndShortRead) {
  vxtest::Machine machine;
  vxtest::FunctionImage image = vxtest::MakeFunction(0x10DE, 0x0028, 0x03000015);
  image.Set16(0x2C, 0x1092);
  image.Set16(0x2E, 0x051A);
  machine.Place(1, 0, 0, image);
  vx::AccessState& access = machine.access;
  vx::GraphicsAdapter adapter;
  ASSERT_TRUE(vx::ReadGraphicsAdapter(access, 1, 0, 0, &adapter));
  EXPECT_EQ(adapter.vendorId, 0x10DE);
  EXPECT_EQ(adapter.deviceId, 0x0028);
  EXPECT_EQ(adapter.revisionId, 0x15);
  EXPECT_EQ(adapter.subsystemId, 0x051A);

  // A dword of all ones at 0x2C ends the block: the subsystem ID reads 0 and the board is a plain TNT2.
  image.Set32(0x2C, 0xFFFFFFFF);
  machine.Place(1, 0, 0, image);
  ASSERT_TRUE(vx::ReadGraphicsAdapter(access, 1, 0, 0, &adapter));
  EXPECT_EQ(adapter.subsystemId, 0x0000);
  EXPECT_EQ(adapter.image[0x2C], 0);
  vx::NameText name;
  vx::NameGraphicsAdapter(adapter, name);
  EXPECT_STREQ(name.c_str(), "NVidia Riva TNT2");

  // Register 0 unreadable: failure.
  EXPECT_FALSE(vx::ReadGraphicsAdapter(access, 1, 1, 0, &adapter));
}

}  // namespace
