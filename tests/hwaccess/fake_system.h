// A Windows of the tests: a service control manager, driver files, devices and directories, recording
// every call the access lifecycle makes.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "hwaccess/lifecycle.h"

namespace vxtest {

class FakeDriver final : public vx::DriverTransport {
 public:
  uint32_t Control(uint32_t, const void*, uint32_t, void* out, uint32_t outLength) override {
    ++requests;
    memset(out, 0x5A, outLength);
    return 0;
  }
  int requests = 0;
};

class FakePorts final : public vx::PortIo {
 public:
  uint8_t In8(uint16_t port) override { return Log("in8", port), 0x5A; }
  uint16_t In16(uint16_t port) override { return Log("in16", port), 0x5A5A; }
  uint32_t In32(uint16_t port) override { return Log("in32", port), 0x5A5A5A5A; }
  void Out8(uint16_t port, uint8_t) override { Log("out8", port); }
  void Out16(uint16_t port, uint16_t) override { Log("out16", port); }
  void Out32(uint16_t port, uint32_t) override { Log("out32", port); }
  std::vector<std::string> calls;

 private:
  void Log(const char* what, uint16_t port) {
    char s[32];
    snprintf(s, sizeof s, "%s %04x", what, port);
    calls.push_back(s);
  }
};

class FakeSystem final : public vx::AccessSystem {
 public:
  struct Service {
    std::string path;
    bool running = false;
  };

  // The machine.
  bool versionFails = false;
  uint32_t platformId = 2;
  bool wow64 = false;
  std::string windowsDirectory = "C:\\WINNT";
  bool administrator = true;                     // may use the service control manager and write system32
  std::map<std::string, std::string> files;      // path -> contents; a service starts when its image is here
  std::map<std::string, Service> services;       // registered services by name
  bool vxdPresent = false;                       // Windows 9x: the VxD loads
  std::set<std::string> brokenDevices;           // devices that do not open even with their service running
  std::string carried = "MZ carried driver";     // the driver the program carries ("" none)
  bool shortWrite = false;                       // the disk fills up: writes stop half way
  bool lockTaken = false;                        // another copy holds the mutex too long

  std::vector<std::string> calls;
  FakeDriver driver;
  FakePorts ports;

  // Handles still open (devices, files, manager, services, the mutex).
  size_t OpenHandles() const { return handles_.size(); }

  bool QueryPlatformId(uint32_t* id) override {
    calls.push_back("GetVersionEx");
    if (versionFails) return false;
    *id = platformId;
    return true;
  }
  bool IsWow64() override { return wow64; }
  uint32_t WindowsDirectory(char* buffer, uint32_t limit) override {
    const std::string& dir = windowsDirectory;
    if (dir.empty()) return 0;
    if (dir.size() + 1 > limit) return static_cast<uint32_t>(dir.size() + 1);
    memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<uint32_t>(dir.size());
  }

  vx::SystemHandle OpenDevice(const char* path, bool vxd) override {
    std::string p = path;
    bool ok;
    if (vxd) {
      ok = p == "\\\\.\\pcilib95.vxd" && vxdPresent;
    } else {
      std::string service = p == "\\\\.\\PciDebug" ? "PCIDebug" : p == "\\\\.\\giveio" ? "giveio" : "";
      ok = services.count(service) && services[service].running && !brokenDevices.count(p);
    }
    calls.push_back("CreateFile " + p + (vxd ? " (VxD)" : "") + (ok ? "" : " -> fails"));
    return ok ? NewHandle("device " + p) : 0;
  }
  void CloseDevice(vx::SystemHandle h) override {
    const std::string& what = handles_.at(h);
    calls.push_back("CloseHandle " + what.substr(what.find(' ') + 1));
    handles_.erase(h);
  }
  vx::DriverTransport* DeviceTransport(vx::SystemHandle) override { return &driver; }
  vx::PortIo* Ports() override { return &ports; }

