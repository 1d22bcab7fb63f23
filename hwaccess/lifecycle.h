// Opening and closing the access drivers at start-up and exit: the PCIDebug driver (a kernel-driver
// service on Windows NT, a VxD on Windows 9x), else on Windows NT the giveio driver.
#pragma once

#include <stdint.h>

#include "hwaccess/access.h"

namespace vx {

// A handle of the system: a device file, the service control manager or a service. 0 is no handle (also
// what a failed open gives).
typedef uintptr_t SystemHandle;

// The version query, the Windows directory, files, device files, the service control manager and the named
// mutex that the lifecycle uses. The real one calls Win32; the tests give one that records the calls.
class AccessSystem {
 public:
  // GetVersionExA (record size 148): false when the query fails, else the platform id.
  virtual bool QueryPlatformId(uint32_t* platformId) = 0;
  // IsWow64Process of this process, looked up at run time (NT 4.0 has none: not WoW64).
  virtual bool IsWow64() = 0;
  // The system's Windows directory into buffer with the given limit: the length stored without its zero;
  // 0 when the query fails; the size needed (at least limit) when it does not fit.
  virtual uint32_t WindowsDirectory(char* buffer, uint32_t limit) = 0;
  // CreateFileA: an NT device with GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING; or a
  // Windows 9x VxD with access 0, sharing 0, disposition 0 and FILE_FLAG_DELETE_ON_CLOSE.
  virtual SystemHandle OpenDevice(const char* path, bool vxd) = 0;
  // CloseHandle, for devices and files.
  virtual void CloseDevice(SystemHandle device) = 0;
  // The requests sent on an open PCIDebug device.
  virtual DriverTransport* DeviceTransport(SystemHandle device) = 0;
  // The port instructions of this process (allowed on Windows 9x, or on NT once giveio is open).
  virtual PortIo* Ports() = 0;

  // The pcilibnt.sys of this program's own architecture that it carries; false when it carries none.
  virtual bool EmbeddedDriver(const uint8_t** bytes, uint32_t* length) = 0;
  // CreateFileA(GENERIC_WRITE, no sharing, CREATE_NEW): 0 when it fails, *exists telling then whether a
  // file of that name is there already.
  virtual SystemHandle CreateNewFile(const char* path, bool* exists) = 0;
  // WriteFile: true when all length bytes were written.
  virtual bool WriteWhole(SystemHandle file, const uint8_t* bytes, uint32_t length) = 0;
  virtual bool RemoveFile(const char* path) = 0;  // DeleteFileA
  // The named mutex around driver install and removal, shared by every copy of the program: 0 when it
  // could not be taken in a few seconds (the caller goes on without it).
  virtual SystemHandle LockDrivers() = 0;
  virtual void UnlockDrivers(SystemHandle lock) = 0;

  // OpenSCManagerA (local machine, default database, SC_MANAGER_ALL_ACCESS).
  virtual SystemHandle ScmOpen() = 0;
  // OpenServiceA with SERVICE_ALL_ACCESS.
  virtual SystemHandle ScmOpenService(SystemHandle manager, const char* name) = 0;
  // QueryServiceConfigA: the service's image path into path (size bytes with its zero); false when the
  // query fails or the path does not fit.
  virtual bool ScmImagePath(SystemHandle service, char* path, uint32_t size) = 0;
  // CreateServiceA: name and display name, SERVICE_ALL_ACCESS, kernel driver, demand start, normal error
  // control, the image path, nothing else.
  virtual SystemHandle ScmCreateService(SystemHandle manager, const char* name, const char* imagePath) = 0;
  // StartServiceA with no arguments: kStarted, kAlreadyRunning (ERROR_SERVICE_ALREADY_RUNNING) or kNotStarted.
  enum StartResult { kNotStarted, kStarted, kAlreadyRunning };
  virtual StartResult ScmStartService(SystemHandle service) = 0;
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
// The driver files: the Windows directory followed by these, built in a 264-byte buffer (the directory
// query limited to 260 bytes); a path that does not fit is never tried.
extern const char kPciDebugSystemFile[];  // "\system32\drivers\pcilibnt.sys"
extern const char kGiveioSystemFile[];    // "\system32\drivers\GIVEIO.SYS"
enum { kDriverPathBytes = 264, kDirectoryLimit = 260 };

// 0 the version query failed, 1 Win32s, 2 Windows 9x, 3 Windows NT, -1 any other platform.
int ClassifyPlatform(AccessSystem& system);

// 1 when the PCIDebug driver is open, else 0. Sets access.accessMode (by platform, also when the open
// fails), the driver, the port instructions, the platform id and access.accessDriverError. On Windows NT
// only the driver in the Windows directory's system32\drivers is used (written there from the program's
// own copy when no file of that name is there, except under WoW64), through a service of this run or one
// whose image path is that file; another program's service is left alone.
int OpenAccessDriver(AccessState& access, AccessSystem& system);
// Windows NT only: 1 when the giveio device is open (direct port access granted), else 0. Only a
// GIVEIO.SYS that an administrator placed in system32\drivers is used, under the same service rule.
int EnableGiveio(AccessState& access, AccessSystem& system);
void CloseGiveio(AccessState& access, AccessSystem& system);
void CloseAccessDriver(AccessState& access, AccessSystem& system);

// AccessDriverError: 0 open, 1 not available, 2 neither Windows 9x nor NT, 3 started but the device did not
// open; 3 before the first open.
inline int32_t AccessDriverError(const AccessState& access) { return access.accessDriverError; }

// What this run created, in access.lifecycleOwned: exit removes these and nothing else.
enum : uint8_t {
  OWNED_PCIDEBUG_SERVICE = 0x01,  // this run created the PCIDebug service
  OWNED_PCIDEBUG_STARTED = 0x02,  // ... or started it
  OWNED_PCIDEBUG_FILE = 0x04,     // this run wrote system32\drivers\pcilibnt.sys
  OWNED_GIVEIO_SERVICE = 0x10,
  OWNED_GIVEIO_STARTED = 0x20,
};

// Whether a registered service's image path names the driver file at path (the Windows directory followed
// by file, which begins with a separator), as the service control manager may keep it: the path itself,
// the NT form "\??\" + path, "\SystemRoot" + file, or file relative to the Windows directory. Letter case
// aside.
bool IsOwnImagePath(const char* image, const char* path, const char* file);

}  // namespace vx
