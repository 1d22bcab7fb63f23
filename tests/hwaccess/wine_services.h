// What the two Wine test programs of the access driver share: counted checks that print only failures and
// close with "N passed, N failed", and the service control manager seen from outside (is a service there,
// what does it run, remove a leftover, register a stale one).
#pragma once

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>

namespace vxwine {

inline int g_passed = 0, g_failed = 0;

inline void Check(bool ok, const char* what, ...) {
  if (ok) {
    ++g_passed;
    return;
  }
  ++g_failed;
  va_list ap;
  va_start(ap, what);
  fputs("FAILED: ", stdout);
  vprintf(what, ap);
  fputs("\n", stdout);
  va_end(ap);
}

// Prints the closing line; the exit status is 0 only when nothing failed.
inline int Summary() {
  printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}

struct ServiceState {
  bool registered = false;
  DWORD state = 0;  // SERVICE_RUNNING, SERVICE_STOPPED...
  char path[MAX_PATH] = "";
};

inline ServiceState QueryService(const char* name) {
  ServiceState s;
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return s;
  if (SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS)) {
    s.registered = true;
    SERVICE_STATUS status;
    if (QueryServiceStatus(service, &status)) s.state = status.dwCurrentState;
    static union {
      QUERY_SERVICE_CONFIGA config;
      char bytes[8192];
    } buffer;
    DWORD needed;
    if (QueryServiceConfigA(service, &buffer.config, sizeof buffer, &needed) && buffer.config.lpBinaryPathName)
      lstrcpynA(s.path, buffer.config.lpBinaryPathName, sizeof s.path);
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return s;
}

// Waits up to four seconds for the service to vanish (Wine removes a deleted driver's service with a delay).
inline bool WaitServiceGone(const char* name) {
  for (int i = 0; i < 40; ++i) {
    if (!QueryService(name).registered) return true;
    Sleep(100);
  }
  return false;
}

// Stops and deletes a service left over from an earlier run, and waits for it to vanish.
inline void DeleteLeftover(const char* name) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return;
  if (SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS)) {
    SERVICE_STATUS status;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    DeleteService(service);
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  WaitServiceGone(name);
}

// Registers a "PCIDebug" service for a driver file that is not there, as an earlier run might have left.
inline bool RegisterStaleService(const char* imagePath) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return false;
  SC_HANDLE service = CreateServiceA(manager, "PCIDebug", "PCIDebug", SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                     SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, imagePath, nullptr, nullptr,
                                     nullptr, nullptr, nullptr);
  if (service != nullptr) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return service != nullptr;
}

}  // namespace vxwine
