// The M/B page (IDD_MB_PAGE): host bridge, south bridge, chipset name refinement and USB field, then the
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
  field("Chipset", IDC_MB_CHIPSET);
  w.Line("\r\n");
  w.Line("HOST-PCI Bridge\r\n");
  field(" Host Name", IDC_MB_HOST_NAME);
  field(" Vender ID", IDC_MB_HOST_VENDOR);  // the product's spelling (report/report.h), here and below
  field(" Device ID", IDC_MB_HOST_DEVICE);
  field(" Revision", IDC_MB_HOST_REVISION);
  field(" Stepping", IDC_MB_STEPPING);
  // The cache line carries the label's caption ("L2Cache", or "L3Cache" on a K6-III) padded to 11.
  Text<128> label;
  label.Format(" %-11s ", ReadBack(page, IDC_MB_L2_LABEL).c_str());
  field(label.c_str(), IDC_MB_L2_FIELD);
  field(" TotalMemory", IDC_MB_MEMORY_TOTAL);
  field("   Bank0", IDC_MB_BANK0);
  field("   Bank1", IDC_MB_BANK0 + 1);
  field("   Bank2", IDC_MB_BANK0 + 2);
  field("   Bank3", IDC_MB_BANK0 + 3);
  w.Line("\r\n");
  w.Line("LPC(PCI-ISA) Bridge\r\n");
  field(" South Name", IDC_MB_SOUTH_NAME);
  field(" Vender ID", IDC_MB_SOUTH_VENDOR);
  field(" Device ID", IDC_MB_SOUTH_DEVICE);
  field(" Revision", IDC_MB_SOUTH_REVISION);
  w.Line("\r\n");
}

void FillMbPage(PageContext& context, PageModel& page) {
  // The template caption that the section reads back.
  page.SetText(IDC_MB_L2_LABEL, "L2Cache");
  IdentifyHostBridge(context, page);
  IdentifySouthBridge(context, page);
  RefineChipsetName(context, page);
  ShowUsbField(context, page);
  WriteChipsetSection(context, page);
}

}  // namespace vx
