#include <gtest/gtest.h>

#include "machine_fixture.h"

namespace {

using vxtest::Machine;
using vxtest::Text;

struct SouthCase {
  uint16_t vendor, device;
  uint8_t revision;
  const char* name;
};

TEST(IdentifySouthBridge, EveryRowOfTheSouthTables) {
  const SouthCase cases[] = {
      {0x8086, 0x122E, 0x02, "Intel 82371FB(PII)"},
      {0x8086, 0x2410, 0x02, "Intel ICH:82801AA"},
      {0x8086, 0x2420, 0x01, "Intel ICH0:82801AB"},
      {0x8086, 0x7000, 0x01, "Intel 82371SB(PIIX3)"},
      {0x8086, 0x7110, 0x00, "Intel 82371AB(PIIX4)"},
      {0x8086, 0x7110, 0x01, "Intel 82371AB(PIIX4)"},
      {0x8086, 0x7110, 0x02, "Intel 82371EB(PIIX4E)"},
      {0x8086, 0x7110, 0xFF, "Intel 82371EB(PIIX4E)"},
      {0x8086, 0x7198, 0x00, "Intel 82443MX-100(include)"},
      {0x8086, 0x7111, 0x01, "No Support"},
      {0x1106, 0x0586, 0x00, "VIA VT82C586"},
      {0x1106, 0x0586, 0x0F, "VIA VT82C586"},
      {0x1106, 0x0586, 0x10, "VIA VT82C586A"},
      {0x1106, 0x0586, 0x2F, "VIA VT82C586A"},
      {0x1106, 0x0586, 0x30, "VIA VT82C586B(OEM)"},
      {0x1106, 0x0586, 0x3F, "VIA VT82C586B(OEM)"},
      {0x1106, 0x0586, 0x40, "VIA VT82C586B(Production)"},
      {0x1106, 0x0586, 0x4F, "VIA VT82C586B(Production)"},
      {0x1106, 0x0586, 0x50, "VIA VT82C586x"},
      {0x1106, 0x0586, 0xFF, "VIA VT82C586x"},
      {0x1106, 0x0686, 0x1B, "VIA VT82C686A"},
      {0x1106, 0x0596, 0x12, "No Support"},
      {0x10B9, 0x1533, 0x00, "ALi M1533"},
      {0x10B9, 0x1543, 0xC3, "ALi M1543"},
      {0x10B9, 0x0001, 0x00, "ALi M0001"},
      {0x1039, 0x0008, 0x01, "SiS5595"},
      {0x1039, 0x0018, 0x01, "No Support"},
      {0x1022, 0x0586, 0x00, "AMD-645"},
      {0x1022, 0x7408, 0x03, "AMD-756"},
      {0x1022, 0x7409, 0x03, "No Support"},
      {0x1004, 0x0006, 0x02, "VLSI 0006"},
      {0x1078, 0x0100, 0x00, "No Support"},
  };
  for (const SouthCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.vendor << ":" << c.device << " rev " << int(c.revision));
    Machine m;
    m.Add(0, 7, 0, c.vendor, c.device, c.revision, 0x06, 0x01);
    vx::PageModel page;
    ASSERT_EQ(vx::IdentifySouthBridge(m.context, page), 1);
    EXPECT_EQ(Text(page, IDC_MB_SOUTH_NAME), c.name);
    char id[16];
    snprintf(id, sizeof id, "%04X", c.vendor);
    EXPECT_EQ(Text(page, IDC_MB_SOUTH_VENDOR), id);
    snprintf(id, sizeof id, "%04X", c.device);
    EXPECT_EQ(Text(page, IDC_MB_SOUTH_DEVICE), id);
    snprintf(id, sizeof id, "%02X", c.revision);
    EXPECT_EQ(Text(page, IDC_MB_SOUTH_REVISION), id);
    EXPECT_EQ(m.state.southBridgeId, static_cast<uint32_t>(c.device) << 16 | c.vendor);
    EXPECT_EQ(m.state.viaSouthRevision, c.vendor == 0x1106 ? c.revision : 0u);
  }
}

