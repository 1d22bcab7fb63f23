#include "hwaccess/lifecycle.h"

#include <string.h>

namespace vx {

const char kPciDebugDevice[] = "\\\\.\\PciDebug";
const char kPciDebugService[] = "PCIDebug";
const char kPciDebugVxd[] = "\\\\.\\pcilib95.vxd";
const char kGiveioDevice[] = "\\\\.\\giveio";
const char kGiveioService[] = "giveio";
const char kPciDebugSystemFile[] = "\\system32\\drivers\\pcilibnt.sys";
const char kGiveioSystemFile[] = "\\system32\\drivers\\GIVEIO.SYS";

namespace {

// A driver's names and the bits of access.lifecycleOwned that say what this run made of it.
struct DriverNames {
  const char* service;
  const char* file;
  uint8_t created, started, written;  // written 0: the program carries no such file
};
const DriverNames kPciDebug = {kPciDebugService, kPciDebugSystemFile, OWNED_PCIDEBUG_SERVICE,
                               OWNED_PCIDEBUG_STARTED, OWNED_PCIDEBUG_FILE};
const DriverNames kGiveio = {kGiveioService, kGiveioSystemFile, OWNED_GIVEIO_SERVICE, OWNED_GIVEIO_STARTED, 0};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// a begins with b, letter case aside; *rest is what follows.
bool StartsWithText(const char* a, const char* b, const char** rest) {
  for (; *b != 0; ++a, ++b) {
    if (Lower(*a) != Lower(*b)) return false;
  }
  *rest = a;
  return true;
}

bool SameText(const char* a, const char* b) {
  const char* rest;
  return StartsWithText(a, b, &rest) && *rest == 0;
}

// The Windows directory followed by the file part (which begins with a separator), in the 264-byte path
// buffer: fits when the whole with its terminating zero takes at most 264 bytes. False when the directory
// query fails or the whole does not fit: that driver is then not tried, and nothing is written past the
// buffer.
bool BuildDriverPath(AccessSystem& system, const char* file, char* path) {
  char directory[kDriverPathBytes];
  memset(directory, 0, sizeof directory);
  uint32_t n = system.WindowsDirectory(directory, kDirectoryLimit);
  if (n == 0 || n >= kDirectoryLimit) return false;
  size_t length = strlen(file);
  if (n + length + 1 > kDriverPathBytes) return false;
  memcpy(path, directory, n);
  memcpy(path + n, file, length + 1);
  return true;
}

// Makes sure a driver file is at path for the service to load: a file that is there already (an
// administrator's, or this program's from an earlier run) is used as it is and never overwritten; else the
// program's own copy is written, and a failed or short write is removed again. Under WoW64 nothing is
// written (the program's i386 driver cannot load in a 64-bit kernel, and the folder is redirected): only
// what an administrator placed there is used. True when the service may be started.
bool PlaceDriverFile(AccessState& access, AccessSystem& system, const char* path) {
  if (system.IsWow64()) return true;
  bool exists = false;
  SystemHandle file = system.CreateNewFile(path, &exists);
  if (file == 0) return exists;
  const uint8_t* bytes = nullptr;
  uint32_t length = 0;
  bool written = system.EmbeddedDriver(&bytes, &length) && length != 0 && system.WriteWhole(file, bytes, length);
  system.CloseDevice(file);
  if (!written) {
    system.RemoveFile(path);
    return false;
  }
  access.lifecycleOwned |= OWNED_PCIDEBUG_FILE;
  return true;
}

// The driver's service with path as its image, running: an existing one only when its image path is that
// file (another program's service is left untouched), else one that this run creates. Records in
// access.lifecycleOwned what this run created and started. True when the service runs.
bool RunOwnService(AccessState& access, AccessSystem& system, SystemHandle manager, const DriverNames& driver,
                   const char* path) {
  SystemHandle service = system.ScmOpenService(manager, driver.service);
  if (service != 0) {
    char image[kDriverPathBytes + 16];
    bool own = system.ScmImagePath(service, image, sizeof image) && IsOwnImagePath(image, path, driver.file);
    if (!own) {
      system.ScmClose(service);
      return false;
    }
  }
  if (driver.written != 0 && !PlaceDriverFile(access, system, path)) {
    if (service != 0) system.ScmClose(service);
    return false;
  }
  if (service == 0) {
    service = system.ScmCreateService(manager, driver.service, path);
    if (service == 0) return false;
    access.lifecycleOwned |= driver.created;
  }
  AccessSystem::StartResult started = system.ScmStartService(service);
  if (started == AccessSystem::kStarted) access.lifecycleOwned |= driver.started;
  system.ScmClose(service);
  return started != AccessSystem::kNotStarted;
}

// Stops what this run started, deletes the service this run created and the driver file this run wrote;
// nothing else.
void RemoveOwned(AccessState& access, AccessSystem& system, const DriverNames& driver) {
  uint8_t owned = access.lifecycleOwned & (driver.created | driver.started | driver.written);
  access.lifecycleOwned = static_cast<uint8_t>(access.lifecycleOwned & ~owned);
  if (owned & (driver.created | driver.started)) {
    if (SystemHandle manager = system.ScmOpen()) {
      if (SystemHandle service = system.ScmOpenService(manager, driver.service)) {
        if (owned & driver.started) system.ScmStopService(service);
        if (owned & driver.created) system.ScmDeleteService(service);
        system.ScmClose(service);
      }
      system.ScmClose(manager);
    }
  }
  char path[kDriverPathBytes];
  if ((owned & driver.written) && BuildDriverPath(system, driver.file, path)) system.RemoveFile(path);
}

// The device of a running driver of ours: 0 none to open, 1 open, 2 its service runs but the device does not
// open. What this run created is removed again unless the device opened.
int StartOwnDriver(AccessState& access, AccessSystem& system, const DriverNames& driver, const char* device,
                   SystemHandle* handle) {
  char path[kDriverPathBytes];
  if (!BuildDriverPath(system, driver.file, path)) return 0;
  SystemHandle lock = system.LockDrivers();
  int result = 0;
  if (SystemHandle manager = system.ScmOpen()) {
    if (RunOwnService(access, system, manager, driver, path)) {
      *handle = system.OpenDevice(device, false);
      result = *handle != 0 ? 1 : 2;
    }
    system.ScmClose(manager);
  }
  if (result != 1) RemoveOwned(access, system, driver);
  if (lock != 0) system.UnlockDrivers(lock);
  return result;
}

void RemoveOwnDriver(AccessState& access, AccessSystem& system, const DriverNames& driver) {
  if ((access.lifecycleOwned & (driver.created | driver.started | driver.written)) == 0) return;
  SystemHandle lock = system.LockDrivers();
  RemoveOwned(access, system, driver);
  if (lock != 0) system.UnlockDrivers(lock);
}

int StartPciDebugService(AccessState& access, AccessSystem& system) {
  SystemHandle h = 0;
  int r = StartOwnDriver(access, system, kPciDebug, kPciDebugDevice, &h);
  if (r != 1) return r == 0 ? 2 : 3;
  access.driverHandle = h;
  access.driver = system.DeviceTransport(h);
  return 0;
}

int OpenPciDebugVxd(AccessState& access, AccessSystem& system) {
  SystemHandle h = system.OpenDevice(kPciDebugVxd, true);
  if (h == 0) return 2;
  access.driverHandle = h;
  access.driver = system.DeviceTransport(h);
  return 0;
}

}  // namespace

bool IsOwnImagePath(const char* image, const char* path, const char* file) {
  const char* rest;
  if (SameText(image, path)) return true;
  if (StartsWithText(image, "\\??\\", &rest) && SameText(rest, path)) return true;
  if (StartsWithText(image, "\\SystemRoot", &rest) && SameText(rest, file)) return true;
  return SameText(image, file + 1);
}

int ClassifyPlatform(AccessSystem& system) {
  uint32_t id;
  if (!system.QueryPlatformId(&id)) return 0;
  switch (id) {
    case 0:
      return 1;
    case 1:
      return 2;
    case 2:
      return 3;
    default:
      return -1;
  }
}

int OpenAccessDriver(AccessState& access, AccessSystem& system) {
  access.accessMode = 0;
  access.pciDriverOpen = false;
  access.ports = system.Ports();
  int platform = ClassifyPlatform(system);
  if (platform >= 1) access.platformId = static_cast<uint32_t>(platform - 1);
  int r;
  if (platform == 2) {
    access.accessMode |= ACCESS_VXD | ACCESS_DIRECT_PORTS;
    r = OpenPciDebugVxd(access, system);
  } else if (platform == 3) {
    access.accessMode |= ACCESS_NT_SERVICE;
    r = StartPciDebugService(access, system);
  } else {
    access.accessDriverError = 2;
    return 0;
  }
  if (r == 0) {
    access.accessDriverError = 0;
    access.pciDriverOpen = true;
    return 1;
  }
  access.accessDriverError = r == 2 ? 1 : 3;
  return 0;
}

void CloseAccessDriver(AccessState& access, AccessSystem& system) {
  if (access.driverHandle != 0) system.CloseDevice(access.driverHandle);
  access.driverHandle = 0;
  access.driver = nullptr;
  access.pciDriverOpen = false;
  if (access.accessMode & ACCESS_NT_SERVICE) RemoveOwnDriver(access, system, kPciDebug);
}

int EnableGiveio(AccessState& access, AccessSystem& system) {
  SystemHandle h = 0;
  access.giveioOpen = ClassifyPlatform(system) == 3 && StartOwnDriver(access, system, kGiveio, kGiveioDevice, &h) == 1;
  if (access.giveioOpen) {
    access.giveioHandle = h;
    access.ports = system.Ports();
  }
  return access.giveioOpen ? 1 : 0;
}

void CloseGiveio(AccessState& access, AccessSystem& system) {
  if (access.giveioHandle != 0) system.CloseDevice(access.giveioHandle);
  access.giveioHandle = 0;
  access.giveioOpen = false;
  RemoveOwnDriver(access, system, kGiveio);
}

}  // namespace vx
