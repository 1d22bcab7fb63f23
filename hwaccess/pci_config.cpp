#include "hwaccess/access.h"

#include <string.h>

#include "pcidebug/little_endian.h"

namespace vx {

namespace {

uint32_t LoadLe(const uint8_t* p, uint32_t width) {
  return width == 1 ? p[0] : width == 2 ? LoadLe16(p) : LoadLe32(p);
}

uint32_t SendRequest(AccessState& access, uint32_t code, const void* in, uint32_t inLength, void* out,
                     uint32_t outLength) {
  if (access.driver == nullptr) return kErrorInvalidHandle;
  return access.driver->Control(code, in, inLength, out, outLength);
}

}  // namespace

uint32_t PciDriverConfigRead(AccessState& access, uint16_t busDevFn, uint32_t reg, void* out, uint32_t length) {
  uint8_t in[8];
  StoreLe(in, busDevFn, 4);
  StoreLe(in + 4, reg, 4);
  return SendRequest(access, IOCTL_READ_PCI_CONFIG, in, sizeof in, out, length);
}

uint8_t PciDriverConfigRead8(AccessState& access, uint16_t busDevFn, uint32_t reg) {
  uint8_t v[1];
  return PciDriverConfigRead(access, busDevFn, reg, v, 1) == 0 ? v[0] : 0xFF;
}

uint16_t PciDriverConfigRead16(AccessState& access, uint16_t busDevFn, uint32_t reg) {
  uint8_t v[2];
  return PciDriverConfigRead(access, busDevFn, reg, v, 2) == 0 ? LoadLe16(v) : 0xFFFF;
}

uint32_t PciDriverConfigRead32(AccessState& access, uint16_t busDevFn, uint32_t reg) {
  uint8_t v[4];
  return PciDriverConfigRead(access, busDevFn, reg, v, 4) == 0 ? LoadLe32(v) : 0xFFFFFFFFu;
}

uint32_t PciDriverConfigWrite(AccessState& access, uint16_t busDevFn, uint32_t reg, const void* data,
                              uint32_t length) {
  // The request is built on the stack; no configuration write is longer than the space itself.
  uint8_t request[8 + 256];
  if (length > 256) return kPciWriteNoBuffer;
  StoreLe(request, busDevFn, 4);
  StoreLe(request + 4, reg, 4);
  if (length > 0) memcpy(request + 8, data, length);
  return SendRequest(access, IOCTL_WRITE_PCI_CONFIG, request, 8 + length, nullptr, 0);
}

uint32_t PciDriverConfigWrite8(AccessState& access, uint16_t busDevFn, uint32_t reg, uint8_t value) {
  return PciDriverConfigWrite(access, busDevFn, reg, &value, 1);
}

uint32_t PciDriverConfigWrite16(AccessState& access, uint16_t busDevFn, uint32_t reg, uint16_t value) {
  uint8_t v[2];
  StoreLe(v, value, 2);
  return PciDriverConfigWrite(access, busDevFn, reg, v, 2);
}

uint32_t PciDriverConfigWrite32(AccessState& access, uint16_t busDevFn, uint32_t reg, uint32_t value) {
  uint8_t v[4];
  StoreLe(v, value, 4);
  return PciDriverConfigWrite(access, busDevFn, reg, v, 4);
}

uint32_t PciDriverBiosInfo(AccessState& access, uint8_t out[12]) {
  return SendRequest(access, IOCTL_PCI_BIOS_INFO, nullptr, 0, out, PCIDEBUG_BIOS_INFO_BYTES);
}

namespace {

// What the PCI BIOS data say: `vouched`, their test flag vouches for the status and signature; `present`,
// those say that a PCI BIOS is there; `lastBus`, the number of the last bus.
struct PciBiosData {
  bool vouched, present;
  uint8_t lastBus;
};

PciBiosData DecodePciBiosData(const uint8_t* bios) {
  return {bios[PCIDEBUG_BIOS_TEST_FLAG] != 0,
          bios[PCIDEBUG_BIOS_STATUS] == 0 &&
              LoadLe32(bios + PCIDEBUG_BIOS_SIGNATURE_AT) == PCIDEBUG_BIOS_SIGNATURE,
          bios[PCIDEBUG_BIOS_LAST_BUS]};
}

}  // namespace

uint8_t CountPciBuses(AccessState& access) {
  if (access.accessMode & ACCESS_VXD) {
    uint8_t bios[PCIDEBUG_BIOS_INFO_BYTES] = {0};
    PciDriverBiosInfo(access, bios);
    PciBiosData data = DecodePciBiosData(bios);
    if (data.vouched && !data.present) return 0;
    return static_cast<uint8_t>(data.lastBus + 1);
  }
  for (uint32_t bus = 0; bus < 256; ++bus) {
    uint8_t v[4];
    if (PciDriverConfigRead(access, BusDevFn(bus, 0, 0), 0, v, 4) == ERROR_PCI_NO_BUS) {
      return static_cast<uint8_t>(bus);
    }
  }
  return 255;  // every bus answered: 256 does not fit the byte
}

namespace {

// The walk of the device searches: the index-th function whose first `length` bytes match.
template <typename Match>
uint32_t SearchPci(AccessState& access, uint32_t length, uint32_t index, Match match) {
  uint32_t matches = 0;
  for (uint32_t bus = 0; bus < 256; ++bus) {
    for (uint32_t device = 0; device < 32; ++device) {
      bool multiFunction = false;
      for (uint32_t function = 0; function < 8; ++function) {
        if (function > 0 && !multiFunction) break;
        uint16_t bdf = BusDevFn(bus, device, function);
        uint8_t image[12];
        uint32_t status = PciDriverConfigRead(access, bdf, 0, image, length);
        if (status == ERROR_PCI_NO_BUS) return PCI_DEVICE_NOT_FOUND;
        if (status == ERROR_PCI_NO_DEVICE && function == 0) break;
        if (status != 0) continue;
        if (function == 0) {
          uint8_t headerType;
          if (PciDriverConfigRead(access, bdf, 0x0E, &headerType, 1) == 0 && (headerType & 0x80)) {
            multiFunction = true;
          }
        }
        if (match(image)) {
          if (matches == index) return static_cast<uint32_t>(bdf) << 16;
          ++matches;
        }
      }
    }
  }
  return PCI_DEVICE_NOT_FOUND;
}

}  // namespace

uint32_t FindPciDevice(AccessState& access, uint16_t vendorId, uint16_t deviceId, uint32_t index) {
  if (vendorId == 0xFFFF) return PCI_BAD_VENDOR_ID;
  uint32_t want = vendorId | static_cast<uint32_t>(deviceId) << 16;
  return SearchPci(access, 4, index, [want](const uint8_t* image) { return LoadLe32(image) == want; });
}

uint32_t FindPciClassCode(AccessState& access, uint32_t baseClass, uint32_t subClass, uint32_t progIf,
                          uint32_t index) {
  uint32_t want = (baseClass & 0xFF) << 24 | (subClass & 0xFF) << 16 | (progIf & 0xFF) << 8;
  return SearchPci(access, 12, index,
                   [want](const uint8_t* image) { return (LoadLe32(image + 8) & 0xFFFFFF00u) == want; });
}

class PciScanReader;

// The operations of one route. Configuration reads give 0 and the dword, or the driver's error (then the
// value is all ones); port reads give the value (all ones of the width when nothing answers), port writes
// what the port family returns.
struct AccessRoute {
  uint32_t (*configRead)(AccessState& access, uint16_t busDevFn, uint32_t reg, uint32_t* value);
  uint32_t (*portRead)(AccessState& access, uint32_t port, uint32_t width);
  uint32_t (*portWrite)(AccessState& access, uint32_t port, uint32_t value, uint32_t width);
  // Whether the scan may skip the bus: what this route's answers prove about buses.
  bool (*busAbsent)(PciScanReader& reader, uint32_t bus);
};

namespace {

uint32_t AllOnes(uint32_t width) { return 0xFFFFFFFFu >> (32 - 8 * width); }

uint32_t DriverConfigRead(AccessState& access, uint16_t busDevFn, uint32_t reg, uint32_t* value) {
  uint8_t v[4];
  uint32_t status = PciDriverConfigRead(access, busDevFn, reg & 0xFF, v, 4);
  *value = status == 0 ? LoadLe32(v) : 0xFFFFFFFFu;
  return status;
}

uint32_t DriverPortRead(AccessState& access, uint32_t port, uint32_t width) {
  static const uint32_t kCodes[5] = {0, IOCTL_READ_PORT8, IOCTL_READ_PORT16, 0, IOCTL_READ_PORT32};
  uint8_t in[4];
  StoreLe(in, port, 4);
  uint8_t out[4] = {0, 0, 0, 0};
  if (SendRequest(access, kCodes[width], in, 4, out, width) != 0) return AllOnes(width);
  return LoadLe(out, width);
}

// Non-zero when the request succeeded.
uint32_t DriverPortWrite(AccessState& access, uint32_t port, uint32_t value, uint32_t width) {
  static const uint32_t kCodes[5] = {0, IOCTL_WRITE_PORT8, IOCTL_WRITE_PORT16, 0, IOCTL_WRITE_PORT32};
  uint8_t in[8];
  StoreLe(in, port, 4);
  StoreLe(in + 4, value, width);
  return SendRequest(access, kCodes[width], in, 4 + width, nullptr, 0) == 0 ? 1u : 0u;
}

// Configuration mechanism 1: the address (enable bit, BusDevFn, register) to 0xCF8 as one 32-bit OUT, the
// dword from 0xCFC as one 32-bit IN. The address port is neither saved nor restored. A function that does
// not exist answers whatever the bus returns (all ones on standard hardware).
uint32_t DirectConfigRead32(AccessState& access, uint16_t busDevFn, uint32_t reg, uint32_t* value) {
  *value = 0xFFFFFFFFu;
  if (access.ports == nullptr) return 0;
  access.ports->Out32(0xCF8, 0x80000000u | (static_cast<uint32_t>(busDevFn) << 8) | (reg & 0xFF));
  *value = access.ports->In32(0xCFC);
  return 0;
}

uint32_t PortsPortRead(AccessState& access, uint32_t port, uint32_t width) {
  uint16_t p = static_cast<uint16_t>(port);
  if (access.ports == nullptr) return AllOnes(width);
  switch (width) {
    case 1: return access.ports->In8(p);
    case 2: return access.ports->In16(p);
    default: return access.ports->In32(p);
  }
}

// The value written.
uint32_t PortsPortWrite(AccessState& access, uint32_t port, uint32_t value, uint32_t width) {
  uint16_t p = static_cast<uint16_t>(port);
  if (access.ports == nullptr) return value;
  switch (width) {
    case 1: access.ports->Out8(p, static_cast<uint8_t>(value)); break;
    case 2: access.ports->Out16(p, static_cast<uint16_t>(value)); break;
    default: access.ports->Out32(p, value); break;
  }
  return value;
}

uint32_t NoConfigRead(AccessState&, uint16_t, uint32_t, uint32_t* value) {
  *value = 0xFFFFFFFFu;
  return 0;
}
uint32_t NoPortRead(AccessState&, uint32_t, uint32_t width) { return AllOnes(width); }
uint32_t NoPortWrite(AccessState&, uint32_t, uint32_t, uint32_t) { return 0; }

bool TestBit(const uint8_t* bits, uint32_t i) { return (bits[i >> 3] >> (i & 7)) & 1; }
void SetBit(uint8_t* bits, uint32_t i) { bits[i >> 3] = static_cast<uint8_t>(bits[i >> 3] | 1u << (i & 7)); }

}  // namespace

// Answers the scans' questions about locations and buses, from the start-up's cache when there is one.
class PciScanReader {
 public:
  explicit PciScanReader(AccessState& access)
      : access_(access), cache_(access.scanCache), buses_(cache_ != nullptr ? cache_->buses : local_) {
    memset(&local_, 0, sizeof local_);
  }