TEST(IdentifySouthBridge, FirstIsaBridgeAtFunctionZero) {
  {
    SCOPED_TRACE("function 1 only");
    Machine m;
    m.Add(0, 7, 0, 0x8086, 0x7111, 0x01, 0x01, 0x01, 0x80).Set8(0x0E, 0x80);  // IDE at function 0
    m.Add(0, 7, 1, 0x8086, 0x7110, 0x02, 0x06, 0x01);
    vx::PageModel page;
    EXPECT_EQ(vx::IdentifySouthBridge(m.context, page), 0);
    EXPECT_EQ(page.count, 0);
    EXPECT_EQ(m.state.southBridgeId, 0u);
  }
  {
    SCOPED_TRACE("lowest device wins; other bridges and programming interfaces");
    Machine m;
    m.Add(0, 1, 0, 0x8086, 0x7191, 0x03, 0x06, 0x04);  // PCI-to-PCI bridge
    m.Add(0, 9, 0, 0x10B9, 0x1533, 0x00, 0x06, 0x01);
    m.Add(0, 4, 0, 0x1106, 0x0586, 0x47, 0x06, 0x01, 0x5A);
    vx::PageModel page;
    EXPECT_EQ(vx::IdentifySouthBridge(m.context, page), 1);
    EXPECT_EQ(Text(page, IDC_MB_SOUTH_NAME), "VIA VT82C586B(Production)");
  }
  {
    SCOPED_TRACE("on a later bus");
    Machine m;
    m.Add(2, 0, 0, 0x8086, 0x2410, 0x02, 0x06, 0x01);
    vx::PageModel page;
    EXPECT_EQ(vx::IdentifySouthBridge(m.context, page), 1);
    EXPECT_EQ(Text(page, IDC_MB_SOUTH_NAME), "Intel ICH:82801AA");
  }
  {
    SCOPED_TRACE("no route");
    Machine m;
    m.UseNoRoute();
    m.Add(0, 7, 0, 0x8086, 0x7110, 0x02, 0x06, 0x01);
    vx::PageModel page;
    EXPECT_EQ(vx::IdentifySouthBridge(m.context, page), 0);
    EXPECT_EQ(page.count, 0);
  }
}

struct RefineCase {
  const char* what;
  uint16_t hostVendor, hostDevice;
  uint8_t hostRevision;
  uint16_t southVendor, southDevice;  // 0: no south bridge
  uint8_t southRevision;
  const char* chipset;
};

TEST(RefineChipsetName, ByHostAndSouthBridge) {
  const RefineCase cases[] = {
      {"VPX without a VIA south bridge", 0x1106, 0x0585, 0, 0, 0, 0, "VIA Apollo VP"},
      {"VPX with an Intel south bridge", 0x1106, 0x0585, 0, 0x8086, 0x7000, 0x30, "VIA Apollo VP"},
      {"VPX, 586 rev 0x1F", 0x1106, 0x0585, 0, 0x1106, 0x0586, 0x1F, "VIA Apollo VP"},
      {"VPX, 586 rev 0x20", 0x1106, 0x0585, 0, 0x1106, 0x0586, 0x20, "VIA Apollo VPX"},
      {"VPX, 586 rev 0x2F", 0x1106, 0x0585, 0, 0x1106, 0x0586, 0x2F, "VIA Apollo VPX"},
      {"VPX, 586 rev 0x30", 0x1106, 0x0585, 0, 0x1106, 0x0586, 0x30, "VIA Apollo VPX/97"},
      {"VPX, unnamed VIA south rev 0x41", 0x1106, 0x0585, 0, 0x1106, 0x0596, 0x41, "VIA Apollo VPX/97"},
      {"VP2, 586 rev 0x2F", 0x1106, 0x0595, 0, 0x1106, 0x0586, 0x2F, "VIA Apollo VP2"},
      {"VP2, 586 rev 0x30", 0x1106, 0x0595, 0, 0x1106, 0x0586, 0x30, "VIA Apollo VP2/97"},
      {"VP2, 586 rev 0x41", 0x1106, 0x0595, 0, 0x1106, 0x0586, 0x41, "VIA Apollo VP2/97"},
      {"VP2 without a south bridge", 0x1106, 0x0595, 0, 0, 0, 0, "VIA Apollo VP2"},
      {"Aladdin IV", 0x10B9, 0x1531, 1, 0x10B9, 0x1533, 0, "ALi Aladdin IV"},
      {"Aladdin IV+", 0x10B9, 0x1531, 1, 0x10B9, 0x1543, 0, "ALi Aladdin IV+"},
      {"M1531 with another south bridge", 0x10B9, 0x1531, 1, 0x10B9, 0x1523, 0, ""},
      {"AMD-751 and VT82C686A", 0x1022, 0x7006, 0x25, 0x1106, 0x0686, 0x1B, "AMD-751 / VT82C686A"},
      {"AMD-750", 0x1022, 0x7006, 0x25, 0x1022, 0x7408, 0x03, "AMD-750"},
      {"AMD-751 and PIIX4", 0x1022, 0x7006, 0x25, 0x8086, 0x7110, 0x02, "AMD-"},
      {"other hosts unchanged", 0x8086, 0x7190, 3, 0x1106, 0x0686, 0x1B, "Intel 440BX AGPSet"},
      {"MVP3 unchanged", 0x1106, 0x0597, 4, 0x1106, 0x0586, 0x47, "VIA Apollo MVP3"},
  };
  for (const RefineCase& c : cases) {
    SCOPED_TRACE(c.what);
    Machine m;
    m.AddHost(c.hostVendor, c.hostDevice, c.hostRevision);
    if (c.southVendor != 0) m.Add(0, 7, 0, c.southVendor, c.southDevice, c.southRevision, 0x06, 0x01);
    vx::PageModel page;
    vx::IdentifyHostBridge(m.context, page);
    vx::IdentifySouthBridge(m.context, page);
    EXPECT_EQ(vx::RefineChipsetName(m.context, page), 1);
    EXPECT_EQ(Text(page, IDC_MB_CHIPSET), c.chipset);
  }
}

