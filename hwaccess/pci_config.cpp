#include "hwaccess/access.h"

namespace vx {

namespace {

uint32_t DirectConfigRead32(AccessState& access, uint16_t busDevFn, uint32_t reg) {
  if (access.ports == nullptr) return 0xFFFFFFFFu;
  uint32_t address = 0x80000000u | (static_cast<uint32_t>(busDevFn) << 8) | (reg & 0xFF);
  access.ports->Out32(0xCF8, address);
  return access.ports->In32(0xCFC);
}

}  // namespace

uint32_t PciConfigRead32(AccessState& access, uint32_t bus, uint32_t device, uint32_t function,
                         uint32_t reg) {
  uint16_t bdf = BusDevFn(bus, device, function);
  if (access.pciDriverOpen) {
    if (access.driver == nullptr) return 0xFFFFFFFFu;
    uint32_t in[2] = {bdf, reg & 0xFF};
    uint8_t out[4] = {0, 0, 0, 0};
    if (access.driver->Control(IOCTL_READ_PCI_CONFIG, in, sizeof in, out, sizeof out) != 0) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(out[0]) | static_cast<uint32_t>(out[1]) << 8 |
           static_cast<uint32_t>(out[2]) << 16 | static_cast<uint32_t>(out[3]) << 24;
  }
  if (access.giveioOpen || access.platformId == 1) return DirectConfigRead32(access, bdf, reg);
  return 0xFFFFFFFFu;
}

int PciConfigReadBlock(AccessState& access, uint32_t bus, uint32_t device, uint32_t function,
                       uint32_t start, uint8_t* buffer, int count) {
  if (count <= 0) return 0;
  for (int i = 0; i < count; i += 4) {
    uint32_t v = PciConfigRead32(access, bus, device, function, start + static_cast<uint32_t>(i));
    if (v == 0xFFFFFFFFu) return i;
    for (int j = 0; j < 4; ++j) {
      if (i + j >= count) return count;
      buffer[i + j] = static_cast<uint8_t>(v >> (8 * j));
    }
  }
  return count;
}

uint32_t PortRead32(AccessState& access, uint32_t port) {
  if (access.accessMode & ACCESS_DIRECT_PORTS) {
    return access.ports != nullptr ? access.ports->In32(static_cast<uint16_t>(port)) : 0xFFFFFFFFu;
  }
  if (access.driver == nullptr) return 0xFFFFFFFFu;
  uint32_t in = port;
  uint8_t out[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  if (access.driver->Control(IOCTL_READ_PORT32, &in, sizeof in, out, sizeof out) != 0) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(out[0]) | static_cast<uint32_t>(out[1]) << 8 |
         static_cast<uint32_t>(out[2]) << 16 | static_cast<uint32_t>(out[3]) << 24;
}

bool FindFunctionByClass(AccessState& access, uint32_t firstBus, uint32_t lastBus, bool functionZeroOnly,
                         uint8_t baseClass, uint8_t subClass, PciLocation* found) {
  // The plain order: one register read per location.
  uint32_t want = static_cast<uint32_t>(baseClass) << 24 | static_cast<uint32_t>(subClass) << 16;
  for (uint32_t bus = firstBus; bus <= lastBus && bus <= 255; ++bus) {
    for (uint32_t device = 0; device < 32; ++device) {
      for (uint32_t function = 0; function < (functionZeroOnly ? 1u : 8u); ++function) {
        uint32_t v = PciConfigRead32(access, bus, device, function, 0x08);
        if ((v & 0xFFFF0000u) == want) {
          found->bus = bus;
          found->device = device;
          found->function = function;
          return true;
        }
      }
    }
  }
  return false;
}

}  // namespace vx