  // Register 0x08 as the plain order reads it: the dword, or all ones when the read fails.
  uint32_t ClassDword(uint16_t busDevFn) {
    if (cache_ != nullptr && TestBit(cache_->known, busDevFn)) return cache_->classDword[busDevFn];
    if (haveLast_ && lastBusDevFn_ == busDevFn) return lastValue_;  // the bus probe, then its walk
    uint32_t v;
    uint32_t status = access_.route->configRead(access_, busDevFn, 0x08, &v);
    // "No bus" is the driver's word about the bus when it answers so for device 0 function 0, the first
    // location of the bus that any scan reads. The same answer for a later location of a bus contradicts
    // what the bus already answered: it fails that location only.
    bool busAbsent = status == ERROR_PCI_NO_BUS && (busDevFn & 0xFF) == 0;
    if (busAbsent) SetBit(buses_.absent, busDevFn >> 8);
    // Any other failure (a transient one, a short read) proves nothing about the location: a later scan
    // asks again, as the plain order does.
    bool settled = status == 0 || status == ERROR_PCI_NO_DEVICE || busAbsent;
    if (cache_ != nullptr && settled) {
      cache_->classDword[busDevFn] = v;
      SetBit(cache_->known, busDevFn);
    }
    haveLast_ = true;
    lastBusDevFn_ = busDevFn;
    lastValue_ = v;
    return v;
  }

