// The F.Flag page (dialog 201): 26 feature flags as "Support"/"No Support" and the 96-bit processor
// number when the processor reports one.
#include "cpu/cpu_record.h"
#include "report/page_writer.h"
#include "report/pages.h"

namespace vx {

namespace {

constexpr int kProcessorNumberId = 1055;  // the 96-bit processor number

struct FlagRow {
  const char* format;  // the report line, left value then right value
  int leftId;
  int32_t CpuRecord::*left;
  int rightId;
  int32_t CpuRecord::*right;
};

const FlagRow kFlagRows[13] = {
    {"FPU  : %-10s | MCA     : %-10s\r\n", 1034, &CpuRecord::fpu, 1047, &CpuRecord::mca},
    {"VME  : %-10s | CMOV    : %-10s\r\n", 1035, &CpuRecord::vme, 1048, &CpuRecord::cmov},
    {"DE   : %-10s | PAT     : %-10s\r\n", 1036, &CpuRecord::de, 1049, &CpuRecord::pat},
    {"PSE  : %-10s | PSE-36  : %-10s\r\n", 1037, &CpuRecord::pse, 1050, &CpuRecord::pse36},
    {"TSC  : %-10s | PN      : %-10s\r\n", 1038, &CpuRecord::tsc, 1051, &CpuRecord::pn},
    {"MSR  : %-10s | MMX     : %-10s\r\n", 1039, &CpuRecord::msr, 1030, &CpuRecord::mmx},
    {"PAE  : %-10s | FXSR    : %-10s\r\n", 1040, &CpuRecord::pae, 1053, &CpuRecord::fxsr},
    {"MCE  : %-10s | XMM     : %-10s\r\n", 1041, &CpuRecord::mce, 1054, &CpuRecord::xmm},
    {"CX8  : %-10s | K86MSR  : %-10s\r\n", 1042, &CpuRecord::cx8, 1056, &CpuRecord::k86Msr},
    {"APIC : %-10s | K86MTRR : %-10s\r\n", 1043, &CpuRecord::apic, 1057, &CpuRecord::k86Mtrr},
    {"SEP  : %-10s | MMX+    : %-10s\r\n", 1044, &CpuRecord::sep, 1064, &CpuRecord::mmxExt},
    {"MTRR : %-10s | 3DNow!  : %-10s\r\n", 1045, &CpuRecord::mtrr, 1032, &CpuRecord::amd3DNow},
    {"PGE  : %-10s | 3DNow!+ : %-10s\r\n", 1046, &CpuRecord::pge, 1033, &CpuRecord::amd3DNowExt},
};

}  // namespace

void FillFeatureFlagPage(PageContext& context, PageModel& page) {
  CpuRecord record;
  ProbeCpu(record, *context.cpuid);
  Report& report = *context.report;
  Text<80> line;

  BeginSection(report, kFeatureFlagSection);
  AppendToSection(report, kFeatureFlagSection, "\r\n");
  for (const FlagRow& row : kFlagRows) {
    line.Format(row.format, SupportText(record.*row.left), SupportText(record.*row.right));
    AppendToSection(report, kFeatureFlagSection, line.c_str());
  }
  // The controls: the left column top to bottom, then the right column.
  for (const FlagRow& row : kFlagRows) page.SetText(row.leftId, SupportText(record.*row.left));
  for (const FlagRow& row : kFlagRows) page.SetText(row.rightId, SupportText(record.*row.right));

  AppendToSection(report, kFeatureFlagSection, "\r\n");
  AppendToSection(report, kFeatureFlagSection, "96bit Processor Number :\r\n");
  if (record.pn == 1) {
    const uint32_t* s = record.serial;
    line.Format("%4X-%4X-%4X-%4X-%4X-%4X", static_cast<unsigned>(s[0] >> 16), static_cast<unsigned>(s[0] & 0xFFFF),
                static_cast<unsigned>(s[1] >> 16), static_cast<unsigned>(s[1] & 0xFFFF),
                static_cast<unsigned>(s[2] >> 16), static_cast<unsigned>(s[2] & 0xFFFF));
    page.SetText(kProcessorNumberId, line.c_str());
    AppendToSection(report, kFeatureFlagSection, line.c_str());
    AppendToSection(report, kFeatureFlagSection, "\r\n");
  }
  AppendToSection(report, kFeatureFlagSection, "\r\n");
}

}  // namespace vx
