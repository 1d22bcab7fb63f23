#include "cli/linux_ports.h"

#include <errno.h>
#include <string.h>
#include <unistd.h>

#if (defined(__i386__) || defined(__x86_64__)) && defined(__GLIBC__)
#include <sys/io.h>
#define VX_HAVE_PORT_IO 1
#else
#define VX_HAVE_PORT_IO 0
#endif

#include "hwaccess/lifecycle.h"

namespace vexilor_cli {

bool LinuxPortIo::Acquire(std::string* error) {
#if VX_HAVE_PORT_IO
  if (iopl(3) == 0) {
    first_ = 0;
    end_ = 0x10000;
    return true;
  }
  int ioplError = errno;
  if (ioperm(0xCF8, 8, 1) == 0) {
    first_ = 0xCF8;
    end_ = 0xD00;
    return true;
  }
  int iopermError = errno;
  if (geteuid() != 0) {
    *error = "--access ports needs root: the configuration ports 0xCF8/0xCFC are reached with I/O privilege "
             "(iopl/ioperm), which only a process with CAP_SYS_RAWIO gets";
  } else if (iopermError == EPERM) {
    *error = "--access ports: I/O privilege refused (the process lacks CAP_SYS_RAWIO, as in a container, or "
             "the kernel is in lockdown); use --access sysfs";
  } else if (iopermError == ENOSYS) {
    *error = "--access ports: this kernel was built without port access for processes (iopl and ioperm are "
             "not implemented); use --access sysfs";
  } else {
    *error = std::string("--access ports: the kernel grants no I/O privilege (iopl: ") + strerror(ioplError) +
             ", ioperm: " + strerror(iopermError) + "); use --access sysfs";
  }
  return false;
#else
  *error = "--access ports: this processor has no I/O ports (x86 only); use --access sysfs";
  return false;
#endif
}

// Granted ports go to the program's own IN and OUT instructions, the code the Windows program runs on
// Windows 9x; the others read all ones and are not written (the instruction would fault).
uint8_t LinuxPortIo::In8(uint16_t port) { return Granted(port, 1) ? cpu_.In8(port) : 0xFF; }
uint16_t LinuxPortIo::In16(uint16_t port) { return Granted(port, 2) ? cpu_.In16(port) : 0xFFFF; }
uint32_t LinuxPortIo::In32(uint16_t port) { return Granted(port, 4) ? cpu_.In32(port) : 0xFFFFFFFFu; }
void LinuxPortIo::Out8(uint16_t port, uint8_t value) {
  if (Granted(port, 1)) cpu_.Out8(port, value);
}
void LinuxPortIo::Out16(uint16_t port, uint16_t value) {
  if (Granted(port, 2)) cpu_.Out16(port, value);
}
void LinuxPortIo::Out32(uint16_t port, uint32_t value) {
  if (port == 0xCF8) ++configRequests;
  if (Granted(port, 4)) cpu_.Out32(port, value);
}

namespace {

// Windows 9x as start-up sees it when pcilib95.vxd is missing: the version query says platform 1, the
// VxD does not open, and the process may execute port instructions.
class Windows9xWithoutVxd final : public vx::AccessSystem {
 public:
  explicit Windows9xWithoutVxd(vx::PortIo* ports) : ports_(ports) {}
  bool QueryPlatformId(uint32_t* platformId) override {
    *platformId = 1;
    return true;
  }
  bool IsWow64() override { return false; }
  uint32_t WindowsDirectory(char*, uint32_t) override { return 0; }
  vx::SystemHandle OpenDevice(const char*, bool) override { return 0; }
  void CloseDevice(vx::SystemHandle) override {}
  vx::DriverTransport* DeviceTransport(vx::SystemHandle) override { return nullptr; }
  bool EmbeddedDriver(const uint8_t**, uint32_t*) override { return false; }
  vx::SystemHandle CreateNewFile(const char*, bool* exists) override { return *exists = false, 0; }
  bool WriteWhole(vx::SystemHandle, const uint8_t*, uint32_t) override { return false; }
  bool RemoveFile(const char*) override { return false; }
  vx::SystemHandle LockDrivers() override { return 0; }
  void UnlockDrivers(vx::SystemHandle) override {}
  vx::PortIo* Ports() override { return ports_; }
  vx::SystemHandle ScmOpen() override { return 0; }
  vx::SystemHandle ScmOpenService(vx::SystemHandle, const char*) override { return 0; }
  bool ScmImagePath(vx::SystemHandle, char*, uint32_t) override { return false; }
  vx::SystemHandle ScmCreateService(vx::SystemHandle, const char*, const char*) override { return 0; }
  StartResult ScmStartService(vx::SystemHandle) override { return kNotStarted; }
  bool ScmStopService(vx::SystemHandle) override { return false; }
  bool ScmDeleteService(vx::SystemHandle) override { return false; }
  void ScmClose(vx::SystemHandle) override {}

 private:
  vx::PortIo* ports_;
};

}  // namespace

void UseWindows9xPortRoute(vx::AccessState& access, vx::PortIo* ports) {
  Windows9xWithoutVxd system(ports);
  vx::OpenAccessDriver(access, system);
}

}  // namespace vexilor_cli
