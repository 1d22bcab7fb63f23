// A test machine behind the PCIDebug request format: configuration images by location and a port map.
#pragma once

#include <stdint.h>
#include <string.h>

#include <array>
#include <map>
#include <string>

#include "chipset/chipset.h"
#include "hwaccess/access.h"
#include "report/pages.h"

namespace vxtest {

struct FunctionImage {
  std::array<uint8_t, 256> bytes{};
  FunctionImage& Set8(uint32_t reg, uint8_t v) {
    bytes[reg & 0xFF] = v;
    return *this;
  }
  FunctionImage& Set16(uint32_t reg, uint16_t v) {
    Set8(reg, static_cast<uint8_t>(v));
    return Set8(reg + 1, static_cast<uint8_t>(v >> 8));
  }
  FunctionImage& Set32(uint32_t reg, uint32_t v) {
    Set16(reg, static_cast<uint16_t>(v));
    return Set16(reg + 2, static_cast<uint16_t>(v >> 16));
  }
};

// Answers IOCTL_READ_PCI_CONFIG ({BusDevFn u32, register u32} in, the bytes from that register out) from
// the images, ERROR_PCI_NO_DEVICE for an empty location, and IOCTL_READ_PORT32 from the port map.
class FakeDriver final : public vx::DriverTransport {
 public:
  std::map<uint16_t, FunctionImage> functions;
  std::map<uint32_t, uint32_t> ports;
  int configRequests = 0;
  int portRequests = 0;
  uint32_t lastPort = 0;

  uint32_t Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength) override {
    if (code == IOCTL_READ_PCI_CONFIG && inLength == 8) {
      ++configRequests;
      uint32_t args[2];
      memcpy(args, in, sizeof args);
      auto it = functions.find(static_cast<uint16_t>(args[0]));
      if (it == functions.end()) return ERROR_PCI_NO_DEVICE;
      for (uint32_t i = 0; i < outLength; ++i) static_cast<uint8_t*>(out)[i] = it->second.bytes[(args[1] + i) & 0xFF];
      return 0;
    }
    if (code == IOCTL_READ_PORT32 && inLength == 4 && outLength == 4) {
      ++portRequests;
      memcpy(&lastPort, in, 4);
      auto it = ports.find(lastPort & 0xFFFF);
      uint32_t v = it == ports.end() ? 0xFFFFFFFFu : it->second;
      memcpy(out, &v, 4);
      return 0;
    }
    return 1;  // ERROR_INVALID_FUNCTION
  }
};

// Configuration mechanism 1 over the same images, for the direct-port route.
class FakePorts final : public vx::PortIo {
 public:
  explicit FakePorts(const std::map<uint16_t, FunctionImage>* functions) : functions_(functions) {}
  int in32Count = 0;
  uint32_t lastIn32Port = 0;

  uint8_t In8(uint16_t) override { return 0xFF; }
  uint16_t In16(uint16_t) override { return 0xFFFF; }
  uint32_t In32(uint16_t port) override {
    ++in32Count;
    lastIn32Port = port;
    if (port != 0xCFC || !(address_ & 0x80000000u)) return 0xFFFFFFFFu;
    auto it = functions_->find(static_cast<uint16_t>(address_ >> 8));
    if (it == functions_->end()) return 0xFFFFFFFFu;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | it->second.bytes[((address_ & 0xFC) + i) & 0xFF];
    return v;
  }
  void Out8(uint16_t, uint8_t) override {}
  void Out16(uint16_t, uint16_t) override {}
  void Out32(uint16_t port, uint32_t value) override {
    if (port == 0xCF8) address_ = value;
  }

 private:
  const std::map<uint16_t, FunctionImage>* functions_;
  uint32_t address_ = 0;
};

// A machine: the fake driver, the access state that routes through it, and a page context.
struct Machine {
  FakeDriver driver;
  FakePorts ports{&driver.functions};
  vx::AccessState access;
  vx::ProgramState state;
  vx::Report report;
  vx::PageContext context;

  Machine() {
    access.pciDriverOpen = true;
    access.driver = &driver;
    context.access = &access;
    context.state = &state;
    context.report = &report;
  }
  // Windows NT with giveio instead of the PCIDebug driver: configuration through 0xCF8/0xCFC.
  void UseGiveio() {
    access.pciDriverOpen = false;
    access.giveioOpen = true;
    access.ports = &ports;
  }
  FunctionImage& Function(uint32_t bus, uint32_t device, uint32_t function) {
    return driver.functions[vx::BusDevFn(bus, device, function)];
  }
  // A function with its IDs and class: base class, subclass, programming interface, revision.
  FunctionImage& Add(uint32_t bus, uint32_t device, uint32_t function, uint16_t vendor, uint16_t deviceId,
                     uint8_t revision, uint8_t base, uint8_t sub, uint8_t progIf = 0) {
    FunctionImage& f = Function(bus, device, function);
    f.Set16(0x00, vendor).Set16(0x02, deviceId).Set8(0x08, revision).Set8(0x09, progIf).Set8(0x0A, sub).Set8(0x0B, base);
    return f;
  }
  FunctionImage& AddHost(uint16_t vendor, uint16_t deviceId, uint8_t revision) {
    return Add(0, 0, 0, vendor, deviceId, revision, 0x06, 0x00);
  }
};

// A configuration image for the decoders alone.
struct Image {
  vx::ConfigImage image{};
  Image& Set(uint32_t reg, uint8_t v) {
    image.bytes[reg & 0xFF] = v;
    return *this;
  }
  const uint8_t* bytes() const { return image.bytes; }
};

inline std::string Text(const vx::PageModel& page, int id) { return page.GetText(id); }

}  // namespace vxtest
