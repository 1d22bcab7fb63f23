#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine_fixture.h"
#include "report/pages.h"
#include "resources/control_ids.h"
#include "video/agp.h"

namespace {

struct AgpFields {
  uint8_t revision = 0x20;
  uint32_t status = 0x1F000203;   // 32 requests, side-band, 2x 1x
  uint32_t command = 0x00000102;  // AGP on at 2x
  uint16_t control = 0x0000;      // chipset word at capability + 0x10
};

// A host bridge with its AGP capability at p, first in the list.
vxtest::FunctionImage HostBridge(const AgpFields& f, uint8_t p = 0xA0) {
  vxtest::FunctionImage image = vxtest::MakeFunction(0x8086, 0x7190, 0x06000003);
  image.Set16(0x06, 0x0210);  // status: capability list
  image.Set8(0x34, p);
  image.Set8(p, 0x02);
  image.Set8(p + 1, 0x00);
  image.Set8(p + 2, f.revision);
  image.Set32(p + 4, f.status);
  image.Set32(p + 8, f.command);
  image.Set16(p + 0x10, f.control);
  return image;
}

struct Decoded {
  int result = -1;
  vx::PageModel page;
  std::string block;  // what the decode appended behind the section header
};

Decoded Decode(vxtest::Machine& machine, uint32_t apertureMB = 64) {
  static vx::Report report;
  vx::AccessState& access = machine.access;
  vx::ProgramState state;
  state.graphicsApertureSizeMB = apertureMB;
  vx::PageContext context;
  context.access = &access;
  context.state = &state;
  context.report = &report;
  vx::BeginSection(report, vx::kVgaSection);
  Decoded d;
  d.page.Clear();
  d.result = vx::DecodeAgpState(context, d.page);
  std::string section = report.section[vx::kVgaSection].c_str();
  d.block = section.substr(std::string(vx::kSectionHeaders[vx::kVgaSection]).size());
  return d;
}

Decoded DecodeBridge(const vxtest::FunctionImage& image, uint32_t apertureMB = 64) {
  vxtest::Machine machine;
  machine.Place(0, 0, 0, image);
  return Decode(machine, apertureMB);
}

const char* LabelOf(int id) {
  switch (id) {
    case IDC_VGA_AGP_OPERATION: return "AGP Operation         : ";
    case IDC_VGA_AGP_REVISION: return "Revision              : ";
    case IDC_VGA_SUPPORT_RATE: return "  Support Rate        : ";
    case IDC_VGA_CURRENT_RATE: return "  Current Rate        : ";
    case IDC_VGA_AGP_MODE: return "AGP Mode              : ";
    case IDC_VGA_QUEUE_DEPTH: return "Pipeline RQ depth     : ";
    case IDC_VGA_FOUR_GB: return "4GB Addressing        : ";
    case IDC_VGA_GTLB_FLUSH: return "GTBL Flush            : ";
    case IDC_VGA_FAST_WRITE: return "Fast Write Transfer   : ";
    case IDC_VGA_SIDE_BAND: return "Side-band Addressing  : ";
    case IDC_VGA_READ_SYNC: return "AGP Read Sync         : ";
    case IDC_VGA_APERTURE_SIZE: return "Graphics Aperture Size: ";
  }
  return "?";
}

// Each field of the capability: the control's text and its report line carry the same value.
TEST(AgpState, FieldTexts) {
  struct Case {
    const char* what;
    uint8_t revision;
    uint32_t status, command;
    uint16_t control;
    int id;
    const char* text;
  } const cases[] = {
      {"revision 2.0", 0x20, 0, 0, 0, IDC_VGA_AGP_REVISION, "2.0"},
      {"revision 1.0", 0x10, 0, 0, 0, IDC_VGA_AGP_REVISION, "1.0"},
      {"revision major and minor", 0x3A, 0, 0, 0, IDC_VGA_AGP_REVISION, "3.10"},
      {"rates 4x 2x 1x", 0x20, 0x7, 0, 0, IDC_VGA_SUPPORT_RATE, "4x 2x 1x"},
      {"rates 4x 2x", 0x20, 0x6, 0, 0, IDC_VGA_SUPPORT_RATE, "4x 2x "},
      {"rates 2x 1x", 0x20, 0x3, 0, 0, IDC_VGA_SUPPORT_RATE, "2x 1x"},
      {"rate 4x alone", 0x20, 0x4, 0, 0, IDC_VGA_SUPPORT_RATE, "4x "},
      {"rate 1x alone", 0x20, 0x1, 0, 0, IDC_VGA_SUPPORT_RATE, "1x"},
      {"no rate", 0x20, 0xFFFFFFF8, 0, 0, IDC_VGA_SUPPORT_RATE, ""},
      {"data rate auto", 0x20, 0, 0x0, 0, IDC_VGA_CURRENT_RATE, "Auto"},
      {"data rate 1x", 0x20, 0, 0x1, 0, IDC_VGA_CURRENT_RATE, "1x"},
      {"data rate 2x", 0x20, 0, 0x2, 0, IDC_VGA_CURRENT_RATE, "2x"},
      {"data rate 4x", 0x20, 0, 0x4, 0, IDC_VGA_CURRENT_RATE, "4x"},
      {"data rate 3", 0x20, 0, 0x3, 0, IDC_VGA_CURRENT_RATE, "Illegal(11)"},
      {"data rate 5", 0x20, 0, 0x5, 0, IDC_VGA_CURRENT_RATE, "Illegal(101)"},
      {"data rate 6", 0x20, 0, 0x6, 0, IDC_VGA_CURRENT_RATE, "Illegal(110)"},
      {"data rate 7", 0x20, 0, 0xFFFFFFF7, 0, IDC_VGA_CURRENT_RATE, "Illegal(111)"},
      {"AGP enabled", 0x20, 0, 0x100, 0, IDC_VGA_AGP_MODE, "Enable"},
      {"AGP disabled", 0x20, 0xFFFFFFFE, 0xFFFFFEFF, 0xFFFF, IDC_VGA_AGP_MODE, "Disable"},
      {"queue depth 32", 0x20, 0x1F000000, 0, 0, IDC_VGA_QUEUE_DEPTH, "32"},
      {"queue depth 256", 0x20, 0xFF000000, 0, 0, IDC_VGA_QUEUE_DEPTH, "256"},
      {"queue depth 1", 0x20, 0x00FFFFFF, 0, 0, IDC_VGA_QUEUE_DEPTH, "1"},
      {"4GB not supported", 0x20, 0, 0, 0, IDC_VGA_FOUR_GB, "No Support"},
      {"4GB supported, off", 0x20, 0x20, 0, 0, IDC_VGA_FOUR_GB, "Disable"},
      {"4GB enabled", 0x20, 0x20, 0x20, 0, IDC_VGA_FOUR_GB, "Enable"},
      {"4GB enabled though not supported", 0x20, 0, 0x20, 0, IDC_VGA_FOUR_GB, "Disable"},
      {"fast write not supported", 0x20, 0xFFFFFFEF, 0xFFFFFFEF, 0, IDC_VGA_FAST_WRITE, "No Support"},
      {"fast write supported, off", 0x20, 0x10, 0, 0, IDC_VGA_FAST_WRITE, "Disable"},
      {"fast write enabled", 0x20, 0x10, 0x10, 0, IDC_VGA_FAST_WRITE, "Enable"},
      {"side-band not supported", 0x20, 0, 0, 0, IDC_VGA_SIDE_BAND, "No Support"},
      {"side-band supported, off", 0x20, 0x200, 0, 0, IDC_VGA_SIDE_BAND, "Disable"},
      {"side-band enabled", 0x20, 0x200, 0x200, 0, IDC_VGA_SIDE_BAND, "Enable"},
      {"side-band on, not supported", 0x20, 0, 0x200, 0, IDC_VGA_SIDE_BAND, "Disable"},
      {"GTLB flush on", 0x20, 0, 0, 0x0080, IDC_VGA_GTLB_FLUSH, "Enable"},
      {"GTLB flush off", 0x20, 0xFFFFFFFE, 0xFFFFFFFE, 0xFF7F, IDC_VGA_GTLB_FLUSH, "Disable"},
      {"read sync on", 0x20, 0, 0, 0x2000, IDC_VGA_READ_SYNC, "Enable"},
      {"read sync off", 0x20, 0xFFFFFFFE, 0xFFFFFFFE, 0xDFFF, IDC_VGA_READ_SYNC, "Disable"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AgpFields f;
    f.revision = c.revision;
    f.status = c.status;
    f.command = c.command;
    f.control = c.control;
    Decoded d = DecodeBridge(HostBridge(f));
    EXPECT_EQ(d.result, 1);
    EXPECT_STREQ(d.page.GetText(c.id), c.text);
    std::string line = std::string(LabelOf(c.id)) + c.text + "\r\n";
    EXPECT_NE(d.block.find(line), std::string::npos) << d.block;
  }
}

TEST(AgpState, ApertureTexts) {
  struct Case {
    uint32_t mb;
    const char* text;
  } const cases[] = {
      {0, "0MB"}, {4, "4MB"}, {64, "64MB"}, {256, "256MB"}, {1023, "1023MB"},
      {1024, "1GB"}, {1536, "1GB"}, {2048, "2GB"}, {4096, "4GB"}, {0xFFFFFFFF, "4194303GB"},
  };
  for (const Case& c : cases) {
    vx::AgpText text;
    vx::FormatApertureSize(c.mb, text);
    EXPECT_STREQ(text.c_str(), c.text) << c.mb;
  }
  // On the page and in the report, from the program-wide value the host bridge identification left.
  Decoded d = DecodeBridge(HostBridge(AgpFields()), 1024);
  EXPECT_STREQ(d.page.GetText(IDC_VGA_APERTURE_SIZE), "1GB");
  EXPECT_NE(d.block.find("Graphics Aperture Size: 1GB\r\n"), std::string::npos);
}

// The whole block of an enabled 2x port, line by line, and the controls it sets.
TEST(AgpState, WholeBlock) {
  AgpFields f;
  f.status = 0x1F000203;
  f.command = 0x00000302;
  f.control = 0x2080;
  Decoded d = DecodeBridge(HostBridge(f), 64);
  EXPECT_EQ(d.result, 1);
  EXPECT_EQ(d.block,
            "\r\n"
            "AGP Operation         : Support\r\n"
            "Revision              : 2.0\r\n"
            "Data Transfer Rate\r\n"
            "  Support Rate        : 2x 1x\r\n"
            "  Current Rate        : 2x\r\n"
            "AGP Mode              : Enable\r\n"
            "Pipeline RQ depth     : 32\r\n"
            "4GB Addressing        : No Support\r\n"
            "GTBL Flush            : Enable\r\n"
            "Fast Write Transfer   : No Support\r\n"
            "Side-band Addressing  : Enable\r\n"
            "AGP Read Sync         : Enable\r\n"
            "Graphics Aperture Size: 64MB\r\n"
            "\r\n");
  for (int id = IDC_VGA_AGP_OPERATION; id <= IDC_VGA_APERTURE_SIZE; ++id) EXPECT_TRUE(d.page.HasText(id)) << id;
  EXPECT_FALSE(d.page.HasText(IDC_VGA_OVERRIDE_4X));
  EXPECT_STREQ(d.page.GetText(IDC_VGA_AGP_OPERATION), "Support");
}

// Everything that counts as no AGP: one line, one control.
TEST(AgpState, NoAgpCapability) {
  const std::string kNoSupport = "\r\nAGP Operation         : No Support\r\n\r\n";
  struct Case {
    const char* what;
    vxtest::FunctionImage image;
  };
  std::vector<Case> cases;

  vxtest::FunctionImage noList = HostBridge(AgpFields());
  noList.Set16(0x06, 0x0200);  // status bit 4 clear: the pointer is not looked at
  cases.push_back({"no capability list", noList});

  vxtest::FunctionImage notFirst = HostBridge(AgpFields(), 0xA0);
  notFirst.Set8(0x34, 0x80);  // first: power management, next: AGP at 0xA0
  notFirst.Set8(0x80, 0x01);
  notFirst.Set8(0x81, 0xA0);
  cases.push_back({"first capability power management, AGP second", notFirst});

  vxtest::FunctionImage tooHigh = HostBridge(AgpFields(), 0xE0);
  tooHigh.Set8(0x34, 0xEF);
  tooHigh.Set8(0xEF, 0x02);  // an AGP ID whose capability would run past the image
  cases.push_back({"pointer 0xEF", tooHigh});

  vxtest::FunctionImage topmost = tooHigh;
  topmost.Set8(0x34, 0xFF);
  topmost.Set8(0xFF, 0x02);
  cases.push_back({"pointer 0xFF", topmost});

  vxtest::FunctionImage plainPci = vxtest::MakeFunction(0x1106, 0x0585, 0x06000000);
  cases.push_back({"PCI-only host bridge", plainPci});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Decoded d = DecodeBridge(c.image);
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.block, kNoSupport);
    EXPECT_STREQ(d.page.GetText(IDC_VGA_AGP_OPERATION), "No Support");
    EXPECT_EQ(d.page.count, 1);
  }
}

