// vexilor-gui-test: drives a running vexilor.exe through its own windows (under Wine in the tests) and
// checks start-up, fitting, tab clicks, the menu, the About box, the clipboard copy and the exit.
//
//   vexilor-gui-test --exe VEXILOR.EXE [--expected REPORT] [--ignore-prefix TEXT]...
//                    [--clock-tolerance-prefix TEXT FRACTION]... [--shots DIR]
//
// --expected: the report that the clipboard must hold, byte for byte (lines that start with an
// --ignore-prefix text are left out on both sides). A line that starts with a --clock-tolerance-prefix
// text is compared on its own: both sides must have it the same number of times, and its value, a
// "%.2fMHz" figure, must agree within FRACTION (0.01 is 1%); "unknown" must meet "unknown".
// --shots: for each screenshot the program prints "SHOT NAME X Y W H" and waits until DIR\NAME.done
// exists (the harness takes the picture).
//
// The VGA and M/B pages are also read back: every value control must show what its report line says
// (and stay empty when the report has no such line).
// Ends with "N passed, N failed"; the exit code is 0 only when nothing failed.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "app/layout.h"
#include "cpu/feature_flags.h"
#include "resources/control_ids.h"
#include "vexilor_version.h"

namespace {

int g_passed = 0;
int g_failed = 0;

void Check(bool ok, const std::string& what) {
  if (ok) {
    ++g_passed;
    printf("ok   %s\n", what.c_str());
  } else {
    ++g_failed;
    printf("FAIL %s\n", what.c_str());
  }
}

std::string Format(const char* fmt, ...) {
  char buffer[1024];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(buffer, sizeof buffer, fmt, ap);
  va_end(ap);
  return buffer;
}

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return "";
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

std::wstring Wide(const std::string& s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

std::wstring WindowTextW(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return buffer;
}

bool ReadFileBytes(const std::string& path, std::string* out) {
  FILE* f = _wfopen(Wide(path).c_str(), L"rb");
  if (f == nullptr) return false;
  char buffer[4096];
  size_t n;
  out->clear();
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) out->append(buffer, n);
  fclose(f);
  return true;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  FILE* f = _wfopen(Wide(path).c_str(), L"wb");
  if (f == nullptr) return;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

// Leaves out every CR LF line that starts with one of the prefixes.
std::string WithoutLines(const std::string& text, const std::vector<std::string>& prefixes) {
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    end = end == std::string::npos ? text.size() : end + 2;
    std::string line = text.substr(start, end - start);
    bool skip = false;
    for (const std::string& p : prefixes)
      if (!p.empty() && line.compare(0, p.size(), p) == 0) skip = true;
    if (!skip) out += line;
    start = end;
  }
  return out;
}

// The values of the CR LF lines that start with the prefix, in order (the text after the prefix).
std::vector<std::string> LineValues(const std::string& text, const std::string& prefix) {
  std::vector<std::string> values;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    size_t next = end == std::string::npos ? text.size() : end + 2;
    if (end == std::string::npos) end = text.size();
    if (text.compare(start, prefix.size(), prefix) == 0)
      values.push_back(text.substr(start + prefix.size(), end - start - prefix.size()));
    start = next;
  }
  return values;
}

// A measured clock, "%.2fMHz" (with the blank that follows the colon), or "unknown".
bool ParseClock(const std::string& value, bool* unknown, double* mhz) {
  std::string v = value;
  if (!v.empty() && v[0] == ' ') v.erase(0, 1);
  *unknown = v == "unknown";
  if (*unknown) return true;
  if (v.size() < 4 || v.compare(v.size() - 3, 3, "MHz") != 0) return false;
  std::string number = v.substr(0, v.size() - 3);
  size_t dot = number.find('.');
  if (number.empty() || dot == std::string::npos || number.size() - dot != 3) return false;
  for (size_t i = 0; i < number.size(); ++i)
    if (i != dot && (number[i] < '0' || number[i] > '9')) return false;
  *mhz = strtod(number.c_str(), nullptr);
  return true;
}

