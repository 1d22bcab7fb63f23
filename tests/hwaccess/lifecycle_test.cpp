// Start-up and exit of the access drivers against a recording Windows: every call, in order.
#include <gtest/gtest.h>

#include "fake_system.h"
#include "hwaccess/access.h"
#include "hwaccess/lifecycle.h"

namespace {

using vxtest::FakeSystem;

const char kSysDriver[] = "C:\\WINNT\\system32\\drivers\\pcilibnt.sys";
const char kSysGiveio[] = "C:\\WINNT\\system32\\drivers\\GIVEIO.SYS";

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
  EXPECT_EQ(run.access.lifecycleOwned, 0u) << run.calls;
  return run;
}

// The services and files of the fake Windows, one line: "PCIDebug=PATH running; FILE=CONTENTS".
std::string Machine(const FakeSystem& system) {
  std::string s;
  for (const auto& [name, service] : system.services)
    s += name + "=" + service.path + (service.running ? " running" : "") + "; ";
  for (const auto& [path, contents] : system.files) s += path + "=" + contents + "; ";
  return s;
}

// Where the PCIDebug driver comes from on Windows NT, what is used and what is left after exit.
TEST(AccessLifecycle, OnlyTheAdministratorsFolderAndOnlyWhatThisRunMadeIsRemoved) {
  const std::string sys = kSysDriver;
  const std::string running = sys + " running; ";
  struct Case {
    const char* what;
    void (*prepare)(FakeSystem&);
    int opened, error;
    std::string during, after;  // Machine() while the program runs and after exit
  } cases[] = {
      {"nothing there: the carried driver is written, loaded, and both are gone after exit",
       [](FakeSystem&) {}, 1, 0, "PCIDebug=" + running + sys + "=MZ carried driver; ", ""},
      {"a driver in the current folder and beside the program is never loaded",
       [](FakeSystem& s) { s.files = {{"C:\\VEXILOR\\pcilibnt.sys", "planted"}, {".\\pcilibnt.sys", "planted"}}; },
       1, 0, "PCIDebug=" + running + ".\\pcilibnt.sys=planted; C:\\VEXILOR\\pcilibnt.sys=planted; " + sys + "=MZ carried driver; ",
       ".\\pcilibnt.sys=planted; C:\\VEXILOR\\pcilibnt.sys=planted; "},
      {"an administrator's file is used as it is, never overwritten, and stays",
       [](FakeSystem& s) { s.files = {{kSysDriver, "test-signed x64"}}; }, 1, 0,
       "PCIDebug=" + running + sys + "=test-signed x64; ", sys + "=test-signed x64; "},
      {"our service running already (another copy): used, left running",
       [](FakeSystem& s) { s.services["PCIDebug"] = {kSysDriver, true}, s.files = {{kSysDriver, "x"}}; }, 1, 0,
       "PCIDebug=" + running + sys + "=x; ", "PCIDebug=" + running + sys + "=x; "},
      {"our service in the NT form, stopped: started, and only stopped at exit",
       [](FakeSystem& s) { s.services["PCIDebug"] = {std::string("\\??\\") + kSysDriver, false}; }, 1, 0,
       "PCIDebug=\\??\\" + running + sys + "=MZ carried driver; ", "PCIDebug=\\??\\" + sys + "; "},
      {"another program's service is left alone and its device never opened",
       [](FakeSystem& s) { s.services["PCIDebug"] = {"C:\\TOOLS\\pcilibnt.sys", true}, s.files = {{"C:\\TOOLS\\pcilibnt.sys", "t"}}; },
       0, 1, "PCIDebug=C:\\TOOLS\\pcilibnt.sys running; C:\\TOOLS\\pcilibnt.sys=t; ",
       "PCIDebug=C:\\TOOLS\\pcilibnt.sys running; C:\\TOOLS\\pcilibnt.sys=t; "},
      {"WoW64 writes nothing: without an administrator's driver there is none",
       [](FakeSystem& s) { s.wow64 = true; }, 0, 1, "", ""},
      {"WoW64 uses the x64 driver an administrator placed",
       [](FakeSystem& s) { s.wow64 = true, s.files = {{kSysDriver, "test-signed x64"}}; }, 1, 0,
       "PCIDebug=" + running + sys + "=test-signed x64; ", sys + "=test-signed x64; "},
      {"a short write is removed again and the program runs without a driver",
       [](FakeSystem& s) { s.shortWrite = true; }, 0, 1, "", ""},
      {"a program that carries no driver writes nothing",
       [](FakeSystem& s) { s.carried.clear(); }, 0, 1, "", ""},
      {"a device that does not open: what this run made is removed at once",
       [](FakeSystem& s) { s.brokenDevices = {"\\\\.\\PciDebug"}; }, 0, 3, "", ""},
      {"without the right to use the service control manager nothing is touched",
       [](FakeSystem& s) { s.administrator = false, s.files = {{kSysDriver, "x"}}; }, 0, 1, sys + "=x; ", sys + "=x; "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeSystem system;
    c.prepare(system);
    vx::AccessState access;
    int opened = vx::OpenAccessDriver(access, system);
    EXPECT_EQ(opened, c.opened);
    EXPECT_EQ(vx::AccessDriverError(access), c.error);
    EXPECT_EQ(access.accessMode, vx::ACCESS_NT_SERVICE);
    if (!opened) vx::EnableGiveio(access, system);  // finds no GIVEIO.SYS: creates nothing that stays
    EXPECT_EQ(Machine(system), c.during);
    vx::CloseAccessDriver(access, system);
    EXPECT_EQ(Machine(system), c.after);
    EXPECT_EQ(access.lifecycleOwned, 0u);
    EXPECT_EQ(system.OpenHandles(), 0u);
    std::string calls;
    for (auto& call : system.calls) calls += call + "\n";
    // Never a service or device of a driver outside the Windows directory's system32\drivers.
    EXPECT_EQ(calls.find("CreateService PCIDebug C:\\VEXILOR"), std::string::npos) << calls;
    EXPECT_EQ(calls.find("CreateService PCIDebug ."), std::string::npos) << calls;
    if (c.error == 1) {
      EXPECT_EQ(calls.find("CreateFile \\\\.\\PciDebug"), std::string::npos) << calls;
    }
    if (system.wow64) {
      EXPECT_EQ(calls.find("CreateFile NEW"), std::string::npos) << calls;
    }
  }
}

TEST(AccessLifecycle, InstallAndRemovalHoldTheMutexAndCallsComeInOrder) {
  FakeSystem system;
  Outcome run = StartAndExit(system);
  EXPECT_EQ(run.opened, 1);
  EXPECT_EQ(run.calls,
            "GetVersionEx\n"
            "lock\n"
            "OpenSCManager\n"
            "OpenService PCIDebug -> fails\n"
            "CreateFile NEW C:\\WINNT\\system32\\drivers\\pcilibnt.sys\n"
            "WriteFile 17 of 17\n"
            "CloseHandle C:\\WINNT\\system32\\drivers\\pcilibnt.sys\n"
            "CreateService PCIDebug C:\\WINNT\\system32\\drivers\\pcilibnt.sys\n"
            "StartService PCIDebug\n"
            "CloseServiceHandle PCIDebug\n"
            "CreateFile \\\\.\\PciDebug\n"
            "CloseServiceHandle manager\n"
            "unlock\n"
            "-- exit\n"
            "CloseHandle \\\\.\\PciDebug\n"
            "lock\n"
            "OpenSCManager\n"
            "OpenService PCIDebug\n"
            "ControlService PCIDebug STOP\n"
            "DeleteService PCIDebug\n"
            "CloseServiceHandle PCIDebug\n"
            "CloseServiceHandle manager\n"
            "DeleteFile C:\\WINNT\\system32\\drivers\\pcilibnt.sys\n"
            "unlock\n");

  // A short write: the half-written file is removed before any service exists. A mutex that another copy
  // holds too long is not waited for.
  FakeSystem full;
  full.shortWrite = true;
  full.lockTaken = true;
  vx::AccessState access;
  EXPECT_EQ(vx::OpenAccessDriver(access, full), 0);
  std::string calls;
  for (auto& call : full.calls) calls += call + "\n";
  EXPECT_NE(calls.find("lock -> times out\nOpenSCManager\nOpenService PCIDebug -> fails\n"
                       "CreateFile NEW C:\\WINNT\\system32\\drivers\\pcilibnt.sys\nWriteFile 8 of 17\n"
                       "CloseHandle C:\\WINNT\\system32\\drivers\\pcilibnt.sys\n"
                       "DeleteFile C:\\WINNT\\system32\\drivers\\pcilibnt.sys\nCloseServiceHandle manager\n"),
            std::string::npos)
      << calls;
  EXPECT_EQ(calls.find("CreateService"), std::string::npos) << calls;
}

// giveio: only a GIVEIO.SYS that an administrator placed in system32\drivers; the program writes none.
TEST(AccessLifecycle, GiveioFromTheAdministratorsFolderOnly) {
  const std::string sys = kSysGiveio;
  struct Case {
    const char* what;
    void (*prepare)(FakeSystem&);
    int giveio;
    std::string during, after;
  } cases[] = {
      {"placed by an administrator: used, its service removed at exit", [](FakeSystem& s) { s.files = {{kSysGiveio, "g"}}; },
       1, "giveio=" + sys + " running; " + sys + "=g; ", sys + "=g; "},
      {"beside the program only: never loaded, nothing stays",
       [](FakeSystem& s) { s.files = {{"C:\\VEXILOR\\GIVEIO.SYS", "g"}}; }, 0, "C:\\VEXILOR\\GIVEIO.SYS=g; ",
       "C:\\VEXILOR\\GIVEIO.SYS=g; "},
      {"another program's giveio service: left alone",
       [](FakeSystem& s) { s.services["giveio"] = {"C:\\OTHER\\GIVEIO.SYS", true}; }, 0,
       "giveio=C:\\OTHER\\GIVEIO.SYS running; ", "giveio=C:\\OTHER\\GIVEIO.SYS running; "},
      {"our giveio service running already: used, left running",
       [](FakeSystem& s) { s.services["giveio"] = {"System32\\drivers\\GIVEIO.SYS", true}; }, 1,
       "giveio=System32\\drivers\\GIVEIO.SYS running; ", "giveio=System32\\drivers\\GIVEIO.SYS running; "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeSystem system;
    system.carried.clear();  // no PCIDebug driver anywhere
    c.prepare(system);
    vx::AccessState access;
    EXPECT_EQ(vx::OpenAccessDriver(access, system), 0);
    EXPECT_EQ(vx::EnableGiveio(access, system), c.giveio);
    EXPECT_EQ(Machine(system), c.during);
    if (c.giveio) vx::CloseGiveio(access, system);
    vx::CloseAccessDriver(access, system);
    EXPECT_EQ(Machine(system), c.after);
    EXPECT_EQ(system.OpenHandles(), 0u);
  }
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

// The image paths that name the program's own driver file: the service control manager may keep the
// path it was given in its NT form, and an administrator's service may name it from the system root.
TEST(AccessLifecycle, OwnImagePathSpellings) {
  const char* path = "C:\\WINNT\\system32\\drivers\\pcilibnt.sys";
  const char* file = "\\system32\\drivers\\pcilibnt.sys";
  struct {
    const char* image;
    bool own;
  } cases[] = {
      {"C:\\WINNT\\system32\\drivers\\pcilibnt.sys", true},
      {"c:\\winnt\\SYSTEM32\\DRIVERS\\PCILIBNT.SYS", true},
      {"\\??\\C:\\WINNT\\system32\\drivers\\pcilibnt.sys", true},
      {"\\SystemRoot\\System32\\drivers\\pcilibnt.sys", true},
      {"system32\\drivers\\pcilibnt.sys", true},
      {"C:\\WINNT\\system32\\drivers\\pcilibnt.sys ", false},
      {"C:\\WINNT\\system32\\drivers\\pcilibnt.sy", false},
      {"D:\\WINNT\\system32\\drivers\\pcilibnt.sys", false},
      {"\\??\\D:\\pcilibnt.sys", false},
      {"\\SystemRootX\\system32\\drivers\\pcilibnt.sys", false},
      {"C:\\VEXILOR\\pcilibnt.sys", false},
      {"", false},
  };
  for (auto c : cases) EXPECT_EQ(vx::IsOwnImagePath(c.image, path, file), c.own) << c.image;
}

TEST(AccessLifecycle, DriverPathsThatFillThePathBufferExactly) {
  // "\system32\drivers\pcilibnt.sys" is 30 bytes: a 233-byte Windows directory fills the 264-byte buffer
  // with the terminating zero, a 234-byte one would need 265. GIVEIO.SYS's name is one byte shorter.
  for (size_t n : {233u, 234u}) {
    SCOPED_TRACE(n);
    FakeSystem system;
    system.windowsDirectory = "C:\\" + std::string(n - 3, 'w');
    std::string driver = system.windowsDirectory + "\\system32\\drivers\\pcilibnt.sys";
    std::string giveio = system.windowsDirectory + "\\system32\\drivers\\GIVEIO.SYS";
    system.brokenDevices = {"\\\\.\\PciDebug"};  // so giveio is tried too
    system.files = {{giveio, "g"}};
    vx::AccessState started;
    Outcome run = StartAndExit(system, &started);
    EXPECT_EQ(run.calls.find("CreateService PCIDebug " + driver + "\n") != std::string::npos, n == 233) << run.calls;
    EXPECT_EQ(vx::AccessDriverError(started), n == 233 ? 3 : 1);
    EXPECT_EQ(run.giveio, 1);  // 234 + 29 + 1 = 264 bytes: fits
  }
  // A directory that does not fit its 260-byte query, or a failed query: nothing is tried at all.
  for (std::string dir : {std::string(300, 'c'), std::string()}) {
    FakeSystem none;
    none.windowsDirectory = dir;
    vx::AccessState started;
    Outcome run = StartAndExit(none, &started);
    EXPECT_EQ(run.opened, 0);
    EXPECT_EQ(vx::AccessDriverError(started), 1);
    EXPECT_EQ(run.calls, "GetVersionEx\nGetVersionEx\n-- exit\n");
  }
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
    if (c.pciDebug) system.services["PCIDebug"] = {kSysDriver, true}, system.files[kSysDriver] = "x";
    system.vxdPresent = c.pciDebug;
    if (c.giveio) system.services["giveio"] = {kSysGiveio, true};
    system.carried.clear();
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
