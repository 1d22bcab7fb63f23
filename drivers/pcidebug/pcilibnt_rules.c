/* The decisions of pcilibnt.sys, without kernel headers. Plain C; compiles as C++ too. */
#include "pcilibnt_rules.h"

#include "pcidebug/little_endian.h"

uint32_t PciLibNtStatus(uint32_t answer) {
  switch (answer) {
    case PCIDEBUG_OK:
      return PCILIBNT_STATUS_SUCCESS;
    case PCIDEBUG_ERROR_INVALID_PARAMETER:
      return PCILIBNT_STATUS_INVALID_PARAMETER;
    case PCIDEBUG_ERROR_NOT_SUPPORTED:
      return PCILIBNT_STATUS_NOT_SUPPORTED;
    case PCIDEBUG_ERROR_INVALID_FUNCTION:
      return PCILIBNT_STATUS_INVALID_DEVICE_REQUEST;
    case PCIDEBUG_ERROR_ACCESS_DENIED:
      return PCILIBNT_STATUS_ACCESS_DENIED;
    case ERROR_PCI_NO_BUS:
    case ERROR_PCI_NO_DEVICE:
      return answer; /* customer codes: the caller gets them back unchanged */
    default:
      return PCILIBNT_STATUS_UNSUCCESSFUL;
  }
}

uint32_t PciLibNtReadOnlyGate(uint32_t code) {
  switch (code) {
    case IOCTL_READ_PCI_CONFIG:
    case IOCTL_PCI_BIOS_INFO:
      return PCIDEBUG_OK;
    case IOCTL_READ_PORT8:
    case IOCTL_READ_PORT16:
    case IOCTL_READ_PORT32:
    case IOCTL_WRITE_PORT8:
    case IOCTL_WRITE_PORT16:
    case IOCTL_WRITE_PORT32:
    case IOCTL_WRITE_PCI_CONFIG:
      return PCIDEBUG_ERROR_ACCESS_DENIED;
    default:
      return PCIDEBUG_ERROR_INVALID_FUNCTION;
  }
}

uint32_t PciLibNtDispatch(const PciLibNtBackend* backend, uint32_t code, void* buffer, uint32_t inLength,
                          uint32_t outLength, uint32_t* returned) {
  *returned = 0;
  if (backend->readOnly && PciLibNtReadOnlyGate(code) != PCIDEBUG_OK) return PciLibNtReadOnlyGate(code);
  if ((code & PCIDEBUG_METHOD_MASK) != PCIDEBUG_METHOD_BUFFERED) return PCIDEBUG_ERROR_INVALID_FUNCTION;
  return PciDebugHandleRequest(&backend->bus, &backend->ports, code, buffer, inLength, buffer, outLength, returned);
}

/* SIDs: revision 1, sub-authority count, identifier authority 5 (NT authority, 6 bytes big-endian), then
 * the sub-authorities as 32-bit little-endian values. */
static uint32_t PutSid(uint8_t* p, const uint32_t* subAuthorities, uint32_t count) {
  uint32_t i;
  p[0] = 1;
  p[1] = (uint8_t)count;
  for (i = 2; i < 7; ++i) p[i] = 0;
  p[7] = 5;
  for (i = 0; i < count; ++i) StoreLe32(p + 8 + 4 * i, subAuthorities[i]);
  return 8 + 4 * count;
}

static const uint32_t kSystemSid[] = {18};            /* S-1-5-18, LocalSystem */
static const uint32_t kAdministratorsSid[] = {32, 544}; /* S-1-5-32-544, BUILTIN\Administrators */

/* An ACCESS_ALLOWED_ACE: type 0, flags 0, size, mask, SID. */
static uint32_t PutAllowedAce(uint8_t* p, uint32_t mask, const uint32_t* sid, uint32_t count) {
  uint32_t size = 8 + PutSid(p + 8, sid, count);
  p[0] = 0;
  p[1] = 0;
  StoreLe16(p + 2, (uint16_t)size);
  StoreLe32(p + 4, mask);
  return size;
}