// The highest pointer whose capability still fits: the chipset word is the last two bytes of the image.
TEST(AgpState, CapabilityAtLastWholeOffset) {
  AgpFields f;
  f.control = 0x2080;
  Decoded d = DecodeBridge(HostBridge(f, 0xEE));
  EXPECT_EQ(d.result, 1);
  EXPECT_STREQ(d.page.GetText(IDC_VGA_GTLB_FLUSH), "Enable");
  EXPECT_STREQ(d.page.GetText(IDC_VGA_READ_SYNC), "Enable");
}

// Host bridge unreadable: nothing set, nothing appended, not even the blank line.
TEST(AgpState, UnreadableHostBridge) {
  vxtest::Machine machine;
  Decoded d = Decode(machine);
  EXPECT_EQ(d.result, 0);
  EXPECT_EQ(d.block, "");
  EXPECT_EQ(d.page.count, 0);
}

// A block read that stops inside the capability: the bytes not read count as zero.
TEST(AgpState, ShortReadInsideCapability) {
  AgpFields f;
  f.status = 0x07000217;
  f.command = 0xFFFFFFFF;  // all ones ends the block at the command register
  f.control = 0x2080;
  Decoded d = DecodeBridge(HostBridge(f));
  EXPECT_EQ(d.result, 1);
  EXPECT_STREQ(d.page.GetText(IDC_VGA_SUPPORT_RATE), "4x 2x 1x");
  EXPECT_STREQ(d.page.GetText(IDC_VGA_QUEUE_DEPTH), "8");
  EXPECT_STREQ(d.page.GetText(IDC_VGA_CURRENT_RATE), "Auto");
  EXPECT_STREQ(d.page.GetText(IDC_VGA_AGP_MODE), "Disable");
  EXPECT_STREQ(d.page.GetText(IDC_VGA_FAST_WRITE), "Disable");
  EXPECT_STREQ(d.page.GetText(IDC_VGA_GTLB_FLUSH), "Disable");
}

}  // namespace
