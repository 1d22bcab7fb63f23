#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "machine_fixture.h"

namespace {

using vxtest::Machine;
using vxtest::Text;

// The memory and cache decoders that each chip's registers call for.
constexpr vx::MemoryDecoder kNoMem = nullptr;
constexpr vx::MemoryDecoder kFxPaired = vx::DecodeMemory430FX, kFxSingle = vx::DecodeMemory430FX;
constexpr vx::MemoryDecoder kTx = vx::DecodeMemory430TX;
constexpr vx::MemoryDecoder k440Fx = vx::DecodeMemory440FX, k440Lx = vx::DecodeMemory440FX;
constexpr vx::MemoryDecoder kBx = vx::DecodeMemory440BX;
constexpr vx::MemoryDecoder k810 = vx::DecodeMemory810, k820 = vx::DecodeMemory820, k840 = vx::DecodeMemory840;
constexpr vx::MemoryDecoder kVp = vx::DecodeMemoryViaVp, kPro = vx::DecodeMemoryViaPro;
constexpr vx::MemoryDecoder kAli0 = vx::DecodeMemoryAli, kAli1 = vx::DecodeMemoryAli;
constexpr vx::MemoryDecoder k5597 = vx::DecodeMemorySis5597, k530 = vx::DecodeMemorySis530;
constexpr vx::MemoryDecoder k751 = vx::DecodeMemoryAmd751;

constexpr vx::CacheDecoder kNoL2 = nullptr;
constexpr vx::CacheDecoder kL2430 = vx::DecodeL2Intel430;
constexpr vx::CacheDecoder kVp2 = vx::DecodeL2ViaVp2, kVp3 = vx::DecodeL2ViaVp3;
constexpr vx::CacheDecoder kM1451 = vx::DecodeL2AliM1451, kM1511 = vx::DecodeL2AliM1511,
                           kM1521 = vx::DecodeL2AliM1521;
constexpr vx::CacheDecoder kS5596 = vx::DecodeL2Sis5596, kS5597 = vx::DecodeL2Sis5597, kS530 = vx::DecodeL2Sis530;

struct HostCase {
  uint16_t vendor, device;
  uint8_t revision;
  const char* chipset;   // IDC_MB_CHIPSET
  const char* host;      // IDC_MB_HOST_NAME
  const char* stepping;  // IDC_MB_STEPPING, null when none is shown
  vx::MemoryDecoder memory;
  vx::CacheDecoder cache;
};

// Every row of the six vendor tables, the revision splits on both sides, and devices outside the tables.
const HostCase kHostCases[] = {
    {0x8086, 0x04A3, 0x00, "Intel 82434(PCMC)", "Intel ", nullptr, kNoMem, kNoL2},
    {0x8086, 0x122D, 0x02, "Intel 430FX PCISet", "Intel 82439FX", nullptr, kFxPaired, kL2430},
    {0x8086, 0x1235, 0x01, "Intel 82430MX PCISet", "Intel 82437MX", nullptr, kFxSingle, kL2430},
    {0x8086, 0x1237, 0x02, "Intel 440FX PCISet", "Intel 82441FX", nullptr, k440Fx, kNoL2},
    {0x8086, 0x1250, 0x03, "Intel 430HX PCISet", "Intel 82439HX", nullptr, kFxPaired, kL2430},
    {0x8086, 0x1A24, 0x00, "Intel 840 Chipset", "Intel 82840", "A0", k840, kNoL2},
    {0x8086, 0x1A24, 0x01, "Intel 840 Chipset", "Intel 82840", nullptr, k840, kNoL2},
    {0x8086, 0x2000, 0x01, "Intel 430VX PCISet", "Intel 82439VX", nullptr, kTx, kL2430},
    {0x8086, 0x2500, 0x03, "Intel 820 Chipset", "Intel 82820", "B1", k820, kNoL2},
    {0x8086, 0x2500, 0x02, "Intel 820 Chipset", "Intel 82820", nullptr, k820, kNoL2},
    {0x8086, 0x7100, 0x01, "Intel 430TX PCISet", "Intel 82439TX", nullptr, kTx, kL2430},
    {0x8086, 0x7120, 0x03, "Intel 810 Chipset", "Intel 82810", "A2", k810, kNoL2},
    {0x8086, 0x7122, 0x03, "Intel 810-DC100", "Intel 82810-DC100", "A2", k810, kNoL2},
    {0x8086, 0x7124, 0x03, "Intel 810E Chipset", "Intel 82810E", nullptr, k810, kNoL2},
    {0x8086, 0x7180, 0x03, "Intel 440LX/EX AGPSet", "Intel 82443LX/EX", nullptr, k440Lx, kNoL2},
    {0x8086, 0x7190, 0x02, "Intel 440BX/ZX AGPSet", "Intel 82443BX/ZX", "B1", kBx, kNoL2},
    {0x8086, 0x7190, 0x03, "Intel 440BX AGPSet", "Intel 82443BX", "C1", kBx, kNoL2},
    {0x8086, 0x7190, 0x01, "Intel ", "Intel ", nullptr, kBx, kNoL2},
    {0x8086, 0x7190, 0x04, "Intel ", "Intel ", nullptr, kBx, kNoL2},
    {0x8086, 0x7192, 0x02, "Intel 440BX/ZX AGPSet", "Intel 82443BX/ZX", "B1", kBx, kNoL2},
    {0x8086, 0x7192, 0x03, "Intel 440BX AGPSet", "Intel 82443BX", "C1", kBx, kNoL2},
    {0x8086, 0x7192, 0x00, "Intel ", "Intel ", nullptr, kBx, kNoL2},
    {0x8086, 0x7194, 0x00, "Intel 440MX-100", "Intel 82443MX-100", nullptr, kBx, kNoL2},
    {0x8086, 0x71A0, 0x00, "Intel 440GX AGPSet", "Intel 82443GX", "A2", kBx, kNoL2},
    {0x8086, 0x71A2, 0x00, "Intel 440GX AGPSet", "Intel 82443GX", "A2", kBx, kNoL2},
    {0x8086, 0x84C4, 0x04, "Intel 450KX/GX PCISet", "Intel 82454KX/GX", nullptr, kNoMem, kNoL2},
    {0x8086, 0x84CA, 0x04, "Intel 450NX PCISet", "Intel 82454NX", nullptr, kNoMem, kNoL2},
    {0x8086, 0x7110, 0x02, "No Support", "", nullptr, kNoMem, kNoL2},
    {0x8086, 0x7191, 0x03, "No Support", "", nullptr, kNoMem, kNoL2},

    {0x1106, 0x0305, 0x03, "VIA Apollo KT133", "VIA ", nullptr, kPro, kNoL2},
    {0x1106, 0x0391, 0x02, "VIA Apollo KX133", "VIA VT82C8371", nullptr, kPro, kNoL2},
    {0x1106, 0x0501, 0x01, "VIA Apollo MVP4", "VIA VT82C8501", " B", kPro, kVp3},
    {0x1106, 0x0585, 0x00, "", "VIA VT82C580VPX", " A", kVp, kVp2},
    {0x1106, 0x0595, 0x06, "", "VIA VT82C595", "10", kVp, kVp2},
    {0x1106, 0x0597, 0x03, "VIA Apollo VP3", "VIA VT82C597", " D", kVp, kVp3},
    {0x1106, 0x0597, 0x04, "VIA Apollo MVP3", "VIA VT82C598AT", " E", kVp, kVp3},
    {0x1106, 0x0601, 0x05, "VIA Apollo PM601", "VIA VT82C8601", nullptr, kPro, kNoL2},
    {0x1106, 0x0691, 0xAF, "VIA Apollo Pro", "VIA VT82C691", nullptr, kPro, kNoL2},
    {0x1106, 0x0691, 0xB0, "VIA Apollo Pro133", "VIA VT82C693A", nullptr, kPro, kNoL2},
    {0x1106, 0x0691, 0xBF, "VIA Apollo Pro133", "VIA VT82C693A", nullptr, kPro, kNoL2},
    {0x1106, 0x0691, 0xC4, "VIA Apollo Pro133A", "VIA VT82C694X", nullptr, kPro, kNoL2},
    {0x1106, 0x0586, 0x41, "No Support", "", nullptr, kNoMem, kNoL2},

    {0x10B9, 0x1445, 0x00, "", "ALi M1445", nullptr, kNoMem, kNoL2},
    {0x10B9, 0x1451, 0x00, "ALi Aladdin  ", "ALi M1451", nullptr, kNoMem, kM1451},
    {0x10B9, 0x1511, 0x00, "ALi Aladdin II", "ALi M1511", nullptr, kNoMem, kM1511},
    {0x10B9, 0x1521, 0x00, "ALi Aladdin III", "ALi M1521", nullptr, kAli0, kM1521},
    {0x10B9, 0x1531, 0x01, "", "ALi M1531", "A0", kAli0, kM1521},
    {0x10B9, 0x1531, 0xB3, "", "ALi M1531", "B3", kAli0, kM1521},
    {0x10B9, 0x1541, 0x04, "ALi Aladdin V", "ALi M1541", nullptr, kAli1, kM1521},
    {0x10B9, 0x1542, 0x04, "ALi Aladdin V", "ALi M1542", nullptr, kAli1, kM1521},
    {0x10B9, 0x1561, 0x00, "ALi Aladdin VII", "ALi M1561", nullptr, kAli1, kM1521},
    {0x10B9, 0x1611, 0x00, "ALi Aladdin Pro", "ALi M1611", nullptr, kAli1, kNoL2},
    {0x10B9, 0x1621, 0x00, "ALi Aladdin Pro II", "ALi M1621", nullptr, kAli1, kNoL2},
    {0x10B9, 0x1631, 0x00, "ALi Aladdin TNT2", "ALi M1631", nullptr, kAli1, kNoL2},
    {0x10B9, 0x1641, 0x00, "ALi Aladdin Pro IV", "ALi M1641", nullptr, kAli1, kNoL2},
    {0x10B9, 0x1533, 0x00, "No Support", "", nullptr, kNoMem, kNoL2},

    {0x1039, 0x0530, 0x02, "SiS530", "SiS530", "A2", k530, kS530},
    {0x1039, 0x0540, 0x00, "SiS540", "SiS540", "A0", k530, kS530},
    {0x1039, 0x0620, 0x01, "SiS620", "SiS620", "A1", k530, kNoL2},
    {0x1039, 0x0630, 0x11, "SiS630", "SiS630", "B1", k530, kNoL2},
    {0x1039, 0x0730, 0x01, "SiS730", "SiS730", "A1", k530, kNoL2},
    {0x1039, 0x0740, 0x01, "SiS740", "SiS740", "A1", k530, kNoL2},
    {0x1039, 0x5581, 0x02, "SiS5581/5582", "SiS5581/5582", nullptr, k5597, kS5597},
    {0x1039, 0x5591, 0x02, "SiS5591/5592", "SiS5591/5592", nullptr, k5597, kS5597},
    {0x1039, 0x5597, 0x02, "SiS5597/5598", "SiS5597/5598", nullptr, k5597, kS5597},
    {0x1039, 0x5596, 0x02, "SiS5596", "SiS5596", nullptr, k5597, kS5596},
    {0x1039, 0x5600, 0x60, "SiS600", "SiS600", "100", k5597, kNoL2},
    {0x1039, 0x0008, 0x00, "No Support", "", nullptr, kNoMem, kNoL2},

    {0x1022, 0x0595, 0x25, "AMD-640", "AMD-640", "C5", kVp, kVp2},
    {0x1022, 0x7006, 0x25, "AMD-", "AMD-751", "C5", k751, kNoL2},
    {0x1022, 0x7006, 0x88, "AMD-", "AMD-751", "A0", k751, kNoL2},
    {0x1022, 0x7007, 0x00, "No Support", "", nullptr, kNoMem, kNoL2},

    {0x1004, 0x0007, 0x00, "VLSI Wildcat", "VLSI 0007", nullptr, kNoMem, kNoL2},
    {0x1004, 0x0005, 0x00, "VLSI Eagle", "VLSI 0005", nullptr, kNoMem, kNoL2},

    {0x5333, 0x8811, 0x00, "No Support", "", nullptr, kNoMem, kNoL2},
    {0x10DE, 0x01A4, 0xB2, "No Support", "", nullptr, kNoMem, kNoL2},
};

TEST(IdentifyHostBridge, EveryRowOfTheVendorTables) {
  for (const HostCase& c : kHostCases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.vendor << ":" << c.device << " rev " << int(c.revision));
    Machine m;
    m.AddHost(c.vendor, c.device, c.revision);
    vx::PageModel page;
    ASSERT_EQ(vx::IdentifyHostBridge(m.context, page), 1);
    char id[16];
    snprintf(id, sizeof id, "%04X", c.vendor);
    EXPECT_EQ(Text(page, IDC_MB_HOST_VENDOR), id);
    snprintf(id, sizeof id, "%04X", c.device);
    EXPECT_EQ(Text(page, IDC_MB_HOST_DEVICE), id);
    snprintf(id, sizeof id, "%02X", c.revision);
    EXPECT_EQ(Text(page, IDC_MB_HOST_REVISION), id);
    EXPECT_EQ(Text(page, IDC_MB_CHIPSET), c.chipset);
    EXPECT_EQ(Text(page, IDC_MB_HOST_NAME), c.host);
    EXPECT_EQ(page.HasText(IDC_MB_STEPPING), c.stepping != nullptr);
    if (c.stepping != nullptr) {
      EXPECT_EQ(Text(page, IDC_MB_STEPPING), c.stepping);
    }
    EXPECT_EQ(m.state.hostBridgeId, static_cast<uint32_t>(c.device) << 16 | c.vendor);

    // The decoders that ran: a memory decoder always writes the total line, a cache decoder always
    // enables the cache label.
    EXPECT_EQ(page.HasText(IDC_MB_MEMORY_TOTAL), c.memory != nullptr);
    EXPECT_EQ(page.IsEnabled(IDC_MB_L2_LABEL), c.cache != nullptr);
  }
}

