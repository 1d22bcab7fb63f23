// A recorded machine together with the route that reaches it as the Windows program reaches a PC: the
// machine's bus and port space, the PCIDebug request handler in-process as the driver, and the access
// state of Windows NT with that driver open.
#pragma once

#include <stddef.h>

#include "hwaccess/access.h"
#include "hwaccess/handler_transport.h"
#include "hwaccess/pci_machine.h"

namespace vx {

class MachineRoute {
 public:
  MachineRoute() : transport(&bus, &ports) { Bind(); }
  MachineRoute(const MachineRoute&) = delete;
  MachineRoute& operator=(const MachineRoute&) = delete;

  // Reads a recording (ParsePciMachine) and binds the route to it. On failure err holds "NAME:LINE: ...".
  bool Parse(const char* text, size_t length, const char* name, char* err, size_t errCap);
  // Binds the route to `recorded` again after it was filled or changed by hand.
  void Bind();
  // The access state of Windows NT with the PCIDebug driver open on this route (driver may be another
  // transport wrapped around `transport`, such as one that injects faults).
  void Attach(AccessState& access, DriverTransport* driver = nullptr);

  RecordedPciMachine recorded;
  PciDebugBus bus{};
  PciDebugPorts ports{};
  HandlerTransport transport;  // counts its requests

 private:
  void BindSealed();  // points bus and ports at `recorded`, already sealed
};

}  // namespace vx
