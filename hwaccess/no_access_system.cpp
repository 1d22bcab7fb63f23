// Off Windows: a system where every open fails, so start-up runs with no route.
#include "hwaccess/lifecycle.h"

namespace vx {

namespace {

class NoAccessSystem final : public AccessSystem {
 public:
  constexpr NoAccessSystem() = default;
  bool QueryPlatformId(uint32_t*) override { return false; }
  bool IsWow64() override { return false; }
  uint32_t WindowsDirectory(char*, uint32_t) override { return 0; }
  SystemHandle OpenDevice(const char*, bool) override { return 0; }
  void CloseDevice(SystemHandle) override {}
  DriverTransport* DeviceTransport(SystemHandle) override { return nullptr; }
  bool EmbeddedDriver(const uint8_t**, uint32_t*) override { return false; }
  SystemHandle CreateNewFile(const char*, bool* exists) override { return *exists = false, 0; }
  bool WriteWhole(SystemHandle, const uint8_t*, uint32_t) override { return false; }
  bool RemoveFile(const char*) override { return false; }
  SystemHandle LockDrivers() override { return 0; }
  void UnlockDrivers(SystemHandle) override {}
  PortIo* Ports() override { return nullptr; }
  SystemHandle ScmOpen() override { return 0; }
  SystemHandle ScmOpenService(SystemHandle, const char*) override { return 0; }
  bool ScmImagePath(SystemHandle, char*, uint32_t) override { return false; }
  SystemHandle ScmCreateService(SystemHandle, const char*, const char*) override { return 0; }
  StartResult ScmStartService(SystemHandle) override { return kNotStarted; }
  bool ScmStopService(SystemHandle) override { return false; }
  bool ScmDeleteService(SystemHandle) override { return false; }
  void ScmClose(SystemHandle) override {}
};

NoAccessSystem g_none;

}  // namespace

AccessSystem& Win32AccessSystem() { return g_none; }

}  // namespace vx
