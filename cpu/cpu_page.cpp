// The CPU page (IDD_CPU_PAGE): name, CPUID signature fields, platform, brand string, cache sizes, the
// measured clock and the multimedia extensions, one report line each.
#include "cpu/clock.h"
#include "cpu/cpu_record.h"
#include "report/page_writer.h"
#include "report/pages.h"
#include "resources/control_ids.h"

namespace vx {

namespace {

// Report labels are padded to 17 characters.
constexpr int kLabelWidth = 17;

// What the clock field shows when the clock cannot be measured: a processor without CPUID or without a
// time-stamp counter, or a machine without a clock to measure against.
const char kClockUnknown[] = "unknown";

// The vendor and brand texts come from the processor as they are. Real parts answer printable ASCII, but a
// control character (a CR or LF above all) would break the report's lines, so each shows as '?'.
void CopyPrintable(char* dst, size_t cap, const char* src) {
  TextCopy(dst, cap, src);
  for (char* p = dst; *p != 0; ++p)
    if (static_cast<unsigned char>(*p) < 0x20 || *p == 0x7F) *p = '?';
}

}  // namespace

void FillCpuPage(PageContext& context, PageModel& page) {
  CpuRecord record;
  ProbeCpu(record, *context.cpuid);
  PageWriter w(*context.report, kCpuSection, page, kLabelWidth);
  Text<80> value;

  BeginSection(*context.report, kCpuSection);
  w.Field(IDC_CPU_NAME, "CPU", record.name);
  w.Line("\r\n");
  w.Line("CPUID\r\n");
  CopyPrintable(value.s, value.kCapacity, record.vendorId);
  w.Field(IDC_CPU_VENDOR_ID, " Vendor ID", value.c_str());
  value.Format("%X", static_cast<unsigned>(record.typeId));
  w.Field(IDC_CPU_TYPE_ID, " Type ID", value.c_str());
  value.Format("%X", static_cast<unsigned>(record.familyId));
  w.Field(IDC_CPU_FAMILY_ID, " Family ID", value.c_str());
  value.Format("%X", static_cast<unsigned>(record.modelId));
  w.Field(IDC_CPU_MODEL_ID, " Model ID", value.c_str());
  value.Format("%X", static_cast<unsigned>(record.steppingId));
  w.Field(IDC_CPU_STEPPING_ID, " Stepping ID", value.c_str());

  // The brand ID and brand string controls are created disabled; they come alive only with a value.
  if (record.brandId != 0) {
    page.Enable(IDC_CPU_BRAND_ID_LABEL);
    page.Enable(IDC_CPU_BRAND_ID);
  }
  value.Format("%X", static_cast<unsigned>(record.brandId));
  w.Field(IDC_CPU_BRAND_ID, " Brand ID", value.c_str());
  w.Field(IDC_CPU_PLATFORM, " Platform", record.platform);
  if (record.brandString[0] != 0) {
    page.Enable(IDC_CPU_BRAND_STRING_LABEL);
    page.Enable(IDC_CPU_BRAND_STRING);
  }
  CopyPrintable(value.s, value.kCapacity, record.brandString);
  w.Field(IDC_CPU_BRAND_STRING, " CPUName", value.c_str());

  w.Line("Cache\r\n");
  value.Format("%uKB", static_cast<unsigned>(record.l1InstKb));
  w.Field(IDC_CPU_L1_INST, " L1-Inst", value.c_str());
  value.Format("%uKB", static_cast<unsigned>(record.l1DataKb));
  w.Field(IDC_CPU_L1_DATA, " L1-Data", value.c_str());
  if (record.l2Kb < 1024)
    value.Format("%uKB", static_cast<unsigned>(record.l2Kb));
  else
    value.Format("%uMB", static_cast<unsigned>(record.l2Kb / 1024));
  w.Field(IDC_CPU_L2, " L2-Unified", value.c_str());

  w.Line("Clock Freaquency\r\n");  // the product's spelling (report/report.h)
  if (context.clock != nullptr && record.hasCpuid == 1 && record.flags[kFlagTsc] == 1)
    value.Format("%.2fMHz", MeasureCpuClock(*context.clock, 1));
  else
    value.Set(kClockUnknown);
  w.Field(IDC_CPU_CLOCK, " CPU Clock", value.c_str());

  w.Line("Extended Code\r\n");
  w.Field(IDC_CPU_MMX, " MMX Tech", SupportText(record.flags[kFlagMmx]));
  w.Field(IDC_CPU_SSE, " SSE(SIMD) Tech", SupportText(record.flags[kFlagXmm]));
  w.Field(IDC_CPU_MMX_EXT, " MMX Ext Tech", SupportText(record.flags[kFlagMmxExt]));
  w.Field(IDC_CPU_3DNOW, " 3DNow! Tech", SupportText(record.flags[kFlagAmd3DNow]));
  w.Field(IDC_CPU_3DNOW_EXT, " 3DNow! Ext Tech", SupportText(record.flags[kFlagAmd3DNowExt]));
  w.Line("\r\n");
}

}  // namespace vx