  // Whether the answers prove that the bus holds nothing.
  bool BusAbsent(uint32_t bus) { return access_.route->busAbsent(*this, bus); }

  // Through the driver: a bus above the last bus of the PCI BIOS data, or one whose device 0 function 0
  // the driver answers "no bus" for.
  static bool DriverBusAbsent(PciScanReader& r, uint32_t bus) {
    if (bus > 0 && !r.buses_.biosAsked) r.AskLastBus();
    if (r.buses_.lastBusKnown && bus > r.buses_.lastBus) return true;
    r.ClassDword(BusDevFn(bus, 0, 0));
    return TestBit(r.buses_.absent, bus);
  }

  // Through the ports: a bus that no configuration cycle can reach.
  static bool PortsBusAbsent(PciScanReader& r, uint32_t bus) {
    if (bus == 0) return false;
    if (!r.buses_.topologyKnown) r.LearnTopology();
    return !TestBit(r.buses_.reachable, bus);
  }

  // No route: nothing answers.
  static bool NoBusAbsent(PciScanReader&, uint32_t) { return true; }

 private:
  // The driver's PCI BIOS data name the last bus that exists, when their test flag vouches for a present
  // PCI BIOS (CountPciBuses also takes data without the flag; as proof of absence they must have it). A
  // failed request proves nothing: every bus is then probed.
  void AskLastBus() {
    buses_.biosAsked = true;
    uint8_t bios[PCIDEBUG_BIOS_INFO_BYTES];
    if (PciDriverBiosInfo(access_, bios) != 0) return;
    PciBiosData data = DecodePciBiosData(bios);
    if (!data.vouched || !data.present) return;
    buses_.lastBusKnown = true;
    buses_.lastBus = data.lastBus;
  }

