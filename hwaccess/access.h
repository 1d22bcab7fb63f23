// The program's only road to PCI configuration space and I/O ports.
//
// Three routes, chosen by what start-up managed to open: requests to the PCIDebug driver, configuration
// mechanism 1 through ports 0xCF8/0xCFC executed by the program itself, or none (every read all ones).
#pragma once

#include <stdint.h>

namespace vx {

// AccessMode bits.
enum : uint32_t {
  ACCESS_VXD = 0x1,           // Windows 9x: the bus count comes from the PCI BIOS data
  ACCESS_NT_SERVICE = 0x2,    // Windows NT: teardown removes the PCIDebug service
  ACCESS_DIRECT_PORTS = 0x8,  // Windows 9x: port operations execute IN/OUT themselves
};

// PCIDebug device I/O control codes (device type 0x9C40, buffered).
enum : uint32_t {
  IOCTL_READ_PORT8 = 0x9C406400,
  IOCTL_READ_PORT16 = 0x9C406404,
  IOCTL_READ_PORT32 = 0x9C406408,
  IOCTL_WRITE_PORT8 = 0x9C40A440,
  IOCTL_WRITE_PORT16 = 0x9C40A444,
  IOCTL_WRITE_PORT32 = 0x9C40A448,
  IOCTL_READ_PCI_CONFIG = 0x9C406500,
  IOCTL_WRITE_PCI_CONFIG = 0x9C40A540,
  IOCTL_PCI_BIOS_INFO = 0x9C40658C,
};

// Errors that the PCIDebug driver reports of its own.
enum : uint32_t {
  ERROR_PCI_NO_BUS = 0xE0000001,
  ERROR_PCI_NO_DEVICE = 0xE0000002,
};

// One device I/O control request to the PCIDebug driver. Returns 0 on success, else the error code
// (the platform's last-error value). On success exactly outLength bytes were stored in out.
class DriverTransport {
 public:
  virtual uint32_t Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength) = 0;

 protected:
  ~DriverTransport() = default;
};

// 8/16/32-bit IN and OUT.
class PortIo {
 public:
  virtual uint8_t In8(uint16_t port) = 0;
  virtual uint16_t In16(uint16_t port) = 0;
  virtual uint32_t In32(uint16_t port) = 0;
  virtual void Out8(uint16_t port, uint8_t value) = 0;
  virtual void Out16(uint16_t port, uint16_t value) = 0;
  virtual void Out32(uint16_t port, uint32_t value) = 0;

 protected:
  ~PortIo() = default;
};

// The access state, set once at start-up and read-only afterwards.
struct AccessState {
  uint32_t accessMode = 0;
  bool pciDriverOpen = false;         // PciDriverOpen: requests go to the PCIDebug driver
  bool giveioOpen = false;            // GiveioOpen: the process may execute port instructions
  uint32_t platformId = 2;            // VersionInfo's platform id: 0 Win32s, 1 Windows 9x, 2 Windows NT
  DriverTransport* driver = nullptr;  // the PCIDebug driver handle's requests
  PortIo* ports = nullptr;            // the port instructions
  int32_t accessDriverError = 3;      // AccessDriverError
};

// A PCI location, bus in bits 15-8, device in bits 7-3, function in bits 2-0.
inline uint16_t BusDevFn(uint32_t bus, uint32_t device, uint32_t function) {
  return static_cast<uint16_t>(((bus & 0xFF) << 8) | ((device & 0x1F) << 3) | (function & 7));
}

// The configuration dword at the register (low 8 bits of bus and register, 5 of device, 3 of function),
// or 0xFFFFFFFF when the read fails or no route exists.
uint32_t PciConfigRead32(AccessState& access, uint32_t bus, uint32_t device, uint32_t function,
                         uint32_t reg);
// Reads count configuration bytes from the start register on; returns the bytes stored (0 to count). A
// dword that reads all ones ends the block.
int PciConfigReadBlock(AccessState& access, uint32_t bus, uint32_t device, uint32_t function,
                       uint32_t start, uint8_t* buffer, int count);
// One I/O port dword: IN with ACCESS_DIRECT_PORTS, else a driver request.
uint32_t PortRead32(AccessState& access, uint32_t port);

struct PciLocation {
  uint32_t bus, device, function;
};

// The bus scan that the chipset and video pages use. Finds the first function, in ascending order of bus
// (firstBus to lastBus), device (0 to 31) and function (0 to 7, or function 0 only), whose class dword
// (register 0x08) has the given base class (bits 31-24) and subclass (bits 23-16). Finds exactly the function
// that reading register 0x08 of every such location in that order would find on a machine that follows
// the PCI rules, while skipping what cannot exist.
bool FindFunctionByClass(AccessState& access, uint32_t firstBus, uint32_t lastBus, bool functionZeroOnly,
                         uint8_t baseClass, uint8_t subClass, PciLocation* found);

}  // namespace vx