// The clock lines of the two reports agree within the fraction.
void CheckClockLines(const std::string& want, const std::string& got, const std::string& prefix, double tolerance) {
  std::vector<std::string> a = LineValues(want, prefix), b = LineValues(got, prefix);
  Check(a.size() == b.size() && !a.empty(),
        Format("\"%s\" appears as often in the copy as in vexilor-report's (%u/%u)", prefix.c_str(),
               static_cast<unsigned>(b.size()), static_cast<unsigned>(a.size())));
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    bool unknownA = false, unknownB = false;
    double mhzA = 0, mhzB = 0;
    bool parsed = ParseClock(a[i], &unknownA, &mhzA) && ParseClock(b[i], &unknownB, &mhzB);
    bool ok = parsed && unknownA == unknownB &&
              (unknownA || (mhzA > 0 && mhzB > 0 && (mhzB > mhzA ? mhzB - mhzA : mhzA - mhzB) <= tolerance * mhzA));
    Check(ok, Format("clock \"%s\" agrees with vexilor-report's \"%s\" within %g%%", b[i].c_str(), a[i].c_str(),
                     tolerance * 100));
  }
}

// The report section that begins with the header line (up to the next header), or "".
std::string ReportSection(const std::string& report, const char* header) {
  size_t start = report.find(header);
  if (start == std::string::npos) return "";
  size_t end = report.find("\r\n===== ", start);
  return report.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
}

// What a page shows against what its report section says: the control of each line prefix holds the
// line's value (the n-th line with that prefix, for labels that the section uses twice), or nothing when the
// section has no such line.
struct ControlLine {
  int id;
  const char* prefix;
  int occurrence;
};

void CheckPageAgainstSection(HWND page, const char* pageName, const std::string& section, const ControlLine* lines,
                             int count) {
  int agreeing = 0;
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> values = LineValues(section, lines[i].prefix);
    std::string want = lines[i].occurrence < static_cast<int>(values.size()) ? values[lines[i].occurrence] : "";
    char text[260] = {};
    GetDlgItemTextA(page, lines[i].id, text, sizeof text);
    if (want == text) {
      ++agreeing;
    } else {
      Check(false, Format("%s control %d shows \"%s\", its report line \"%s\" says \"%s\"", pageName, lines[i].id, text,
                          lines[i].prefix, want.c_str()));
    }
  }
  Check(agreeing == count, Format("the %s page's %d value controls show what its report section says", pageName, count));
}

// The first difference of two texts, for the log.
std::string FirstDifference(const std::string& want, const std::string& got) {
  size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  size_t lineStart = want.rfind('\n', i == 0 ? 0 : i - 1);
  lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
  auto show = [&](const std::string& s) {
    std::string line = s.substr(lineStart, 80);
    for (char& c : line)
      if (c == '\r' || c == '\n') c = '|';
    return line;
  };
  return Format("at byte %u (sizes %u/%u): want \"%s\" got \"%s\"", static_cast<unsigned>(i),
                static_cast<unsigned>(want.size()), static_cast<unsigned>(got.size()), show(want).c_str(),
                show(got).c_str());
}

// Memory in the program under test, for messages that pass a pointer.
class RemoteBuffer {
 public:
  explicit RemoteBuffer(HANDLE process) : process_(process) {
    memory_ = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (memory_ != nullptr) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
  }
  bool ok() const { return memory_ != nullptr; }
  LPARAM address() const { return reinterpret_cast<LPARAM>(memory_); }
  bool Write(const void* data, size_t size) {
    SIZE_T done = 0;
    return WriteProcessMemory(process_, memory_, data, size, &done) && done == size;
  }
  bool Read(void* data, size_t size) {
    SIZE_T done = 0;
    return ReadProcessMemory(process_, memory_, data, size, &done) && done == size;
  }

 private:
  HANDLE process_;
  void* memory_;
};

struct Target {
  PROCESS_INFORMATION process = {};
  HWND main = nullptr;
  HWND tab = nullptr;
  HWND pages[5] = {};
};

const char* const kTabLabels[5] = {"CPU", "F.Flag", "Cache", "M/B", "VGA"};
// A control that only that page has, to tell the pages apart.
const int kPageMarkers[5] = {IDC_CPU_NAME, IDC_FLAG_PROCESSOR_NUMBER, IDC_L1_ICACHE_SIZE, IDC_MB_BANK0,
                              IDC_VGA_VENDOR_ID};

std::string g_shots;

BOOL CALLBACK FindUnpaintedProc(HWND window, LPARAM lParam) {
  if (!GetUpdateRect(window, nullptr, FALSE)) return TRUE;
  *reinterpret_cast<bool*>(lParam) = true;
  return FALSE;
}

// Whether the window or one of its children still waits for WM_PAINT.
bool Unpainted(HWND window) {
  bool unpainted = GetUpdateRect(window, nullptr, FALSE) != FALSE;
  if (!unpainted) EnumChildWindows(window, FindUnpaintedProc, reinterpret_cast<LPARAM>(&unpainted));
  return unpainted;
}

