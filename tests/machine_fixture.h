// A test machine on the real PCIDebug request handler. Tests set configuration registers and port values
// with small builders; the pages then read them the way the Windows program reads a PC with the driver open
// (or, after UseGiveio, through configuration mechanism 1 on the same bus).
#pragma once

#include <stdint.h>
#include <string.h>

#include <array>
#include <map>
#include <string>

#include "pcidebug/little_endian.h"
#include "hwaccess/machine_route.h"
#include "hwaccess/machine_support.h"
#include "chipset/chipset.h"
#include "report/pages.h"

namespace vxtest {

// The 256 configuration bytes of one function, set with chained builders. Offsets wrap at 0xFF.
struct FunctionImage {
  std::array<uint8_t, 256> bytes{};

  FunctionImage& Set8(uint32_t reg, uint8_t v) {
    bytes[reg & 0xFF] = v;
    return *this;
  }
  FunctionImage& Set16(uint32_t reg, uint16_t v) { return Set8(reg, static_cast<uint8_t>(v)).Set8(reg + 1, v >> 8); }
  FunctionImage& Set32(uint32_t reg, uint32_t v) {
    return Set16(reg, static_cast<uint16_t>(v)).Set16(reg + 2, static_cast<uint16_t>(v >> 16));
  }
};

// A function's image with its IDs and class dword (class code in bits 31-8, revision in bits 7-0).
inline FunctionImage MakeFunction(uint16_t vendor, uint16_t device, uint32_t classDword) {
  FunctionImage f;
  f.Set16(0x00, vendor).Set16(0x02, device).Set32(0x08, classDword);
  return f;
}

class Machine;

// The driver as the pages see it: every request goes to the machine's request handler; configuration and
// port requests are counted, and the last port asked for is kept.
class CountingDriver final : public vx::DriverTransport {
 public:
  explicit CountingDriver(Machine* machine) : machine_(machine) {}
  uint32_t Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength) override;

  int configRequests = 0;
  int portRequests = 0;
  uint32_t lastPort = 0;

 private:
  Machine* machine_;
};

// Configuration mechanism 1 on the machine's bus (the giveio route), remembering the last port read.
class MechanismOnePorts final : public vx::PortIo {
 public:
  explicit MechanismOnePorts(Machine* machine);
  uint8_t In8(uint16_t port) override;
  uint16_t In16(uint16_t port) override;
  uint32_t In32(uint16_t port) override;
  void Out8(uint16_t port, uint8_t v) override { ports_.Out8(port, v); }
  void Out16(uint16_t port, uint16_t v) override { ports_.Out16(port, v); }
  void Out32(uint16_t port, uint32_t v) override { ports_.Out32(port, v); }

  uint32_t lastIn32Port = 0;

 private:
  Machine* machine_;
  SimulatedPorts ports_;
};

// Functions and port values by builder; the route to them; the state and report that a page fill uses.
class Machine {
 public:
  Machine() : driver(this), ports(this) {
    route_.Attach(access, &driver);
    context.access = &access;
    context.state = &state;
    context.report = &report;
  }
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // The function at a location (created with all zeros).
  FunctionImage& Function(uint32_t bus, uint32_t device, uint32_t function) {
    return functions_[vx::BusDevFn(bus, device, function)];
  }
  FunctionImage& Place(uint32_t bus, uint32_t device, uint32_t function, const FunctionImage& image) {
    return Function(bus, device, function) = image;
  }
  // A function with its IDs and class: base class, subclass, programming interface, revision.
  FunctionImage& Add(uint32_t bus, uint32_t device, uint32_t function, uint16_t vendor, uint16_t deviceId,
                     uint8_t revision, uint8_t base, uint8_t sub, uint8_t progIf = 0) {
    uint32_t classDword = static_cast<uint32_t>(base) << 24 | static_cast<uint32_t>(sub) << 16 |
                          static_cast<uint32_t>(progIf) << 8 | revision;
    return Place(bus, device, function, MakeFunction(vendor, deviceId, classDword));
  }
  FunctionImage& AddHost(uint16_t vendor, uint16_t deviceId, uint8_t revision) {
    return Add(0, 0, 0, vendor, deviceId, revision, 0x06, 0x00);
  }
  // A 32-bit value from an I/O port on, little-endian (ports not set read all ones).
  void SetPort32(uint16_t port, uint32_t value) {
    for (uint32_t i = 0; i < 4; ++i) portBytes_[static_cast<uint16_t>(port + i)] = static_cast<uint8_t>(value >> (8 * i));
  }
  // Windows NT with giveio instead of the PCIDebug driver: configuration through 0xCF8/0xCFC.
  void UseGiveio() {
    access.pciDriverOpen = false;
    access.giveioOpen = true;
    access.ports = &ports;
    vx::ChooseAccessRoute(access);
  }
  // Windows NT with neither driver: every configuration read answers all ones.
  void UseNoRoute() {
    access.pciDriverOpen = false;
    vx::ChooseAccessRoute(access);
  }

  // Hands what the builders set to the request handler; the driver and ports call it before each request.
  void Sync() {
    vx::RecordedPciMachine& recorded = route_.recorded;
    recorded.functions.clear();
    for (const auto& f : functions_) {
      PciDebugFunction function = {};
      function.busDevFn = f.first;
      function.recorded = PCIDEBUG_CONFIG_BYTES;
      memcpy(function.config, f.second.bytes.data(), sizeof function.config);
      recorded.functions.push_back(function);
    }
    recorded.portBytes.clear();
    for (const auto& p : portBytes_) recorded.portBytes.push_back(PciDebugPortByte{p.first, p.second});
    route_.Bind();
  }
  vx::HandlerTransport& handler() { return route_.transport; }
  const PciDebugBus* bus() const { return &route_.bus; }

 private:
  std::map<uint16_t, FunctionImage> functions_;
  std::map<uint16_t, uint8_t> portBytes_;
  vx::MachineRoute route_;

 public:
  CountingDriver driver;
  MechanismOnePorts ports;
  vx::AccessState access;
  vx::ProgramState state;
  vx::Report report;
  vx::PageContext context;
};

inline uint32_t CountingDriver::Control(uint32_t code, const void* in, uint32_t inLength, void* out,
                                        uint32_t outLength) {
  machine_->Sync();
  if (code == IOCTL_READ_PCI_CONFIG) ++configRequests;
  if (code == IOCTL_READ_PORT8 || code == IOCTL_READ_PORT16 || code == IOCTL_READ_PORT32) {
    ++portRequests;
    if (inLength >= 4) lastPort = LoadLe32(static_cast<const uint8_t*>(in));
  }
  return machine_->handler().Control(code, in, inLength, out, outLength);
}

inline MechanismOnePorts::MechanismOnePorts(Machine* machine) : machine_(machine), ports_(machine->bus()) {}
inline uint8_t MechanismOnePorts::In8(uint16_t port) { return machine_->Sync(), ports_.In8(port); }
inline uint16_t MechanismOnePorts::In16(uint16_t port) { return machine_->Sync(), ports_.In16(port); }
inline uint32_t MechanismOnePorts::In32(uint16_t port) {
  machine_->Sync();
  lastIn32Port = port;
  return ports_.In32(port);
}

// A configuration image for the decoders alone: 256 register bytes and the zero byte behind them.
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