  // Through the ports, a configuration cycle for a bus other than 0 reaches it only through a bridge
  // whose bus range (secondary to subordinate, registers 0x19 and 0x1A) holds it; a bridge behind a
  // bridge stays within its parent's range. A second root bus, which no bridge leads to, shows itself as
  // a second host bridge: class 06 00 at function 0 of its own device. Every bus counts as reachable then.
  // Other functions with that class are parts of a chip (the VT82C596's power management at 00:07.3).
  void LearnTopology() {
    memset(buses_.reachable, 0, sizeof buses_.reachable);
    SetBit(buses_.reachable, 0);
    bool secondRoot = false;
    for (uint32_t device = 0; device < 32; ++device) {
      for (uint32_t function = 0; function < 8; ++function) {
        uint32_t v = ClassDword(BusDevFn(0, device, function));
        if (v == 0xFFFFFFFFu) continue;
        if ((v >> 16) == 0x0600 && function == 0 && device != 0) secondRoot = true;
        MarkBridgedBuses(device, function);
      }
    }
    if (secondRoot) memset(buses_.reachable, 0xFF, sizeof buses_.reachable);
    buses_.topologyKnown = true;
  }

  // The bus range of a PCI-to-PCI (header type 1) or CardBus (2) bridge on bus 0.
  void MarkBridgedBuses(uint32_t device, uint32_t function) {
    uint32_t headerType = (PciConfigRead32(access_, 0, device, function, 0x0C) >> 16) & 0x7F;
    if (headerType != 1 && headerType != 2) return;
    uint32_t numbers = PciConfigRead32(access_, 0, device, function, 0x18);
    if (numbers == 0xFFFFFFFFu) return;
    uint32_t secondary = (numbers >> 8) & 0xFF, subordinate = (numbers >> 16) & 0xFF;
    for (uint32_t b = secondary; b <= (subordinate > secondary ? subordinate : secondary); ++b)
      SetBit(buses_.reachable, b);
  }

