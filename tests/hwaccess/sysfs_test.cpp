// This machine's buses through a sysfs tree (a temporary one laid out like /sys).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "cli/sysfs_pci.h"
#include "hwaccess/access.h"
#include "hwaccess/handler_transport.h"

namespace {

std::vector<std::string> g_warnings;
void Collect(const char* message) { g_warnings.push_back(message); }

void WriteConfig(const std::string& root, const std::string& name, size_t length, uint8_t seed) {
  std::string devices = root + "/bus/pci/devices";
  struct stat st;
  if (stat(devices.c_str(), &st) != 0) {
    ASSERT_EQ(system(("mkdir -p '" + devices + "'").c_str()), 0);
  }
  std::string dir = devices + "/" + name;
  mkdir(dir.c_str(), 0755);
  std::ofstream out(dir + "/config", std::ios::binary);
  for (size_t i = 0; i < length; ++i) out.put(static_cast<char>(seed + i));
}

// An empty directory for a sysfs tree ("" when none could be made).
std::string MakeRoot() {
  char pattern[] = "/tmp/vexilor-sysfs-XXXXXX";
  return mkdtemp(pattern) != nullptr ? pattern : "";
}

// A sysfs tree as the driver route of vexilor-report, warnings collected.
struct SysfsRoute {
  explicit SysfsRoute(const std::string& root) : sysfs(root) {
    sysfs.warn = Collect;
    g_warnings.clear();
    sysfs.Bind(&bus);
    vx::UseDriverRoute(access, &transport);
  }
  vexilor_cli::SysfsPciBus sysfs;
  PciDebugBus bus{};
  vx::HandlerTransport transport{&bus, nullptr};
  vx::AccessState access;
};

TEST(SysfsBus, ReadsConfigFilesAndTellsAbsentBusesFromAbsentDevices) {
  std::string root = MakeRoot();
  ASSERT_FALSE(root.empty());
  WriteConfig(root, "0000:00:00.0", 256, 0x10);
  WriteConfig(root, "0000:00:07.0", 64, 0x80);   // as a normal user reads it
  WriteConfig(root, "0001:00:01.0", 256, 0x00);  // another PCI domain: left out
  ASSERT_EQ(system(("mkdir -p '" + root + "/class/pci_bus/0000:00' '" + root + "/class/pci_bus/0000:03'").c_str()), 0);

  SysfsRoute route(root);
  vx::AccessState& access = route.access;
  EXPECT_EQ(route.sysfs.DeviceCount(), 2u);

  EXPECT_EQ(vx::PciConfigRead32(access, 0, 0, 0, 0xFC), 0x0F0E0D0Cu);
  EXPECT_EQ(vx::PciConfigRead32(access, 0, 7, 0, 0x3C), 0xBFBEBDBCu);
  EXPECT_EQ(vx::PciConfigRead32(access, 0, 7, 0, 0x40), 0u);  // beyond what was readable: zeros
  EXPECT_EQ(vx::PciConfigRead32(access, 0, 7, 0, 0x80), 0u);
  ASSERT_EQ(g_warnings.size(), 1u);  // once
  EXPECT_NE(g_warnings[0].find("only the first 64 bytes"), std::string::npos);

  uint8_t v[4];
  EXPECT_EQ(vx::PciDriverConfigRead(access, vx::BusDevFn(0, 1, 0), 0, v, 4), ERROR_PCI_NO_DEVICE);
  EXPECT_EQ(vx::PciDriverConfigRead(access, vx::BusDevFn(3, 0, 0), 0, v, 4), ERROR_PCI_NO_DEVICE);  // empty bus
  EXPECT_EQ(vx::PciDriverConfigRead(access, vx::BusDevFn(1, 0, 0), 0, v, 4), ERROR_PCI_NO_BUS);
  EXPECT_EQ(vx::CountPciBuses(access), 1);
  uint8_t bios[12];
  ASSERT_EQ(vx::PciDriverBiosInfo(access, bios), 0u);
  EXPECT_EQ(bios[4], 3);
  // Only reading: writes and port requests are refused.
  EXPECT_EQ(vx::PciDriverConfigWrite8(access, 0, 0x40, 1), PCIDEBUG_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(vx::PortRead32(access, 0xCFC), 0xFFFFFFFFu);
  ASSERT_EQ(system(("rm -rf '" + root + "'").c_str()), 0);
}

// Each image is read once and every later request answered from it; an empty file is a failed read; a
// machine with more functions than a bus has locations is read whole.
TEST(SysfsBus, ReadsEachImageOnceAndTakesAnEmptyReadForAFailure) {
  std::string root = MakeRoot();
  ASSERT_FALSE(root.empty());
  WriteConfig(root, "0000:00:00.0", 256, 0x10);
  WriteConfig(root, "0000:00:02.0", 0, 0);  // a file that reads no bytes
  for (int bus = 1; bus <= 2; ++bus)
    for (int location = 0; location < 200; ++location) {
      char name[32];
      snprintf(name, sizeof name, "0000:%02x:%02x.%d", bus, location >> 3, location & 7);
      WriteConfig(root, name, 64, static_cast<uint8_t>(location));
    }
  SysfsRoute route(root);
  vx::AccessState& access = route.access;
  EXPECT_EQ(route.sysfs.DeviceCount(), 402u);

  EXPECT_EQ(vx::PciConfigRead32(access, 0, 0, 0, 0x00), 0x13121110u);
  WriteConfig(root, "0000:00:00.0", 256, 0x80);  // changed after the first read: not read again
  EXPECT_EQ(vx::PciConfigRead32(access, 0, 0, 0, 0x04), 0x17161514u);
  uint8_t v[4];
  EXPECT_EQ(vx::PciDriverConfigRead(access, vx::BusDevFn(0, 2, 0), 0, v, 4), ERROR_PCI_NO_DEVICE);
  EXPECT_EQ(vx::PciConfigRead32(access, 2, 199 >> 3, 199 & 7, 0x00), 0xCAC9C8C7u);
  ASSERT_EQ(system(("rm -rf '" + root + "'").c_str()), 0);
}

}  // namespace
