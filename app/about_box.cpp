// The About box: program name, one fixed line, and the running system's platform and version.
#include "app/layout.h"
#include "app/shell.h"

namespace vx {

int CenterOverMainWindow(HWND dialog) {
  RECT outer = {};
  RECT client = {};
  GetWindowRect(g_shell.mainWindow, &outer);
  GetClientRect(dialog, &client);
  SetWindowPos(dialog, nullptr, outer.left + CenterOffset(outer.right - outer.left, client.right - client.left),
               outer.top + CenterOffset(outer.bottom - outer.top, client.bottom - client.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  return 1;
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    CenterOverMainWindow(dialog);
    const OSVERSIONINFOA& version = g_shell.versionInfo;
    char line[80];
    FormatOsVersionLine(line, sizeof line, version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber);
    SetDlgItemTextA(dialog, IDC_VERSION_LINE, line);
    FormatPlatformLine(line, sizeof line, version.dwPlatformId);
    SetDlgItemTextA(dialog, IDC_PLATFORM_LINE, line);
    return TRUE;
  }
  // Only OK (or Enter, OK being the default button) closes the box; Escape (IDCANCEL) is not handled.
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

}  // namespace vx
