// The program's only road to PCI configuration space and I/O ports.
//
// Three routes, chosen by what start-up managed to open: requests to the PCIDebug driver, configuration
// mechanism 1 through ports 0xCF8/0xCFC executed by the program itself, or none (every read all ones).
#pragma once

#include <stddef.h>
#include <stdint.h>

// The request codes IOCTL_*, the driver's errors ERROR_PCI_NO_BUS/NO_DEVICE and the buffer layouts.
#include "pcidebug/pcidebug_wire.h"

namespace vx {

// AccessMode bits.
enum : uint32_t {
  ACCESS_VXD = 0x1,           // Windows 9x: the bus count comes from the PCI BIOS data
  ACCESS_NT_SERVICE = 0x2,    // Windows NT: teardown removes the PCIDebug service
  ACCESS_DIRECT_PORTS = 0x8,  // Windows 9x: port operations execute IN/OUT themselves
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

struct PciScanCache;

// A route to configuration space and the ports: one table of operations, like an access method of
// pciutils. Chosen once at start-up; every read calls through it.
struct AccessRoute;
extern const AccessRoute kDriverRoute;  // requests to the PCIDebug driver
extern const AccessRoute kPortsRoute;   // the program's own IN and OUT (configuration through 0xCF8/0xCFC)
extern const AccessRoute kNoRoute;      // nothing answers: configuration reads all ones, port reads too

// The platform id of Windows 95/98/ME (VER_PLATFORM_WIN32_WINDOWS), where any process may use the ports.
enum : uint32_t { kPlatformWindows9x = 1 };

// The access state, set once at start-up and read-only afterwards.
struct AccessState {
  const AccessRoute* route = &kNoRoute;          // configuration reads (ChooseAccessRoute sets both)
  const AccessRoute* portRoute = &kDriverRoute;  // the port family; a driver request fails without a driver
  uint32_t accessMode = 0;
  bool pciDriverOpen = false;         // PciDriverOpen: requests go to the PCIDebug driver
  bool giveioOpen = false;            // GiveioOpen: the process may execute port instructions
  uint32_t platformId = 2;            // VersionInfo's platform id: 0 Win32s, 1 Windows 9x, 2 Windows NT
  DriverTransport* driver = nullptr;  // the PCIDebug driver handle's requests
  PortIo* ports = nullptr;            // the port instructions
  int32_t accessDriverError = 3;      // AccessDriverError
  uintptr_t driverHandle = 0;         // the open PCIDebug device or VxD (lifecycle), 0 when none
  uintptr_t giveioHandle = 0;         // the open giveio device (lifecycle), 0 when none
  uint8_t lifecycleOwned = 0;         // the services and driver file this run created (lifecycle)
  PciScanCache* scanCache = nullptr;  // what the bus scans have read this start-up; null: nothing is kept
};

// Chooses the routes from what start-up opened: configuration reads through the PCIDebug driver when it is
// open, else through the ports with giveio or on Windows 9x, else none; the port family executes IN and OUT
// with ACCESS_DIRECT_PORTS, else sends driver requests.
void ChooseAccessRoute(AccessState& access);
// The Windows 9x route without the VxD, set directly: configuration and ports by the program's own IN and
// OUT on `ports`, and nothing sent to a driver.
void UsePortsRoute(AccessState& access, PortIo* ports);

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

// The port family. Reads: IN with ACCESS_DIRECT_PORTS, else a driver request (all ones when it fails).
// Writes: with ACCESS_DIRECT_PORTS OUT and the value written, else non-zero when the request succeeded.
uint8_t PortRead8(AccessState& access, uint32_t port);
uint16_t PortRead16(AccessState& access, uint32_t port);
uint32_t PortWrite8(AccessState& access, uint32_t port, uint8_t value);
uint32_t PortWrite16(AccessState& access, uint32_t port, uint16_t value);
uint32_t PortWrite32(AccessState& access, uint32_t port, uint32_t value);

// Requests to the PCIDebug driver itself (never through the ports). Each returns 0 or the driver's error
// (the platform's last-error value; ERROR_INVALID_HANDLE when no driver is open).
enum : uint32_t { kErrorInvalidHandle = 6 };
uint32_t PciDriverConfigRead(AccessState& access, uint16_t busDevFn, uint32_t reg, void* out, uint32_t length);
// The same with the value, all ones of its width on failure.
uint8_t PciDriverConfigRead8(AccessState& access, uint16_t busDevFn, uint32_t reg);
uint16_t PciDriverConfigRead16(AccessState& access, uint16_t busDevFn, uint32_t reg);
uint32_t PciDriverConfigRead32(AccessState& access, uint16_t busDevFn, uint32_t reg);
// 0, the driver's error, or kPciWriteNoBuffer when the data does not fit one request (more than 256 bytes).
enum : uint32_t { kPciWriteNoBuffer = 0xFFFFFFFF };
uint32_t PciDriverConfigWrite(AccessState& access, uint16_t busDevFn, uint32_t reg, const void* data,
                              uint32_t length);
uint32_t PciDriverConfigWrite8(AccessState& access, uint16_t busDevFn, uint32_t reg, uint8_t value);
uint32_t PciDriverConfigWrite16(AccessState& access, uint16_t busDevFn, uint32_t reg, uint16_t value);
uint32_t PciDriverConfigWrite32(AccessState& access, uint16_t busDevFn, uint32_t reg, uint32_t value);
// The 12 bytes of PCI BIOS data: test flag, last bus at 4, status at 5, signature "PCI " at 8.
uint32_t PciDriverBiosInfo(AccessState& access, uint8_t out[12]);
// The number of PCI buses: from the PCI BIOS data with ACCESS_VXD, else the first bus that the driver
// reports absent (255 when it reports none below 256).
uint8_t CountPciBuses(AccessState& access);

// The PCI BIOS statuses of the device searches.
enum : uint32_t { PCI_BAD_VENDOR_ID = 131, PCI_DEVICE_NOT_FOUND = 134 };
// The index-th function (from 0) with that vendor and device ID, or the index-th whose class code matches:
// its BusDevFn shifted left 16, or a status above (never a location: a location has 0 in bits 15-0 and a
// status is below 0x10000).
uint32_t FindPciDevice(AccessState& access, uint16_t vendorId, uint16_t deviceId, uint32_t index);
uint32_t FindPciClassCode(AccessState& access, uint32_t baseClass, uint32_t subClass, uint32_t progIf,
                          uint32_t index);

struct PciLocation {
  uint32_t bus, device, function;
};

// What the bus scans learn once per start-up and answer later scans from: register 0x08 of each location
// as read (all ones when the function is absent), the buses that the driver reported absent, and which buses
// configuration mechanism 1 can reach. Zero-filled at start-up (a static one needs no constructor); about
// 264 KB, so it is owned by the start-up code rather than copied with the access state.
struct PciBusFacts {
  uint8_t absent[32];     // bit per bus: the driver answered "no bus" for its device 0 function 0
  uint8_t reachable[32];  // bit per bus, through the ports: bus 0 or behind a bridge of bus 0
  bool topologyKnown;     // reachable[] is filled in
  bool biosAsked;         // the driver was asked for its PCI BIOS data
  bool lastBusKnown;      // ... and gave a valid last bus number
  uint8_t lastBus;
};
struct PciScanCache {
  uint32_t classDword[65536];  // by BusDevFn
  uint8_t known[8192];         // bit per BusDevFn: classDword holds its answer
  PciBusFacts buses;
};

// The bus scan that the chipset and video pages use. Finds the first function, in ascending order of bus
// (firstBus to lastBus), device (0 to 31) and function (0 to 7, or function 0 only), whose class dword
// (register 0x08) has the given base class (bits 31-24) and subclass (bits 23-16): exactly the function
// that reading register 0x08 of every such location in that order (a failed read being all ones) finds.
// It skips only what the answers prove absent: through the driver a bus above the last bus of the
// driver's PCI BIOS data, and a bus whose device 0 function 0 the driver answers "no bus" for; through the
// ports a bus that no PCI-to-PCI or CardBus bridge on bus 0 leads to, unless bus 0 holds a second host
// bridge at function 0 of its own device (the mark of a second root bus; a south bridge function with the
// host-bridge class, such as the VT82C596's power management at 00:07.3, is none). Every function of every
// other device is read, whatever its function 0 answered. With access.scanCache, each location is read
// once per start-up; a read that failed with an error saying nothing of the location (neither "no device"
// nor "no bus") is read again later.
bool FindFunctionByClass(AccessState& access, uint32_t firstBus, uint32_t lastBus, bool functionZeroOnly,
                         uint8_t baseClass, uint8_t subClass, PciLocation* found);

}  // namespace vx