// The harness answers with NAME.done holding "colours N" (the picture of the window's own X window, with N
// distinct colours), "root-crop colours N" (no X window has the window's rectangle), "failed", or "no shot"
// when it cannot take pictures. A picture of one colour is a window not painted; one cut from the root
// window does not show a dialog (Xvfb leaves pop-ups black there).
void Screenshot(const char* name, HWND window) {
  if (g_shots.empty()) return;
  RECT r = {};
  GetWindowRect(window, &r);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  for (int i = 0; i < 100 && Unpainted(window); ++i) Sleep(50);
  Sleep(300);  // let Wine hand the painted window to the X server
  std::string done = g_shots + "\\" + name + ".done";
  DeleteFileW(Wide(done).c_str());
  printf("SHOT %s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
  // A loaded machine can take many seconds over xwd and convert; going on early would let the next window
  // (the About box) cover the picture.
  std::string verdict;
  int waited = 0;
  for (; waited < 600 && verdict.empty(); ++waited) {
    if (ReadFileBytes(done, &verdict)) {
      while (!verdict.empty() && (verdict.back() == '\n' || verdict.back() == '\r')) verdict.pop_back();
    }
    if (verdict.empty()) Sleep(50);
  }
  if (verdict.empty()) {
    printf("note: screenshot %s not confirmed within 30 s; going on\n", name);
  } else if (verdict != "no shot") {
    long colours = verdict.compare(0, 8, "colours ") == 0 ? strtol(verdict.c_str() + 8, nullptr, 10) : 0;
    Check(colours > 1, std::string("screenshot ") + name + " shows its window, painted (" + verdict + ")");
  }
}

// The processor time in ms that the program under test uses over the given seconds, or -1.
long MeasureCpu(const char* name, int seconds) {
  if (g_shots.empty()) return -1;
  std::string done = g_shots + "\\" + name + ".done";
  std::string result = g_shots + "\\" + name + ".cpu";
  DeleteFileW(Wide(done).c_str());
  printf("MEASURE-CPU %s %d\n", name, seconds);
  for (int i = 0; i < (seconds + 10) * 20 && GetFileAttributesW(Wide(done).c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(50);
  std::string text;
  if (!ReadFileBytes(result, &text) || text.empty()) return -1;
  return strtol(text.c_str(), nullptr, 10);
}

int VisiblePage(const Target& t, int* visibleCount) {
  int which = -1;
  *visibleCount = 0;
  for (int i = 0; i < 5; ++i) {
    if (IsWindowVisible(t.pages[i])) {
      which = i;
      ++*visibleCount;
    }
  }
  return which;
}

bool ClickTab(Target& t, int index) {
  RemoteBuffer remote(t.process.hProcess);
  RECT item = {};
  if (!remote.ok() || !SendMessageW(t.tab, TCM_GETITEMRECT, index, remote.address()) || !remote.Read(&item, sizeof item))
    return false;
  LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  SendMessageW(t.tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(t.tab, WM_LBUTTONUP, 0, at);
  return true;
}

struct FindAboutData {
  DWORD processId;
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindAboutProc(HWND window, LPARAM lParam) {
  FindAboutData* data = reinterpret_cast<FindAboutData*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (pid == data->processId && strcmp(cls, "#32770") == 0 && GetWindow(window, GW_OWNER) == data->owner &&
      IsWindowVisible(window)) {
    data->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForAbout(const Target& t) {
  for (int i = 0; i < 200; ++i) {
    FindAboutData data = {t.process.dwProcessId, t.main, nullptr};
    EnumWindows(FindAboutProc, reinterpret_cast<LPARAM>(&data));
    if (data.found != nullptr) return data.found;
    Sleep(50);
  }
  return nullptr;
}

void PressKey(HWND target, WPARAM key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

bool ReadClipboard(HWND owner, std::string* text) {
  text->clear();
  for (int i = 0; i < 50 && !OpenClipboard(owner); ++i) Sleep(20);
  HANDLE data = GetClipboardData(CF_OEMTEXT);
  bool ok = false;
  if (data != nullptr) {
    const char* bytes = static_cast<const char*>(GlobalLock(data));
    SIZE_T size = GlobalSize(data);
    if (bytes != nullptr) {
      size_t n = 0;
      while (n < size && bytes[n] != 0) ++n;
      ok = n < size;  // zero-terminated within the block
      text->assign(bytes, n);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return ok;
}

// Sends the copy command and reads the clipboard until it no longer holds the text given. Another program
// may hold the clipboard open for a moment (under Wine its own clipboard manager does so after each change),
// and then the copy does nothing, as it must; a later copy has to work. Returns how many copies it took, 0
// when none of ten did.
int CopyAndRead(const Target& t, HWND self, const std::string& before, std::string* text, bool* terminated) {
  for (int attempt = 1; attempt <= 10; ++attempt) {
    SendMessageW(t.main, WM_COMMAND, IDM_COPY_REPORT, 0);
    *terminated = ReadClipboard(self, text);
    if (*text != before) return attempt;
    Sleep(200);
  }
  return 0;
}

void PutClipboard(HWND owner, const char* text) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  size_t size = strlen(text) + 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  memcpy(GlobalLock(block), text, size);
  GlobalUnlock(block);
  SetClipboardData(CF_OEMTEXT, block);
  CloseClipboard();
}

// The menu as the resource gives it (Wine keeps a menu inside its process, so it is read from the file).
void CheckMenu(const std::string& exe, HWND mainWindow) {
  // The menu bar of the running window, where the system lets another process read it.
  HMENU bar = GetMenu(mainWindow);
  if (GetMenuItemCount(bar) < 0)
    printf("note: the running window's menu cannot be read from another process here; checking the resource\n");
  else
    Check(GetMenuItemCount(bar) == 3, "the running window has a menu bar of 3 popups");
  HMODULE module = LoadLibraryExW(Wide(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HMENU menu = module != nullptr ? LoadMenuW(module, MAKEINTRESOURCEW(IDR_MAIN_MENU)) : nullptr;
  Check(menu != nullptr, "the main menu loads from vexilor.exe");
  if (menu == nullptr) return;
  struct Entry {
    const wchar_t* popup;
    const wchar_t* item;
    UINT id;
  };
  const Entry kEntries[3] = {
      {L"ファイル(&F)", L"アプリケーションの終了(&X)", IDM_EXIT},
      {L"機能(&F)", L"クリップボードに張り付け(&P)", IDM_COPY_REPORT},
      {L"ヘルプ(&H)", L"バージョン情報(&A) ...", IDM_ABOUT},
  };
  Check(GetMenuItemCount(menu) == 3, Format("menu has 3 popups (%d)", GetMenuItemCount(menu)));
  for (int i = 0; i < 3; ++i) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
    Check(wcscmp(text, kEntries[i].popup) == 0, "popup " + std::to_string(i) + " reads \"" + Utf8(text) + "\"");
    HMENU sub = GetSubMenu(menu, i);
    Check(sub != nullptr && GetMenuItemCount(sub) == 1, "popup " + std::to_string(i) + " has one item");
    if (sub == nullptr) continue;
    wchar_t itemText[128] = {};
    GetMenuStringW(sub, 0, itemText, 128, MF_BYPOSITION);
    Check(wcscmp(itemText, kEntries[i].item) == 0 && GetMenuItemID(sub, 0) == kEntries[i].id,
          Format("item \"%s\" has command %u", Utf8(itemText).c_str(), GetMenuItemID(sub, 0)));
  }
  DestroyMenu(menu);
  FreeLibrary(module);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  std::string exe, expectedPath;
  std::vector<std::string> ignore;
  struct ClockTolerance {
    std::string prefix;
    double fraction;
  };
  std::vector<ClockTolerance> clocks;
  for (int i = 1; i < argc; ++i) {
    std::string arg = Utf8(argv[i]);
    std::string value = i + 1 < argc ? Utf8(argv[i + 1]) : "";
    if (arg == "--exe") exe = value, ++i;
    else if (arg == "--expected") expectedPath = value, ++i;
    else if (arg == "--ignore-prefix") ignore.push_back(value), ++i;
    else if (arg == "--shots") g_shots = value, ++i;
    else if (arg == "--clock-tolerance-prefix" && i + 2 < argc)
      clocks.push_back({value, strtod(Utf8(argv[i + 2]).c_str(), nullptr)}), i += 2;
    else {
      fprintf(stderr, "vexilor-gui-test: unknown argument %s\n", arg.c_str());
      return 2;
    }
  }
  if (exe.empty()) {
    fprintf(stderr, "usage: vexilor-gui-test --exe VEXILOR.EXE [--expected REPORT] [--ignore-prefix TEXT]... "
                    "[--clock-tolerance-prefix TEXT FRACTION]... [--shots DIR]\n");
    return 2;
  }

  // A window of our own to own the clipboard while it is ours.
  HWND self = CreateWindowExW(0, L"STATIC", L"vexilor-gui-test", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);

  Target t;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::wstring commandLine = L"\"" + Wide(exe) + L"\"";
  std::wstring directory = Wide(exe.substr(0, exe.find_last_of("\\/")));
  if (!CreateProcessW(Wide(exe).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                      &startup, &t.process)) {
    printf("FAIL cannot start %s (error %lu)\n0 passed, 1 failed\n", exe.c_str(), GetLastError());
    return 1;
  }
  WaitForInputIdle(t.process.hProcess, 30000);
  for (int i = 0; i < 600 && t.main == nullptr; ++i) {
    HWND w = FindWindowA("VEXILOR", nullptr);
    DWORD pid = 0;
    if (w != nullptr) GetWindowThreadProcessId(w, &pid);
    if (w != nullptr && pid == t.process.dwProcessId && IsWindowVisible(w)) t.main = w;
    else Sleep(50);
  }
  Check(t.main != nullptr, "main window of class VEXILOR appears");
  if (t.main == nullptr) {
    TerminateProcess(t.process.hProcess, 1);
    printf("%d passed, %d failed\n", g_passed, g_failed);
    return 1;
  }
  Check(WindowTextW(t.main) == L"Vexilor", "title reads Vexilor");
  // The system adds WS_CLIPSIBLINGS to every top-level window.
  Check((static_cast<DWORD>(GetWindowLongW(t.main, GWL_STYLE)) & ~static_cast<DWORD>(WS_VISIBLE | WS_CLIPSIBLINGS)) == 0x82CA0000u,
        Format("main window style %08lX", GetWindowLongW(t.main, GWL_STYLE)));

  // The tab control and the five pages.
  t.tab = FindWindowExA(t.main, nullptr, "SysTabControl32", nullptr);
  Check(t.tab != nullptr && GetDlgCtrlID(t.tab) == 1, "tab control with id 1");
  Check(SendMessageW(t.tab, TCM_GETITEMCOUNT, 0, 0) == 5, "five tabs");
  int pagesFound = 0;
  for (HWND page = FindWindowExA(t.tab, nullptr, "#32770", nullptr); page != nullptr;
       page = FindWindowExA(t.tab, page, "#32770", nullptr)) {
    for (int i = 0; i < 5; ++i)
      if (GetDlgItem(page, kPageMarkers[i]) != nullptr && t.pages[i] == nullptr) {
        t.pages[i] = page;
        ++pagesFound;
      }
  }
  Check(pagesFound == 5, Format("five page dialogs inside the tab control (%d)", pagesFound));
  if (pagesFound != 5) {
    TerminateProcess(t.process.hProcess, 1);
    printf("%d passed, %d failed\n", g_passed, g_failed);
    return 1;
  }

  // The fill's model reached the controls: every F.Flag value reads "Support" or "No Support".
  {
    int filled = 0;
    for (const vx::FeatureFlagDef& flag : vx::kFeatureFlags) {
      std::wstring text = WindowTextW(GetDlgItem(t.pages[1], flag.controlId));
      if (text == L"Support" || text == L"No Support") ++filled;
    }
    Check(filled == 26, Format("the F.Flag page shows its 26 flags (%d)", filled));
  }
  // Controls that the templates create hidden or disabled and that no fill ever shows or enables.
  {
    struct State {
      int page, id;
      bool hidden, disabled;
    };
    const State kStates[] = {
        {0, IDC_CPU_L2_LATENCY, true, false},     {4, IDC_VGA_OVERRIDE_4X, false, true},
        {3, IDC_MB_APM_ACPI_LABEL, false, true},  {3, IDC_MB_USB_LABEL, false, true},
        {3, IDC_MB_APM_ACPI, false, false},
    };
    for (const State& st : kStates) {
      HWND control = GetDlgItem(t.pages[st.page], st.id);
      LONG style = GetWindowLongW(control, GWL_STYLE);
      Check(control != nullptr && ((style & WS_VISIBLE) == 0) == st.hidden && ((style & WS_DISABLED) != 0) == st.disabled,
            Format("page %s control %d is %s and %s", kTabLabels[st.page], st.id, st.hidden ? "hidden" : "shown",
                   st.disabled ? "disabled" : "enabled"));
    }
  }

  // After start-up: the CPU tab selected, the CPU page alone visible.
  int visibleCount = 0;
  Check(SendMessageW(t.tab, TCM_GETCURSEL, 0, 0) == 0, "the CPU tab is selected after start-up");
  Check(VisiblePage(t, &visibleCount) == 0 && visibleCount == 1, "only the CPU page is visible after start-up");

  // The window fits the largest page; each page is centred in the display area.
  {
    vx::LayoutRect pages[5];
    for (int i = 0; i < 5; ++i) {
      RECT r = {};
      GetClientRect(t.pages[i], &r);
      pages[i] = vx::LayoutRect{r.left, r.top, r.right, r.bottom};
    }
    RECT tabClient = {};
    GetClientRect(t.tab, &tabClient);
    RECT display = tabClient;
    RemoteBuffer remote(t.process.hProcess);
    bool adjusted = remote.ok() && remote.Write(&display, sizeof display) &&
                    (SendMessageW(t.tab, TCM_ADJUSTRECT, FALSE, remote.address()), remote.Read(&display, sizeof display));
    Check(adjusted, "TCM_ADJUSTRECT answers");
    vx::FrameMetrics metrics = {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER),
                                GetSystemMetrics(SM_CYMENU), GetSystemMetrics(SM_CYCAPTION)};
    vx::WindowFit fit = vx::FitWindowToPages(pages, 5, vx::LayoutRect{tabClient.left, tabClient.top, tabClient.right, tabClient.bottom},
                                             vx::LayoutRect{display.left, display.top, display.right, display.bottom}, metrics);
    RECT outer = {};
    GetWindowRect(t.main, &outer);
    Check(outer.right - outer.left == fit.outerWidth && outer.bottom - outer.top == fit.outerHeight,
          Format("outer size %ldx%ld follows the pages (%dx%d; largest page %dx%d)", outer.right - outer.left,
                 outer.bottom - outer.top, fit.outerWidth, fit.outerHeight, fit.maxWidth, fit.maxHeight));
    RECT client = {};
    GetClientRect(t.main, &client);
    Check(tabClient.right == client.right && tabClient.bottom == client.bottom, "the tab control fills the client area");
    for (int i = 0; i < 5; ++i) {
      RECT r = {};
      GetWindowRect(t.pages[i], &r);
      MapWindowPoints(nullptr, t.tab, reinterpret_cast<POINT*>(&r), 2);
      Check(r.left == fit.page[i].x && r.top == fit.page[i].y,
            Format("page %s at %ld,%ld (want %d,%d)", kTabLabels[i], r.left, r.top, fit.page[i].x, fit.page[i].y));
    }
  }

  // Waiting for messages, the program uses (almost) no processor time. (Wine's process times of another
  // process do not follow its use, so the harness measures the Linux process.)
  {
    long used = MeasureCpu("idle", 2);
    if (used < 0)
      printf("note: not run by the harness; the idle check is left out\n");
    else
      Check(used <= 200, Format("idle for two seconds, it used %ld ms of processor time", used));
  }

  Screenshot("tab-0-CPU", t.main);

  // Tab clicks through the tab control's own click handling.
  const int kClicks[] = {1, 2, 3, 4, 0, 0, 3, 3, 1};
  bool shot[5] = {true, false, false, false, false};
  for (int index : kClicks) {
    int before = VisiblePage(t, &visibleCount);
    bool clicked = ClickTab(t, index);
    int now = VisiblePage(t, &visibleCount);
    Check(clicked && now == index && visibleCount == 1,
          Format("click on tab %s (page %s before) shows exactly page %s", kTabLabels[index],
                 before >= 0 ? kTabLabels[before] : "none", now >= 0 ? kTabLabels[now] : "none"));
    if (!shot[index]) {
      shot[index] = true;
      char name[32];
      snprintf(name, sizeof name, "tab-%d-%s", index, index == 3 ? "MB" : kTabLabels[index]);
      Screenshot(name, t.main);
    }
  }

  CheckMenu(exe, t.main);

  // The About box.
  PostMessageW(t.main, WM_COMMAND, IDM_ABOUT, 0);
  HWND about = WaitForAbout(t);
  Check(about != nullptr, "the About command opens the About box");
  if (about != nullptr) {
    Check(WindowTextW(about) == L"バージョン情報", "About caption reads \"" + Utf8(WindowTextW(about)) + "\"");
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    char want[80];
    vx::FormatOsVersionLine(want, sizeof want, version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber);
    std::string got = Utf8(WindowTextW(GetDlgItem(about, IDC_VERSION_LINE)));
    Check(got == want, "version line \"" + got + "\" (want \"" + want + "\")");
    vx::FormatPlatformLine(want, sizeof want, version.dwPlatformId);
    got = Utf8(WindowTextW(GetDlgItem(about, IDC_PLATFORM_LINE)));
    Check(got == want, "platform line \"" + got + "\" (want \"" + want + "\")");
    Check((GetWindowLongW(about, GWL_STYLE) & WS_SYSMENU) == 0, "About box has no system menu");
    Check(FindWindowExW(about, nullptr, L"Static", L"Vexilor Ver " VX_VERSION) != nullptr,
          "About box names Vexilor Ver " VX_VERSION);
    RECT outer = {}, box = {}, client = {};
    GetWindowRect(t.main, &outer);
    GetWindowRect(about, &box);
    GetClientRect(about, &client);
    Check(box.left == outer.left + vx::CenterOffset(outer.right - outer.left, client.right) &&
              box.top == outer.top + vx::CenterOffset(outer.bottom - outer.top, client.bottom),
          Format("About box centred over the main window at %ld,%ld", box.left, box.top));
    Screenshot("about", about);

    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND focus = GetGUIThreadInfo(t.process.dwThreadId, &info) && info.hwndFocus != nullptr ? info.hwndFocus
                                                                                             : GetDlgItem(about, IDOK);
    PressKey(focus, VK_ESCAPE);
    Sleep(700);
    Check(IsWindow(about) && IsWindowVisible(about), "Escape leaves the About box open");
    PressKey(focus, VK_RETURN);
    for (int i = 0; i < 100 && IsWindow(about); ++i) Sleep(50);
    Check(!IsWindow(about), "Enter closes the About box");
  }

  // The clipboard.
  std::string expected;
  if (!expectedPath.empty()) {
    Check(ReadFileBytes(expectedPath, &expected) && !expected.empty(), "expected report " + expectedPath + " read");
  }
  std::string expectedWhole = expected;
  {
    std::vector<std::string> leftOut = ignore;
    for (const ClockTolerance& c : clocks) leftOut.push_back(c.prefix);
    expected = WithoutLines(expected, leftOut);
  }
  // Held open by another program, the clipboard keeps its content.
  PutClipboard(self, "held by the test");
  bool held = false;
  for (int i = 0; i < 100 && !(held = OpenClipboard(self) != FALSE); ++i) Sleep(20);
  Check(held, "the test holds the clipboard open");
  SendMessageW(t.main, WM_COMMAND, IDM_COPY_REPORT, 0);
  CloseClipboard();
  std::string copied;
  ReadClipboard(self, &copied);
  Check(copied == "held by the test", "a clipboard held open elsewhere keeps its content");
  {
    // Nothing visible: no message box or other window of the program came up, and it answers messages.
    Sleep(300);
    FindAboutData data = {t.process.dwProcessId, t.main, nullptr};
    EnumWindows(FindAboutProc, reinterpret_cast<LPARAM>(&data));
    DWORD_PTR answer = 0;
    Check(data.found == nullptr && IsWindowVisible(t.main) && WaitForSingleObject(t.process.hProcess, 0) == WAIT_TIMEOUT &&
              SendMessageTimeoutW(t.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0,
          "with the clipboard held elsewhere the copy shows nothing and the program runs on");
  }

  std::string first, second;
  bool terminated = false;
  int copies = CopyAndRead(t, self, "held by the test", &first, &terminated);
  Check(copies > 0 && terminated,
        Format("once the clipboard is free, the copy command puts zero-terminated OEM text on it (copies sent: %d)",
               copies));
  if (!g_shots.empty()) WriteFileBytes(g_shots + "\\clipboard.txt", first);
  std::vector<std::string> leftOut = ignore;
  for (const ClockTolerance& c : clocks) leftOut.push_back(c.prefix);
  std::string firstCompared = WithoutLines(first, leftOut);
  if (!expectedPath.empty())
    Check(firstCompared == expected, "the clipboard holds exactly the report of vexilor-report" +
                                         (firstCompared == expected ? std::string() : " " + FirstDifference(expected, firstCompared)));
  if (!expectedPath.empty())
    for (const ClockTolerance& c : clocks) CheckClockLines(expectedWhole, first, c.prefix, c.fraction);
  Check(first.rfind("[Vexilor Ver." VX_VERSION "]\r\n", 0) == 0, "the report starts with its banner");

  // The VGA and M/B pages show what their sections say.
  {
    const ControlLine kVga[] = {
        {IDC_VGA_NAME, "VGA Name  : ", 0}, {IDC_VGA_VENDOR_ID, "Vendor ID : ", 0},
        {IDC_VGA_DEVICE_ID, "Device ID : ", 0}, {IDC_VGA_REVISION_ID, "Revision  : ", 0},
        {IDC_VGA_AGP_OPERATION, "AGP Operation         : ", 0}, {IDC_VGA_AGP_REVISION, "Revision              : ", 0},
        {IDC_VGA_SUPPORT_RATE, "  Support Rate        : ", 0}, {IDC_VGA_CURRENT_RATE, "  Current Rate        : ", 0},
        {IDC_VGA_AGP_MODE, "AGP Mode              : ", 0}, {IDC_VGA_QUEUE_DEPTH, "Pipeline RQ depth     : ", 0},
        {IDC_VGA_FOUR_GB, "4GB Addressing        : ", 0}, {IDC_VGA_GTLB_FLUSH, "GTBL Flush            : ", 0},
        {IDC_VGA_FAST_WRITE, "Fast Write Transfer   : ", 0}, {IDC_VGA_SIDE_BAND, "Side-band Addressing  : ", 0},
        {IDC_VGA_READ_SYNC, "AGP Read Sync         : ", 0}, {IDC_VGA_APERTURE_SIZE, "Graphics Aperture Size: ", 0},
        {IDC_VGA_OVERRIDE_4X, "Override AGP 4x: ", 0},
    };
    CheckPageAgainstSection(t.pages[4], "VGA", ReportSection(first, "===== V G A  I n f o"), kVga,
                            static_cast<int>(sizeof kVga / sizeof kVga[0]));
    const ControlLine kMb[] = {
        {IDC_MB_CHIPSET, "Chipset      : ", 0}, {IDC_MB_HOST_NAME, " Host Name   : ", 0},
        {IDC_MB_HOST_VENDOR, " Vender ID   : ", 0}, {IDC_MB_HOST_DEVICE, " Device ID   : ", 0},
        {IDC_MB_HOST_REVISION, " Revision    : ", 0}, {IDC_MB_STEPPING, " Stepping    : ", 0},
        {IDC_MB_MEMORY_TOTAL, " TotalMemory : ", 0}, {IDC_MB_BANK0, "   Bank0     : ", 0},
        {IDC_MB_BANK1, "   Bank1     : ", 0}, {IDC_MB_BANK2, "   Bank2     : ", 0},
        {IDC_MB_BANK3, "   Bank3     : ", 0}, {IDC_MB_SOUTH_NAME, " South Name  : ", 0},
        {IDC_MB_SOUTH_VENDOR, " Vender ID   : ", 1}, {IDC_MB_SOUTH_DEVICE, " Device ID   : ", 1},
        {IDC_MB_SOUTH_REVISION, " Revision    : ", 1},
    };
    CheckPageAgainstSection(t.pages[3], "M/B", ReportSection(first, "===== C h i p s e t  I n f o"), kMb,
                            static_cast<int>(sizeof kMb / sizeof kMb[0]));
    // The cache line: the label's caption and the field.
    char caption[32] = {}, cache[260] = {};
    GetDlgItemTextA(t.pages[3], IDC_MB_L2_LABEL, caption, sizeof caption);
    GetDlgItemTextA(t.pages[3], IDC_MB_L2_FIELD, cache, sizeof cache);
    std::string section = ReportSection(first, "===== C h i p s e t  I n f o");
    Check(section.find(Format(" %-11s : %s\r\n", caption, cache)) != std::string::npos,
          Format("the M/B page's cache line \"%s\" \"%s\" is in the report", caption, cache));
  }
  PutClipboard(self, "emptied by another program");
  copies = CopyAndRead(t, self, "emptied by another program", &second, &terminated);
  Check(copies > 0 && terminated && second == first, Format("a second copy puts the same text (copies sent: %d)", copies));

  // The exit command ends the program with exit code 0.
  PostMessageW(t.main, WM_COMMAND, IDM_EXIT, 0);
  DWORD waited = WaitForSingleObject(t.process.hProcess, 15000);
  DWORD exitCode = 1234;
  GetExitCodeProcess(t.process.hProcess, &exitCode);
  Check(waited == WAIT_OBJECT_0 && exitCode == 0, Format("the exit command ends the program with exit code %lu", exitCode));
  if (waited != WAIT_OBJECT_0) TerminateProcess(t.process.hProcess, 1);
  CloseHandle(t.process.hThread);
  CloseHandle(t.process.hProcess);

  printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}
