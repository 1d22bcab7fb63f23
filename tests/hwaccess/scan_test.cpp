// The bus scan against the plain order (register 0x08 of every location), on every recorded machine and on
// machines built to break it, through the driver and through the configuration ports.
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

// What the start-up scans ask, and a few more.
const Query kQueries[] = {
    {0, 255, true, 0x06, 0x01},   // south bridge: function 0 only
    {0, 255, false, 0x0C, 0x03},  // USB
    {1, 1, false, 0x03, 0x00},    // VGA, first pass
    {0, 255, false, 0x03, 0x00},  // VGA, second pass
    {0, 255, false, 0x02, 0x00},  // network
    {0, 255, false, 0x06, 0x04},  // PCI-to-PCI bridge
    {2, 255, false, 0x0C, 0x03},
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

// Both routes: the driver, and the ports as with giveio.
void ExpectScanAgrees(vxtest::MachineUnderTest& m, const std::string& name) {
  vxtest::SimulatedPorts ports(&m.bus);
  for (int route = 0; route < 2; ++route) {
    vx::AccessState access = m.access;
    if (route == 1) {
      access.pciDriverOpen = false;
      access.giveioOpen = true;
      access.ports = &ports;
    }
    for (const Query& q : kQueries) {
      vx::PciLocation plain{}, scan{};
      bool plainOk = PlainOrder(access, q, &plain);
      uint32_t before = m.transport->requests + ports.instructions;
      bool scanOk = vx::FindFunctionByClass(access, q.firstBus, q.lastBus, q.functionZeroOnly, q.baseClass,
                                            q.subClass, &scan);
      EXPECT_EQ(Describe(scanOk, scan), Describe(plainOk, plain))
          << name << (route ? " through the ports" : " through the driver") << ", class " << int(q.baseClass)
          << ":" << int(q.subClass) << " buses " << q.firstBus << "-" << q.lastBus;
      EXPECT_GT(m.transport->requests + ports.instructions, before);
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
      {"an absent bus between present ones",
       LspciFunction("00:00.0", 0x8086, 0x7190, 0x06000003) +
           LspciFunction("00:1e.0", 0x8086, 0x2418, 0x06040002, 0x01, 0x02) +
           LspciFunction("02:03.0", 0x8086, 0x7112, 0x0C030001) + LspciFunction("02:04.0", 0x102B, 0x0525, 0x03000004) +
           LspciFunction("05:00.0", 0x8086, 0x7110, 0x06010002)},
      {"the only match at the last location of bus 0 and functions 1-7 on a multi-function device",
       LspciFunction("00:1f.0", 0x8086, 0x2410, 0x06800002, 0x80) + LspciFunction("00:1f.6", 0x8086, 0x2412, 0x0C030002) +
           LspciFunction("00:1f.7", 0x5333, 0x8811, 0x03000054)},
      {"a present function 0 whose class dword is all ones",
       LspciFunction("00:00.0", 0x8086, 0x7190, 0xFFFFFFFF) + LspciFunction("00:00.2", 0x8086, 0x7112, 0x0C030001)},
      {"bus 1 empty behind its bridge, VGA on bus 0",
       LspciFunction("00:00.0", 0x1106, 0x0598, 0x06000004) +
           LspciFunction("00:01.0", 0x1106, 0x8598, 0x06040000, 0x01, 0x01) +
           LspciFunction("00:0a.0", 0x5333, 0x8811, 0x03000054)},
  };
  for (const Synthetic& s : machines) {
    vxtest::MachineUnderTest m;
    std::string error;
    ASSERT_TRUE(m.Parse(s.text, s.what, &error)) << error;
    ExpectScanAgrees(m, s.what);
  }
}

TEST(BusScan, SkipsAbsentBusesAndDevicesButNotFunctionsOfPresentOnes) {
  // Bus 0 with one single-function device, nothing else: the USB scan reads 32 locations of bus 0 plus the
  // 7 further functions of device 0, then one request for each of the 255 absent buses.
  vxtest::MachineUnderTest m;
  std::string error;
  ASSERT_TRUE(m.Parse(LspciFunction("00:00.0", 0x8086, 0x7190, 0x06000003), "one", &error)) << error;
  vx::PciLocation found;
  EXPECT_FALSE(vx::FindFunctionByClass(m.access, 0, 255, false, 0x0C, 0x03, &found));
  EXPECT_EQ(m.transport->requests, 32u + 7u + 255u);
  // Through the ports nothing tells an absent bus: register 0x08 and the vendor ID of every absent device
  // (one OUT and one IN each), 8 functions of device 0.
  vxtest::SimulatedPorts ports(&m.bus);
  vx::AccessState direct;
  direct.platformId = 1;
  direct.ports = &ports;
  EXPECT_FALSE(vx::FindFunctionByClass(direct, 0, 255, false, 0x0C, 0x03, &found));
  EXPECT_EQ(ports.instructions, 2u * (256u * 32u + 7u) + 2u * (256u * 32u - 1u));
}

TEST(BusScan, NoRouteFindsNothingWithoutTouchingAnything) {
  vx::AccessState none;  // Windows NT, neither driver
  vx::PciLocation found;
  EXPECT_FALSE(vx::FindFunctionByClass(none, 0, 255, false, 0x03, 0x00, &found));
}

}  // namespace