// The release number from configuration byte 0x60 of UHCI and EHCI controllers, through the driver only;
// no port request is ever sent (the BAR's port would be the DMA controller's on a UHCI).
TEST(ShowUsbField, ReleaseNumberFromRegister60) {
  struct Case {
    uint8_t progIf;
    uint32_t reg60;
    bool driver;
    const char* text;  // nullptr: the field stays empty
  } cases[] = {
      {0x00, 0x10, true, "1.0"},             // UHCI, USB 1.0
      {0x00, 0x0311, true, "1.1"},           // only the byte at 0x60 counts
      {0x20, 0x20, true, "2.0"},             // EHCI
      {0x00, 0xAB, true, "10.11"},           // "%d.%d" of the two nibbles
      {0x10, 0x10, true, nullptr},           // OHCI defines no such register
      {0x30, 0x30, true, nullptr},           // nor is any other interface read
      {0x00, 0x10, false, nullptr},          // without the driver (giveio's ports) nothing is read
      {0x00, 0xFFFFFFFF, true, nullptr},     // all ones, as a failed read gives: nothing shown
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "prog-if " << int(c.progIf) << ", 0x60 = " << c.reg60 << ", driver " << c.driver);
    Machine m;
    if (!c.driver) m.UseGiveio();
    m.Add(0, 7, 0, 0x8086, 0x7110, 0x02, 0x06, 0x01).Set8(0x0E, 0x80);
    auto& usb = m.Add(0, 7, 2, 0x8086, 0x7112, 0x01, 0x0C, 0x03, c.progIf).Set32(0x10, 0).Set32(0x20, 0xE001);
    usb.Set32(0x60, c.reg60);
    m.SetPort32(0x0000, 0x10);
    m.SetPort32(0xE000, 0x10);
    vx::PageModel page;
    EXPECT_EQ(vx::ShowUsbField(m.context, page), 1);
    EXPECT_EQ(page.HasText(IDC_MB_USB) ? Text(page, IDC_MB_USB) : std::string("(empty)"),
              c.text ? c.text : "(empty)");
    EXPECT_EQ(m.driver.portRequests, 0);
    EXPECT_EQ(m.ports.lastIn32Port, c.driver ? 0u : 0xCFCu);  // through giveio only configuration reads
  }
}

TEST(ShowUsbField, FirstControllerAnyFunction) {
  Machine m;
  m.Add(0, 7, 0, 0x8086, 0x7110, 0x02, 0x06, 0x01).Set8(0x0E, 0x80);
  m.Add(0, 7, 3, 0x8086, 0x7112, 0x01, 0x0C, 0x03).Set8(0x60, 0x21);
  m.Add(0, 9, 0, 0x1106, 0x3038, 0x04, 0x0C, 0x03).Set8(0x60, 0x10);
  vx::PageModel page;
  EXPECT_EQ(vx::ShowUsbField(m.context, page), 1);
  EXPECT_EQ(Text(page, IDC_MB_USB), "2.1");

  Machine none;
  none.Add(0, 7, 0, 0x8086, 0x7110, 0x02, 0x06, 0x01);
  none.Add(0, 7, 2, 0x8086, 0x7113, 0x02, 0x0C, 0x05);  // SMBus, not USB
  vx::PageModel empty;
  EXPECT_EQ(vx::ShowUsbField(none.context, empty), 0);
  EXPECT_EQ(empty.count, 0);
  EXPECT_EQ(none.driver.portRequests, 0);
}

}  // namespace