// The host bridge's part number for device IDs that the makers' data sheets give: the chip named on the
// page is the chip that answers with that ID.
TEST(IdentifyHostBridge, PartNumbersOfTheDataSheets) {
  const struct {
    uint16_t vendor, device;
    uint8_t revision;
    const char* part;
  } facts[] = {
      {0x8086, 0x1237, 0x02, "82441FX"},   // 440FX PMC
      {0x8086, 0x1250, 0x03, "82439HX"},   // 430HX TXC
      {0x8086, 0x7100, 0x01, "82439TX"},   // 430TX MTXC
      {0x8086, 0x7180, 0x03, "82443LX"},   // 440LX PAC
      {0x8086, 0x7190, 0x03, "82443BX"},   // 440BX host bridge, AGP enabled
      {0x8086, 0x7192, 0x03, "82443BX"},   // the same with AGP disabled
      {0x8086, 0x71A0, 0x00, "82443GX"},   // 440GX
      {0x8086, 0x7120, 0x03, "82810"},     // 810 GMCH
      {0x8086, 0x2500, 0x03, "82820"},     // 820 MCH
      {0x1106, 0x0595, 0x06, "VT82C595"},  // Apollo VP2
      {0x1106, 0x0597, 0x03, "VT82C597"},  // Apollo VP3
      {0x1106, 0x0691, 0xAF, "VT82C691"},  // Apollo Pro
      {0x10B9, 0x1521, 0x00, "M1521"},     // Aladdin III
      {0x10B9, 0x1541, 0x04, "M1541"},     // Aladdin V
      {0x1039, 0x0530, 0x02, "530"},       // SiS530
      {0x1039, 0x5597, 0x02, "5597"},      // SiS5597/5598
      {0x1022, 0x7006, 0x25, "751"},       // AMD-751 system controller
  };
  for (const auto& f : facts) {
    Machine m;
    m.AddHost(f.vendor, f.device, f.revision);
    vx::PageModel page;
    ASSERT_EQ(vx::IdentifyHostBridge(m.context, page), 1);
    EXPECT_NE(Text(page, IDC_MB_HOST_NAME).find(f.part), std::string::npos)
        << std::hex << f.vendor << ":" << f.device << " is not named " << f.part;
  }
}

