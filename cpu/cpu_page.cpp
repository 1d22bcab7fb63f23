// The CPU page (dialog 200): name, CPUID signature fields, platform, brand string, cache sizes, the
// measured clock and the multimedia extensions, one report line each.
#include "cpu/clock.h"
#include "cpu/cpu_record.h"
#include "report/page_writer.h"
#include "report/pages.h"

namespace vx {

namespace {

// Controls of dialog 200.
enum CpuControl : int {
  kCpuName = 1018,
  kCpuVendorId = 1025,
  kCpuTypeId = 1024,
  kCpuFamilyId = 1021,
  kCpuModelId = 1022,
  kCpuSteppingId = 1023,
  kCpuBrandIdLabel = 1069,   // created disabled
  kCpuBrandId = 1035,        // created disabled
  kCpuPlatform = 1009,
  kCpuBrandStringLabel = 1115,  // created disabled
  kCpuBrandString = 1020,       // created disabled
  kCpuL1Inst = 1027,
  kCpuL1Data = 1026,
  kCpuL2 = 1028,
  kCpuClock = 1029,
  kCpuMmx = 1030,
  kCpuSse = 1031,
  kCpuMmxExt = 1052,
  kCpu3DNow = 1032,
  kCpu3DNowExt = 1033,
};

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
  w.Field(kCpuName, "CPU", record.name);
  w.Line("\r\n");
  w.Line("CPUID\r\n");
  CopyPrintable(value.s, value.kCapacity, record.vendorId);
  w.Field(kCpuVendorId, " Vendor ID", value.c_str());
  value.Format("%X", static_cast<unsigned>(record.typeId));
  w.Field(kCpuTypeId, " Type ID", value.c_str());
  value.Format("%X", static_cast<unsigned>(record.familyId));
  w.Field(kCpuFamilyId, " Family ID", value.c_str());
  value.Format("%X", static_cast<unsigned>(record.modelId));
  w.Field(kCpuModelId, " Model ID", value.c_str());
  value.Format("%X", static_cast<unsigned>(record.steppingId));
  w.Field(kCpuSteppingId, " Stepping ID", value.c_str());

  // The brand ID and brand string controls are created disabled; they come alive only with a value.
  if (record.brandId != 0) {
    page.Enable(kCpuBrandIdLabel);
    page.Enable(kCpuBrandId);
  }
  value.Format("%X", static_cast<unsigned>(record.brandId));
  w.Field(kCpuBrandId, " Brand ID", value.c_str());
  w.Field(kCpuPlatform, " Platform", record.platform);
  if (record.brandString[0] != 0) {
    page.Enable(kCpuBrandStringLabel);
    page.Enable(kCpuBrandString);
  }
  CopyPrintable(value.s, value.kCapacity, record.brandString);
  w.Field(kCpuBrandString, " CPUName", value.c_str());

  w.Line("Cache\r\n");
  value.Format("%uKB", static_cast<unsigned>(record.l1InstKb));
  w.Field(kCpuL1Inst, " L1-Inst", value.c_str());
  value.Format("%uKB", static_cast<unsigned>(record.l1DataKb));
  w.Field(kCpuL1Data, " L1-Data", value.c_str());
  if (record.l2Kb < 1024)
    value.Format("%uKB", static_cast<unsigned>(record.l2Kb));
  else
    value.Format("%uMB", static_cast<unsigned>(record.l2Kb / 1024));
  w.Field(kCpuL2, " L2-Unified", value.c_str());

  w.Line("Clock Freaquency\r\n");
  if (context.clock != nullptr && record.hasCpuid == 1 && record.tsc == 1)
    value.Format("%.2fMHz", MeasureCpuClock(*context.clock, 1));
  else
    value.Set(kClockUnknown);
  w.Field(kCpuClock, " CPU Clock", value.c_str());

  w.Line("Extended Code\r\n");
  w.Field(kCpuMmx, " MMX Tech", SupportText(record.mmx));
  w.Field(kCpuSse, " SSE(SIMD) Tech", SupportText(record.xmm));
  w.Field(kCpuMmxExt, " MMX Ext Tech", SupportText(record.mmxExt));
  w.Field(kCpu3DNow, " 3DNow! Tech", SupportText(record.amd3DNow));
  w.Field(kCpu3DNowExt, " 3DNow! Ext Tech", SupportText(record.amd3DNowExt));
  w.Line("\r\n");
}

}  // namespace vx
