/* The PCIDebug request handler: the driver side of the nine device I/O control requests, over a PCI bus
 * and an I/O port space. Written in plain C (it also compiles as C++) so that the same file goes into the
 * kernel-mode driver, the command-line front end and the tests. No allocation, no library calls beyond
 * what a kernel provides. */
#ifndef VEXILOR_PCIDEBUG_H
#define VEXILOR_PCIDEBUG_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Request codes: device type 0x9C40, buffered. */
#define PCIDEBUG_READ_PORT8 0x9C406400u
#define PCIDEBUG_READ_PORT16 0x9C406404u
#define PCIDEBUG_READ_PORT32 0x9C406408u
#define PCIDEBUG_WRITE_PORT8 0x9C40A440u
#define PCIDEBUG_WRITE_PORT16 0x9C40A444u
#define PCIDEBUG_WRITE_PORT32 0x9C40A448u
#define PCIDEBUG_READ_PCI_CONFIG 0x9C406500u
#define PCIDEBUG_WRITE_PCI_CONFIG 0x9C40A540u
#define PCIDEBUG_PCI_BIOS_INFO 0x9C40658Cu

/* Results: 0 or a Win32 error code (the kernel driver turns them into NTSTATUS values that come back to
 * the caller as these same last-error values). */
#define PCIDEBUG_OK 0u
#define PCIDEBUG_ERROR_INVALID_FUNCTION 1u    /* unknown request code */
#define PCIDEBUG_ERROR_NOT_SUPPORTED 50u      /* no port space, or a bus that cannot be written */
#define PCIDEBUG_ERROR_INVALID_PARAMETER 87u  /* a wrong length, a null buffer, a register past 0xFF */
#define PCIDEBUG_ERROR_NO_BUS 0xE0000001u     /* the addressed bus does not exist */
#define PCIDEBUG_ERROR_NO_DEVICE 0xE0000002u  /* the addressed device (function) does not exist */

#define PCIDEBUG_CONFIG_BYTES 256u
#define PCIDEBUG_BIOS_SIGNATURE 0x20494350u /* "PCI " in memory */

/* A PCI bus. busDevFn: bus in bits 15-8, device in 7-3, function in 2-0. offset + length <= 256. Both
 * return 0, PCIDEBUG_ERROR_NO_BUS or PCIDEBUG_ERROR_NO_DEVICE. */
typedef struct PciDebugBus {
  void* context;
  uint32_t (*read)(void* context, uint32_t busDevFn, uint32_t offset, uint8_t* out, uint32_t length);
  uint32_t (*write)(void* context, uint32_t busDevFn, uint32_t offset, const uint8_t* data, uint32_t length);
  uint32_t (*lastBus)(void* context); /* number of the highest bus */
} PciDebugBus;

/* An I/O port space; width is 1, 2 or 4 bytes. */
typedef struct PciDebugPorts {
  void* context;
  uint32_t (*in)(void* context, uint32_t port, uint32_t width);
  void (*out)(void* context, uint32_t port, uint32_t width, uint32_t value);
} PciDebugPorts;

/* Handles one request. in and out may be the same buffer (buffered I/O): the input is taken in full
 * before any output is stored. A request whose lengths do not fit its code exactly gets
 * PCIDEBUG_ERROR_INVALID_PARAMETER and touches nothing. *returned is the count of output bytes stored
 * (0 on failure). ports may be null (no port space: port requests fail). */
uint32_t PciDebugHandleRequest(const PciDebugBus* bus, const PciDebugPorts* ports, uint32_t code,
                               const void* in, uint32_t inLength, void* out, uint32_t outLength,
                               uint32_t* returned);

/* A recorded machine: configuration images of its functions and the values of some I/O ports. The kernel
 * driver compiles one in; the command-line front end reads one from `lspci -xxx` text. */
typedef struct PciDebugFunction {
  uint16_t busDevFn;
  uint16_t recorded; /* bytes recorded from register 0 on; the rest reads as zeros */
  uint8_t config[PCIDEBUG_CONFIG_BYTES];
} PciDebugFunction;

typedef struct PciDebugPortByte {
  uint16_t port;
  uint8_t value;
} PciDebugPortByte;

typedef struct PciDebugMachine {
  PciDebugFunction* functions;
  uint32_t functionCount;
  PciDebugPortByte* ports;
  uint32_t portCount;
  uint8_t busPresent[32]; /* bit (b & 7) of byte b >> 3: bus b exists */
} PciDebugMachine;

/* Marks the buses that exist: bus 0, every bus holding a recorded function, and the secondary bus of every
 * recorded PCI-to-PCI or CardBus bridge. */
void PciDebugMarkBuses(PciDebugMachine* machine);

/* The bus and port space of a recorded machine. Configuration and port writes land in the recorded bytes
 * (a port or register that was not recorded ignores them); an unrecorded port reads all ones. */
void PciDebugMachineBus(PciDebugMachine* machine, PciDebugBus* bus);
void PciDebugMachinePorts(PciDebugMachine* machine, PciDebugPorts* ports);

#ifdef __cplusplus
}
#endif

#endif
