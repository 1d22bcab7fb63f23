/* The real pcilibnt.sys's back end: PCI configuration space through the HAL, read only. It has no port
 * space: no port is read or written, so the driver holds no IN or OUT instruction and imports no port
 * routine. */
#include <ntddk.h>

#include "pcilibnt_rules.h"

static uint32_t GetPciData(void* context, uint32_t bus, uint32_t slot, void* buffer, uint32_t offset,
                           uint32_t length) {
  (void)context;
  return HalGetBusDataByOffset(PCIConfiguration, bus, slot, buffer, offset, length);
}

static PciLibNtHal g_hal = {NULL, GetPciData};

void PciLibNtAttachBackend(PciLibNtBackend* backend) {
  PciLibNtHalBus(&g_hal, &backend->bus);
  backend->ports.context = NULL;
  backend->ports.in = NULL;
  backend->ports.out = NULL;
  backend->readOnly = 1;
}
