// The VGA page (IDD_VGA_PAGE): the display adapter's IDs and name, then the host bridge's AGP state. The
// "Override AGP 4x" row (IDC_VGA_OVERRIDE_4X) stays as its template made it: greyed and empty.
#include "report/page_writer.h"
#include "report/pages.h"
#include "resources/control_ids.h"
#include "video/agp.h"
#include "video/graphics_adapter.h"

namespace vx {

namespace {

// Report labels of the adapter block are padded to 10 characters.
constexpr int kLabelWidth = 10;

// The adapter step: 1 when an adapter was found and read. Without one no control is set and no line is
// written.
int ShowGraphicsAdapter(PageContext& context, PageModel& page) {
  uint32_t bus = 0, device = 0, function = 0;
  if (!FindGraphicsAdapter(*context.access, &bus, &device, &function)) return 0;
  GraphicsAdapter adapter;
  if (!ReadGraphicsAdapter(*context.access, bus, device, function, &adapter)) return 0;

  NameText name;
  NameGraphicsAdapter(adapter, name);
  Text<8> vendorId, deviceId, revisionId;
  vendorId.Format("%04X", static_cast<unsigned>(adapter.vendorId));
  deviceId.Format("%04X", static_cast<unsigned>(adapter.deviceId));
  revisionId.Format("%02X", static_cast<unsigned>(adapter.revisionId));

  PageWriter w(*context.report, kVgaSection, page, kLabelWidth);
  w.Line("\r\n");
  w.Field(IDC_VGA_NAME, "VGA Name", name.c_str());
  w.Field(IDC_VGA_VENDOR_ID, "Vendor ID", vendorId.c_str());
  w.Field(IDC_VGA_DEVICE_ID, "Device ID", deviceId.c_str());
  w.Field(IDC_VGA_REVISION_ID, "Revision", revisionId.c_str());
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
