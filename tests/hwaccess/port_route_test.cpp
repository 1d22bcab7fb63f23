// vexilor-report --access ports: the Windows 9x start-up without the VxD, reading through configuration
// mechanism 1, must identify every recorded machine exactly as the driver route does.
#include <gtest/gtest.h>

#include <string>

#include "chipset/chipset.h"
#include "cli/linux_ports.h"
#include "cpu/cpuid.h"
#include "hwaccess/machine_support.h"
#include "report/pages.h"
#include "test_support.h"
#include "whole_run.h"

namespace {

using vxtest::FilledRun;
using vxtest::FillWholeRun;

// Same report and same page controls, but for the USB field: the M/B page reads the controller's release
// number only while the PCIDebug driver is open, which on this route it is not.
TEST(PortRoute, IdentifiesEveryRecordedMachineLikeTheDriverRoute) {
  auto names = vxtest::RecordedMachineNames();
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    vxtest::MachineUnderTest machine;
    std::string error;
    ASSERT_TRUE(machine.Load(name, &error)) << error;
    static FilledRun viaDriver, viaPorts;
    FillWholeRun(machine.access, &viaDriver);

    vxtest::SimulatedPorts ports(&machine.bus);
    vx::AccessState access;
    vx::UsePortsRoute(access, &ports);
    machine.transport->requests = 0;
    FillWholeRun(access, &viaPorts);

    EXPECT_EQ(std::string(viaPorts.report.joined.c_str()), viaDriver.report.joined.c_str()) << name;
    EXPECT_GT(ports.instructions, 0u) << name;
    EXPECT_EQ(machine.transport->requests, 0u) << name << ": a request reached the driver";
    for (int p = 0; p < vx::kPageCount; ++p) {
      const vx::PageModel& d = viaDriver.models[p];
      const vx::PageModel& q = viaPorts.models[p];
      for (int i = 0; i < d.count; ++i) {
        int id = d.controls[i].id;
        if (p == 3 && id == IDC_MB_USB) {
          EXPECT_FALSE(q.HasText(id)) << name;
          continue;
        }
        EXPECT_STREQ(q.GetText(id), d.GetText(id)) << name << ", page " << p << ", control " << id;
        EXPECT_EQ(q.IsEnabled(id), d.IsEnabled(id)) << name << ", page " << p << ", control " << id;
      }
    }
  }
}

// Ports that the kernel did not grant are never executed (the instruction would fault): reads answer all
// ones, writes do nothing; configuration requests are still counted.
TEST(LinuxPortIo, PortsOutsideTheGrantAnswerAllOnes) {
  vexilor_cli::LinuxPortIo io;  // nothing acquired
  EXPECT_EQ(io.In8(0x80), 0xFFu);
  EXPECT_EQ(io.In16(0xCFC), 0xFFFFu);
  EXPECT_EQ(io.In32(0xCFC), 0xFFFFFFFFu);
  io.Out8(0x80, 1);
  io.Out16(0xCFC, 2);
  io.Out32(0xCF8, 0x80000000u);
  io.Out32(0xCFC, 0);
  EXPECT_EQ(io.configRequests, 1u);
}

}  // namespace