void PciLibNtBuildDescriptor(PciLibNtDescriptor* descriptor) {
  uint8_t* p = (uint8_t*)descriptor->words;
  uint32_t owner = 20, group, dacl, at, i;
  for (i = 0; i < PCILIBNT_DESCRIPTOR_BYTES; ++i) p[i] = 0;
  group = owner + PutSid(p + owner, kAdministratorsSid, 2);
  dacl = group + PutSid(p + group, kSystemSid, 1);
  /* The DACL: revision 2, size, two entries. */
  at = dacl + 8;
  at += PutAllowedAce(p + at, PCILIBNT_FILE_ALL_ACCESS, kSystemSid, 1);
  at += PutAllowedAce(p + at, PCILIBNT_FILE_ALL_ACCESS, kAdministratorsSid, 2);
  p[dacl] = 2;
  StoreLe16(p + dacl + 2, (uint16_t)(at - dacl));
  StoreLe16(p + dacl + 4, 2);
  /* The header: revision 1, control SE_SELF_RELATIVE | SE_DACL_PRESENT, then the four offsets. */
  p[0] = 1;
  StoreLe16(p + 2, 0x8004);
  StoreLe32(p + 4, owner);
  StoreLe32(p + 8, group);
  StoreLe32(p + 12, 0); /* no SACL */
  StoreLe32(p + 16, dacl);
}

uint32_t PciLibNtCheckedAccess(uint32_t desiredAccess) {
  uint32_t access = desiredAccess;
  if (access & PCILIBNT_GENERIC_READ) access |= 0x00120089u;    /* FILE_GENERIC_READ */
  if (access & PCILIBNT_GENERIC_WRITE) access |= 0x00120116u;   /* FILE_GENERIC_WRITE */
  if (access & PCILIBNT_GENERIC_EXECUTE) access |= 0x001200A0u; /* FILE_GENERIC_EXECUTE */
  if (access & PCILIBNT_GENERIC_ALL) access |= PCILIBNT_FILE_ALL_ACCESS;
  access &= PCILIBNT_FILE_ALL_ACCESS & ~PCILIBNT_WRITE_OWNER;
  return access | PCILIBNT_FILE_READ_DATA;
}

uint32_t PciLibNtAdmitOpen(const PciLibNtOpen* open, const PciLibNtDescriptor* descriptor, PciLibNtAccessCheck check,
                           void* context) {
  if (open->nameBytes != 0) return PCIDEBUG_ERROR_ACCESS_DENIED;
  if (open->fromKernelMode && !open->forceAccessCheck) return PCIDEBUG_OK;
  if (check == 0 || descriptor == 0) return PCIDEBUG_ERROR_ACCESS_DENIED;
  return check(context, descriptor, PciLibNtCheckedAccess(open->desiredAccess)) ? PCIDEBUG_OK
                                                                                  : PCIDEBUG_ERROR_ACCESS_DENIED;
}

/* ---- The HAL as the real driver's bus ---- */

static uint32_t Slot(uint32_t busDevFn) { return ((busDevFn >> 3) & 31u) | (busDevFn & 7u) << 5; }

/* PCIDEBUG_OK when the function exists, else the driver's code for what is missing. */
static uint32_t Presence(PciLibNtHal* hal, uint32_t bus, uint32_t slot) {
  uint8_t vendor[2] = {0xFF, 0xFF};
  uint32_t got = hal->getPciData(hal->context, bus, slot, vendor, 0, 2);
  if (got == 0) return ERROR_PCI_NO_BUS;
  if (got < 2 || LoadLe16(vendor) == 0xFFFFu) return ERROR_PCI_NO_DEVICE;
  return PCIDEBUG_OK;
}

static uint32_t HalRead(void* context, uint32_t busDevFn, uint32_t offset, uint8_t* out, uint32_t length) {
  PciLibNtHal* hal = (PciLibNtHal*)context;
  uint32_t bus = (busDevFn >> 8) & 0xFFu, slot = Slot(busDevFn);
  uint32_t status = Presence(hal, bus, slot);
  if (status != PCIDEBUG_OK) return status;
  if (hal->getPciData(hal->context, bus, slot, out, offset, length) != length) return PCIDEBUG_ERROR_GEN_FAILURE;
  return PCIDEBUG_OK;
}

static uint32_t HalLastBus(void* context) {
  PciLibNtHal* hal = (PciLibNtHal*)context;
  uint32_t bus;
  for (bus = 0; bus < 256; ++bus) {
    if (Presence(hal, bus, 0) == ERROR_PCI_NO_BUS) break;
  }
  return bus == 0 ? PCIDEBUG_NO_PCI_BUS : bus - 1;
}

void PciLibNtHalBus(PciLibNtHal* hal, PciDebugBus* bus) {
  bus->context = hal;
  bus->read = HalRead;
  bus->write = 0;
  bus->lastBus = HalLastBus;
}
