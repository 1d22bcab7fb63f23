// The access lifecycle's system on Windows: version query, Windows directory, files, device files,
// DeviceIoControl, the service control manager, the named mutex and the driver the program carries.
#include <windows.h>

#include "hwaccess/instruction_ports.h"
#include "hwaccess/lifecycle.h"

namespace vx {

namespace {

SystemHandle FromHandle(HANDLE h) {
  return h == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<SystemHandle>(h);
}

HANDLE ToHandle(SystemHandle h) { return reinterpret_cast<HANDLE>(h); }
SC_HANDLE ToScHandle(SystemHandle h) { return reinterpret_cast<SC_HANDLE>(h); }

// A function that older systems lack (looked up, so that the program still loads there), or null.
template <typename Function>
Function SystemFunction(const char* module, const char* name) {
  HMODULE dll = GetModuleHandleA(module);
  FARPROC f = dll != nullptr ? GetProcAddress(dll, name) : nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(f));
}

// The mutex that every copy of the program takes around driver install and removal: in the global
// namespace where there is one (Terminal Services), else (NT 4.0, which refuses the prefix) by its plain
// name. Waited for ten seconds at most; a copy that holds it longer is not waited for.
HANDLE TakeDriverMutex() {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "Global\\VexilorAccessDrivers");
  if (mutex == nullptr) mutex = CreateMutexA(nullptr, FALSE, "VexilorAccessDrivers");
  if (mutex == nullptr) return nullptr;
  DWORD waited = WaitForSingleObject(mutex, 10000);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return mutex;
  CloseHandle(mutex);
  return nullptr;
}

// Requests on the open PCIDebug device.
class DeviceIoTransport final : public DriverTransport {
 public:
  constexpr DeviceIoTransport() = default;
  uint32_t Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength) override {
    DWORD returned = 0;
    if (!DeviceIoControl(handle, code, const_cast<void*>(in), inLength, out, outLength, &returned, nullptr)) {
      DWORD error = GetLastError();
      return error != 0 ? error : ERROR_GEN_FAILURE;
    }
    // Fewer bytes than asked for is no answer: the caller would read bytes the driver never stored.
    return returned == outLength ? 0 : ERROR_INVALID_DATA;
  }
  HANDLE handle = nullptr;
};

class Win32System final : public AccessSystem {
 public:
  constexpr Win32System() = default;

  bool QueryPlatformId(uint32_t* platformId) override {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;  // 148
    if (!GetVersionExA(&version)) return false;
    *platformId = version.dwPlatformId;
    return true;
  }
  bool IsWow64() override {
    typedef BOOL(WINAPI * IsWow64Function)(HANDLE, PBOOL);
    IsWow64Function isWow64 = SystemFunction<IsWow64Function>("kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
  }
  // On a Terminal Server GetWindowsDirectoryA gives a program that does not declare itself aware of it a
  // folder of the user's own: the shared one comes from GetSystemWindowsDirectoryA (Windows 2000 on).
  uint32_t WindowsDirectory(char* buffer, uint32_t limit) override {
    typedef UINT(WINAPI * DirectoryFunction)(LPSTR, UINT);
    DirectoryFunction shared = SystemFunction<DirectoryFunction>("kernel32.dll", "GetSystemWindowsDirectoryA");
    return shared != nullptr ? shared(buffer, limit) : GetWindowsDirectoryA(buffer, limit);
  }

  SystemHandle OpenDevice(const char* path, bool vxd) override {
    HANDLE h = vxd ? CreateFileA(path, 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                   : CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
    return FromHandle(h);
  }
  void CloseDevice(SystemHandle device) override {
    if (transport_.handle == ToHandle(device)) transport_.handle = nullptr;
    CloseHandle(ToHandle(device));
  }
  DriverTransport* DeviceTransport(SystemHandle device) override {
    transport_.handle = ToHandle(device);
    return &transport_;
  }
  PortIo* Ports() override { return &ports_; }

  bool EmbeddedDriver(const uint8_t** bytes, uint32_t* length) override {
    HRSRC found = FindResourceA(nullptr, "PCILIBNT", MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) return false;
    *bytes = static_cast<const uint8_t*>(data);
    *length = SizeofResource(nullptr, found);
    return true;
  }
  SystemHandle CreateNewFile(const char* path, bool* exists) override {
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    *exists = h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS;
    return FromHandle(h);
  }
  bool WriteWhole(SystemHandle file, const uint8_t* bytes, uint32_t length) override {
    DWORD written = 0;
    return WriteFile(ToHandle(file), bytes, length, &written, nullptr) && written == length;
  }
  bool RemoveFile(const char* path) override { return DeleteFileA(path) != 0; }
  SystemHandle LockDrivers() override { return reinterpret_cast<SystemHandle>(TakeDriverMutex()); }
  void UnlockDrivers(SystemHandle lock) override {
    ReleaseMutex(ToHandle(lock));
    CloseHandle(ToHandle(lock));
  }

  SystemHandle ScmOpen() override {
    return reinterpret_cast<SystemHandle>(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  }
  SystemHandle ScmOpenService(SystemHandle manager, const char* name) override {
    return reinterpret_cast<SystemHandle>(OpenServiceA(ToScHandle(manager), name, SERVICE_ALL_ACCESS));
  }
  bool ScmImagePath(SystemHandle service, char* path, uint32_t size) override {
    union {
      QUERY_SERVICE_CONFIGA config;
      char bytes[2048];
    } buffer;
    // Windows 95's service functions are stubs that may lack this one: looked up.
    typedef BOOL(WINAPI * QueryFunction)(SC_HANDLE, LPQUERY_SERVICE_CONFIGA, DWORD, LPDWORD);
    QueryFunction query = SystemFunction<QueryFunction>("advapi32.dll", "QueryServiceConfigA");
    DWORD needed = 0;
    if (query == nullptr || !query(ToScHandle(service), &buffer.config, sizeof buffer, &needed)) return false;
    const char* image = buffer.config.lpBinaryPathName;
    uint32_t length = image != nullptr ? static_cast<uint32_t>(lstrlenA(image)) : 0;
    if (image == nullptr || length + 1 > size) return false;
    CopyMemory(path, image, length + 1);
    return true;
  }
  SystemHandle ScmCreateService(SystemHandle manager, const char* name, const char* imagePath) override {
    return reinterpret_cast<SystemHandle>(CreateServiceA(ToScHandle(manager), name, name, SERVICE_ALL_ACCESS,
                                                         SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                                         SERVICE_ERROR_NORMAL, imagePath, nullptr, nullptr,
                                                         nullptr, nullptr, nullptr));
  }
  StartResult ScmStartService(SystemHandle service) override {
    if (StartServiceA(ToScHandle(service), 0, nullptr)) return kStarted;
    return GetLastError() == ERROR_SERVICE_ALREADY_RUNNING ? kAlreadyRunning : kNotStarted;
  }
  bool ScmStopService(SystemHandle service) override {
    SERVICE_STATUS status;
    return ControlService(ToScHandle(service), SERVICE_CONTROL_STOP, &status) != 0;
  }
  bool ScmDeleteService(SystemHandle service) override { return DeleteService(ToScHandle(service)) != 0; }
  void ScmClose(SystemHandle handle) override { CloseServiceHandle(ToScHandle(handle)); }

 private:
  DeviceIoTransport transport_;
  InstructionPorts ports_;
};

Win32System g_system;  // constant-initialised: no static constructor

}  // namespace

AccessSystem& Win32AccessSystem() { return g_system; }

}  // namespace vx