// The decoders' register arguments, set from the chips' data sheets rather than from the host table: each
// board sets its rows where the data sheet puts them and expects the total its data sheet's units give.
TEST(IdentifyHostBridge, MemoryRegistersWhereTheDataSheetsPutThem) {
  struct RegisterCase {
    const char* what;
    uint16_t vendor, device;
    uint8_t revision;
    std::vector<std::pair<uint8_t, uint8_t>> registers;
    const char* bank0;
    const char* total;
  };
  const RegisterCase cases[] = {
      // 82443BX: DRB0-7 at 60h-67h in 8 MB units, DRAMC 57h bits 4:3 = 01 SDRAM, SDRAMC 76h bit 2 = CL2.
      {"440BX", 0x8086, 0x7190, 3,
       {{0x60, 0x08}, {0x61, 0x10}, {0x62, 0x10}, {0x63, 0x10}, {0x64, 0x10}, {0x65, 0x10}, {0x66, 0x10},
        {0x67, 0x10}, {0x57, 0x08}, {0x76, 0x04}},
       "64MB + 64MB", "SDRAM 128MB (CL=2)"},
      // The same layout on the 82443GX; CL3 with SDRAMC bit 2 clear.
      {"440GX", 0x8086, 0x71A0, 0,
       {{0x60, 0x04}, {0x61, 0x04}, {0x62, 0x04}, {0x63, 0x04}, {0x64, 0x04}, {0x65, 0x04}, {0x66, 0x04},
        {0x67, 0x04}, {0x57, 0x08}, {0x74, 0x04}},
       "32MB + 0MB", "SDRAM 32MB (CL=3)"},
      // 82439TX: DRB0-5 at 60h-65h in 4 MB units; rows 0 and 1 marked SDRAM in 68h.
      {"430TX", 0x8086, 0x7100, 1,
       {{0x60, 0x04}, {0x61, 0x08}, {0x62, 0x08}, {0x63, 0x08}, {0x64, 0x08}, {0x65, 0x08}, {0x68, 0x30},
        {0x54, 0x10}},
       "16MB + 16MB", "SDRAM 32MB (CL=2)"},
      // 82441FX: DRB0-7 at 60h-67h in 8 MB units; row type 55h bits 1:0 = 01 EDO.
      {"440FX", 0x8086, 0x1237, 2,
       {{0x60, 0x02}, {0x61, 0x04}, {0x62, 0x04}, {0x63, 0x04}, {0x64, 0x04}, {0x65, 0x04}, {0x66, 0x04},
        {0x67, 0x04}, {0x55, 0x01}},
       "16MB + 16MB", "EDO 32MB"},
  };
  for (const RegisterCase& c : cases) {
    SCOPED_TRACE(c.what);
    Machine m;
    vxtest::FunctionImage& host = m.AddHost(c.vendor, c.device, c.revision);
    for (const auto& r : c.registers) host.Set8(r.first, r.second);
    vx::PageModel page;
    ASSERT_EQ(vx::IdentifyHostBridge(m.context, page), 1);
    EXPECT_EQ(Text(page, IDC_MB_BANK0), c.bank0);
    EXPECT_EQ(Text(page, IDC_MB_MEMORY_TOTAL), c.total);
  }
}

