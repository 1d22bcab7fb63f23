// What a page shows, independent of any window system: texts by control id and the ids of controls that
// the fill enables (controls that the dialog template creates disabled). The Windows shell applies a model
// to its dialog with SetDlgItemTextA/EnableWindow; vexilor-report can print it.
#pragma once

#include <stdint.h>

#include "report/text.h"

namespace vx {

constexpr int kMaxPageControls = 80;
constexpr size_t kControlTextCapacity = 257;

struct PageControl {
  int id;
  bool hasText;
  bool enabled;
  Text<kControlTextCapacity> text;
};

struct PageModel {
  int count;
  PageControl controls[kMaxPageControls];

  constexpr PageModel() : count(0), controls{} {}

  void Clear();
  // Sets a control's text (cut at 256 characters). A later set replaces an earlier one.
  void SetText(int id, const char* text);
  void SetTextFormat(int id, const char* fmt, ...) VX_PRINTF(3, 4);
  // The control's text as the page would read it back, "" when nothing was set.
  const char* GetText(int id) const;
  bool HasText(int id) const;
  // Marks a control (created disabled by its template) as enabled.
  void Enable(int id);
  bool IsEnabled(int id) const;

 private:
  PageControl* Find(int id);
  const PageControl* Find(int id) const;
  PageControl* FindOrAdd(int id);
};

}  // namespace vx
