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
  std::string currentDirectory = "C:\\VEXILOR";
  std::string windowsDirectory = "C:\\WINNT";
  bool administrator = true;                 // may use the service control manager
  std::set<std::string> driverFiles;         // image paths that exist
  std::map<std::string, Service> services;  // registered services by name
  bool vxdPresent = false;                   // Windows 9x: the VxD loads
  std::set<std::string> brokenDevices;       // devices that do not open even with their service running

  std::vector<std::string> calls;
  FakeDriver driver;
  FakePorts ports;

  // Handles still open (devices, manager, services).
  size_t OpenHandles() const { return handles_.size(); }

  bool QueryPlatformId(uint32_t* id) override {
    calls.push_back("GetVersionEx");
    if (versionFails) return false;
    *id = platformId;
    return true;
  }
  uint32_t CurrentDirectory(char* buffer, uint32_t limit) override { return Directory(currentDirectory, buffer, limit); }
  uint32_t WindowsDirectory(char* buffer, uint32_t limit) override { return Directory(windowsDirectory, buffer, limit); }

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
    calls.push_back("CloseHandle " + handles_.at(h).substr(7));
    handles_.erase(h);
  }
  vx::DriverTransport* DeviceTransport(vx::SystemHandle) override { return &driver; }
  vx::PortIo* Ports() override { return &ports; }

  vx::SystemHandle ScmOpen() override {
    calls.push_back(administrator ? "OpenSCManager" : "OpenSCManager -> fails");
    return administrator ? NewHandle("manager") : 0;
  }
  vx::SystemHandle ScmOpenService(vx::SystemHandle, const char* name) override {
    bool ok = services.count(name) > 0;
    calls.push_back(std::string("OpenService ") + name + (ok ? "" : " -> fails"));
    return ok ? NewHandle(std::string("service ") + name) : 0;
  }
  vx::SystemHandle ScmCreateService(vx::SystemHandle, const char* name, const char* path) override {
    bool ok = services.count(name) == 0;
    calls.push_back(std::string("CreateService ") + name + " " + path + (ok ? "" : " -> fails"));
    if (!ok) return 0;
    services[name].path = path;
    return NewHandle(std::string("service ") + name);
  }
  bool ScmStartService(vx::SystemHandle h) override {
    Service* s = ServiceOf(h);
    bool ok = s != nullptr && !s->running && driverFiles.count(s->path);
    if (ok) s->running = true;
    calls.push_back("StartService " + NameOf(h) + (ok ? "" : " -> fails"));
    return ok;
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
  uint32_t Directory(const std::string& dir, char* buffer, uint32_t limit) {
    if (dir.empty()) return 0;
    if (dir.size() + 1 > limit) return static_cast<uint32_t>(dir.size() + 1);
    memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<uint32_t>(dir.size());
  }
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
