// Writing a page and its report section together. Most report lines show a value that the page also shows
// in a control: "label padded to a width, ': ', value, CR LF". A writer keeps the section, the label width
// and the line limit of one page, so that each such field is one call.
#pragma once

#include <stdint.h>

#include "report/page_model.h"
#include "report/report.h"

namespace vx {

// "Support" for a flag of 1, "No Support" otherwise: the word of every feature flag and extension field.
const char* SupportText(int32_t flag);

// Appends to one report section. Field lines that do not fit the line limit are cut so that they still
// end with CR LF.
class SectionWriter {
 public:
  static constexpr size_t kLineCapacity = 257;  // terminating zero included
  // labelWidth: the label is padded to this many characters before ": ". lineLimit: the most characters a
  // field line has, CR LF included (at least 2, at most 256).
  SectionWriter(Report& report, ReportSection section, int labelWidth, size_t lineLimit = kLineCapacity - 1);

  // Appends text as it is (empty lines, headings).
  void Line(const char* text);
  // Appends "label: value" CR LF.
  void Field(const char* label, const char* value);

 private:
  Report& report_;
  ReportSection section_;
  int labelWidth_;
  size_t lineLimit_;
  Text<kLineCapacity> line_;
};

// A section writer that also sets each field's control to the value it reports.
class PageWriter : public SectionWriter {
 public:
  PageWriter(Report& report, ReportSection section, PageModel& page, int labelWidth)
      : SectionWriter(report, section, labelWidth), page_(page) {}

  using SectionWriter::Field;
  // Sets the control to value and appends "label: value" CR LF.
  void Field(int id, const char* label, const char* value);

 private:
  PageModel& page_;
};

}  // namespace vx
