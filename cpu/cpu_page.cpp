// The CPU page (dialog 200): name, CPUID signature fields, platform, brand string, cache sizes, the
// measured clock and the multimedia extensions, one report line each.
#include "cpu/clock.h"
#include "cpu/cpu_record.h"
#include "report/pages.h"

namespace vx {

namespace {

const char* SupportText(int32_t flag) { return flag == 1 ? "Support" : "No Support"; }

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

struct CpuPageWriter {
  Report& report;
  PageModel& page;
  Text<257> line;

  void Raw(const char* text) { AppendToSection(report, kCpuSection, text); }

  // Sets the control and writes the report line with the same value.
  void Field(int id, const char* format, const char* value) {
    page.SetText(id, value);
    line.Clear();
    line.Format(format, value);
    Raw(line.c_str());
  }
};

}  // namespace

void FillCpuPage(PageContext& context, PageModel& page) {
  CpuRecord record;
  ProbeCpu(record, *context.cpuid);
  CpuPageWriter w = {*context.report, page, {}};
  Text<80> value;

  BeginSection(w.report, kCpuSection);
  w.Field(1018, "CPU              : %s\r\n", record.name);
  w.Raw("\r\n");
  w.Raw("CPUID\r\n");
  value.Clear();
  CopyPrintable(value.s, value.kCapacity, record.vendorId);
  w.Field(1025, " Vendor ID       : %s\r\n", value.c_str());
  value.Clear();
  value.Format("%X", static_cast<unsigned>(record.typeId));
  w.Field(1024, " Type ID         : %s\r\n", value.c_str());
  value.Clear();
  value.Format("%X", static_cast<unsigned>(record.familyId));
  w.Field(1021, " Family ID       : %s\r\n", value.c_str());
  value.Clear();
  value.Format("%X", static_cast<unsigned>(record.modelId));
  w.Field(1022, " Model ID        : %s\r\n", value.c_str());
  value.Clear();
  value.Format("%X", static_cast<unsigned>(record.steppingId));
  w.Field(1023, " Stepping ID     : %s\r\n", value.c_str());

  // The brand ID and brand string controls are created disabled; they come alive only with a value.
  if (record.brandId != 0) {
    page.Enable(1069);
    page.Enable(1035);
  }
  value.Clear();
  value.Format("%X", static_cast<unsigned>(record.brandId));
  w.Field(1035, " Brand ID        : %s\r\n", value.c_str());
  w.Field(1009, " Platform        : %s\r\n", record.platform);
  if (record.brandString[0] != 0) {
    page.Enable(1115);
    page.Enable(1020);
  }
  value.Clear();
  CopyPrintable(value.s, value.kCapacity, record.brandString);
  w.Field(1020, " CPUName         : %s\r\n", value.c_str());

  w.Raw("Cache\r\n");
  value.Clear();
  value.Format("%uKB", static_cast<unsigned>(record.l1InstKb));
  w.Field(1027, " L1-Inst         : %s\r\n", value.c_str());
  value.Clear();
  value.Format("%uKB", static_cast<unsigned>(record.l1DataKb));
  w.Field(1026, " L1-Data         : %s\r\n", value.c_str());
  value.Clear();
  if (record.l2Kb < 1024)
    value.Format("%uKB", static_cast<unsigned>(record.l2Kb));
  else
    value.Format("%uMB", static_cast<unsigned>(record.l2Kb / 1024));
  w.Field(1028, " L2-Unified      : %s\r\n", value.c_str());

  w.Raw("Clock Freaquency\r\n");
  value.Clear();
  if (context.clock != nullptr && record.hasCpuid == 1 && record.tsc == 1)
    value.Format("%.2fMHz", MeasureCpuClock(*context.clock, 1));
  else
    value.Set(kClockUnknown);
  w.Field(1029, " CPU Clock       : %s\r\n", value.c_str());

  w.Raw("Extended Code\r\n");
  w.Field(1030, " MMX Tech        : %s\r\n", SupportText(record.mmx));
  w.Field(1031, " SSE(SIMD) Tech  : %s\r\n", SupportText(record.xmm));
  w.Field(1052, " MMX Ext Tech    : %s\r\n", SupportText(record.mmxExt));
  w.Field(1032, " 3DNow! Tech     : %s\r\n", SupportText(record.amd3DNow));
  w.Field(1033, " 3DNow! Ext Tech : %s\r\n", SupportText(record.amd3DNowExt));
  w.Raw("\r\n");
}

}  // namespace vx
