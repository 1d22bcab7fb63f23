// The M/B page (dialog 132): host bridge, south bridge, chipset name refinement and USB field, then the
// Chipset section read back from the page's controls.
#include "chipset/chipset.h"

namespace vx {

namespace {

// One report line: the label, a control's text read back (at most 127 characters) and CR LF, in a line of
// at most 127 characters. A text too long for the line is cut so that the line still ends with CR LF.
void AppendField(Report& report, const char* label, const char* controlText) {
  Text<128> value, line;
  value.Set(controlText);
  line.Set(label);
  line.Append(value.c_str());
  if (line.Length() > line.kCapacity - 3) line.s[line.kCapacity - 3] = 0;
  line.Append("\r\n");
  AppendToSection(report, kChipsetSection, line.c_str());
}

}  // namespace

void WriteChipsetSection(PageContext& context, const PageModel& page) {
  if (context.report == nullptr) return;
  Report& report = *context.report;
  auto field = [&](const char* label, int id) { AppendField(report, label, page.GetText(id)); };
  auto text = [&](const char* s) { AppendToSection(report, kChipsetSection, s); };

  BeginSection(report, kChipsetSection);
  text("\r\n");
  field("Chipset      : ", kMbChipset);
  text("\r\n");
  text("HOST-PCI Bridge\r\n");
  field(" Host Name   : ", kMbHostName);
  field(" Vender ID   : ", kMbHostVendor);
  field(" Device ID   : ", kMbHostDevice);
  field(" Revision    : ", kMbHostRevision);
  field(" Stepping    : ", kMbStepping);
  // The cache line carries the label's caption ("L2Cache", or "L3Cache" on a K6-III) padded to 11.
  Text<128> caption, label;
  caption.Set(page.GetText(kMbL2Label));
  label.Format(" %-11s : ", caption.c_str());
  field(label.c_str(), kMbL2Field);
  field(" TotalMemory : ", kMbMemoryTotal);
  field("   Bank0     : ", kMbBank0);
  field("   Bank1     : ", kMbBank0 + 1);
  field("   Bank2     : ", kMbBank0 + 2);
  field("   Bank3     : ", kMbBank0 + 3);
  text("\r\n");
  text("LPC(PCI-ISA) Bridge\r\n");
  field(" South Name  : ", kMbSouthName);
  field(" Vender ID   : ", kMbSouthVendor);
  field(" Device ID   : ", kMbSouthDevice);
  field(" Revision    : ", kMbSouthRevision);
  text("\r\n");
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
