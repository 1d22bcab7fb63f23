// The access lifecycle's system on Windows: version query, directories, device files, DeviceIoControl and
// the service control manager.
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
  uint32_t CurrentDirectory(char* buffer, uint32_t limit) override { return GetCurrentDirectoryA(limit, buffer); }
  uint32_t WindowsDirectory(char* buffer, uint32_t limit) override { return GetWindowsDirectoryA(buffer, limit); }

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

  SystemHandle ScmOpen() override {
    return reinterpret_cast<SystemHandle>(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  }
  SystemHandle ScmOpenService(SystemHandle manager, const char* name) override {
    return reinterpret_cast<SystemHandle>(OpenServiceA(ToScHandle(manager), name, SERVICE_ALL_ACCESS));
  }
  SystemHandle ScmCreateService(SystemHandle manager, const char* name, const char* imagePath) override {
    return reinterpret_cast<SystemHandle>(CreateServiceA(ToScHandle(manager), name, name, SERVICE_ALL_ACCESS,
                                                         SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                                         SERVICE_ERROR_NORMAL, imagePath, nullptr, nullptr,
                                                         nullptr, nullptr, nullptr));
  }
  bool ScmStartService(SystemHandle service) override {
    return StartServiceA(ToScHandle(service), 0, nullptr) != 0;
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
