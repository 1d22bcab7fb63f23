// Requests to the PCIDebug driver that fail at chosen points: start-up must still finish, every section
// keep its header and its CR LF lines, and what could be read must still be shown.
#include <gtest/gtest.h>

#include <string>

#include "cpu/cpuid.h"
#include "hwaccess/machine_support.h"
#include "report/pages.h"
#include "test_support.h"
#include "vexilor_version.h"
#include "whole_run.h"

namespace {

// Wraps the driver and fails the requests that its mode picks, with the chosen error.
class FaultyTransport final : public vx::DriverTransport {
 public:
  enum Mode { kEveryNth, kOnlyBus, kAfterCount };
  FaultyTransport(vx::DriverTransport* inner, Mode mode, uint32_t parameter, uint32_t error)
      : inner_(inner), mode_(mode), parameter_(parameter), error_(error) {}

  uint32_t Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength) override {
    ++requests;
    bool fail = false;
    switch (mode_) {
      case kEveryNth:
        fail = requests % parameter_ == 0;
        break;
      case kOnlyBus: {
        // Configuration requests carry BusDevFn in their first dword, the bus in bits 15-8.
        uint32_t busDevFn = 0;
        if ((code == IOCTL_READ_PCI_CONFIG || code == IOCTL_WRITE_PCI_CONFIG) && inLength >= 4)
          memcpy(&busDevFn, in, 4);
        fail = (code == IOCTL_READ_PCI_CONFIG || code == IOCTL_WRITE_PCI_CONFIG) &&
               ((busDevFn >> 8) & 0xFF) == parameter_;
        break;
      }
      case kAfterCount:
        fail = requests > parameter_;
        break;
    }
    if (fail) {
      ++failed;
      return error_;
    }
    return inner_->Control(code, in, inLength, out, outLength);
  }

  uint32_t requests = 0, failed = 0;

 private:
  vx::DriverTransport* inner_;
  Mode mode_;
  uint32_t parameter_;
  uint32_t error_;
};

using vxtest::FilledRun;

// Fills all five pages of a recorded machine through the given transport (null: the machine's own driver
// without faults).
void FillMachine(vxtest::MachineUnderTest& machine, vx::DriverTransport* transport, FilledRun* run) {
  vx::AccessState access = machine.access;
  if (transport != nullptr) access.driver = transport;
  vxtest::FillWholeRun(access, run);
}

void ExpectWholeReport(const FilledRun& run, const std::string& what) {
  std::string joined = run.report.joined.c_str();
  EXPECT_EQ(joined.rfind("[Vexilor Ver." VX_VERSION "]\r\n\r\n", 0), 0u) << what;
  size_t at = 0;
  for (int i = 0; i < vx::kSectionCount; ++i) {
    size_t found = joined.find(vx::kSectionHeaders[i], at);
    ASSERT_NE(found, std::string::npos) << what << ": section " << i;
    at = found + 1;
  }
  for (size_t i = 0; i < joined.size(); ++i) {
    if (joined[i] == '\n') {
      ASSERT_TRUE(i > 0 && joined[i - 1] == '\r') << what << " at " << i;
    }
  }
}

std::string Section(const FilledRun& run, vx::ReportSection s) { return run.report.section[s].c_str(); }

