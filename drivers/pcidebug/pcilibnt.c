/* pcilibnt.sys for the tests and demonstrations: the PCIDebug device ("\Device\PciDebug", reached from
 * programs as "\\.\PciDebug") answering its requests from a recorded machine compiled in at build time.
 * It reads no real hardware. */
#include <ntddk.h>

#include "pcidebug.h"

/* The recorded machine, generated from an lspci file. */
extern PciDebugMachine g_recordedMachine;

static PciDebugBus g_bus;
static PciDebugPorts g_ports;

static NTSTATUS ToNtStatus(uint32_t result) {
  switch (result) {
    case PCIDEBUG_OK:
      return STATUS_SUCCESS;
    case PCIDEBUG_ERROR_INVALID_PARAMETER:
      return STATUS_INVALID_PARAMETER; /* the caller sees 87 */
    case PCIDEBUG_ERROR_NOT_SUPPORTED:
      return STATUS_NOT_SUPPORTED; /* 50 */
    case PCIDEBUG_ERROR_INVALID_FUNCTION:
      return STATUS_INVALID_DEVICE_REQUEST; /* 1 */
    default:
      return (NTSTATUS)result; /* ERROR_PCI_NO_BUS / NO_DEVICE: customer codes, passed through unchanged */
  }
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

static NTSTATUS NTAPI DispatchCreateClose(PDEVICE_OBJECT device, PIRP irp) {
  (void)device;
  return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
  ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
  void* buffer = irp->AssociatedIrp.SystemBuffer; /* METHOD_BUFFERED: input and output share it */
  uint32_t returned = 0;
  uint32_t result;
  (void)device;
  if ((code & 3) != METHOD_BUFFERED) return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
  result = PciDebugHandleRequest(&g_bus, &g_ports, code, buffer, inLength, buffer, outLength, &returned);
  return Complete(irp, ToNtStatus(result), result == PCIDEBUG_OK ? returned : 0);
}

static void NTAPI DriverUnload(PDRIVER_OBJECT driver) {
  UNICODE_STRING link;
  RtlInitUnicodeString(&link, L"\\DosDevices\\PciDebug");
  IoDeleteSymbolicLink(&link);
  if (driver->DeviceObject != NULL) IoDeleteDevice(driver->DeviceObject);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  UNICODE_STRING name, link;
  PDEVICE_OBJECT device;
  NTSTATUS status;
  (void)registryPath;

  PciDebugMachineBus(&g_recordedMachine, &g_bus);
  PciDebugMachinePorts(&g_recordedMachine, &g_ports);

#ifdef PCILIBNT_NO_DEVICE
  /* The faulty build for the tests: the service starts (and can be stopped) but no device or DOS name
   * exists, so every open of "\\.\PciDebug" fails. */
  driver->DriverUnload = DriverUnload;
  return STATUS_SUCCESS;
#endif

  RtlInitUnicodeString(&name, L"\\Device\\PciDebug");
  status = IoCreateDevice(driver, 0, &name, 40000 /* device type of the requests */, 0, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  device->Flags |= DO_BUFFERED_IO;
  RtlInitUnicodeString(&link, L"\\DosDevices\\PciDebug");
  status = IoCreateSymbolicLink(&link, &name);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(device);
    return status;
  }
  driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
  driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
  driver->DriverUnload = DriverUnload;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  return STATUS_SUCCESS;
}
