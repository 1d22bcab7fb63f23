// Finding the display adapter on PCI and reading its configuration image.
#include "video/graphics_adapter.h"

#include <string.h>

#include "hwaccess/access.h"
#include "pcidebug/little_endian.h"

namespace vx {

namespace {

constexpr uint8_t kDisplayController = 0x03;
constexpr uint8_t kVgaCompatible = 0x00;

}  // namespace

bool FindGraphicsAdapter(AccessState& access, uint32_t* bus, uint32_t* device, uint32_t* function) {
  // An AGP card sits behind the host-to-AGP bridge on bus 1 and wins over integrated graphics on bus 0,
  // which the second pass finds.
  PciLocation found = {0, 0, 0};
  if (!FindFunctionByClass(access, 1, 1, false, kDisplayController, kVgaCompatible, &found) &&
      !FindFunctionByClass(access, 0, 255, false, kDisplayController, kVgaCompatible, &found)) {
    return false;
  }
  *bus = found.bus;
  *device = found.device;
  *function = found.function;
  return true;
}

bool ReadGraphicsAdapter(AccessState& access, uint32_t bus, uint32_t device, uint32_t function,
                         GraphicsAdapter* adapter) {
  memset(adapter, 0, sizeof *adapter);
  adapter->bus = bus;
  adapter->device = device;
  adapter->function = function;
  if (PciConfigReadBlock(access, bus, device, function, 0, adapter->image, sizeof adapter->image) == 0) {
    return false;
  }
  const uint8_t* image = adapter->image;
  adapter->vendorId = LoadLe16(image + 0x00);
  adapter->deviceId = LoadLe16(image + 0x02);
  adapter->revisionId = image[8];
  adapter->subsystemId = LoadLe16(image + 0x2E);
  return true;
}

}  // namespace vx
