#include "report/page_writer.h"

namespace vx {

const char* SupportText(int32_t flag) { return flag == 1 ? "Support" : "No Support"; }

SectionWriter::SectionWriter(Report& report, ReportSection section, int labelWidth, size_t lineLimit)
    : report_(report), section_(section), labelWidth_(labelWidth), lineLimit_(lineLimit), line_() {
  if (lineLimit_ < 2) lineLimit_ = 2;
  if (lineLimit_ > kLineCapacity - 1) lineLimit_ = kLineCapacity - 1;
}

void SectionWriter::Line(const char* text) { AppendToSection(report_, section_, text); }

void SectionWriter::Field(const char* label, const char* value) {
  line_.Format("%-*s: %s", labelWidth_, label, value);
  // Keep room for CR LF: an over-long value is cut, the line still ends where lines end.
  if (line_.Length() > lineLimit_ - 2) line_.s[lineLimit_ - 2] = 0;
  line_.Append("\r\n");
  Line(line_.c_str());
}

void PageWriter::Field(int id, const char* label, const char* value) {
  page_.SetText(id, value);
  SectionWriter::Field(label, value);
}

}  // namespace vx
