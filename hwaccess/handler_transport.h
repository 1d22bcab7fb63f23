// The PCIDebug driver in-process: requests go straight to the request handler, over a recorded machine or
// this machine's Linux sysfs, so that the report takes the same request path as the Windows program.
#pragma once

#include <stdint.h>

#include "pcidebug/pcidebug.h"
#include "hwaccess/access.h"

namespace vx {

class HandlerTransport final : public DriverTransport {
 public:
  // ports may be null: port requests then fail.
  HandlerTransport(const PciDebugBus* bus, const PciDebugPorts* ports) : bus_(bus), ports_(ports) {}

  uint32_t Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength) override;

  uint32_t requests = 0;  // every request sent, counted for the benchmarks

 private:
  const PciDebugBus* bus_;
  const PciDebugPorts* ports_;
};

// Sets the access state as on Windows NT with the PCIDebug driver open on that transport.
void UseDriverRoute(AccessState& access, DriverTransport* driver);

}  // namespace vx
