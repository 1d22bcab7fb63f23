// Opening and closing the access drivers at start-up and exit: the PCIDebug driver (a kernel-driver
// service on Windows NT, a VxD on Windows 9x), else on Windows NT the giveio driver.
#pragma once

#include <stdint.h>

#include "hwaccess/access.h"

namespace vx {

// A handle of the system: a device file, the service control manager or a service. 0 is no handle (also
// what a failed open gives).
typedef uintptr_t SystemHandle;

// The version query, directories, device files and service control manager that the lifecycle uses. The
// real one calls Win32; the tests give one that records the calls.
class AccessSystem {
 public:
  // GetVersionExA (record size 148): false when the query fails, else the platform id.
  virtual bool QueryPlatformId(uint32_t* platformId) = 0;
  // GetCurrentDirectoryA / GetWindowsDirectoryA into buffer with the given limit: the length stored
  // without its zero; 0 when the query fails; the size needed (at least limit) when it does not fit.
  virtual uint32_t CurrentDirectory(char* buffer, uint32_t limit) = 0;
  virtual uint32_t WindowsDirectory(char* buffer, uint32_t limit) = 0;
  // CreateFileA: an NT device with GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING; or a
  // Windows 9x VxD with access 0, sharing 0, disposition 0 and FILE_FLAG_DELETE_ON_CLOSE.
  virtual SystemHandle OpenDevice(const char* path, bool vxd) = 0;
  virtual void CloseDevice(SystemHandle device) = 0;
  // The requests sent on an open PCIDebug device.
  virtual DriverTransport* DeviceTransport(SystemHandle device) = 0;
  // The port instructions of this process (allowed on Windows 9x, or on NT once giveio is open).
  virtual PortIo* Ports() = 0;

  // OpenSCManagerA (local machine, default database, SC_MANAGER_ALL_ACCESS).
  virtual SystemHandle ScmOpen() = 0;
  // OpenServiceA with SERVICE_ALL_ACCESS.
  virtual SystemHandle ScmOpenService(SystemHandle manager, const char* name) = 0;
  // CreateServiceA: name and display name, SERVICE_ALL_ACCESS, kernel driver, demand start, normal error
  // control, the image path, nothing else.
  virtual SystemHandle ScmCreateService(SystemHandle manager, const char* name, const char* imagePath) = 0;
  virtual bool ScmStartService(SystemHandle service) = 0;   // StartServiceA with no arguments
  virtual bool ScmStopService(SystemHandle service) = 0;    // ControlService(SERVICE_CONTROL_STOP)
  virtual bool ScmDeleteService(SystemHandle service) = 0;  // DeleteService
  virtual void ScmClose(SystemHandle handle) = 0;           // CloseServiceHandle

 protected:
  ~AccessSystem() = default;
};

// The real one (Windows only).
AccessSystem& Win32AccessSystem();

// Names and paths of the outside drivers.
extern const char kPciDebugDevice[];      // "\\.\PciDebug"
extern const char kPciDebugService[];     // "PCIDebug"
extern const char kPciDebugVxd[];         // "\\.\pcilib95.vxd"
extern const char kGiveioDevice[];        // "\\.\giveio"
extern const char kGiveioService[];       // "giveio"
enum { kDriverPathBytes = 264, kDirectoryLimit = 260 };

// 0 the version query failed, 1 Win32s, 2 Windows 9x, 3 Windows NT, -1 any other platform.
int ClassifyPlatform(AccessSystem& system);

// 1 when the PCIDebug driver is open, else 0. Sets access.accessMode (by platform, also when the open
// fails), the driver, the port instructions, the platform id and access.accessDriverError.
int OpenAccessDriver(AccessState& access, AccessSystem& system);
// Windows NT only: 1 when the giveio device is open (direct port access granted), else 0.
int EnableGiveio(AccessState& access, AccessSystem& system);
void CloseGiveio(AccessState& access, AccessSystem& system);
void CloseAccessDriver(AccessState& access, AccessSystem& system);

// AccessDriverError: 0 open, 1 not available, 2 neither Windows 9x nor NT, 3 started but the device did not
// open; 3 before the first open.
inline int32_t AccessDriverError(const AccessState& access) { return access.accessDriverError; }

// The service routines, for the tests. InstallDriverService replaces an existing service and returns
// non-zero when it started; InstallGiveioService leaves an existing one alone and returns 1, else 0 when
// it started, -1 when it did not or could not be created; RemoveDriverService stops the service and, only
// when that succeeded, deletes it.
int InstallDriverService(AccessSystem& system, const char* imagePath, const char* name);
int InstallGiveioService(AccessSystem& system, const char* imagePath, const char* name);
int RemoveDriverService(AccessSystem& system, const char* name);

}  // namespace vx
