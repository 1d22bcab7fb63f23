// The VGA page (dialog 203): the display adapter's IDs and name, then the host bridge's AGP state. The
// "Override AGP 4x" row (control 1016) stays as its template made it: greyed and empty.
#include "report/pages.h"
#include "video/agp.h"
#include "video/graphics_adapter.h"

namespace vx {

namespace {

enum {
  kIdVendorId = 1070,
  kIdDeviceId = 1071,
  kIdName = 1072,
  kIdRevisionId = 1073,
};

// The adapter step: 1 when an adapter was found and read. Without one no control is set and no line is
// written.
int ShowGraphicsAdapter(PageContext& context, PageModel& page) {
  uint32_t bus = 0, device = 0, function = 0;
  if (!FindGraphicsAdapter(*context.access, &bus, &device, &function)) return 0;
  GraphicsAdapter adapter;
  if (!ReadGraphicsAdapter(*context.access, bus, device, function, &adapter)) return 0;

  page.SetTextFormat(kIdVendorId, "%04X", static_cast<unsigned>(adapter.vendorId));
  page.SetTextFormat(kIdDeviceId, "%04X", static_cast<unsigned>(adapter.deviceId));
  page.SetTextFormat(kIdRevisionId, "%02X", static_cast<unsigned>(adapter.revisionId));
  NameText name;
  NameGraphicsAdapter(adapter, name);
  page.SetText(kIdName, name.c_str());

  Report& report = *context.report;
  Text<257> line;
  AppendToSection(report, kVgaSection, "\r\n");
  line.Format("VGA Name  : %s\r\n", name.c_str());
  AppendToSection(report, kVgaSection, line.c_str());
  line.Format("Vendor ID : %04X\r\n", static_cast<unsigned>(adapter.vendorId));
  AppendToSection(report, kVgaSection, line.c_str());
  line.Format("Device ID : %04X\r\n", static_cast<unsigned>(adapter.deviceId));
  AppendToSection(report, kVgaSection, line.c_str());
  line.Format("Revision  : %02X\r\n", static_cast<unsigned>(adapter.revisionId));
  AppendToSection(report, kVgaSection, line.c_str());
  return 1;
}

}  // namespace

void FillVgaPage(PageContext& context, PageModel& page) {
  BeginSection(*context.report, kVgaSection);
  ShowGraphicsAdapter(context, page);
  // The AGP block belongs to the host bridge and is written whatever adapter was found.
  DecodeAgpState(context, page);
}

}  // namespace vx
