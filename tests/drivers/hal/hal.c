/* A stand-in hal.dll for the Wine tests of the shipped pcilibnt.sys. Wine's own HAL answers no PCI
 * configuration read, so the tests give Wine's driver host this one instead (the override hal=native for
 * winedevice.exe alone). It answers HalGetBusDataByOffset from a recorded machine compiled in
 * (pcidebug_machine2c) the way a PC's HAL answers from the hardware: a bus that does not exist gives 0
 * bytes; an empty slot gives PCI_INVALID_VENDORID (2 bytes 0xFF) at register 0 and 0 bytes elsewhere; a read
 * past register 0xFF is cut at the end of the space. Bytes that the recording lacks read as zeros, as
 * `vexilor-report --pci-dump` reads them.
 *
 * Built with -DVX_HAL_FAULT_BUS=N it also has a faulty bus N for the driver's checks of short answers:
 * device 0 answers every read with one byte (a 1-byte vendor ID), device 1 the vendor ID in full and every
 * other read one byte short, both with 00:00.0's bytes; its other slots are empty. No PC's HAL answers so,
 * and no recording holds bus N, so only this file gives those answers.
 *
 * Freestanding: no C library, no imports. The 32-bit one also has the two spin-lock routines that Wine's
 * 32-bit ntoskrnl.exe imports from hal.dll (the driver host would not start without them). */
#include "pcidebug/pcidebug.h"

#define PCI_CONFIGURATION 4 /* BUS_DATA_TYPE PCIConfiguration */

extern PciDebugMachine g_recordedMachine;

/* An empty slot on a bus that exists: PCI_INVALID_VENDORID at register 0, nothing elsewhere. */
static uint32_t EmptySlot(uint8_t* out, uint32_t offset, uint32_t length) {
  uint32_t i;
  if (offset != 0) return 0;
  for (i = 0; i < length && i < 2; ++i) out[i] = 0xFF;
  return i;
}

static uint32_t Answer(uint32_t bus, uint32_t device, uint32_t function, uint8_t* out, uint32_t offset,
                       uint32_t length) {
  PciDebugBus pci;
  uint32_t status;
  PciDebugMachineBus(&g_recordedMachine, &pci);
  status = pci.read(pci.context, bus << 8 | device << 3 | function, offset, out, length);
  if (status == ERROR_PCI_NO_BUS) return 0;
  if (status == ERROR_PCI_NO_DEVICE) return EmptySlot(out, offset, length);
  return length;
}

__declspec(dllexport) uint32_t __stdcall HalGetBusDataByOffset(int type, uint32_t bus, uint32_t slot, void* buffer,
                                                               uint32_t offset, uint32_t length) {
  uint32_t device = slot & 31, function = (slot >> 5) & 7;
  if (type != PCI_CONFIGURATION || bus > 255 || offset >= PCIDEBUG_CONFIG_BYTES || buffer == 0) return 0;
  if (length > PCIDEBUG_CONFIG_BYTES - offset) length = PCIDEBUG_CONFIG_BYTES - offset;
#ifdef VX_HAL_FAULT_BUS
  if (bus == VX_HAL_FAULT_BUS) {
    uint32_t got;
    if (function != 0 || device > 1) return EmptySlot((uint8_t*)buffer, offset, length);
    got = Answer(0, 0, 0, (uint8_t*)buffer, offset, length);
    if (got == 0) return 0;
    if (device == 0) return 1;                          /* every answer one byte */
    return offset == 0 && length == 2 ? got : got - 1; /* the vendor ID whole, the rest one byte short */
  }
#endif
  return Answer(bus, device, function, (uint8_t*)buffer, offset, length);
}

#ifndef _WIN64
/* KeAcquireSpinLock(lock, &oldIrql) and KeReleaseSpinLock(lock, newIrql): a plain spin lock; the driver
 * host runs at one level, so the level is always 0 (what Wine's own HAL stores too). */
__declspec(dllexport) void __stdcall KeAcquireSpinLock(volatile uintptr_t* lock, uint8_t* oldIrql) {
  while (__sync_lock_test_and_set(lock, 1) != 0) {
  }
  *oldIrql = 0;
}

__declspec(dllexport) void __stdcall KeReleaseSpinLock(volatile uintptr_t* lock, uint8_t newIrql) {
  (void)newIrql;
  __sync_lock_release(lock);
}
#endif

int __stdcall HalEntry(void* module, uint32_t reason, void* reserved) {
  (void)module;
  (void)reason;
  (void)reserved;
  return 1;
}
