// A PCIDebug driver stand-in for the video tests: answers IOCTL_READ_PCI_CONFIG from 256-byte
// configuration images by location, and ERROR_PCI_NO_DEVICE where no function was placed.
#pragma once

#include <stdint.h>
#include <string.h>

#include <array>
#include <map>

#include "hwaccess/access.h"

namespace vxtest {

using ConfigImage = std::array<uint8_t, 256>;

inline void Put8(ConfigImage& image, size_t offset, uint8_t v) { image.at(offset) = v; }
inline void Put16(ConfigImage& image, size_t offset, uint16_t v) {
  Put8(image, offset, static_cast<uint8_t>(v));
  Put8(image, offset + 1, static_cast<uint8_t>(v >> 8));
}
inline void Put32(ConfigImage& image, size_t offset, uint32_t v) {
  Put16(image, offset, static_cast<uint16_t>(v));
  Put16(image, offset + 2, static_cast<uint16_t>(v >> 16));
}

// A function's image with its IDs and class dword (class code in bits 31-8, revision in bits 7-0).
inline ConfigImage MakeFunction(uint16_t vendor, uint16_t device, uint32_t classDword) {
  ConfigImage image{};
  Put16(image, 0x00, vendor);
  Put16(image, 0x02, device);
  Put32(image, 0x08, classDword);
  return image;
}

class FakePciDriver : public vx::DriverTransport {
 public:
  std::map<uint16_t, ConfigImage> functions;  // by BusDevFn
  int configReads = 0;

  void Place(uint32_t bus, uint32_t device, uint32_t function, const ConfigImage& image) {
    functions[vx::BusDevFn(bus, device, function)] = image;
  }

  uint32_t Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength) override {
    if (code != IOCTL_READ_PCI_CONFIG || inLength != 8 || outLength != 4) return 1;  // ERROR_INVALID_FUNCTION
    ++configReads;
    uint32_t request[2];
    memcpy(request, in, sizeof request);
    auto it = functions.find(static_cast<uint16_t>(request[0]));
    if (it == functions.end() || request[1] > 252) return ERROR_PCI_NO_DEVICE;
    memcpy(out, it->second.data() + request[1], 4);
    return 0;
  }
};

// An access state whose PCI reads go to the fake driver.
inline vx::AccessState DriverAccess(FakePciDriver& driver) {
  vx::AccessState access;
  access.pciDriverOpen = true;
  access.driver = &driver;
  return access;
}

}  // namespace vxtest
