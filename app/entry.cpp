// The program's entry: start-up, the message loop and teardown, and the little that the C++ compiler
// expects from a runtime. The release links no C or C++ runtime start-up code (Debian's is built for the
// Pentium Pro and later), so the process starts here.
#include "app/shell.h"
#include "cpu/clock.h"
#include "cpu/cpuid.h"
#include "hwaccess/lifecycle.h"

namespace vx {

Shell g_shell;

namespace {

// Every member is constant-initialised: the program has no static constructors.
InstructionCpuid g_cpuid;
AccessState g_access;
PciScanCache g_scanCache;  // zero-filled: nothing read yet
ProgramState g_state;
Report g_report;

}  // namespace

}  // namespace vx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  using namespace vx;
  Shell& shell = g_shell;

  shell.versionInfo.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);  // 148
  GetVersionExA(&shell.versionInfo);

  g_access.platformId = shell.versionInfo.dwPlatformId;
  AccessSystem& system = Win32AccessSystem();
  g_access.pciDriverOpen = OpenAccessDriver(g_access, system) != 0;
  if (!g_access.pciDriverOpen) g_access.giveioOpen = EnableGiveio(g_access, system) != 0;
  ChooseAccessRoute(g_access);

  shell.context.cpuid = &g_cpuid;
  shell.context.clock = SystemClock();  // may be null: then the clock is not measured
  g_access.scanCache = &g_scanCache;
  shell.context.access = &g_access;
  shell.context.state = &g_state;
  shell.context.report = &g_report;

  LoadStringA(instance, IDS_APP_TITLE, shell.title, kResourceStringCapacity);
  LoadStringA(instance, IDS_WINDOW_CLASS, shell.className, kResourceStringCapacity);
  RegisterMainClass(instance);
  // A window that cannot be created ends the program at once, still removing what this run installed.
  if (!CreateMainWindow(instance, showCommand)) {
    if (g_access.giveioOpen) CloseGiveio(g_access, system);
    CloseAccessDriver(g_access, system);
    return 0;
  }

  // Waits for each message: the program uses no processor time while nobody touches it.
  MSG message = {};
  for (;;) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) break;  // WM_QUIT
    if (got == -1) {
      message.wParam = 0;
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }

  if (g_access.giveioOpen) CloseGiveio(g_access, system);
  CloseAccessDriver(g_access, system);
  return static_cast<int>(message.wParam);
}

extern "C" {

// The process entry (the linker's default for a GUI program).
void WinMainCRTStartup() {
#if defined(__i386__)
  // The floating-point unit as a C run-time would leave it: all exceptions masked, 53-bit precision,
  // rounding to nearest (the clock is computed in double precision).
  unsigned short control = 0x027F;
  __asm__ volatile("fninit\n\tfldcw %0" : : "m"(control));
#endif
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  static char noArguments[1] = "";
  ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, show)));
}

// A pure virtual function called through a half-built object: cannot happen in this program.
void __cxa_pure_virtual() { ExitProcess(255); }

}  // extern "C"
