// The bus scan against the plain order (register 0x08 of every location), on every recorded machine and on
// machines built to break it, through the driver and through the configuration ports, with and without
// the start-up's cache.
#include <gtest/gtest.h>

#include "hwaccess/access.h"
#include "machine_support.h"

namespace {

using vxtest::LspciFunction;

struct Query {
  uint32_t firstBus, lastBus;
  bool functionZeroOnly;
  uint8_t baseClass, subClass;
};

// What a start-up asks, in its order, and a few more.
const Query kQueries[] = {
    {0, 255, true, 0x06, 0x01},   // south bridge: function 0 only
    {0, 255, false, 0x0C, 0x03},  // USB
    {1, 1, false, 0x03, 0x00},    // VGA, first pass
    {0, 255, false, 0x03, 0x00},  // VGA, second pass
    {0, 255, false, 0x02, 0x00},  // network
    {0, 255, false, 0x06, 0x04},  // PCI-to-PCI bridge
    {2, 255, false, 0x0C, 0x03},
    {0, 255, false, 0xFF, 0xFF},  // what a failed read looks like
};

bool PlainOrder(vx::AccessState& access, const Query& q, vx::PciLocation* found) {
  uint32_t want = static_cast<uint32_t>(q.baseClass) << 24 | static_cast<uint32_t>(q.subClass) << 16;
  for (uint32_t bus = q.firstBus; bus <= q.lastBus && bus <= 255; ++bus)
    for (uint32_t device = 0; device < 32; ++device)
      for (uint32_t function = 0; function < (q.functionZeroOnly ? 1u : 8u); ++function)
        if ((vx::PciConfigRead32(access, bus, device, function, 0x08) & 0xFFFF0000u) == want) {
          *found = {bus, device, function};
          return true;
        }
  return false;
}

std::string Describe(bool ok, const vx::PciLocation& l) {
  if (!ok) return "none";
  char s[32];
  snprintf(s, sizeof s, "%02x:%02x.%u", l.bus, l.device, l.function);
  return s;
}

std::string Scan(vx::AccessState& access, const Query& q) {
  vx::PciLocation l{};
  bool ok = vx::FindFunctionByClass(access, q.firstBus, q.lastBus, q.functionZeroOnly, q.baseClass, q.subClass, &l);
  return Describe(ok, l);
}

std::string Plain(vx::AccessState& access, const Query& q) {
  vx::PciLocation l{};
  bool ok = PlainOrder(access, q, &l);
  return Describe(ok, l);
}

// The routes of a machine: the driver, and the ports (Windows 9x without its driver, or giveio).
enum Route { kDriver, kPorts };

vx::AccessState RouteOf(vxtest::MachineUnderTest& m, Route route, vxtest::SimulatedPorts* ports) {
  vx::AccessState access = m.access;
  if (route == kPorts) {
    access.pciDriverOpen = false;
    access.giveioOpen = true;
    access.ports = ports;
    vx::ChooseAccessRoute(access);
  }
  return access;
}

// Every query alone without a cache, and all of them in turn sharing one cache as a start-up does.
void ExpectScanAgrees(vxtest::MachineUnderTest& m, const std::string& name) {
  vxtest::SimulatedPorts ports(&m.bus);
  for (Route route : {kDriver, kPorts}) {
    vx::AccessState access = RouteOf(m, route, &ports);
    auto cache = std::make_unique<vx::PciScanCache>();
    vx::AccessState cached = access;
    cached.scanCache = cache.get();
    for (const Query& q : kQueries) {
      std::string what = name + (route == kPorts ? " through the ports" : " through the driver") + ", class " +
                         std::to_string(q.baseClass) + ":" + std::to_string(q.subClass) + " buses " +
                         std::to_string(q.firstBus) + "-" + std::to_string(q.lastBus);
      std::string plain = Plain(access, q);
      EXPECT_EQ(Scan(access, q), plain) << what;
      EXPECT_EQ(Scan(cached, q), plain) << what << ", cached";
    }
  }
}

TEST(BusScan, AgreesWithThePlainOrderOnEveryRecordedMachine) {
  for (const std::string& name : vxtest::RecordedMachineNames()) {
    vxtest::MachineUnderTest m;
    std::string error;
    ASSERT_TRUE(m.Load(name, &error)) << error;
    ExpectScanAgrees(m, name);
  }
}

TEST(BusScan, AgreesOnMachinesBuiltToBreakIt) {
  struct Synthetic {
    const char* what;
    std::string text;
  } machines[] = {
      {"VGA at function 3 behind a function 0 that is not multi-function",
       LspciFunction("00:00.0", 0x8086, 0x7190, 0x06000003) + LspciFunction("00:05.0", 0x1234, 0x0001, 0x06800001) +
           LspciFunction("00:05.3", 0x1234, 0x0002, 0x03000001)},
      {"VGA at function 5 and no function 0",
       LspciFunction("00:00.0", 0x8086, 0x7190, 0x06000003) + LspciFunction("00:0d.5", 0x102B, 0x0525, 0x03000004)},
      {"absent buses between present ones, a bridge behind a bridge",
       LspciFunction("00:00.0", 0x8086, 0x7190, 0x06000003) +
           LspciFunction("00:1e.0", 0x8086, 0x2418, 0x06040002, 0x01, 0x02, 0x05) +
           LspciFunction("02:03.0", 0x8086, 0x7112, 0x0C030001) +
           LspciFunction("02:05.0", 0x3388, 0x0021, 0x06040011, 0x01, 0x05) +
           LspciFunction("05:00.0", 0x102B, 0x0525, 0x03000004)},
      {"a CardBus bridge's bus",
       LspciFunction("00:00.0", 0x8086, 0x7190, 0x06000003) +
           LspciFunction("00:0a.0", 0x104C, 0xAC1C, 0x06070001, 0x02, 0x03) +
           LspciFunction("03:00.0", 0x1033, 0x0035, 0x0C031043)},
      {"the only match at the last location of bus 0 and functions 1-7 on a multi-function device",
       LspciFunction("00:1f.0", 0x8086, 0x2410, 0x06800002, 0x80) + LspciFunction("00:1f.6", 0x8086, 0x2412, 0x0C030002) +
           LspciFunction("00:1f.7", 0x5333, 0x8811, 0x03000054)},
      {"a present function 0 whose class dword is all ones",
       LspciFunction("00:00.0", 0x8086, 0x7190, 0xFFFFFFFF) + LspciFunction("00:00.2", 0x8086, 0x7112, 0x0C030001)},
      {"bus 1 empty behind its bridge, VGA on bus 0",
       LspciFunction("00:00.0", 0x1106, 0x0598, 0x06000004) +
           LspciFunction("00:01.0", 0x1106, 0x8598, 0x06040000, 0x01, 0x01) +
           LspciFunction("00:0a.0", 0x5333, 0x8811, 0x03000054)},
      {"two host bridges, the second root bus reached by no bridge",
       LspciFunction("00:00.0", 0x8086, 0x84C4, 0x06000002) + LspciFunction("00:19.0", 0x8086, 0x84C4, 0x06000002) +
           LspciFunction("04:02.0", 0x102B, 0x0525, 0x03000004)},
  };
  for (const Synthetic& s : machines) {
    vxtest::MachineUnderTest m;
    std::string error;
    ASSERT_TRUE(m.Parse(s.text, s.what, &error)) << error;
    ExpectScanAgrees(m, s.what);
  }
}

// The three reproduced cases, each recorded under tests/data/machines.
TEST(BusScan, FindsWhatThePlainOrderFindsInTheReproducedCases) {
  vxtest::MachineUnderTest a, b, c;
  std::string error;
  ASSERT_TRUE(a.Load("scan-a-vga-at-function-1-without-function-0.txt", &error)) << error;
  ASSERT_TRUE(b.Load("scan-b-function-0-all-ones-with-functions-1-and-2.txt", &error)) << error;
  ASSERT_TRUE(c.Load("scan-c-function-0-read-fails.txt", &error)) << error;
  const Query vga = {0, 255, false, 0x03, 0x00}, usb = {0, 255, false, 0x0C, 0x03}, net = {0, 255, false, 0x02, 0x00};
  vxtest::SimulatedPorts ports(&b.bus);
  for (Route route : {kDriver, kPorts}) {
    vxtest::SimulatedPorts aPorts(&a.bus);
    vx::AccessState onA = RouteOf(a, route, &aPorts), onB = RouteOf(b, route, &ports);
    EXPECT_EQ(Scan(onA, vga), "00:0d.1") << "A, route " << route;
    EXPECT_EQ(Scan(onB, usb), "00:0b.1") << "B, route " << route;
    EXPECT_EQ(Scan(onB, vga), "00:0b.2") << "B, route " << route;
  }
  // C: 00:07.0 fails once or always, with each kind of error; "no bus" for a location after the bus has
  // answered is that location's failure only.
  for (uint32_t error : {ERROR_PCI_NO_DEVICE, ERROR_PCI_NO_BUS, 31u /* ERROR_GEN_FAILURE */,
                         13u /* ERROR_INVALID_DATA: a short read */}) {
    for (uint32_t times : {1u, 0u}) {
      for (const Query& q : {usb, net}) {
        vxtest::LocationFaults faults(c.transport, error);
        faults.Fail(vx::BusDevFn(0, 7, 0), times);
        vx::AccessState access = c.access;
        access.driver = &faults;
        EXPECT_EQ(Scan(access, q), q.baseClass == 0x0C ? "00:07.2" : "00:0b.0") << error << " " << times;
      }
    }
  }
}

TEST(BusScan, ReadsEachLocationOnceAndOnlyWhatIsNotProvedAbsent) {
  // One single-function device on bus 0 and an empty bus 1 behind a bridge. Through the driver: the USB
  // scan reads every location of buses 0 and 1 (a function 0 that says "no device" proves nothing about
  // functions 1 to 7) and asks once for the last bus; a second scan reads nothing.
  vxtest::MachineUnderTest m;
  std::string error;
  ASSERT_TRUE(m.Parse(LspciFunction("00:00.0", 0x8086, 0x7190, 0x06000003) +
                          LspciFunction("00:01.0", 0x8086, 0x7191, 0x06040003, 0x01, 0x01),
                      "two buses", &error))
      << error;
  auto cache = std::make_unique<vx::PciScanCache>();
  vx::AccessState access = m.access;
  access.scanCache = cache.get();
  const Query usb = {0, 255, false, 0x0C, 0x03}, vga = {0, 255, false, 0x03, 0x00};
  EXPECT_EQ(Scan(access, usb), "none");
  EXPECT_EQ(m.transport->requests, 2u * 256u + 1u);
  EXPECT_EQ(Scan(access, vga), "none");
  EXPECT_EQ(m.transport->requests, 2u * 256u + 1u);

  // Without valid PCI BIOS data each absent bus costs one request, for its device 0 function 0.
  vx::AccessState noBios = m.access;
  struct NoBios final : vx::DriverTransport {
    vx::DriverTransport* inner;
    uint32_t Control(uint32_t code, const void* in, uint32_t n, void* out, uint32_t m) override {
      return code == IOCTL_PCI_BIOS_INFO ? 1u : inner->Control(code, in, n, out, m);
    }
  } withoutBios;
  withoutBios.inner = m.transport;
  noBios.driver = &withoutBios;
  m.transport->requests = 0;
  EXPECT_EQ(Scan(noBios, usb), "none");
  EXPECT_EQ(m.transport->requests, 2u * 256u + 254u);

  // Through the ports: bus 0 (every location, then the header type of both functions and the bus numbers
  // of the bridge) and bus 1 behind the bridge; no other bus can answer.
  vxtest::SimulatedPorts ports(&m.bus);
  vx::AccessState direct;
  vx::UsePortsRoute(direct, &ports);
  auto portCache = std::make_unique<vx::PciScanCache>();
  direct.scanCache = portCache.get();
  EXPECT_EQ(Scan(direct, usb), "none");
  EXPECT_EQ(ports.instructions, 2u * (2u * 256u + 2u + 1u));
}

TEST(BusScan, NoRouteFindsNothingWithoutTouchingAnything) {
  vx::AccessState none;  // Windows NT, neither driver
  vx::PciLocation found;
  EXPECT_FALSE(vx::FindFunctionByClass(none, 0, 255, false, 0x03, 0x00, &found));
  EXPECT_TRUE(vx::FindFunctionByClass(none, 0, 255, false, 0xFF, 0xFF, &found));  // all ones, as read
  EXPECT_EQ(Describe(true, found), "00:00.0");
}

}  // namespace
