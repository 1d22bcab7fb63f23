/* pcilibnt.sys: the PCIDebug device "\Device\PciDebug", reached from programs as "\\.\PciDebug", for
 * Windows NT 4.0 and later. This file is the kernel side that every pcilibnt.sys shares: the device, who
 * may open it, and the dispatch of requests to the request handler. What answers them comes from the
 * back end it is linked with: the HAL in the real driver (pcilibnt_hal.c, configuration reads only), a
 * recorded machine in the test drivers (pcilibnt_recorded.c). The decisions live in pcilibnt_rules.c. */
#include <ntddk.h>

#include "pcilibnt_rules.h"

#ifdef _WIN64
/* Every 64-bit Windows can put a descriptor on a device object (ntifs.h calls, Windows 2000 on). */
NTSYSAPI NTSTATUS NTAPI ZwSetSecurityObject(HANDLE handle, SECURITY_INFORMATION information,
                                            PSECURITY_DESCRIPTOR descriptor);
NTKERNELAPI NTSTATUS NTAPI ObOpenObjectByPointer(PVOID object, ULONG attributes, PACCESS_STATE state,
                                                 ACCESS_MASK access, POBJECT_TYPE type, KPROCESSOR_MODE mode,
                                                 PHANDLE handle);
#endif

static PciLibNtBackend g_backend;
static PciLibNtDescriptor g_descriptor;

static NTSTATUS Complete(PIRP irp, uint32_t answer, ULONG_PTR information) {
  NTSTATUS status = (NTSTATUS)PciLibNtStatus(answer);
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = answer == PCIDEBUG_OK ? information : 0;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

/* The system's access check of the opener against the device's descriptor. NT 4.0 has no call that puts
 * a descriptor on a device object, so every open is checked here, on every system. */
static int CheckOpener(void* context, const PciLibNtDescriptor* descriptor, uint32_t access) {
  PACCESS_STATE state = (PACCESS_STATE)context;
  GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
  PPRIVILEGE_SET privileges = NULL;
  ACCESS_MASK granted = 0;
  NTSTATUS status = STATUS_ACCESS_DENIED;
  BOOLEAN allowed;
  SeLockSubjectContext(&state->SubjectSecurityContext);
  allowed = SeAccessCheck((PSECURITY_DESCRIPTOR)descriptor->words, &state->SubjectSecurityContext, TRUE, access, 0,
                          &privileges, &mapping, UserMode, &granted, &status);
  SeUnlockSubjectContext(&state->SubjectSecurityContext);
  return allowed && NT_SUCCESS(status) && (granted & access) == access;
}

/* On 64-bit Windows the device object itself carries the descriptor, so the object manager refuses other
 * users before the open reaches the driver; the check in DispatchCreate stays (it is all that NT 4.0 has).
 * Nothing else depends on it succeeding. */
static void ProtectDevice(PDEVICE_OBJECT device) {
#ifdef _WIN64
  HANDLE handle;
  if (NT_SUCCESS(ObOpenObjectByPointer(device, OBJ_KERNEL_HANDLE, NULL, WRITE_DAC, NULL, KernelMode, &handle))) {
    ZwSetSecurityObject(handle, DACL_SECURITY_INFORMATION, (PSECURITY_DESCRIPTOR)g_descriptor.words);
    ZwClose(handle);
  }
#else
  (void)device;
#endif
}

static NTSTATUS NTAPI DispatchCreate(PDEVICE_OBJECT device, PIRP irp) {
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  PIO_SECURITY_CONTEXT security = stack->Parameters.Create.SecurityContext;
  PACCESS_STATE state = security != NULL ? security->AccessState : NULL;
  PciLibNtOpen open;
  (void)device;
  open.fromKernelMode = irp->RequestorMode == KernelMode;
  open.forceAccessCheck = (stack->Flags & SL_FORCE_ACCESS_CHECK) != 0;
  open.nameBytes = stack->FileObject != NULL ? stack->FileObject->FileName.Length : 0;
  open.desiredAccess = security != NULL ? security->DesiredAccess : 0;
  return Complete(irp, PciLibNtAdmitOpen(&open, &g_descriptor, state != NULL ? CheckOpener : NULL, state), 0);
}

static NTSTATUS NTAPI DispatchClose(PDEVICE_OBJECT device, PIRP irp) {
  (void)device;
  return Complete(irp, PCIDEBUG_OK, 0);
}

static NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
  ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
  void* buffer = irp->AssociatedIrp.SystemBuffer; /* buffered: input and output share it */
  uint32_t returned = 0;
  uint32_t answer = PciLibNtDispatch(&g_backend, code, buffer, inLength, outLength, &returned);
  (void)device;
  return Complete(irp, answer, returned);
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

  PciLibNtAttachBackend(&g_backend);
  PciLibNtBuildDescriptor(&g_descriptor);

#ifdef PCILIBNT_NO_DEVICE
  /* The faulty build for the tests: the service starts (and can be stopped) but no device or DOS name
   * exists, so every open of "\\.\PciDebug" fails. */
  driver->DriverUnload = DriverUnload;
  return STATUS_SUCCESS;
#endif

  RtlInitUnicodeString(&name, L"\\Device\\PciDebug");
  /* FILE_DEVICE_SECURE_OPEN: opens of names below the device ("\\.\PciDebug\x") are checked like opens
   * of the device itself (systems before NT 4.0 SP5 ignore it; the create check covers them). */
  status = IoCreateDevice(driver, 0, &name, PCIDEBUG_DEVICE_TYPE, FILE_DEVICE_SECURE_OPEN, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  device->Flags |= DO_BUFFERED_IO;
  ProtectDevice(device);
  RtlInitUnicodeString(&link, L"\\DosDevices\\PciDebug");
  status = IoCreateSymbolicLink(&link, &name);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(device);
    return status;
  }
  driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
  driver->MajorFunction[IRP_MJ_CLOSE] = DispatchClose;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
  driver->DriverUnload = DriverUnload;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  return STATUS_SUCCESS;
}