  AccessState& access_;
  PciScanCache* cache_;
  PciBusFacts local_;
  PciBusFacts& buses_;
  bool haveLast_ = false;
  uint16_t lastBusDevFn_ = 0;
  uint32_t lastValue_ = 0;
};

constexpr AccessRoute kDriverRoute = {DriverConfigRead, DriverPortRead, DriverPortWrite,
                                      PciScanReader::DriverBusAbsent};
constexpr AccessRoute kPortsRoute = {DirectConfigRead32, PortsPortRead, PortsPortWrite, PciScanReader::PortsBusAbsent};
constexpr AccessRoute kNoRoute = {NoConfigRead, NoPortRead, NoPortWrite, PciScanReader::NoBusAbsent};

void ChooseAccessRoute(AccessState& access) {
  if (access.pciDriverOpen) {
    access.route = &kDriverRoute;
  } else if (access.giveioOpen || access.platformId == kPlatformWindows9x) {
    access.route = &kPortsRoute;
  } else {
    access.route = &kNoRoute;
  }
  access.portRoute = (access.accessMode & ACCESS_DIRECT_PORTS) != 0 ? &kPortsRoute : &kDriverRoute;
}

void UsePortsRoute(AccessState& access, PortIo* ports) {
  access.route = &kPortsRoute;
  access.portRoute = &kPortsRoute;
  access.ports = ports;
  access.driver = nullptr;
  access.pciDriverOpen = false;
  access.giveioOpen = false;
  access.platformId = kPlatformWindows9x;
  access.accessMode = ACCESS_VXD | ACCESS_DIRECT_PORTS;
  access.accessDriverError = 1;  // the VxD is not there
}

uint32_t PciConfigRead32(AccessState& access, uint32_t bus, uint32_t device, uint32_t function,
                         uint32_t reg) {
  uint32_t value;
  return access.route->configRead(access, BusDevFn(bus, device, function), reg, &value) == 0 ? value
                                                                                             : 0xFFFFFFFFu;
}

int PciConfigReadBlock(AccessState& access, uint32_t bus, uint32_t device, uint32_t function,
                       uint32_t start, uint8_t* buffer, int count) {
  if (count <= 0) return 0;
  for (int i = 0; i < count; i += 4) {
    uint32_t v = PciConfigRead32(access, bus, device, function, start + static_cast<uint32_t>(i));
    if (v == 0xFFFFFFFFu) return i;
    for (int j = 0; j < 4; ++j) {
      if (i + j >= count) return count;
      buffer[i + j] = static_cast<uint8_t>(v >> (8 * j));
    }
  }
  return count;
}

uint8_t PortRead8(AccessState& access, uint32_t port) {
  return static_cast<uint8_t>(access.portRoute->portRead(access, port, 1));
}
uint16_t PortRead16(AccessState& access, uint32_t port) {
  return static_cast<uint16_t>(access.portRoute->portRead(access, port, 2));
}
uint32_t PortRead32(AccessState& access, uint32_t port) { return access.portRoute->portRead(access, port, 4); }
uint32_t PortWrite8(AccessState& access, uint32_t port, uint8_t value) {
  return access.portRoute->portWrite(access, port, value, 1);
}
uint32_t PortWrite16(AccessState& access, uint32_t port, uint16_t value) {
  return access.portRoute->portWrite(access, port, value, 2);
}
uint32_t PortWrite32(AccessState& access, uint32_t port, uint32_t value) {
  return access.portRoute->portWrite(access, port, value, 4);
}

bool FindFunctionByClass(AccessState& access, uint32_t firstBus, uint32_t lastBus, bool functionZeroOnly,
                         uint8_t baseClass, uint8_t subClass, PciLocation* found) {
  uint32_t want = static_cast<uint32_t>(baseClass) << 24 | static_cast<uint32_t>(subClass) << 16;
  // A failed read is all ones, so a search for class ff:ff matches the first location that fails: nothing
  // may be skipped for it.
  bool skipAbsent = want != 0xFFFF0000u;
  PciScanReader reader(access);
  for (uint32_t bus = firstBus; bus <= lastBus && bus <= 255; ++bus) {
    if (skipAbsent && reader.BusAbsent(bus)) continue;
    for (uint32_t device = 0; device < 32; ++device) {
      for (uint32_t function = 0; function < (functionZeroOnly ? 1u : 8u); ++function) {
        if ((reader.ClassDword(BusDevFn(bus, device, function)) & 0xFFFF0000u) == want) {
          found->bus = bus;
          found->device = device;
          found->function = function;
          return true;
        }
      }
    }
  }
  return false;
}

}  // namespace vx