// Every mode and error on every recorded machine: the run finishes and the report keeps its shape. A fault
// that the pages never meet changes nothing; one that hits only the display's bus leaves the host bridge.
TEST(FaultInjection, EveryModeOnEveryMachine) {
  struct Case {
    FaultyTransport::Mode mode;
    uint32_t parameter;
    const char* name;
  } const cases[] = {
      {FaultyTransport::kEveryNth, 1, "every request"},   {FaultyTransport::kEveryNth, 2, "every 2nd"},
      {FaultyTransport::kEveryNth, 7, "every 7th"},       {FaultyTransport::kEveryNth, 64, "every 64th"},
      {FaultyTransport::kOnlyBus, 0, "bus 0"},            {FaultyTransport::kOnlyBus, 1, "bus 1"},
      {FaultyTransport::kAfterCount, 0, "after 0"},       {FaultyTransport::kAfterCount, 10, "after 10"},
      {FaultyTransport::kAfterCount, 100, "after 100"},   {FaultyTransport::kAfterCount, 100000, "never"},
  };
  const uint32_t errors[] = {ERROR_PCI_NO_BUS, ERROR_PCI_NO_DEVICE, 31 /* ERROR_GEN_FAILURE */};
  auto names = vxtest::RecordedMachineNames();
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    vxtest::MachineUnderTest machine;
    std::string error;
    ASSERT_TRUE(machine.Load(name, &error)) << error;
    static FilledRun clean;
    FillMachine(machine, nullptr, &clean);
    for (const Case& c : cases) {
      for (uint32_t e : errors) {
        std::string what = name + ", " + c.name + ", error " + std::to_string(e);
        FaultyTransport faulty(machine.transport, c.mode, c.parameter, e);
        static FilledRun run;
        FillMachine(machine, &faulty, &run);
        ExpectWholeReport(run, what);
        // The processor's sections do not depend on PCI at all.
        for (vx::ReportSection s : {vx::kCpuSection, vx::kFeatureFlagSection, vx::kCacheSection})
          EXPECT_EQ(Section(run, s), Section(clean, s)) << what;
        if (c.mode == FaultyTransport::kEveryNth && c.parameter == 1) {
          EXPECT_GT(faulty.failed, 0u) << what;
          EXPECT_EQ(faulty.failed, faulty.requests) << what;
        }
        if (faulty.failed == 0) {
          EXPECT_EQ(std::string(run.report.joined.c_str()), clean.report.joined.c_str()) << what;
        }
        if (c.mode == FaultyTransport::kOnlyBus && c.parameter == 1) {
          // The host bridge lives on bus 0: its lines come through a fault on bus 1.
          const std::string chipset = Section(run, vx::kChipsetSection);
          const std::string cleanChipset = Section(clean, vx::kChipsetSection);
          size_t a = chipset.find(" Vender ID   :"), b = cleanChipset.find(" Vender ID   :");
          ASSERT_NE(a, std::string::npos) << what;
          EXPECT_EQ(chipset.substr(a, chipset.find("\r\n", a) - a),
                    cleanChipset.substr(b, cleanChipset.find("\r\n", b) - b))
              << what;
        }
      }
    }
  }
}


