// The Windows program's shell: one main window with a tab control and the five page dialogs, the menu
// commands, the About box and the clipboard copy. Everything page-specific lives in the page fills; the
// shell only creates the dialogs, runs the fills and applies their models.
#pragma once

#include <windows.h>

#include "report/pages.h"
#include "resources/control_ids.h"

namespace vx {

constexpr size_t kResourceStringCapacity = 257;

// Program-wide state, alive for the whole run. Constant-initialised (no static constructor).
struct Shell {
  OSVERSIONINFOA versionInfo = {};  // VersionInfo
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  HWND tabControl = nullptr;
  HFONT tabFont = nullptr;
  HWND pageTable[kPageCount] = {};  // PageTable, in tab order
  char title[kResourceStringCapacity] = {};
  char className[kResourceStringCapacity] = {};
  PageContext context = {};  // the seams and the report that the page fills use
};

extern Shell g_shell;

void RegisterMainClass(HINSTANCE instance);
int CreateMainWindow(HINSTANCE instance, int showCommand);
HWND CreatePageTabs(HWND mainWindow);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int CenterOverMainWindow(HWND dialog);

INT_PTR CALLBACK CpuPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FeatureFlagPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CachePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MbPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK VgaPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// The dialog procedures in tab order, beside kPages.
extern const DLGPROC kPageProcs[kPageCount];

void CopyReportToClipboard(HWND owner);

}  // namespace vx
