// Start-up and exit of the access drivers against a recording Windows: every call, in order.
#include <gtest/gtest.h>

#include "fake_system.h"
#include "hwaccess/access.h"
#include "hwaccess/lifecycle.h"

namespace {

using vxtest::FakeSystem;

struct Outcome {
  int opened = 0, giveio = 0;
  vx::AccessState access;
  std::string calls;  // one call a line
};

// What start-up and teardown do: OpenAccessDriver; EnableGiveio only when it failed; at exit CloseGiveio
// when giveio opened, then CloseAccessDriver.
Outcome StartAndExit(FakeSystem& system, vx::AccessState* afterStart = nullptr) {
  Outcome run;
  run.opened = vx::OpenAccessDriver(run.access, system);
  if (!run.opened) run.giveio = vx::EnableGiveio(run.access, system);
  if (afterStart) *afterStart = run.access;
  system.calls.push_back("-- exit");
  if (run.giveio) vx::CloseGiveio(run.access, system);
  vx::CloseAccessDriver(run.access, system);
  for (auto& c : system.calls) run.calls += c + "\n";
  EXPECT_EQ(system.OpenHandles(), 0u) << run.calls;
  return run;
}

TEST(AccessLifecycle, RunningPciDebugServiceIsUsedAndRemovedAtExit) {
  FakeSystem system;
  system.services["PCIDebug"] = {"C:\\OLD\\pcilibnt.sys", true};
  vx::AccessState started;
  Outcome run = StartAndExit(system, &started);
  EXPECT_EQ(run.opened, 1);
  EXPECT_EQ(started.accessMode, vx::ACCESS_NT_SERVICE);
  EXPECT_TRUE(started.pciDriverOpen);
  EXPECT_EQ(started.driver, &system.driver);
  EXPECT_EQ(vx::AccessDriverError(started), 0);
  EXPECT_EQ(run.calls,
            "GetVersionEx\n"
            "CreateFile \\\\.\\PciDebug\n"
            "-- exit\n"
            "CloseHandle \\\\.\\PciDebug\n"
            "OpenSCManager\n"
            "OpenService PCIDebug\n"
            "ControlService PCIDebug STOP\n"
            "DeleteService PCIDebug\n"
            "CloseServiceHandle PCIDebug\n"
            "CloseServiceHandle manager\n");
  EXPECT_TRUE(system.services.empty());
  EXPECT_FALSE(run.access.pciDriverOpen);
  EXPECT_EQ(run.access.driver, nullptr);
}

TEST(AccessLifecycle, NoDriverFileAnywhereLeavesBothServicesRegistered) {
  FakeSystem system;
  vx::AccessState started;
  Outcome run = StartAndExit(system, &started);
  EXPECT_EQ(run.opened, 0);
  EXPECT_EQ(run.giveio, 0);
  EXPECT_EQ(vx::AccessDriverError(started), 1);
  EXPECT_EQ(started.accessMode, vx::ACCESS_NT_SERVICE);
  EXPECT_EQ(run.calls,
            "GetVersionEx\n"
            "CreateFile \\\\.\\PciDebug -> fails\n"
            "OpenSCManager\n"
            "OpenService PCIDebug -> fails\n"
            "CreateService PCIDebug C:\\VEXILOR\\pcilibnt.sys\n"
            "StartService PCIDebug -> fails\n"
            "CloseServiceHandle PCIDebug\n"
            "CloseServiceHandle manager\n"
            "OpenSCManager\n"
            "OpenService PCIDebug\n"
            "ControlService PCIDebug STOP -> fails\n"
            "DeleteService PCIDebug\n"
            "CloseServiceHandle PCIDebug\n"
            "CreateService PCIDebug C:\\WINNT\\system32\\drivers\\pcilibnt.sys\n"
            "StartService PCIDebug -> fails\n"
            "CloseServiceHandle PCIDebug\n"
            "CloseServiceHandle manager\n"
            "GetVersionEx\n"
            "CreateFile \\\\.\\giveio -> fails\n"
            "OpenSCManager\n"
            "OpenService giveio -> fails\n"
            "CreateService giveio C:\\VEXILOR\\GIVEIO.SYS\n"
            "StartService giveio -> fails\n"
            "CloseServiceHandle giveio\n"
            "CloseServiceHandle manager\n"
            "OpenSCManager\n"
            "OpenService giveio\n"
            "CloseServiceHandle giveio\n"
            "CloseServiceHandle manager\n"
            "CreateFile \\\\.\\giveio -> fails\n"
            "-- exit\n"
            "OpenSCManager\n"
            "OpenService PCIDebug\n"
            "ControlService PCIDebug STOP -> fails\n"
            "CloseServiceHandle PCIDebug\n"
            "CloseServiceHandle manager\n");
  ASSERT_EQ(system.services.size(), 2u);
  EXPECT_EQ(system.services["PCIDebug"].path, "C:\\WINNT\\system32\\drivers\\pcilibnt.sys");
  EXPECT_EQ(system.services["giveio"].path, "C:\\VEXILOR\\GIVEIO.SYS");
}

TEST(AccessLifecycle, WithoutServiceRightsNothingIsOpened) {
  FakeSystem system;
  system.administrator = false;
  system.driverFiles = {"C:\\VEXILOR\\pcilibnt.sys", "C:\\VEXILOR\\GIVEIO.SYS"};
  vx::AccessState started;
  Outcome run = StartAndExit(system, &started);
  EXPECT_EQ(run.opened, 0);
  EXPECT_EQ(run.giveio, 0);
  EXPECT_EQ(vx::AccessDriverError(started), 1);
  EXPECT_EQ(run.calls,
            "GetVersionEx\n"
            "CreateFile \\\\.\\PciDebug -> fails\n"
            "OpenSCManager -> fails\n"
            "OpenSCManager -> fails\n"
            "GetVersionEx\n"
            "CreateFile \\\\.\\giveio -> fails\n"
            "OpenSCManager -> fails\n"
            "OpenSCManager -> fails\n"
            "-- exit\n"
            "OpenSCManager -> fails\n");
}

TEST(AccessLifecycle, DriverFileInTheCurrentDirectoryReplacesALeftoverService) {
  FakeSystem system;
  system.driverFiles = {"C:\\VEXILOR\\pcilibnt.sys"};
  system.services["PCIDebug"] = {"C:\\ELSEWHERE\\pcilibnt.sys", false};
  Outcome run = StartAndExit(system);
  EXPECT_EQ(run.opened, 1);
  EXPECT_EQ(run.calls,
            "GetVersionEx\n"
            "CreateFile \\\\.\\PciDebug -> fails\n"
            "OpenSCManager\n"
            "OpenService PCIDebug\n"
            "ControlService PCIDebug STOP -> fails\n"
            "DeleteService PCIDebug\n"
            "CloseServiceHandle PCIDebug\n"
            "CreateService PCIDebug C:\\VEXILOR\\pcilibnt.sys\n"
            "StartService PCIDebug\n"
            "CloseServiceHandle PCIDebug\n"
            "CloseServiceHandle manager\n"
            "CreateFile \\\\.\\PciDebug\n"
            "-- exit\n"
            "CloseHandle \\\\.\\PciDebug\n"
            "OpenSCManager\n"
            "OpenService PCIDebug\n"
            "ControlService PCIDebug STOP\n"
            "DeleteService PCIDebug\n"
            "CloseServiceHandle PCIDebug\n"
            "CloseServiceHandle manager\n");
  EXPECT_TRUE(system.services.empty());
}

TEST(AccessLifecycle, ServiceStartedButDeviceNotOpenedIsErrorThree) {
  FakeSystem system;
  system.driverFiles = {"C:\\WINNT\\system32\\drivers\\pcilibnt.sys"};
  system.brokenDevices = {"\\\\.\\PciDebug"};
  vx::AccessState started;
  Outcome run = StartAndExit(system, &started);
  EXPECT_EQ(run.opened, 0);
  EXPECT_EQ(vx::AccessDriverError(started), 3);
  EXPECT_EQ(started.accessMode, vx::ACCESS_NT_SERVICE);
  // At exit the service that never gave a device is stopped and deleted all the same.
  EXPECT_EQ(system.services.count("PCIDebug"), 0u);
}

TEST(AccessLifecycle, GiveioMissingFromTheCurrentDirectoryNeverReachesTheSecondFile) {
  // The first file's service is created but does not start; the second attempt finds it registered and
  // counts that as success, so the Windows directory's file is never installed and the device stays shut.
  FakeSystem system;
  system.driverFiles = {"C:\\WINNT\\system32\\drivers\\GIVEIO.SYS"};
  vx::AccessState started;
  Outcome run = StartAndExit(system, &started);
  EXPECT_EQ(run.opened, 0);
  EXPECT_EQ(run.giveio, 0);
  EXPECT_FALSE(started.giveioOpen);
  EXPECT_NE(run.calls.find("CreateService giveio C:\\VEXILOR\\GIVEIO.SYS\n"
                           "StartService giveio -> fails\n"
                           "CloseServiceHandle giveio\n"
                           "CloseServiceHandle manager\n"
                           "OpenSCManager\n"
                           "OpenService giveio\n"
                           "CloseServiceHandle giveio\n"
                           "CloseServiceHandle manager\n"
                           "CreateFile \\\\.\\giveio -> fails\n"
                           "-- exit\n"),
            std::string::npos)
      << run.calls;
  EXPECT_EQ(system.services["giveio"].path, "C:\\VEXILOR\\GIVEIO.SYS");  // never closed, so never removed
}

TEST(AccessLifecycle, GiveioRunningFromTheCurrentDirectoryIsClosedAndRemoved) {
  FakeSystem system;
  system.driverFiles = {"C:\\VEXILOR\\GIVEIO.SYS"};
  Outcome run = StartAndExit(system);
  EXPECT_EQ(run.giveio, 1);
  auto exit = run.calls.substr(run.calls.find("-- exit\n"));
  EXPECT_EQ(exit,
            "-- exit\n"
            "CloseHandle \\\\.\\giveio\n"
            "OpenSCManager\n"
            "OpenService giveio\n"
            "ControlService giveio STOP\n"
            "DeleteService giveio\n"
            "CloseServiceHandle giveio\n"
            "CloseServiceHandle manager\n"
            "OpenSCManager\n"
            "OpenService PCIDebug\n"
            "ControlService PCIDebug STOP -> fails\n"
            "CloseServiceHandle PCIDebug\n"
            "CloseServiceHandle manager\n");
  EXPECT_EQ(system.services.count("giveio"), 0u);
}

TEST(AccessLifecycle, RegisteredGiveioWhoseDeviceFailsIsNotReinstalled) {
  FakeSystem system;
  system.administrator = true;
  system.services["giveio"] = {"C:\\GONE\\GIVEIO.SYS", false};
  system.driverFiles = {"C:\\VEXILOR\\GIVEIO.SYS"};
  Outcome run = StartAndExit(system);
  EXPECT_EQ(run.giveio, 0);
  EXPECT_EQ(run.calls.find("CreateService giveio"), std::string::npos) << run.calls;
  EXPECT_EQ(system.services["giveio"].path, "C:\\GONE\\GIVEIO.SYS");
}

TEST(AccessLifecycle, Windows9xUsesTheVxdAndNeverTriesGiveio) {
  for (bool present : {true, false}) {
    FakeSystem system;
    system.platformId = 1;
    system.vxdPresent = present;
    vx::AccessState started;
    Outcome run = StartAndExit(system, &started);
    EXPECT_EQ(run.opened, present ? 1 : 0);
    EXPECT_EQ(run.giveio, 0);
    EXPECT_EQ(started.accessMode, vx::ACCESS_VXD | vx::ACCESS_DIRECT_PORTS);
    EXPECT_EQ(started.platformId, 1u);
    EXPECT_EQ(vx::AccessDriverError(started), present ? 0 : 1);
    EXPECT_EQ(run.calls, present ? "GetVersionEx\nCreateFile \\\\.\\pcilib95.vxd (VxD)\n-- exit\n"
                                   "CloseHandle \\\\.\\pcilib95.vxd\n"
                                 : "GetVersionEx\nCreateFile \\\\.\\pcilib95.vxd (VxD) -> fails\nGetVersionEx\n-- exit\n");
  }
}

TEST(AccessLifecycle, OtherPlatformsAreErrorTwo) {
  struct {
    bool fails;
    uint32_t id;
    int platformClass;
  } cases[] = {{true, 0, 0}, {false, 0, 1}, {false, 3, -1}};
  for (auto c : cases) {
    FakeSystem system;
    system.versionFails = c.fails;
    system.platformId = c.id;
    EXPECT_EQ(vx::ClassifyPlatform(system), c.platformClass);
    system.calls.clear();
    vx::AccessState started;
    Outcome run = StartAndExit(system, &started);
    EXPECT_EQ(run.opened, 0);
    EXPECT_EQ(vx::AccessDriverError(started), 2);
    EXPECT_EQ(started.accessMode, 0u);
    EXPECT_EQ(run.calls, "GetVersionEx\nGetVersionEx\n-- exit\n");
  }
  vx::AccessState fresh;
  EXPECT_EQ(vx::AccessDriverError(fresh), 3);
}

TEST(AccessLifecycle, DriverPathsAtTheRootAndPathsThatDoNotFit) {
  // At a drive's root the first path holds two separators in a row.
  FakeSystem root;
  root.currentDirectory = "C:\\";
  root.driverFiles = {"C:\\\\pcilibnt.sys"};
  EXPECT_EQ(StartAndExit(root).opened, 1);

  // A current directory that fits its 260-byte query but not the 264-byte path with the file name: that
  // attempt is skipped as a failed install and the Windows directory's file is tried.
  FakeSystem deep;
  deep.currentDirectory = "C:\\" + std::string(255, 'd');
  deep.driverFiles = {"C:\\WINNT\\system32\\drivers\\pcilibnt.sys"};
  Outcome run = StartAndExit(deep);
  EXPECT_EQ(run.opened, 1);
  EXPECT_EQ(run.calls.find("CreateService PCIDebug C:\\ddd"), std::string::npos);
  EXPECT_NE(run.calls.find("CreateService PCIDebug C:\\WINNT\\system32\\drivers\\pcilibnt.sys"), std::string::npos);

  // Neither fits (or the query fails): no service is created at all.
  FakeSystem none;
  none.currentDirectory = std::string(300, 'c');
  none.windowsDirectory = "";
  none.driverFiles = {"x"};
  vx::AccessState started;
  run = StartAndExit(none, &started);
  EXPECT_EQ(run.opened, 0);
  EXPECT_EQ(vx::AccessDriverError(started), 1);
  EXPECT_EQ(run.calls.find("CreateService"), std::string::npos) << run.calls;
}

// The route that each start-up leaves: where configuration reads and port reads go.
TEST(AccessRoutes, EachStartUpReachesTheHardwareItShould) {
  struct Case {
    const char* what;
    uint32_t platformId;
    bool pciDebug, giveio;
    const char* config;  // "driver", "ports", "none"
    const char* port;    // "driver", "ports", "fails"
  } cases[] = {
      {"NT with the driver", 2, true, false, "driver", "driver"},
      {"NT with giveio", 2, false, true, "ports", "fails"},
      {"NT with neither", 2, false, false, "none", "fails"},
      {"9x with the VxD", 1, true, false, "driver", "ports"},
      {"9x without", 1, false, false, "ports", "ports"},
  };
  for (const Case& c : cases) {
    FakeSystem system;
    system.platformId = c.platformId;
    if (c.pciDebug) system.services["PCIDebug"] = {"x", true};
    system.vxdPresent = c.pciDebug;
    if (c.giveio) system.services["giveio"] = {"x", true};
    vx::AccessState access;
    if (!vx::OpenAccessDriver(access, system)) vx::EnableGiveio(access, system);
    vx::ChooseAccessRoute(access);
    if (c.platformId == 1 && !c.pciDebug) {  // what vexilor-report --access ports sets directly
      vx::AccessState direct;
      vx::UsePortsRoute(direct, access.ports);
      EXPECT_TRUE(direct.route == access.route && direct.portRoute == access.portRoute);
      EXPECT_EQ(direct.accessMode, access.accessMode);
      EXPECT_EQ(direct.platformId, access.platformId);
      EXPECT_EQ(direct.accessDriverError, access.accessDriverError);
    }

    uint32_t config = vx::PciConfigRead32(access, 0, 7, 0, 0x08);
    std::string configRoute = system.driver.requests == 1 ? "driver" : !system.ports.calls.empty() ? "ports" : "none";
    EXPECT_EQ(configRoute, c.config) << c.what;
    EXPECT_EQ(config, configRoute == "none" ? 0xFFFFFFFFu : 0x5A5A5A5Au) << c.what;
    if (configRoute == "ports") {
      EXPECT_EQ(system.ports.calls, (std::vector<std::string>{"out32 0cf8", "in32 0cfc"})) << c.what;
    }

    system.driver.requests = 0;
    system.ports.calls.clear();
    uint32_t port = vx::PortRead32(access, 0xD400);
    std::string portRoute = system.driver.requests == 1 ? "driver" : !system.ports.calls.empty() ? "ports" : "fails";
    EXPECT_EQ(portRoute, c.port) << c.what;
    EXPECT_EQ(port, portRoute == "fails" ? 0xFFFFFFFFu : 0x5A5A5A5Au) << c.what;
  }
}

}  // namespace