// The scan against the plain order under failing requests. The faults are tied to locations, so that both
// walks meet the same ones whatever their order and number of requests (the modes above count requests,
// which the two walks send differently). Each pattern fails some locations once or always with one error.
// "No bus" is the driver's word about a whole bus when it answers so for the bus's device 0 function 0:
// a pattern that says it there says it for every location of that bus.
TEST(FaultInjection, TheScanFindsWhatThePlainOrderFindsUnderEveryPattern) {
  struct Query {
    uint32_t firstBus, lastBus;
    bool zeroOnly;
    uint8_t base, sub;
  } const queries[] = {{0, 255, true, 0x06, 0x01}, {0, 255, false, 0x0C, 0x03}, {1, 1, false, 0x03, 0x00},
                       {0, 255, false, 0x03, 0x00}, {0, 255, false, 0x02, 0x00}};
  // The same over the buses that recorded machines use, for the many patterns of single functions (the
  // plain order's walk of 256 buses is what makes the whole range slow).
  Query nearQueries[sizeof queries / sizeof queries[0]];
  for (size_t i = 0; i < sizeof queries / sizeof queries[0]; ++i) {
    nearQueries[i] = queries[i];
    if (nearQueries[i].lastBus > 3) nearQueries[i].lastBus = 3;
  }
  auto find = [](vx::AccessState& access, const Query& q, bool plain) {
    uint32_t want = static_cast<uint32_t>(q.base) << 24 | static_cast<uint32_t>(q.sub) << 16;
    vx::PciLocation l{};
    bool ok = false;
    if (!plain) {
      ok = vx::FindFunctionByClass(access, q.firstBus, q.lastBus, q.zeroOnly, q.base, q.sub, &l);
    } else {
      for (uint32_t b = q.firstBus; !ok && b <= q.lastBus; ++b)
        for (uint32_t d = 0; !ok && d < 32; ++d)
          for (uint32_t f = 0; !ok && f < (q.zeroOnly ? 1u : 8u); ++f)
            if ((vx::PciConfigRead32(access, b, d, f, 0x08) & 0xFFFF0000u) == want) {
              l = {b, d, f};
              ok = true;
            }
    }
    return ok ? std::to_string(vx::BusDevFn(l.bus, l.device, l.function)) : std::string("none");
  };
  // A pattern: which locations of the recorded ones (and of the rest of their devices) fail.
  struct Pattern {
    const char* name;
    bool (*fails)(uint16_t busDevFn, uint16_t recorded);
  } const patterns[] = {
      {"each recorded function", [](uint16_t l, uint16_t r) { return l == r; }},
      {"each recorded function 0", [](uint16_t l, uint16_t r) { return l == r && (l & 7) == 0; }},
      {"every function of each recorded device", [](uint16_t l, uint16_t r) { return (l & ~7) == (r & ~7); }},
      {"every other location of each recorded device", [](uint16_t l, uint16_t r) { return (l & ~7) == (r & ~7) && l % 2 == 0; }},
  };
  const uint32_t errors[] = {ERROR_PCI_NO_BUS, ERROR_PCI_NO_DEVICE, 31 /* ERROR_GEN_FAILURE */,
                             13 /* ERROR_INVALID_DATA */};
  for (const std::string& name : vxtest::RecordedMachineNames()) {
    vxtest::MachineUnderTest machine;
    std::string error;
    ASSERT_TRUE(machine.Load(name, &error)) << error;
    for (const Pattern& p : patterns) {
      // One recorded function at a time is the one whose locations fail.
      for (uint32_t i = 0; i < machine.recorded->machine.functionCount; ++i) {
        uint16_t recorded = machine.recorded->functions[i].busDevFn;
        for (uint32_t e : errors) {
          for (uint32_t times : {1u, 0u}) {
            // The queries in turn against one set of faults at these locations; the scan's through one
            // start-up's cache when `cached`.
            auto walk = [&](bool plain, const Query* first, const Query* last, bool cached) {
              vxtest::LocationFaults faults(machine.transport, e);
              for (uint32_t l = recorded & ~7u; l < (recorded & ~7u) + 8u; ++l) {
                // "No bus" for device 0 function 0 speaks for the bus: not a fault of one location.
                if (e == ERROR_PCI_NO_BUS && (l & 0xFF) == 0) continue;
                if (p.fails(static_cast<uint16_t>(l), recorded)) faults.Fail(static_cast<uint16_t>(l), times);
              }
              vx::AccessState access = machine.access;
              access.driver = &faults;
              std::unique_ptr<vx::PciScanCache> cache;
              if (cached && !plain) {
                cache = std::make_unique<vx::PciScanCache>();
                access.scanCache = cache.get();
              }
              std::string found;
              for (const Query* q = first; q != last; ++q) found += find(access, *q, plain) + " ";
              return found;
            };
            for (const Query& q : nearQueries) {
              ASSERT_EQ(walk(false, &q, &q + 1, false), walk(true, &q, &q + 1, false))
                  << name << ", " << p.name << " at " << recorded << ", error " << e << (times ? " once" : " always")
                  << ", class " << int(q.base) << ":" << int(q.sub);
            }
            // One start-up: the searches in turn, the scan's through one cache. A failure that came once is
            // over for the later searches of both walks. "No device" is the driver's proof that a function is
            // absent, which the cache keeps for the start-up: that answer given once is left out here.
            if (times == 1 && e == ERROR_PCI_NO_DEVICE) continue;
            const Query* end = nearQueries + sizeof nearQueries / sizeof nearQueries[0];
            ASSERT_EQ(walk(false, nearQueries, end, true), walk(true, nearQueries, end, true))
                << name << ", one start-up, " << p.name << " at " << recorded << ", error " << e
                << (times ? " once" : " always");
          }
        }
      }
    }
    // A whole bus failing with each error, through one start-up's cache.
    for (uint32_t bus : {0u, 1u, 2u}) {
      for (uint32_t e : errors) {
        std::string result[2];
        for (int plain = 0; plain < 2; ++plain) {
          vxtest::LocationFaults faults(machine.transport, e);
          for (uint32_t l = bus << 8; l < (bus + 1) << 8; ++l) faults.Fail(static_cast<uint16_t>(l));
          vx::AccessState access = machine.access;
          access.driver = &faults;
          auto cache = std::make_unique<vx::PciScanCache>();
          access.scanCache = cache.get();
          for (const Query& q : nearQueries) result[plain] += find(access, q, plain == 1) + " ";
        }
        EXPECT_EQ(result[0], result[1]) << name << ", bus " << bus << " fails with " << e;
      }
    }
  }
}

}  // namespace
