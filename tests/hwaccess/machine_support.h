// Recorded and synthetic PCI machines for the hardware-access tests.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pcidebug/pcidebug.h"
#include "pcidebug/little_endian.h"
#include "hwaccess/machine_route.h"
#include "test_support.h"

namespace vxtest {

inline std::vector<std::string> RecordedMachineNames() {
  std::vector<std::string> names;
  std::string dir = std::string(VX_TEST_DATA) + "/machines";
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.size() > 4 && n.substr(n.size() - 4) == ".txt") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A machine, its route and the access state of Windows NT with the PCIDebug driver open.
struct MachineUnderTest {
  std::unique_ptr<vx::MachineRoute> route = std::make_unique<vx::MachineRoute>();
  vx::RecordedPciMachine* recorded = &route->recorded;
  PciDebugBus& bus = route->bus;
  PciDebugPorts& ports = route->ports;
  vx::HandlerTransport* transport = &route->transport;
  vx::AccessState access;

  MachineUnderTest() = default;
  MachineUnderTest(const MachineUnderTest&) = delete;
  MachineUnderTest& operator=(const MachineUnderTest&) = delete;

  bool Parse(const std::string& text, const std::string& name, std::string* error) {
    char message[512] = "";
    bool ok = route->Parse(text.data(), text.size(), name.c_str(), message, sizeof message);
    *error = message;
    if (ok) route->Attach(access);
    return ok;
  }
  bool Load(const std::string& name, std::string* error) {
    std::string text = ReadTestFile("machines/" + name);
    if (text.empty()) {
      *error = name + ": missing or empty";
      return false;
    }
    return Parse(text, name, error);
  }
};

// Configuration mechanism 1 on a bus: 0xCF8 latches the address, 0xCFC answers the dword (all ones for a
// function that does not exist). Counts the IN and OUT instructions; other ports read all ones.
class SimulatedPorts final : public vx::PortIo {
 public:
  explicit SimulatedPorts(const PciDebugBus* bus) : bus_(bus) {}
  uint8_t In8(uint16_t) override { return ++instructions, 0xFF; }
  uint16_t In16(uint16_t) override { return ++instructions, 0xFFFF; }
  uint32_t In32(uint16_t port) override {
    ++instructions;
    if (port != 0xCFC || !(address_ & 0x80000000u)) return 0xFFFFFFFFu;
    uint8_t v[4];
    if (bus_->read(bus_->context, (address_ >> 8) & 0xFFFF, address_ & 0xFC, v, 4) != 0) return 0xFFFFFFFFu;
    return LoadLe32(v);
  }
  void Out8(uint16_t, uint8_t) override { ++instructions; }
  void Out16(uint16_t, uint16_t) override { ++instructions; }
  void Out32(uint16_t port, uint32_t value) override {
    ++instructions;
    if (port == 0xCF8) address_ = value;
  }
  uint32_t instructions = 0;

 private:
  const PciDebugBus* bus_;
  uint32_t address_ = 0;
};

// Port instructions that answer the low byte(s) of the port and log "out16 0080=1234 in8 0061 ".
class FakePortsForWire final : public vx::PortIo {
 public:
  uint8_t In8(uint16_t port) override { return Log("in8", port, -1), static_cast<uint8_t>(port); }
  uint16_t In16(uint16_t port) override { return Log("in16", port, -1), port; }
  uint32_t In32(uint16_t port) override { return Log("in32", port, -1), port; }
  void Out8(uint16_t port, uint8_t v) override { Log("out8", port, v); }
  void Out16(uint16_t port, uint16_t v) override { Log("out16", port, v); }
  void Out32(uint16_t port, uint32_t v) override { Log("out32", port, static_cast<int64_t>(v)); }
  std::string log;

 private:
  void Log(const char* what, uint16_t port, int64_t value) {
    char s[48];
    if (value < 0) snprintf(s, sizeof s, "%s %04x ", what, port);
    else snprintf(s, sizeof s, "%s %04x=%04llx ", what, port, static_cast<long long>(value));
    log += s;
  }
};

// Wraps a driver and fails the configuration requests of chosen locations with a chosen error: the same
// locations whatever the order of the requests, so that two walks of the bus meet the same faults. A
// location fails `times` times (0: always).
class LocationFaults final : public vx::DriverTransport {
 public:
  LocationFaults(vx::DriverTransport* inner, uint32_t error) : inner_(inner), error_(error) {}
  void Fail(uint16_t busDevFn, uint32_t times = 0) { left_[busDevFn] = times == 0 ? -1 : static_cast<int>(times); }
  uint32_t Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength) override {
    if ((code == IOCTL_READ_PCI_CONFIG || code == IOCTL_WRITE_PCI_CONFIG) && inLength >= 4) {
      auto it = left_.find(LoadLe16(static_cast<const uint8_t*>(in)));
      if (it != left_.end() && it->second != 0) {
        if (it->second > 0) --it->second;
        return error_;
      }
    }
    return inner_->Control(code, in, inLength, out, outLength);
  }

 private:
  vx::DriverTransport* inner_;
  uint32_t error_;
  std::map<uint16_t, int> left_;  // failures left by location, -1: always
};

// A device line and 256 bytes of lspci hex lines for a function: vendor/device, class dword at 0x08,
// header type.
inline std::string LspciFunction(const char* location, uint16_t vendor, uint16_t device, uint32_t classRev,
                                 uint8_t headerType = 0, uint8_t secondaryBus = 0, int subordinateBus = -1) {
  uint8_t b[256] = {};
  StoreLe16(b, vendor);
  StoreLe16(b + 2, device);
  StoreLe32(b + 8, classRev);
  b[0x0E] = headerType;
  b[0x19] = secondaryBus;
  b[0x1A] = static_cast<uint8_t>(subordinateBus < 0 ? secondaryBus : subordinateBus);
  std::string s = std::string(location) + " Some device: synthetic\n";
  char line[80];
  for (int o = 0; o < 256; o += 16) {
    int n = snprintf(line, sizeof line, "%02x:", o);
    for (int i = 0; i < 16; ++i) n += snprintf(line + n, sizeof line - n, " %02x", b[o + i]);
    s += line;
    s += "\n";
  }
  return s;
}

}  // namespace vxtest
