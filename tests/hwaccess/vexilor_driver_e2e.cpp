// Under Wine: vexilor.exe itself with a pcilibnt.sys (or without it) in the system's drivers folder. While the
// window is up the "PCIDebug" service must run that driver; after the program has closed it
// must be gone. Without the driver file the program must come up all the same, leaving the two services
// that never started registered (their stop requests fail), as on Windows. With a driver whose service starts
// but whose device never opens (no-device), the program comes up with no route: the PCIDebug service runs
// that driver while the window is up and, since its stop request succeeds, is gone after exit;
// giveio, tried because PCIDebug did not open, was never opened and so stays registered.
//
//   vexilor-driver-e2e --exe VEXILOR.EXE --mode driver|leftover|no-driver|no-device
//
// Prints one line per failed check and "N passed, N failed"; exit status 0 when nothing failed.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "tests/hwaccess/wine_services.h"

namespace {

using vxwine::Check;
using vxwine::DeleteLeftover;
using vxwine::QueryService;
using vxwine::ServiceState;

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  const char* exe = nullptr;
  const char* mode = nullptr;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "--exe") == 0) exe = argv[i + 1];
    else if (strcmp(argv[i], "--mode") == 0) mode = argv[i + 1];
  }
  if (exe == nullptr || mode == nullptr) {
    printf("usage: vexilor-driver-e2e --exe VEXILOR.EXE --mode driver|leftover|no-driver|no-device\n");
    return 2;
  }
  bool withDriver = strcmp(mode, "no-driver") != 0;
  bool noDevice = strcmp(mode, "no-device") == 0;
  char directory[MAX_PATH];
  lstrcpynA(directory, exe, sizeof directory);
  char* slash = strrchr(directory, '\\');
  if (char* other = strrchr(directory, '/'); other != nullptr && (slash == nullptr || other > slash)) slash = other;
  if (slash != nullptr) *slash = 0;
  // The directory as the program will see it (a Unix path given to Wine comes back as a drive path).
  char current[MAX_PATH] = "";
  if (SetCurrentDirectoryA(directory)) GetCurrentDirectoryA(sizeof current, current);
  char driverPath[MAX_PATH + 32] = "";
  GetWindowsDirectoryA(driverPath, MAX_PATH);
  lstrcatA(driverPath, "\\system32\\drivers\\pcilibnt.sys");

  DeleteLeftover("PCIDebug");
  DeleteLeftover("giveio");
  if (strcmp(mode, "leftover") == 0) {
    Check(vxwine::RegisterStaleService("C:\\old\\pcilibnt.sys"), "a stale PCIDebug service is registered before the run");
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char commandLine[MAX_PATH + 4];
  snprintf(commandLine, sizeof commandLine, "\"%s\"", exe);
  if (!CreateProcessA(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, directory, &startup, &process)) {
    printf("FAILED: cannot start %s (error %lu)\n0 passed, 1 failed\n", exe, GetLastError());
    return 1;
  }
  HWND main = nullptr;
  for (int i = 0; i < 600 && main == nullptr; ++i) {
    HWND w = FindWindowA("VEXILOR", nullptr);
    DWORD pid = 0;
    if (w != nullptr) GetWindowThreadProcessId(w, &pid);
    if (w != nullptr && pid == process.dwProcessId && IsWindowVisible(w)) main = w;
    else Sleep(50);
  }
  Check(main != nullptr, "the main window comes up");

  ServiceState pcidebug = QueryService("PCIDebug");
  ServiceState giveio = QueryService("giveio");
  if (withDriver) {
    Check(pcidebug.registered && pcidebug.state == SERVICE_RUNNING, "PCIDebug runs while the program does (state %lu)",
          pcidebug.state);
    Check(lstrcmpiA(pcidebug.path, driverPath) == 0, "PCIDebug runs %s, not %s", pcidebug.path, driverPath);
    if (noDevice) {
      // The device did not open, so giveio was tried: its file is missing, so it never started.
      Check(giveio.registered && giveio.state != SERVICE_RUNNING, "giveio registered, not running");
      HANDLE device = CreateFileA("\\\\.\\PciDebug", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
      Check(device == INVALID_HANDLE_VALUE, "the running service's device does not open");
      if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
    } else {
      Check(!giveio.registered, "giveio is not tried when PCIDebug opened");
    }
  } else {
    Check(pcidebug.registered && pcidebug.state != SERVICE_RUNNING, "PCIDebug registered, not running (state %lu)",
          pcidebug.state);
    Check(giveio.registered && giveio.state != SERVICE_RUNNING, "giveio registered, not running");
  }

  if (main != nullptr) PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD waited = WaitForSingleObject(process.hProcess, 20000);
  Check(waited == WAIT_OBJECT_0, "the program ends after WM_CLOSE");
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  if (withDriver) {
    Check(vxwine::WaitServiceGone("PCIDebug"), "the PCIDebug service is gone after exit");
    if (noDevice) {
      Check(QueryService("giveio").registered, "giveio stays registered: it was never opened, so never closed");
      DeleteLeftover("giveio");
    }
  } else {
    Check(QueryService("PCIDebug").registered, "PCIDebug stays registered: its stop request failed");
    Check(QueryService("giveio").registered, "giveio stays registered: it was never opened, so never closed");
    DeleteLeftover("PCIDebug");
    DeleteLeftover("giveio");
  }
  return vxwine::Summary();
}
