// Under Wine: vexilor.exe itself, started in its own folder, and what it does with drivers and services.
// The program loads a driver only from the Windows directory's system32\drivers and removes at exit only
// what it created there:
//   placed     a driver that an administrator placed there (wine-run.sh --system-driver) runs while the
//              window is up; after exit the program's service is gone and the file is still there
//   carried    a driver planted beside the program (its current folder) is never loaded. The x86_64 program
//              writes the driver it carries into system32\drivers and runs that; after exit service and file
//              are gone. The i686 one (WoW64 under this Wine) writes nothing, so runs without a driver
//   foreign    another program's PCIDebug service (another image path) is there before: it is neither
//              replaced, nor started, nor removed
//   no-device  the placed driver's service starts but its device never opens: the program runs with no
//              route and removes the service it made at once; the file stays
//
//   vexilor-driver-e2e --exe VEXILOR.EXE --mode placed|carried|foreign|no-device
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

const char kForeignImage[] = "C:\\other\\tool\\pcilibnt.sys";

// The whole file, or an empty text when it cannot be read (at most 1 MB).
struct FileBytes {
  char bytes[1 << 20];
  DWORD length = 0;
  bool present = false;
};
void ReadWhole(const char* path, FileBytes* f) {
  f->length = 0;
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  f->present = h != INVALID_HANDLE_VALUE;
  if (!f->present) return;
  if (!ReadFile(h, f->bytes, sizeof f->bytes, &f->length, nullptr)) f->length = 0;
  CloseHandle(h);
}

