// The five page dialogs. Each runs its page's fill once, in WM_INITDIALOG, and applies the resulting
// model to its controls; it handles no other message.
#include "app/shell.h"

namespace vx {

namespace {

// One model at a time: the pages are created one after the other.
PageModel g_pageModel;

void ApplyPageModel(HWND page, const PageModel& model) {
  for (int i = 0; i < model.count; ++i) {
    const PageControl& control = model.controls[i];
    if (control.hasText) SetDlgItemTextA(page, control.id, control.text.c_str());
    if (control.enabled) EnableWindow(GetDlgItem(page, control.id), TRUE);
  }
}

INT_PTR RunPage(HWND page, UINT message, int index) {
  if (message != WM_INITDIALOG) return FALSE;
  g_pageModel.Clear();
  kPages[index].fill(g_shell.context, g_pageModel);
  ApplyPageModel(page, g_pageModel);
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK CpuPageProc(HWND page, UINT message, WPARAM, LPARAM) { return RunPage(page, message, 0); }
INT_PTR CALLBACK FeatureFlagPageProc(HWND page, UINT message, WPARAM, LPARAM) { return RunPage(page, message, 1); }
INT_PTR CALLBACK CachePageProc(HWND page, UINT message, WPARAM, LPARAM) { return RunPage(page, message, 2); }
INT_PTR CALLBACK MbPageProc(HWND page, UINT message, WPARAM, LPARAM) { return RunPage(page, message, 3); }
INT_PTR CALLBACK VgaPageProc(HWND page, UINT message, WPARAM, LPARAM) { return RunPage(page, message, 4); }

const DLGPROC kPageProcs[kPageCount] = {CpuPageProc, FeatureFlagPageProc, CachePageProc, MbPageProc, VgaPageProc};

}  // namespace vx
