/* The PCIDebug request handler: the driver side of the nine device I/O control requests (their format is
 * in pcidebug/pcidebug_wire.h), over a PCI bus and an I/O port space. Written in plain C (it also compiles
 * as C++) so that the same file goes into the kernel-mode drivers, the command-line front end and the
 * tests. No allocation, no library calls beyond what a kernel provides. */
#ifndef VEXILOR_PCIDEBUG_H
#define VEXILOR_PCIDEBUG_H

#include <stdint.h>

#include "pcidebug/pcidebug_wire.h"

#ifdef __cplusplus
extern "C" {
#endif

/* What lastBus answers when not even bus 0 exists. */
#define PCIDEBUG_NO_PCI_BUS 0xFFFFFFFFu

/* A PCI bus. busDevFn: bus in bits 15-8, device in 7-3, function in 2-0. offset + length <= 256. Both
 * return 0, ERROR_PCI_NO_BUS or ERROR_PCI_NO_DEVICE. */
typedef struct PciDebugBus {
  void* context;
  uint32_t (*read)(void* context, uint32_t busDevFn, uint32_t offset, uint8_t* out, uint32_t length);
  uint32_t (*write)(void* context, uint32_t busDevFn, uint32_t offset, const uint8_t* data, uint32_t length);
  uint32_t (*lastBus)(void* context); /* number of the highest bus, PCIDEBUG_NO_PCI_BUS when none */
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
