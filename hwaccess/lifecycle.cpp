#include "hwaccess/lifecycle.h"

#include <string.h>

namespace vx {

const char kPciDebugDevice[] = "\\\\.\\PciDebug";
const char kPciDebugService[] = "PCIDebug";
const char kPciDebugVxd[] = "\\\\.\\pcilib95.vxd";
const char kGiveioDevice[] = "\\\\.\\giveio";
const char kGiveioService[] = "giveio";

namespace {

const char kPciDebugFile[] = "\\pcilibnt.sys";
const char kPciDebugSystemFile[] = "\\system32\\drivers\\pcilibnt.sys";
const char kGiveioFile[] = "\\GIVEIO.SYS";
const char kGiveioSystemFile[] = "\\system32\\drivers\\GIVEIO.SYS";

// The directory (current or Windows) followed by the file part, in the 264-byte path buffer. False when
// the directory query fails or the whole does not fit: that attempt counts as a failed install and
// nothing is written past the buffer.
bool BuildDriverPath(AccessSystem& system, bool windowsDirectory, const char* file, char* path) {
  char directory[kDriverPathBytes];
  memset(directory, 0, sizeof directory);
  uint32_t n = windowsDirectory ? system.WindowsDirectory(directory, kDirectoryLimit)
                                : system.CurrentDirectory(directory, kDirectoryLimit);
  if (n == 0 || n >= kDirectoryLimit) return false;
  size_t length = strlen(file);
  if (n + length + 1 > kDriverPathBytes) return false;
  memcpy(path, directory, n);
  memcpy(path + n, file, length + 1);
  return true;
}

int OpenPciDebugDevice(AccessState& access, AccessSystem& system) {
  SystemHandle h = system.OpenDevice(kPciDebugDevice, false);
  if (h == 0) return 0;
  access.driverHandle = h;
  access.driver = system.DeviceTransport(h);
  return 1;
}

int OpenPciDebugVxd(AccessState& access, AccessSystem& system) {
  SystemHandle h = system.OpenDevice(kPciDebugVxd, true);
  if (h == 0) return 2;
  access.driverHandle = h;
  access.driver = system.DeviceTransport(h);
  return 0;
}

int TryInstallDriver(AccessSystem& system, bool windowsDirectory, const char* file) {
  char path[kDriverPathBytes];
  if (!BuildDriverPath(system, windowsDirectory, file, path)) return 0;
  return InstallDriverService(system, path, kPciDebugService);
}

int StartPciDebugService(AccessState& access, AccessSystem& system) {
  if (OpenPciDebugDevice(access, system)) return 0;
  if (TryInstallDriver(system, false, kPciDebugFile) == 0 && TryInstallDriver(system, true, kPciDebugSystemFile) == 0)
    return 2;
  return OpenPciDebugDevice(access, system) ? 0 : 3;
}

int OpenGiveioDevice(AccessState& access, AccessSystem& system) {
  SystemHandle h = system.OpenDevice(kGiveioDevice, false);
  if (h == 0) return 0;
  access.giveioHandle = h;
  return 1;
}

int TryInstallGiveio(AccessSystem& system, bool windowsDirectory, const char* file) {
  char path[kDriverPathBytes];
  if (!BuildDriverPath(system, windowsDirectory, file, path)) return -1;
  return InstallGiveioService(system, path, kGiveioService);
}

int StartGiveioService(AccessState& access, AccessSystem& system) {
  if (OpenGiveioDevice(access, system)) return 0;
  if (TryInstallGiveio(system, false, kGiveioFile) == -1 && TryInstallGiveio(system, true, kGiveioSystemFile) == -1)
    return 2;
  return OpenGiveioDevice(access, system) ? 0 : 3;
}

}  // namespace

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

int InstallDriverService(AccessSystem& system, const char* imagePath, const char* name) {
  SystemHandle manager = system.ScmOpen();
  if (manager == 0) return 0;
  SystemHandle service = system.ScmOpenService(manager, name);
  if (service != 0) {
    system.ScmStopService(service);
    system.ScmDeleteService(service);
    system.ScmClose(service);
  }
  int result = 0;
  service = system.ScmCreateService(manager, name, imagePath);
  if (service != 0) {
    result = system.ScmStartService(service) ? 1 : 0;
    system.ScmClose(service);
  }
  system.ScmClose(manager);
  return result;
}

int InstallGiveioService(AccessSystem& system, const char* imagePath, const char* name) {
  SystemHandle manager = system.ScmOpen();
  if (manager == 0) return -1;
  SystemHandle service = system.ScmOpenService(manager, name);
  int result;
  if (service != 0) {
    system.ScmClose(service);
    result = 1;  // registered already: left as it is
  } else {
    service = system.ScmCreateService(manager, name, imagePath);
    result = -1;  // not created counts as not started: the caller tries the next file
    if (service != 0) {
      result = system.ScmStartService(service) ? 0 : -1;
      system.ScmClose(service);
    }
  }
  system.ScmClose(manager);
  return result;
}

int RemoveDriverService(AccessSystem& system, const char* name) {
  SystemHandle manager = system.ScmOpen();
  if (manager == 0) return 0;
  int result = 0;
  SystemHandle service = system.ScmOpenService(manager, name);
  if (service != 0) {
    if (system.ScmStopService(service)) result = system.ScmDeleteService(service) ? 1 : 0;
    system.ScmClose(service);
  }
  system.ScmClose(manager);
  return result;
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
  if (access.accessMode & ACCESS_NT_SERVICE) RemoveDriverService(system, kPciDebugService);
}

int EnableGiveio(AccessState& access, AccessSystem& system) {
  access.giveioOpen = ClassifyPlatform(system) == 3 && StartGiveioService(access, system) == 0;
  if (access.giveioOpen) access.ports = system.Ports();
  return access.giveioOpen ? 1 : 0;
}

void CloseGiveio(AccessState& access, AccessSystem& system) {
  if (access.giveioHandle != 0) system.CloseDevice(access.giveioHandle);
  access.giveioHandle = 0;
  access.giveioOpen = false;
  RemoveDriverService(system, kGiveioService);
}

}  // namespace vx
