/* The real pcilibnt.sys's back end: PCI configuration space through the HAL, I/O ports through the port
 * reads (hal.dll's on i386, the processor's IN instruction on x86_64), and nothing that writes. */
#include <ntddk.h>

#include "pcilibnt_rules.h"

static uint32_t GetPciData(void* context, uint32_t bus, uint32_t slot, void* buffer, uint32_t offset,
                           uint32_t length) {
  (void)context;
  return HalGetBusDataByOffset(PCIConfiguration, bus, slot, buffer, offset, length);
}

static uint32_t ReadPort(void* context, uint32_t port, uint32_t width) {
  (void)context;
  switch (width) {
    case 1:
      return READ_PORT_UCHAR((PUCHAR)(ULONG_PTR)port);
    case 2:
      return READ_PORT_USHORT((PUSHORT)(ULONG_PTR)port);
    default:
      return READ_PORT_ULONG((PULONG)(ULONG_PTR)port);
  }
}

static PciLibNtHal g_hal = {NULL, GetPciData, ReadPort};

void PciLibNtAttachBackend(PciLibNtBackend* backend) {
  PciLibNtHalBus(&g_hal, &backend->bus);
  PciLibNtHalPorts(&g_hal, &backend->ports);
  backend->readOnly = 1;
}
