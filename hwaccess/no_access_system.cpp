// Off Windows: a system where every open fails, so start-up runs with no route.
#include "hwaccess/lifecycle.h"

namespace vx {

namespace {

class NoAccessSystem final : public AccessSystem {
 public:
  constexpr NoAccessSystem() = default;
  bool QueryPlatformId(uint32_t*) override { return false; }
  uint32_t CurrentDirectory(char*, uint32_t) override { return 0; }
  uint32_t WindowsDirectory(char*, uint32_t) override { return 0; }
  SystemHandle OpenDevice(const char*, bool) override { return 0; }
  void CloseDevice(SystemHandle) override {}
  DriverTransport* DeviceTransport(SystemHandle) override { return nullptr; }
  PortIo* Ports() override { return nullptr; }
  SystemHandle ScmOpen() override { return 0; }
  SystemHandle ScmOpenService(SystemHandle, const char*) override { return 0; }
  SystemHandle ScmCreateService(SystemHandle, const char*, const char*) override { return 0; }
  bool ScmStartService(SystemHandle) override { return false; }
  bool ScmStopService(SystemHandle) override { return false; }
  bool ScmDeleteService(SystemHandle) override { return false; }
  void ScmClose(SystemHandle) override {}
};

NoAccessSystem g_none;

}  // namespace

AccessSystem& Win32AccessSystem() { return g_none; }

}  // namespace vx
