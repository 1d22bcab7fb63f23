#include <gtest/gtest.h>

#include <string>

#include "machine_fixture.h"

namespace {

using vxtest::Machine;
using vxtest::Text;

std::string Section(const Machine& m) { return m.report.section[vx::kChipsetSection].c_str(); }

// Whole sections of recorded boards are compared by the golden reports; here what the section leaves out.
TEST(FillMbPage, PageOnlyFieldsAndStepOrder) {
  Machine m;
  m.AddHost(0x1022, 0x7006, 0x25).Set8(0x61, 0x02).Set8(0x40, 0x1F).Set8(0x50, 0x04).Set8(0x54, 0x04);
  m.Add(0, 7, 0, 0x1022, 0x7408, 0x03, 0x06, 0x01).Set8(0x0E, 0x80);
  m.Add(0, 7, 4, 0x1022, 0x740C, 0x06, 0x0C, 0x03).Set8(0x60, 0x10);
  vx::PageModel page;
  vx::FillMbPage(m.context, page);
  std::string s = Section(m);
  // The refinement runs after the south bridge step and replaces the host bridge's "AMD-".
  EXPECT_NE(s.find("\r\nChipset      : AMD-750\r\n"), std::string::npos);
  EXPECT_EQ(Text(page, IDC_MB_CHIPSET), "AMD-750");
  // SuperBypass and USB are on the page only.
  EXPECT_EQ(Text(page, IDC_MB_SUPER_BYPASS), "Enable");
  EXPECT_EQ(Text(page, IDC_MB_USB), "1.0");
  EXPECT_EQ(s.find("Enable"), std::string::npos);
  EXPECT_EQ(s.find("1.0"), std::string::npos);
  // The template caption is read back; no cache decoder ran, so the label stays greyed.
  EXPECT_NE(s.find("\r\n L2Cache     : \r\n"), std::string::npos);
  EXPECT_FALSE(page.IsEnabled(IDC_MB_L2_LABEL));
  EXPECT_FALSE(page.HasText(IDC_MB_APM_ACPI));
}

TEST(FillMbPage, NoReadablePci) {
  Machine m;
  m.UseNoRoute();
  m.AddHost(0x8086, 0x7190, 0x03);
  m.Add(0, 7, 0, 0x8086, 0x7110, 0x02, 0x06, 0x01);
  vx::PageModel page;
  vx::FillMbPage(m.context, page);
  EXPECT_EQ(page.count, 1);  // the seeded caption alone
  EXPECT_EQ(Section(m).size(), 370u);  // the 23 lines with empty values (the golden report has them)
  EXPECT_EQ(m.state.hostBridgeId, 0u);
  EXPECT_EQ(m.state.southBridgeId, 0u);
}

TEST(WriteChipsetSection, CaptionAndLongTexts) {
  Machine m;
  vx::PageModel page;
  page.SetText(IDC_MB_L2_LABEL, "L3Cache");
  page.SetText(IDC_MB_L2_FIELD, "Pipelined Burst SRAM 512KB");
  page.SetText(IDC_MB_CHIPSET, std::string(200, 'x').c_str());
  page.SetText(IDC_MB_SOUTH_NAME, std::string(112, 'y').c_str());
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