  bool EmbeddedDriver(const uint8_t** bytes, uint32_t* length) override {
    if (carried.empty()) return false;
    *bytes = reinterpret_cast<const uint8_t*>(carried.data());
    *length = static_cast<uint32_t>(carried.size());
    return true;
  }
  vx::SystemHandle CreateNewFile(const char* path, bool* exists) override {
    *exists = files.count(path) > 0;
    bool ok = !*exists && administrator;
    calls.push_back(std::string("CreateFile NEW ") + path + (*exists ? " -> exists" : ok ? "" : " -> denied"));
    if (!ok) return 0;
    files[path] = "";
    return NewHandle(std::string("file ") + path);
  }
  bool WriteWhole(vx::SystemHandle h, const uint8_t* bytes, uint32_t length) override {
    std::string path = handles_.at(h).substr(5);
    uint32_t n = shortWrite ? length / 2 : length;
    files[path].append(reinterpret_cast<const char*>(bytes), n);
    calls.push_back("WriteFile " + std::to_string(n) + " of " + std::to_string(length));
    return n == length;
  }
  bool RemoveFile(const char* path) override {
    bool ok = files.erase(path) > 0;
    calls.push_back(std::string("DeleteFile ") + path + (ok ? "" : " -> fails"));
    return ok;
  }
  vx::SystemHandle LockDrivers() override {
    calls.push_back(lockTaken ? "lock -> times out" : "lock");
    return lockTaken ? 0 : NewHandle("mutex");
  }
  void UnlockDrivers(vx::SystemHandle h) override {
    calls.push_back("unlock");
    handles_.erase(h);
  }

  vx::SystemHandle ScmOpen() override {
    calls.push_back(administrator ? "OpenSCManager" : "OpenSCManager -> fails");
    return administrator ? NewHandle("manager") : 0;
  }
  vx::SystemHandle ScmOpenService(vx::SystemHandle, const char* name) override {
    bool ok = services.count(name) > 0;
    calls.push_back(std::string("OpenService ") + name + (ok ? "" : " -> fails"));
    return ok ? NewHandle(std::string("service ") + name) : 0;
  }
  bool ScmImagePath(vx::SystemHandle h, char* path, uint32_t size) override {
    Service* s = ServiceOf(h);
    bool ok = s != nullptr && s->path.size() < size;
    if (ok) memcpy(path, s->path.c_str(), s->path.size() + 1);
    calls.push_back("QueryServiceConfig " + NameOf(h) + (ok ? "" : " -> fails"));
    return ok;
  }
  vx::SystemHandle ScmCreateService(vx::SystemHandle, const char* name, const char* path) override {
    bool ok = services.count(name) == 0;
    calls.push_back(std::string("CreateService ") + name + " " + path + (ok ? "" : " -> fails"));
    if (!ok) return 0;
    services[name].path = path;
    return NewHandle(std::string("service ") + name);
  }
  StartResult ScmStartService(vx::SystemHandle h) override {
    Service* s = ServiceOf(h);
    // The image as a file: its NT form (the path behind a "\??\" prefix) names the same one.
    std::string image = s == nullptr ? "" : s->path.compare(0, 4, "\\??\\") == 0 ? s->path.substr(4) : s->path;
    StartResult r = s == nullptr ? kNotStarted : s->running ? kAlreadyRunning : files.count(image) ? kStarted : kNotStarted;
    if (r == kStarted) s->running = true;
    calls.push_back("StartService " + NameOf(h) + (r == kStarted ? "" : r == kAlreadyRunning ? " -> running" : " -> fails"));
    return r;
  }
  bool ScmStopService(vx::SystemHandle h) override {
    Service* s = ServiceOf(h);
    bool ok = s != nullptr && s->running;
    if (ok) s->running = false;
    calls.push_back("ControlService " + NameOf(h) + " STOP" + (ok ? "" : " -> fails"));
    return ok;
  }
  bool ScmDeleteService(vx::SystemHandle h) override {
    bool ok = ServiceOf(h) != nullptr;
    if (ok) services.erase(NameOf(h));
    calls.push_back("DeleteService " + NameOf(h) + (ok ? "" : " -> fails"));
    return ok;
  }
  void ScmClose(vx::SystemHandle h) override {
    calls.push_back("CloseServiceHandle " + (handles_.at(h) == "manager" ? "manager" : NameOf(h)));
    handles_.erase(h);
  }

 private:
  vx::SystemHandle NewHandle(const std::string& what) {
    handles_[++next_] = what;
    return next_;
  }
  std::string NameOf(vx::SystemHandle h) { return handles_.at(h).substr(8); }
  Service* ServiceOf(vx::SystemHandle h) {
    auto it = services.find(NameOf(h));
    return it == services.end() ? nullptr : &it->second;
  }
  std::map<vx::SystemHandle, std::string> handles_;
  vx::SystemHandle next_ = 0x100;
};

}  // namespace vxtest
