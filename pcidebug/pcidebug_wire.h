/* The PCIDebug driver's requests as they travel between a program and the driver: the device, the request
 * codes, the answers, and the layout of every request and answer buffer. Plain C (compiles as C++ too):
 * the kernel-mode driver, the program and the tests all take the format from here. Every field is
 * little-endian (pcidebug/little_endian.h). */
#ifndef VEXILOR_PCIDEBUG_WIRE_H
#define VEXILOR_PCIDEBUG_WIRE_H

/* The device "\Device\PciDebug", reached from programs as "\\.\PciDebug", of device type 40000. */
#define PCIDEBUG_DEVICE_TYPE 0x9C40u

/* Request codes: device type 0x9C40, buffered (method 0). Function and required access:
 * reads 0x900-0x902, 0x940 and 0x963 with read access, writes 0x910-0x912 and 0x950 with write access. */
#define IOCTL_READ_PORT8 0x9C406400u       /* in: port (4 bytes)          out: 1 byte */
#define IOCTL_READ_PORT16 0x9C406404u      /* in: port (4 bytes)          out: 2 bytes */
#define IOCTL_READ_PORT32 0x9C406408u      /* in: port (4 bytes)          out: 4 bytes */
#define IOCTL_WRITE_PORT8 0x9C40A440u      /* in: port, value (5 bytes)   out: none */
#define IOCTL_WRITE_PORT16 0x9C40A444u     /* in: port, value (6 bytes)   out: none */
#define IOCTL_WRITE_PORT32 0x9C40A448u     /* in: port, value (8 bytes)   out: none */
#define IOCTL_READ_PCI_CONFIG 0x9C406500u  /* in: BusDevFn, register (8)  out: the bytes from that register on */
#define IOCTL_WRITE_PCI_CONFIG 0x9C40A540u /* in: BusDevFn, register, n data bytes (8 + n)   out: none */
#define IOCTL_PCI_BIOS_INFO 0x9C40658Cu    /* in: none                    out: PCI BIOS data (12 bytes) */

/* The two low bits of a code: the buffering method. Every PCIDebug request is buffered. */
#define PCIDEBUG_METHOD_MASK 3u
#define PCIDEBUG_METHOD_BUFFERED 0u

/* Answers: 0 or the caller's last-error value. The driver's own two are customer codes that reach the
 * caller unchanged; the others are the system's error numbers. */
#define PCIDEBUG_OK 0u
#define ERROR_PCI_NO_BUS 0xE0000001u    /* the addressed bus does not exist */
#define ERROR_PCI_NO_DEVICE 0xE0000002u /* the addressed device (function) does not exist */
#define PCIDEBUG_ERROR_INVALID_FUNCTION 1u   /* unknown request code or method */
#define PCIDEBUG_ERROR_ACCESS_DENIED 5u      /* a caller or a request that the driver refuses */
#define PCIDEBUG_ERROR_GEN_FAILURE 31u       /* the hardware gave no complete answer */
#define PCIDEBUG_ERROR_NOT_SUPPORTED 50u     /* no port space, or a bus that cannot be written */
#define PCIDEBUG_ERROR_INVALID_PARAMETER 87u /* a wrong length, a null buffer, a register past 0xFF */

/* Request layouts. A port travels as 32 bits of which the low 16 count; a BusDevFn as 32 bits of which
 * the low 16 count (bus in bits 15-8, device in 7-3, function in 2-0). */
#define PCIDEBUG_PORT_REQUEST_BYTES 4u   /* port */
#define PCIDEBUG_CONFIG_REQUEST_BYTES 8u /* BusDevFn at 0, register offset at 4; a write's data behind */
#define PCIDEBUG_CONFIG_BYTES 256u       /* one function's configuration space */

/* PCI BIOS data, the answer to IOCTL_PCI_BIOS_INFO. */
#define PCIDEBUG_BIOS_INFO_BYTES 12u
#define PCIDEBUG_BIOS_TEST_FLAG 0u   /* 1 byte: non-zero when the status and signature are valid */
#define PCIDEBUG_BIOS_LAST_BUS 4u    /* 1 byte: number of the last PCI bus */
#define PCIDEBUG_BIOS_STATUS 5u      /* 1 byte: 0 when a PCI BIOS is present */
#define PCIDEBUG_BIOS_SIGNATURE_AT 8u /* 4 bytes */
#define PCIDEBUG_BIOS_SIGNATURE 0x20494350u /* "PCI " in memory */

#endif
