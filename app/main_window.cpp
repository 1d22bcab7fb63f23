// The main window: class, creation, the tab control with its font, the five pages and fitting the window
// around them, and the window procedure with the menu commands.
#include "app/shell.h"

#include <commctrl.h>

#include "app/layout.h"

namespace vx {

namespace {

constexpr DWORD kMainWindowStyle = WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kTabStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | TCS_BUTTONS | TCS_HOTTRACK | TCS_FLATBUTTONS;
static_assert(kMainWindowStyle == 0x82CA0000, "fixed-size window with caption, system menu, minimise box");
static_assert(kTabStyle == 0x52000148, "button tabs, hot tracking, flat");

LayoutRect ToLayout(const RECT& r) { return LayoutRect{r.left, r.top, r.right, r.bottom}; }

// Sizes the main window around the largest page and centres each page in the tab control's display
// area.
void FitMainWindow(Shell& shell) {
  LayoutRect pages[kPageCount];
  for (int i = 0; i < kPageCount; ++i) {
    RECT r = {};
    GetClientRect(shell.pageTable[i], &r);
    pages[i] = ToLayout(r);
  }
  RECT tab = {};
  GetClientRect(shell.tabControl, &tab);
  RECT display = tab;
  SendMessageA(shell.tabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  FrameMetrics metrics = {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER), GetSystemMetrics(SM_CYMENU),
                          GetSystemMetrics(SM_CYCAPTION)};
  WindowFit fit = FitWindowToPages(pages, kPageCount, ToLayout(tab), ToLayout(display), metrics);

  SetWindowPos(shell.mainWindow, nullptr, 0, 0, fit.outerWidth, fit.outerHeight, SWP_NOMOVE | SWP_NOZORDER);
  RECT client = {};
  GetClientRect(shell.mainWindow, &client);
  SetWindowPos(shell.tabControl, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
               SWP_NOMOVE | SWP_NOZORDER);
  for (int i = 0; i < kPageCount; ++i)
    SetWindowPos(shell.pageTable[i], nullptr, fit.page[i].x, fit.page[i].y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// NM_CLICK from the tab control: show the page of the focused tab. When the control reports no focused
// item, the selected one decides; when there is neither, the current page stays.
void ShowClickedPage(Shell& shell) {
  LRESULT index = SendMessageA(shell.tabControl, TCM_GETCURFOCUS, 0, 0);
  if (index < 0 || index >= kPageCount) index = SendMessageA(shell.tabControl, TCM_GETCURSEL, 0, 0);
  if (index < 0 || index >= kPageCount) return;
  for (int i = 0; i < kPageCount; ++i) ShowWindow(shell.pageTable[i], SW_HIDE);
  ShowWindow(shell.pageTable[index], SW_SHOW);
}

}  // namespace

void RegisterMainClass(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VEXILOR));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);  // 5
  windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
  windowClass.lpszClassName = g_shell.className;
  RegisterClassA(&windowClass);
}

int CreateMainWindow(HINSTANCE instance, int showCommand) {
  Shell& shell = g_shell;
  shell.instance = instance;
  // x = CW_USEDEFAULT with y = 0 puts a pop-up window in the screen's top-left corner.
  shell.mainWindow = CreateWindowExA(WS_EX_APPWINDOW, shell.className, shell.title, kMainWindowStyle, CW_USEDEFAULT,
                                     0, 295, 380, nullptr, nullptr, instance, nullptr);
  if (shell.mainWindow == nullptr) return 0;

  InitCommonControls();

  // Each page fills itself while it is created. The order is the tab order and is load-bearing: the VGA
  // page shows the aperture size that the M/B page stores.
  for (int i = 0; i < kPageCount; ++i)
    shell.pageTable[i] = CreateDialogParamA(instance, MAKEINTRESOURCEA(kPages[i].dialogId), shell.tabControl,
                                            kPageProcs[i], 0);

  FitMainWindow(shell);
  JoinReport(*shell.context.report);

  ShowWindow(shell.mainWindow, showCommand);
  // A child window follows a plain show: started minimised or maximised, the page must not be minimised
  // or maximised inside the tab control.
  ShowWindow(shell.pageTable[0], SW_SHOW);
  UpdateWindow(shell.mainWindow);
  return 1;
}

HWND CreatePageTabs(HWND mainWindow) {
  RECT client = {};
  GetClientRect(mainWindow, &client);
  HWND tab = CreateWindowExA(0, WC_TABCONTROLA, "", kTabStyle, client.left, client.top, client.right - client.left,
                             client.bottom - client.top, mainWindow, reinterpret_cast<HMENU>(IDC_PAGE_TABS),
                             g_shell.instance, nullptr);
  for (int i = 0; i < kPageCount; ++i) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(kPages[i].tabLabel);
    SendMessageA(tab, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(tab, TCM_SETMINTABWIDTH, 0, 1);
  return tab;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Shell& shell = g_shell;
  switch (message) {
    case WM_CREATE:
      shell.tabControl = CreatePageTabs(window);
      shell.tabFont = CreateFontA(10, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0, 0, "Arial");
      SendMessageA(shell.tabControl, WM_SETFONT, reinterpret_cast<WPARAM>(shell.tabFont), FALSE);
      return 0;
    case WM_DESTROY:
      DeleteObject(shell.tabFont);
      PostQuitMessage(0);
      return 0;
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(NM_CLICK)) ShowClickedPage(shell);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_ABOUT:
          DialogBoxParamA(shell.instance, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutDlgProc, 0);
          return 0;
        case IDM_EXIT:
          DestroyWindow(window);
          return 0;
        case IDM_COPY_REPORT:
          CopyReportToClipboard(window);
          return 0;
        default:
          break;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace vx