TEST(IdentifyHostBridge, ApertureRules) {
  struct ApertureCase {
    uint16_t vendor, device;
    uint8_t reg, value;
    uint32_t megabytes;
  };
  const ApertureCase cases[] = {
      {0x8086, 0x7190, 0xB4, 0x00, 256}, {0x8086, 0x7190, 0xB4, 0x20, 128}, {0x8086, 0x7190, 0xB4, 0x30, 64},
      {0x8086, 0x7190, 0xB4, 0x38, 32},  {0x8086, 0x7190, 0xB4, 0x3C, 16},  {0x8086, 0x7190, 0xB4, 0x3E, 8},
      {0x8086, 0x7190, 0xB4, 0x3F, 4},   {0x8086, 0x7190, 0xB4, 0x1F, 256}, {0x8086, 0x7190, 0xB4, 0xE8, 128},
      {0x1106, 0x0691, 0x84, 0x00, 256}, {0x1106, 0x0691, 0x84, 0x80, 128}, {0x1106, 0x0691, 0x84, 0xF0, 16},
      {0x1106, 0x0691, 0x84, 0xFE, 2},   {0x1106, 0x0691, 0x84, 0xFF, 1},   {0x1106, 0x0691, 0x84, 0x7F, 256},
      {0x10B9, 0x1541, 0x88, 0x00, 4},   {0x10B9, 0x1541, 0x88, 0x30, 32},  {0x10B9, 0x1541, 0x88, 0xF0, 512},
      {0x1039, 0x0530, 0x94, 0x8F, 4},   {0x1039, 0x0530, 0x94, 0x40, 64}, {0x1039, 0x0530, 0x94, 0x70, 512},
      {0x1022, 0x7006, 0xAC, 0x04, 128}, {0x1022, 0x7006, 0xAC, 0x01, 32},  {0x1022, 0x7006, 0xAC, 0x0E, 4096},
      // The AMD-640 takes VIA's rule on 0x84 in place of the AMD rule.
      {0x1022, 0x0595, 0x84, 0xC0, 64},  {0x1022, 0x0595, 0xAC, 0x0E, 256},
      // No rule for VLSI or an unknown vendor, even with bits set where other vendors keep theirs.
      {0x1004, 0x0005, 0x84, 0x80, 0},   {0x10DE, 0x00A0, 0xB4, 0x3F, 0},
      // Set before the device is looked up, so an unknown device keeps it.
      {0x8086, 0x1234, 0xB4, 0x38, 32},  {0x1039, 0x0999, 0x94, 0x20, 16},
  };
  for (const ApertureCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.vendor << ":" << c.device << " reg " << int(c.reg) << "="
                                    << int(c.value));
    Machine m;
    m.AddHost(c.vendor, c.device, 0).Set8(c.reg, c.value);
    vx::PageModel page;
    vx::IdentifyHostBridge(m.context, page);
    EXPECT_EQ(m.state.graphicsApertureSizeMB, c.megabytes);
  }
}

