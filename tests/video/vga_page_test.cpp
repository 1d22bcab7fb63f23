#include <gtest/gtest.h>

#include <string>

#include "machine_fixture.h"
#include "report/pages.h"
#include "resources/control_ids.h"

namespace {

const char kHeader[] = "===== V G A  I n f o =============================\r\n";

// A 440BX-style host bridge: AGP 1.0 capability at 0xA0, 2x enabled, side-band on.
vxtest::FunctionImage Bx440() {
  vxtest::FunctionImage image = vxtest::MakeFunction(0x8086, 0x7190, 0x06000003);
  image.Set16(0x06, 0x2210);
  image.Set8(0x34, 0xA0);
  image.Set32(0xA0, 0x00100002);
  image.Set32(0xA4, 0x1F000203);
  image.Set32(0xA8, 0x00000302);
  image.Set16(0xB0, 0x0080);
  return image;
}

vxtest::FunctionImage Tnt2() {
  vxtest::FunctionImage image = vxtest::MakeFunction(0x10DE, 0x0028, 0x03000011);
  image.Set16(0x2C, 0x1092);
  image.Set16(0x2E, 0x0005);
  return image;
}

struct Filled {
  vx::PageModel page;
  vx::Report report;
  std::string section() const { return report.section[vx::kVgaSection].c_str(); }
};

void Fill(vx::AccessState& access, uint32_t apertureMB, Filled* out) {
  vx::ProgramState state;
  state.graphicsApertureSizeMB = apertureMB;
  vx::PageContext context;
  context.access = &access;
  context.state = &state;
  context.report = &out->report;
  out->page.Clear();
  vx::FillVgaPage(context, out->page);
}

TEST(VgaPage, AdapterAndAgpHostBridge) {
  vxtest::Machine machine;
  machine.Place(0, 0, 0, Bx440());
  machine.Place(1, 0, 0, Tnt2());
  vx::AccessState& access = machine.access;
  static Filled f;
  f.report.section[vx::kVgaSection].Set("left over from before\r\n");  // the section is reset, not appended to
  Fill(access, 64, &f);
  EXPECT_EQ(f.section(), std::string(kHeader) +
                             "\r\n"
                             "VGA Name  : NVidia Riva TNT2 Pro\r\n"
                             "Vendor ID : 10DE\r\n"
                             "Device ID : 0028\r\n"
                             "Revision  : 11\r\n"
                             "\r\n"
                             "AGP Operation         : Support\r\n"
                             "Revision              : 1.0\r\n"
                             "Data Transfer Rate\r\n"
                             "  Support Rate        : 2x 1x\r\n"
                             "  Current Rate        : 2x\r\n"
                             "AGP Mode              : Enable\r\n"
                             "Pipeline RQ depth     : 32\r\n"
                             "4GB Addressing        : No Support\r\n"
                             "GTBL Flush            : Enable\r\n"
                             "Fast Write Transfer   : No Support\r\n"
                             "Side-band Addressing  : Enable\r\n"
                             "AGP Read Sync         : Disable\r\n"
                             "Graphics Aperture Size: 64MB\r\n"
                             "\r\n");
  EXPECT_STREQ(f.page.GetText(IDC_VGA_NAME), "NVidia Riva TNT2 Pro");
  EXPECT_STREQ(f.page.GetText(IDC_VGA_VENDOR_ID), "10DE");
  EXPECT_STREQ(f.page.GetText(IDC_VGA_DEVICE_ID), "0028");
  EXPECT_STREQ(f.page.GetText(IDC_VGA_REVISION_ID), "11");
  EXPECT_STREQ(f.page.GetText(IDC_VGA_APERTURE_SIZE), "64MB");
  // The "Override AGP 4x" row is never written or enabled.
  EXPECT_FALSE(f.page.HasText(IDC_VGA_OVERRIDE_4X));
  EXPECT_FALSE(f.page.IsEnabled(IDC_VGA_OVERRIDE_4X));
}

TEST(VgaPage, UnnamedAdapterWithoutAgp) {
  vxtest::Machine machine;
  machine.Place(0, 0, 0, vxtest::MakeFunction(0x1039, 0x0001, 0x06000000));
  vxtest::FunctionImage adapter = vxtest::MakeFunction(0x1039, 0x6205, 0x03000003);
  machine.Place(0, 9, 0, adapter);
  vx::AccessState& access = machine.access;
  static Filled f;
  Fill(access, 0, &f);
  EXPECT_EQ(f.section(), std::string(kHeader) +
                             "\r\n"
                             "VGA Name  : No Support\r\n"
                             "Vendor ID : 1039\r\n"
                             "Device ID : 6205\r\n"
                             "Revision  : 03\r\n"
                             "\r\n"
                             "AGP Operation         : No Support\r\n"
                             "\r\n");
  EXPECT_STREQ(f.page.GetText(IDC_VGA_NAME), "No Support");
  EXPECT_FALSE(f.page.HasText(IDC_VGA_AGP_REVISION));
}

// Without an adapter the AGP block follows the header directly.
TEST(VgaPage, NoAdapter) {
  vxtest::Machine machine;
  machine.Place(0, 0, 0, Bx440());
  vx::AccessState& access = machine.access;
  static Filled f;
  Fill(access, 256, &f);
  std::string prefix = std::string(kHeader) + "\r\nAGP Operation         : Support\r\n";
  EXPECT_EQ(f.section().substr(0, prefix.size()), prefix);
  EXPECT_FALSE(f.page.HasText(IDC_VGA_VENDOR_ID));
  EXPECT_FALSE(f.page.HasText(IDC_VGA_NAME));
  EXPECT_STREQ(f.page.GetText(IDC_VGA_APERTURE_SIZE), "256MB");
}

// Adapter readable, host bridge not: the section ends after the adapter lines.
TEST(VgaPage, UnreadableHostBridge) {
  vxtest::Machine machine;
  machine.Place(1, 0, 0, Tnt2());
  vx::AccessState& access = machine.access;
  static Filled f;
  Fill(access, 64, &f);
  EXPECT_EQ(f.section(), std::string(kHeader) +
                             "\r\n"
                             "VGA Name  : NVidia Riva TNT2 Pro\r\n"
                             "Vendor ID : 10DE\r\n"
                             "Device ID : 0028\r\n"
                             "Revision  : 11\r\n");
  EXPECT_FALSE(f.page.HasText(IDC_VGA_AGP_OPERATION));
}

// No route to PCI at all: the heading alone, every field empty.
TEST(VgaPage, NoAccess) {
  vx::AccessState access;
  static Filled f;
  Fill(access, 0, &f);
  EXPECT_EQ(f.section(), kHeader);
  EXPECT_EQ(f.page.count, 0);
}

}  // namespace
