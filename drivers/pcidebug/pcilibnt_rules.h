/* What pcilibnt.sys decides, apart from the kernel calls that carry it out: who may open the device, which
 * requests reach the request handler, the status each answer completes with, and how the HAL's answers
 * become the PCI bus of the real driver. Plain C without kernel headers (compiles as C++ too), so that the
 * rules run in the native tests as they run in the driver. */
#ifndef VEXILOR_PCILIBNT_RULES_H
#define VEXILOR_PCILIBNT_RULES_H

#include <stdint.h>

#include "pcidebug/pcidebug.h"

#ifdef __cplusplus
extern "C" {
#endif

/* NTSTATUS values the driver completes requests with, and what the caller's last-error value becomes. */
#define PCILIBNT_STATUS_SUCCESS 0x00000000u
#define PCILIBNT_STATUS_UNSUCCESSFUL 0xC0000001u           /* 31, ERROR_GEN_FAILURE */
#define PCILIBNT_STATUS_INVALID_PARAMETER 0xC000000Du      /* 87 */
#define PCILIBNT_STATUS_INVALID_DEVICE_REQUEST 0xC0000010u /* 1 */
#define PCILIBNT_STATUS_ACCESS_DENIED 0xC0000022u          /* 5 */
#define PCILIBNT_STATUS_NOT_SUPPORTED 0xC00000BBu          /* 50 */

/* The status that completes a request with the handler's answer. Only PCIDEBUG_OK gives success; the
 * driver's two customer codes pass unchanged (they are error statuses: severity bits 11); anything else
 * unknown is STATUS_UNSUCCESSFUL, never a value that could read as success, warning or pending. */
uint32_t PciLibNtStatus(uint32_t answer);

/* The real driver only reads configuration space. Before any hardware access: PCIDEBUG_OK for the
 * configuration read and the PCI BIOS data, PCIDEBUG_ERROR_ACCESS_DENIED for the three port reads and the
 * four write requests, PCIDEBUG_ERROR_INVALID_FUNCTION for any other code (including a served code's
 * function with another method or access). No port is read: the program asks for none, and a port read
 * can disturb a device (the DMA controller's byte flip-flop at ports 0-3). */
uint32_t PciLibNtReadOnlyGate(uint32_t code);

/* Who may open the device: SYSTEM and Administrators. The descriptor is self-relative: owner
 * Administrators, group SYSTEM, and a DACL that allows all file access to SYSTEM (S-1-5-18) and to the
 * Administrators alias (S-1-5-32-544) and nothing to anyone else. */
#define PCILIBNT_DESCRIPTOR_BYTES 100u
typedef struct PciLibNtDescriptor {
  uint32_t words[PCILIBNT_DESCRIPTOR_BYTES / 4]; /* aligned as the kernel wants a descriptor */
} PciLibNtDescriptor;
void PciLibNtBuildDescriptor(PciLibNtDescriptor* descriptor);

/* Access rights of files and devices. */
#define PCILIBNT_FILE_READ_DATA 0x0001u
#define PCILIBNT_FILE_ALL_ACCESS 0x001F01FFu
#define PCILIBNT_WRITE_OWNER 0x00080000u
#define PCILIBNT_GENERIC_READ 0x80000000u
#define PCILIBNT_GENERIC_WRITE 0x40000000u
#define PCILIBNT_GENERIC_EXECUTE 0x20000000u
#define PCILIBNT_GENERIC_ALL 0x10000000u

/* The access an open is checked for: the generic rights mapped to file rights, never less than read
 * data (an open for no access at all is checked too), never WRITE_OWNER or rights outside a file's (so
 * that no privilege can stand in for the descriptor). */
uint32_t PciLibNtCheckedAccess(uint32_t desiredAccess);

/* The system's access check of the caller of an open against a descriptor: non-zero when every right in
 * `access` is granted. In the driver it is SeAccessCheck on the create request's subject context. */
typedef int (*PciLibNtAccessCheck)(void* context, const PciLibNtDescriptor* descriptor, uint32_t access);

/* An open of the device (IRP_MJ_CREATE) as the driver sees it. */
typedef struct PciLibNtOpen {
  int fromKernelMode;     /* the request's requestor mode is kernel mode */
  int forceAccessCheck;   /* SL_FORCE_ACCESS_CHECK in the stack location's flags: check it as a user's open */
  uint32_t nameBytes;     /* length of the file object's name, what follows the device's ("\\.\PciDebug\x") */
  uint32_t desiredAccess;
} PciLibNtOpen;

/* PCIDEBUG_OK to admit the caller, PCIDEBUG_ERROR_ACCESS_DENIED to refuse it. An open of a name below the
 * device is refused, from any mode. An open from kernel mode is admitted unless the I/O manager asks for an
 * access check; every other open only when the access check grants it; an open that brings no security
 * context to check (check null) is refused. */
uint32_t PciLibNtAdmitOpen(const PciLibNtOpen* open, const PciLibNtDescriptor* descriptor, PciLibNtAccessCheck check,
                           void* context);

/* The HAL of the real driver: HalGetBusDataByOffset(PCIConfiguration, bus, slot, buffer, offset, length)
 * behind a seam. slot: device number in bits 4-0, function number in bits 7-5. */
typedef struct PciLibNtHal {
  void* context;
  uint32_t (*getPciData)(void* context, uint32_t bus, uint32_t slot, void* buffer, uint32_t offset,
                         uint32_t length);
} PciLibNtHal;

/* The PCI bus over the HAL, read only: configuration reads ask the HAL for the vendor ID first (0 bytes:
 * no such bus, ERROR_PCI_NO_BUS; vendor 0xFFFF or fewer than 2 bytes: no device, ERROR_PCI_NO_DEVICE), then
 * for the bytes asked, all of which must come (else PCIDEBUG_ERROR_GEN_FAILURE). The last bus is the one
 * before the first bus the HAL does not know. bus->write is null: nothing can be written. */
void PciLibNtHalBus(PciLibNtHal* hal, PciDebugBus* bus);

/* What a pcilibnt.sys is built around: the real one the HAL (read only, no ports), a test one a recorded
 * machine.
 * Each kind of driver defines PciLibNtAttachBackend once. */
typedef struct PciLibNtBackend {
  PciDebugBus bus;
  PciDebugPorts ports;
  int readOnly; /* requests pass PciLibNtReadOnlyGate first */
} PciLibNtBackend;
void PciLibNtAttachBackend(PciLibNtBackend* backend);

/* One device control request as the driver dispatches it: a read-only back end's gate first, then only
 * buffered codes, then the request handler on the one system buffer that holds input and output. Returns
 * the answer (PciLibNtStatus gives the status); *returned is the count of output bytes (0 on failure). */
uint32_t PciLibNtDispatch(const PciLibNtBackend* backend, uint32_t code, void* buffer, uint32_t inLength,
                          uint32_t outLength, uint32_t* returned);

#ifdef __cplusplus
}
#endif

#endif
