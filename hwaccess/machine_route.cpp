#include "hwaccess/machine_route.h"

namespace vx {

bool MachineRoute::Parse(const char* text, size_t length, const char* name, char* err, size_t errCap) {
  bool ok = ParsePciMachine(text, length, name, &recorded, err, errCap);  // seals what it read
  BindSealed();
  return ok;
}

void MachineRoute::Bind() {
  recorded.Seal();
  BindSealed();
}

void MachineRoute::BindSealed() {
  PciDebugMachineBus(&recorded.machine, &bus);
  PciDebugMachinePorts(&recorded.machine, &ports);
}

void MachineRoute::Attach(AccessState& access, DriverTransport* driver) {
  UseDriverRoute(access, driver != nullptr ? driver : &transport);
}

}  // namespace vx
