/* The test drivers' back end: a recorded machine compiled in at build time (pcidebug_machine2c), which
 * answers every request, writes included, from its recorded bytes. It reads no hardware. */
#include "pcilibnt_rules.h"

extern PciDebugMachine g_recordedMachine;

void PciLibNtAttachBackend(PciLibNtBackend* backend) {
  PciDebugMachineBus(&g_recordedMachine, &backend->bus);
  PciDebugMachinePorts(&g_recordedMachine, &backend->ports);
  backend->readOnly = 0;
}
