#include "hwaccess/handler_transport.h"

namespace vx {

uint32_t HandlerTransport::Control(uint32_t code, const void* in, uint32_t inLength, void* out,
                                   uint32_t outLength) {
  ++requests;
  uint32_t returned = 0;
  uint32_t status = PciDebugHandleRequest(bus_, ports_, code, in, inLength, out, outLength, &returned);
  if (status == 0 && returned != outLength) return PCIDEBUG_ERROR_INVALID_PARAMETER;
  return status;
}

void UseDriverRoute(AccessState& access, DriverTransport* driver) {
  access.route = &kDriverRoute;
  access.portRoute = &kDriverRoute;
  access.accessMode = ACCESS_NT_SERVICE;
  access.platformId = 2;
  access.pciDriverOpen = true;
  access.giveioOpen = false;
  access.driver = driver;
  access.accessDriverError = 0;
}

}  // namespace vx
