#include <gtest/gtest.h>

#include <string>

#include "fake_machine.h"

namespace {

using vxtest::Machine;
using vxtest::Text;

std::string Section(const Machine& m) { return m.report.section[vx::kChipsetSection].c_str(); }

TEST(FillMbPage, Intel440BXWithPiix4e) {
  Machine m;
  m.AddHost(0x8086, 0x7190, 0x03)
      .Set8(0x57, 0x08)
      .Set8(0x76, 0x04)
      .Set8(0x60, 8)
      .Set32(0x61, 0x10101010)
      .Set16(0x65, 0x1010)
      .Set8(0x67, 16)
      .Set8(0xB4, 0x38);
  m.Add(0, 7, 0, 0x8086, 0x7110, 0x02, 0x06, 0x01).Set8(0x0E, 0x80);
  m.Add(0, 7, 2, 0x8086, 0x7112, 0x01, 0x0C, 0x03).Set32(0x10, 0x00000000);
  m.driver.ports[0] = 0x10;
  vx::PageModel page;
  vx::FillMbPage(m.context, page);
  EXPECT_EQ(Section(m),
            "===== C h i p s e t  I n f o =====================\r\n"
            "\r\n"
            "Chipset      : Intel 440BX AGPSet\r\n"
            "\r\n"
            "HOST-PCI Bridge\r\n"
            " Host Name   : Intel 82443BX\r\n"
            " Vender ID   : 8086\r\n"
            " Device ID   : 7190\r\n"
            " Revision    : 03\r\n"
            " Stepping    : C1\r\n"
            " L2Cache     : \r\n"
            " TotalMemory : SDRAM 128MB (CL=2)\r\n"
            "   Bank0     : 64MB + 64MB\r\n"
            "   Bank1     : \r\n"
            "   Bank2     : \r\n"
            "   Bank3     : \r\n"
            "\r\n"
            "LPC(PCI-ISA) Bridge\r\n"
            " South Name  : Intel 82371EB(PIIX4E)\r\n"
            " Vender ID   : 8086\r\n"
            " Device ID   : 7110\r\n"
            " Revision    : 02\r\n"
            "\r\n");
  EXPECT_EQ(m.state.graphicsApertureSizeMB, 32u);
  EXPECT_EQ(Text(page, vx::kMbUsb), "1.0");  // on the page, not in the report
  EXPECT_FALSE(page.IsEnabled(vx::kMbL2Label));
  EXPECT_EQ(Text(page, vx::kMbL2Label), "L2Cache");
}

TEST(FillMbPage, RefinedAmd750WithSuperBypass) {
  Machine m;
  m.AddHost(0x1022, 0x7006, 0x25).Set8(0x61, 0x02).Set8(0x40, 0x1F).Set8(0x50, 0x04).Set8(0x54, 0x04);
  m.Add(0, 7, 0, 0x1022, 0x7408, 0x03, 0x06, 0x01).Set8(0x0E, 0x80);
  vx::PageModel page;
  vx::FillMbPage(m.context, page);
  EXPECT_EQ(Section(m),
            "===== C h i p s e t  I n f o =====================\r\n"
            "\r\n"
            "Chipset      : AMD-750\r\n"
            "\r\n"
            "HOST-PCI Bridge\r\n"
            " Host Name   : AMD-751\r\n"
            " Vender ID   : 1022\r\n"
            " Device ID   : 7006\r\n"
            " Revision    : 25\r\n"
            " Stepping    : C5\r\n"
            " L2Cache     : \r\n"
            " TotalMemory : SDRAM 64MB (CL=2)\r\n"
            "   Bank0     : 64MB + 0MB\r\n"
            "   Bank1     : \r\n"
            "   Bank2     : \r\n"
            "   Bank3     : \r\n"
            "\r\n"
            "LPC(PCI-ISA) Bridge\r\n"
            " South Name  : AMD-756\r\n"
            " Vender ID   : 1022\r\n"
            " Device ID   : 7408\r\n"
            " Revision    : 03\r\n"
            "\r\n");
  EXPECT_EQ(Text(page, vx::kMbSuperBypass), "Enable");  // on the page only
  EXPECT_FALSE(page.HasText(vx::kMbUsb));
}

TEST(FillMbPage, NoReadablePci) {
  Machine m;
  m.access.pciDriverOpen = false;
  m.AddHost(0x8086, 0x7190, 0x03);
  vx::PageModel page;
  vx::FillMbPage(m.context, page);
  EXPECT_EQ(Section(m),
            "===== C h i p s e t  I n f o =====================\r\n"
            "\r\n"
            "Chipset      : \r\n"
            "\r\n"
            "HOST-PCI Bridge\r\n"
            " Host Name   : \r\n"
            " Vender ID   : \r\n"
            " Device ID   : \r\n"
            " Revision    : \r\n"
            " Stepping    : \r\n"
            " L2Cache     : \r\n"
            " TotalMemory : \r\n"
            "   Bank0     : \r\n"
            "   Bank1     : \r\n"
            "   Bank2     : \r\n"
            "   Bank3     : \r\n"
            "\r\n"
            "LPC(PCI-ISA) Bridge\r\n"
            " South Name  : \r\n"
            " Vender ID   : \r\n"
            " Device ID   : \r\n"
            " Revision    : \r\n"
            "\r\n");
  EXPECT_EQ(m.state.hostBridgeId, 0u);
  EXPECT_EQ(m.state.southBridgeId, 0u);
}

TEST(WriteChipsetSection, CaptionAndLongTexts) {
  Machine m;
  vx::PageModel page;
  page.SetText(vx::kMbL2Label, "L3Cache");
  page.SetText(vx::kMbL2Field, "Pipelined Burst SRAM 512KB");
  page.SetText(vx::kMbChipset, std::string(200, 'x').c_str());
  page.SetText(vx::kMbSouthName, std::string(112, 'y').c_str());
  vx::WriteChipsetSection(m.context, page);
  std::string s = Section(m);
  EXPECT_NE(s.find("\r\n L3Cache     : Pipelined Burst SRAM 512KB\r\n"), std::string::npos);
  // A line holds 127 characters: the text is cut, the line still ends with CR LF.
  EXPECT_NE(s.find("\r\nChipset      : " + std::string(110, 'x') + "\r\n\r\n"), std::string::npos);
  EXPECT_NE(s.find("\r\n South Name  : " + std::string(110, 'y') + "\r\n Vender ID   : \r\n"), std::string::npos);
  // The section ends with its empty line whatever came before.
  EXPECT_EQ(s.substr(s.size() - 4), "\r\n\r\n");
}

}  // namespace
