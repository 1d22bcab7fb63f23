// This machine's PCI buses through Linux sysfs (/sys/bus/pci/devices/*/config), as a bus for the PCIDebug
// request handler. Each function's configuration space is read once, at its first request, and every
// request is answered from that image.
#pragma once

#include <stdint.h>

#include <map>
#include <set>
#include <string>

#include "pcidebug/pcidebug.h"

namespace vexilor_cli {

class SysfsPciBus {
 public:
  // root is normally "/sys"; tests give a directory laid out the same way. Devices outside PCI domain 0
  // are left out (the program knows only one).
  explicit SysfsPciBus(std::string root = "/sys");

  // Called once for the first device whose configuration space cannot be read whole (a normal user sees
  // only the first 64 bytes); the message goes to standard error by default.
  void (*warn)(const char* message) = nullptr;

  void Bind(PciDebugBus* bus);
  size_t DeviceCount() const { return devices_.size(); }

 private:
  static uint32_t Read(void* context, uint32_t busDevFn, uint32_t offset, uint8_t* out, uint32_t length);
  static uint32_t Write(void* context, uint32_t busDevFn, uint32_t offset, const uint8_t* data, uint32_t length);
  static uint32_t LastBus(void* context);

  struct Image {
    uint8_t bytes[256];
    int length;  // bytes read; 0 or less: the file could not be read
  };
  struct Device {
    std::string path;  // its config file
    bool read = false;
    Image image;
  };
  const Image& ImageOf(Device& device);

  std::map<uint16_t, Device> devices_;  // by BusDevFn
  std::set<uint32_t> buses_;
  bool warned_ = false;
};

}  // namespace vexilor_cli