TEST(IdentifyHostBridge, SuperBypassOnTheAmd751Only) {
  for (uint8_t reg61 : {0x02, 0xFD}) {
    Machine m;
    m.AddHost(0x1022, 0x7006, 0x25).Set8(0x61, reg61);
    vx::PageModel page;
    vx::IdentifyHostBridge(m.context, page);
    EXPECT_TRUE(page.IsEnabled(IDC_MB_SUPER_BYPASS));
    EXPECT_TRUE(page.IsEnabled(IDC_MB_SUPER_BYPASS_LABEL));
    EXPECT_EQ(Text(page, IDC_MB_SUPER_BYPASS), reg61 & 2 ? "Enable" : "Disable");
  }
  Machine m;
  m.AddHost(0x1022, 0x0595, 0x00).Set8(0x61, 0x02);
  vx::PageModel page;
  vx::IdentifyHostBridge(m.context, page);
  EXPECT_FALSE(page.IsEnabled(IDC_MB_SUPER_BYPASS));
  EXPECT_FALSE(page.HasText(IDC_MB_SUPER_BYPASS));
}

TEST(IdentifyHostBridge, NothingShownWithoutAHostBridge) {
  struct Setup {
    const char* what;
    bool present;
    uint8_t base, sub;
  };
  for (const Setup& s : {Setup{"unreadable", false, 0, 0}, Setup{"ISA bridge at 0:0.0", true, 0x06, 0x01},
                         Setup{"VGA at 0:0.0", true, 0x03, 0x00}, Setup{"class 00 subclass 00", true, 0x00, 0x00}}) {
    SCOPED_TRACE(s.what);
    Machine m;
    if (s.present) m.Add(0, 0, 0, 0x8086, 0x7190, 3, s.base, s.sub).Set8(0xB4, 0x38);
    vx::PageModel page;
    EXPECT_EQ(vx::IdentifyHostBridge(m.context, page), 0);
    EXPECT_EQ(page.count, 0);
    EXPECT_EQ(m.state.hostBridgeId, 0u);
    EXPECT_EQ(m.state.graphicsApertureSizeMB, 0u);
  }
  // No route at all: every read answers all ones.
  Machine m;
  m.UseNoRoute();
  m.AddHost(0x8086, 0x7190, 3);
  vx::PageModel page;
  EXPECT_EQ(vx::IdentifyHostBridge(m.context, page), 0);
  EXPECT_EQ(page.count, 0);
}

TEST(IdentifyHostBridge, ReadsTheHostBridgeOnceAsOneBlock) {
  Machine m;
  m.AddHost(0x8086, 0x7190, 3);
  vx::PageModel page;
  vx::IdentifyHostBridge(m.context, page);
  EXPECT_EQ(m.driver.configRequests, 64);
}

TEST(IsK6III, SubstringOfTheProcessorName) {
  EXPECT_TRUE(vx::IsK6III("K6-III"));
  EXPECT_TRUE(vx::IsK6III("AMD-K6-III"));
  EXPECT_TRUE(vx::IsK6III("AMD-K6-III+ (Sharptooth)"));
  EXPECT_TRUE(vx::IsK6III("Mobile K6-III-P"));
  EXPECT_FALSE(vx::IsK6III("AMD-K6-2"));
  EXPECT_FALSE(vx::IsK6III("AMD-K6-II"));
  EXPECT_FALSE(vx::IsK6III("amd-k6-iii"));
  EXPECT_FALSE(vx::IsK6III("K6 III"));
  EXPECT_FALSE(vx::IsK6III(""));
  EXPECT_FALSE(vx::IsK6III(nullptr));
}

}  // namespace
