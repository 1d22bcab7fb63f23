// Configuration requests that a whole start-up sends, per recorded machine, through the PCIDebug driver and
// through the configuration ports, with the bus scan and with the plain order (register 0x08 of every
// location). Start-up: the host bridge image (M/B page), the south bridge scan and image, the USB scan,
// its interface and release number (only with the driver), the two-pass VGA scan and the
// adapter's image, and the host bridge image again for the AGP state (VGA page).
//
// Usage: hwaccess_request_count DIR   (every *.txt in DIR). Fails when the two orders find different
// functions or a start-up with the scan needs 1,000 requests or more. Through the ports a CardBus bridge's
// bus range is read whole, as the plain order reads it: a machine with one is held to the same functions
// only.
#include <dirent.h>
#include <stdio.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "hwaccess/access.h"
#include "hwaccess/machine_route.h"
#include "machine_support.h"

namespace {

using Finder = bool (*)(vx::AccessState&, uint32_t, uint32_t, bool, uint8_t, uint8_t, vx::PciLocation*);

bool PlainOrder(vx::AccessState& access, uint32_t firstBus, uint32_t lastBus, bool functionZeroOnly,
                uint8_t baseClass, uint8_t subClass, vx::PciLocation* found) {
  uint32_t want = static_cast<uint32_t>(baseClass) << 24 | static_cast<uint32_t>(subClass) << 16;
  for (uint32_t bus = firstBus; bus <= lastBus; ++bus)
    for (uint32_t device = 0; device < 32; ++device)
      for (uint32_t function = 0; function < (functionZeroOnly ? 1u : 8u); ++function)
        if ((vx::PciConfigRead32(access, bus, device, function, 0x08) & 0xFFFF0000u) == want) {
          *found = {bus, device, function};
          return true;
        }
  return false;
}

struct StartUp {
  uint32_t requests = 0;  // configuration and port requests: driver requests, or dword reads of 0xCFC
  std::string found;      // what the three scans found, for the comparison
};

std::string Where(bool ok, const vx::PciLocation& l) {
  if (!ok) return "-";
  char s[16];
  snprintf(s, sizeof s, "%02x:%02x.%u", l.bus, l.device, l.function);
  return s;
}

// One start-up's PCI work, through the driver (as on Windows NT) or through the ports (Windows 9x
// without its driver, where the USB step reads nothing). A fresh scan cache, as each start-up has.
StartUp RunStartUp(vx::MachineRoute& route, bool throughPorts, Finder find) {
  vx::AccessState access;
  vxtest::SimulatedPorts ports(&route.bus);
  route.Attach(access);
  if (throughPorts) {
    vx::UsePortsRoute(access, &ports);
  }
  auto cache = std::make_unique<vx::PciScanCache>();
  access.scanCache = cache.get();
  route.transport.requests = 0;
  uint8_t image[257] = {0};
  StartUp result;
  vx::PciConfigReadBlock(access, 0, 0, 0, 0, image, 256);  // host bridge
  vx::PciLocation south{}, usb{}, vga{};
  bool southOk = find(access, 0, 255, true, 0x06, 0x01, &south);
  if (southOk) vx::PciConfigReadBlock(access, south.bus, south.device, 0, 0, image, 256);
  bool usbOk = find(access, 0, 255, false, 0x0C, 0x03, &usb);
  if (usbOk && !throughPorts) {  // the interface, then a UHCI's or EHCI's release number
    uint32_t progIf = (vx::PciConfigRead32(access, usb.bus, usb.device, usb.function, 0x08) >> 8) & 0xFF;
    if (progIf == 0x00 || progIf == 0x20) vx::PciConfigRead32(access, usb.bus, usb.device, usb.function, 0x60);
  }
  bool vgaOk = find(access, 1, 1, false, 0x03, 0x00, &vga) || find(access, 0, 255, false, 0x03, 0x00, &vga);
  if (vgaOk) vx::PciConfigReadBlock(access, vga.bus, vga.device, vga.function, 0, image, 256);
  vx::PciConfigReadBlock(access, 0, 0, 0, 0, image, 256);  // AGP state from the host bridge
  result.requests = route.transport.requests + ports.instructions / 2;  // an OUT and an IN a read
  result.found = Where(southOk, south) + " " + Where(usbOk, usb) + " " + Where(vgaOk, vga);
  return result;
}

// A CardBus bridge (class 06 07) anywhere in the recording.
bool HasCardBusBridge(const vx::RecordedPciMachine& recorded) {
  for (const PciDebugFunction& f : recorded.functions)
    if (f.config[0x0B] == 0x06 && f.config[0x0A] == 0x07) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  std::vector<std::string> names;
  if (DIR* d = opendir(argv[1])) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.size() > 4 && n.compare(n.size() - 4, 4, ".txt") == 0) names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  if (names.empty()) {
    fprintf(stderr, "%s: no recorded machines\n", argv[1]);
    return 2;
  }
  int failures = 0;
  printf("%-36s %-7s %6s %11s  %s\n", "machine", "route", "scan", "plain order", "south usb vga");
  for (const std::string& name : names) {
    std::ifstream in(std::string(argv[1]) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    auto route = std::make_unique<vx::MachineRoute>();
    char err[512];
    std::string s = text.str();
    if (!route->Parse(s.data(), s.size(), name.c_str(), err, sizeof err)) {
      fprintf(stderr, "%s\n", err);
      return 2;
    }
    for (bool throughPorts : {false, true}) {
      StartUp scan = RunStartUp(*route, throughPorts, vx::FindFunctionByClass);
      StartUp plain = RunStartUp(*route, throughPorts, PlainOrder);
      bool bounded = !throughPorts || !HasCardBusBridge(route->recorded);
      bool ok = scan.found == plain.found && (scan.requests < 1000 || !bounded);
      printf("%-36s %-7s %6u %11u  %s%s\n", name.c_str(), throughPorts ? "ports" : "driver", scan.requests,
             plain.requests, scan.found.c_str(), ok ? "" : "   <-- FAILS");
      if (scan.found != plain.found) printf("%-36s plain order found %s\n", "", plain.found.c_str());
      if (!ok) ++failures;
    }
  }
  printf("%d passed, %d failed\n", static_cast<int>(names.size()) * 2 - failures, failures);
  return failures == 0 ? 0 : 1;
}
