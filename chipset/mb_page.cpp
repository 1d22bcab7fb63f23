// The M/B page (dialog 132): host bridge, south bridge, chipset name refinement and USB field, then the
// Chipset section read back from the page's controls.
#include "chipset/chipset.h"
#include "report/page_writer.h"

namespace vx {

namespace {

// Report labels are padded to 13 characters; a line is at most 127 characters, CR LF included.
constexpr int kLabelWidth = 13;
constexpr size_t kLineLimit = 127;

// A control's text as the section reads it back: at most 127 characters.
struct ReadBack {
  Text<128> text;
  ReadBack(const PageModel& page, int id) : text() { text.Set(page.GetText(id)); }
  const char* c_str() const { return text.c_str(); }
};

}  // namespace

void WriteChipsetSection(PageContext& context, const PageModel& page) {
  if (context.report == nullptr) return;
  SectionWriter w(*context.report, kChipsetSection, kLabelWidth, kLineLimit);
  auto field = [&](const char* label, int id) { w.Field(label, ReadBack(page, id).c_str()); };

  BeginSection(*context.report, kChipsetSection);
  w.Line("\r\n");
  field("Chipset", kMbChipset);
  w.Line("\r\n");
  w.Line("HOST-PCI Bridge\r\n");
  field(" Host Name", kMbHostName);
  field(" Vender ID", kMbHostVendor);
  field(" Device ID", kMbHostDevice);
  field(" Revision", kMbHostRevision);
  field(" Stepping", kMbStepping);
  // The cache line carries the label's caption ("L2Cache", or "L3Cache" on a K6-III) padded to 11.
  Text<128> label;
  label.Format(" %-11s ", ReadBack(page, kMbL2Label).c_str());
  field(label.c_str(), kMbL2Field);
  field(" TotalMemory", kMbMemoryTotal);
  field("   Bank0", kMbBank0);
  field("   Bank1", kMbBank0 + 1);
  field("   Bank2", kMbBank0 + 2);
  field("   Bank3", kMbBank0 + 3);
  w.Line("\r\n");
  w.Line("LPC(PCI-ISA) Bridge\r\n");
  field(" South Name", kMbSouthName);
  field(" Vender ID", kMbSouthVendor);
  field(" Device ID", kMbSouthDevice);
  field(" Revision", kMbSouthRevision);
  w.Line("\r\n");
}

void FillMbPage(PageContext& context, PageModel& page) {
  // The template caption that the section reads back.
  page.SetText(kMbL2Label, "L2Cache");
  IdentifyHostBridge(context, page);
  IdentifySouthBridge(context, page);
  RefineChipsetName(context, page);
  ShowUsbField(context, page);
  WriteChipsetSection(context, page);
}

}  // namespace vx
