#include "hwaccess/machine_route.h"

namespace vx {

bool MachineRoute::Parse(const char* text, size_t length, const char* name, char* err, size_t errCap) {
  bool ok = ParsePciMachine(text, length, name, &recorded, err, errCap);
  Bind();
  return ok;
}

void MachineRoute::Bind() {
  recorded.Seal();
  PciDebugMachineBus(&recorded.machine, &bus);
  PciDebugMachinePorts(&recorded.machine, &ports);
}

void MachineRoute::Attach(AccessState& access, DriverTransport* driver) {
  UseDriverRoute(access, driver != nullptr ? driver : &transport);
}

}  // namespace vx