bool FileThere(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// A 32-bit program: its PE header's machine is the i386.
bool IsI386Program(const char* exe) {
  static FileBytes f;
  ReadWhole(exe, &f);
  if (f.length < 0x40) return false;
  DWORD pe = *reinterpret_cast<const DWORD*>(f.bytes + 0x3C);
  return pe + 6 <= f.length && *reinterpret_cast<const WORD*>(f.bytes + pe + 4) == IMAGE_FILE_MACHINE_I386;
}

// The service's image path names the driver file, also in the NT form the service manager may keep.
bool ImageIs(const char* image, const char* path) {
  return lstrcmpiA(image, path) == 0 || (strncmp(image, "\\??\\", 4) == 0 && lstrcmpiA(image + 4, path) == 0);
}

// Starts the program in its own folder; the main window, or null.
HWND StartProgram(const char* exe, const char* directory, PROCESS_INFORMATION* process) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  char commandLine[MAX_PATH + 4];
  snprintf(commandLine, sizeof commandLine, "\"%s\"", exe);
  if (!CreateProcessA(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, directory, &startup, process)) {
    printf("FAILED: cannot start %s (error %lu)\n", exe, GetLastError());
    return nullptr;
  }
  for (int i = 0; i < 600; ++i) {
    HWND w = FindWindowA("VEXILOR", nullptr);
    DWORD pid = 0;
    if (w != nullptr) GetWindowThreadProcessId(w, &pid);
    if (w != nullptr && pid == process->dwProcessId && IsWindowVisible(w)) return w;
    Sleep(50);
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  const char* exe = nullptr;
  const char* mode = "";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "--exe") == 0) exe = argv[i + 1];
    else if (strcmp(argv[i], "--mode") == 0) mode = argv[i + 1];
  }
  bool placed = strcmp(mode, "placed") == 0, carried = strcmp(mode, "carried") == 0;
  bool foreign = strcmp(mode, "foreign") == 0, noDevice = strcmp(mode, "no-device") == 0;
  if (exe == nullptr || !(placed || carried || foreign || noDevice)) {
    printf("usage: vexilor-driver-e2e --exe VEXILOR.EXE --mode placed|carried|foreign|no-device\n");
    return 2;
  }
  char directory[MAX_PATH];
  lstrcpynA(directory, exe, sizeof directory);
  char* slash = strrchr(directory, '\\');
  if (char* other = strrchr(directory, '/'); other != nullptr && (slash == nullptr || other > slash)) slash = other;
  if (slash != nullptr) *slash = 0;
  char planted[MAX_PATH + 16];
  snprintf(planted, sizeof planted, "%s\\pcilibnt.sys", directory);
  // The path the program installs, and the file Wine loads for it: a 32-bit program's services load from
  // the redirected folder (this test program is 64-bit and sees both).
  bool wow64 = IsI386Program(exe);
  char windows[MAX_PATH] = "", systemPath[MAX_PATH + 40], loadedFile[MAX_PATH + 40];
  GetWindowsDirectoryA(windows, MAX_PATH);
  snprintf(systemPath, sizeof systemPath, "%s\\system32\\drivers\\pcilibnt.sys", windows);
  snprintf(loadedFile, sizeof loadedFile, "%s\\%s\\drivers\\pcilibnt.sys", windows, wow64 ? "syswow64" : "system32");
  bool placedBefore = FileThere(loadedFile);
  Check(placedBefore == !carried, "a driver is %splaced in the system folder before the run", carried ? "not " : "");

  DeleteLeftover("PCIDebug");
  DeleteLeftover("giveio");
  if (foreign) Check(vxwine::RegisterStaleService(kForeignImage), "another program's PCIDebug service is registered");

  PROCESS_INFORMATION process = {};
  HWND main = StartProgram(exe, directory, &process);
  Check(main != nullptr, "the main window comes up");

  ServiceState pcidebug = QueryService("PCIDebug");
  ServiceState giveio = QueryService("giveio");
  Check(!giveio.registered, "no giveio service while the program runs (none was placed)");
  bool runsDriver = placed || (carried && !wow64);
  if (runsDriver) {
    Check(pcidebug.registered && pcidebug.state == SERVICE_RUNNING, "PCIDebug runs (state %lu)", pcidebug.state);
    Check(ImageIs(pcidebug.path, systemPath), "PCIDebug runs %s, not %s", pcidebug.path, systemPath);
  } else if (foreign) {
    Check(pcidebug.registered && lstrcmpiA(pcidebug.path, kForeignImage) == 0,
          "the other program's service is unchanged (%s)", pcidebug.path);
    Check(pcidebug.state != SERVICE_RUNNING, "the other program's service was not started");
  } else {
    Check(!pcidebug.registered, "no PCIDebug service is left while the program runs without a driver (%s)",
          pcidebug.path);
  }
  if (carried) {
    static FileBytes written, beside;
    ReadWhole(loadedFile, &written);
    ReadWhole(planted, &beside);
    Check(beside.present, "the planted driver is beside the program");
    Check(written.present == !wow64, "the carried driver is %swritten into the system folder", wow64 ? "not " : "");
    if (written.present)
      Check(written.length != beside.length || memcmp(written.bytes, beside.bytes, beside.length) != 0,
            "the system folder holds the carried driver, not the planted one");
  }
  if (noDevice) {
    HANDLE device = CreateFileA("\\\\.\\PciDebug", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    Check(device == INVALID_HANDLE_VALUE, "no PciDebug device");
    if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
  }

  if (main != nullptr) PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD waited = process.hProcess != nullptr ? WaitForSingleObject(process.hProcess, 20000) : WAIT_FAILED;
  Check(waited == WAIT_OBJECT_0, "the program ends after WM_CLOSE");
  if (waited == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 1);
  if (process.hProcess != nullptr) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }

  if (foreign) {
    ServiceState after = QueryService("PCIDebug");
    Check(after.registered && lstrcmpiA(after.path, kForeignImage) == 0 && after.state != SERVICE_RUNNING,
          "the other program's service is still there, unchanged, after exit (%s)", after.path);
    DeleteLeftover("PCIDebug");
  } else {
    Check(vxwine::WaitServiceGone("PCIDebug"), "the program's PCIDebug service is gone after exit");
  }
  Check(!QueryService("giveio").registered, "no giveio service after exit");
  Check(FileThere(loadedFile) == placedBefore, "the system folder's driver is %s after exit",
        placedBefore ? "still there (an administrator's)" : "gone (this run's)");
  if (carried) Check(FileThere(planted), "the planted driver is left where it was");
  return vxwine::Summary();
}
