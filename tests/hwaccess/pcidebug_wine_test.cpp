// Under Wine: opens the shipped pcilibnt.sys the way vexilor.exe does (OpenAccessDriver: the Windows
// directory's system32\drivers\pcilibnt.sys, installing the "PCIDebug" service), sends it requests, and
// checks every answer against the same recorded machine served in-process. The driver host has the stand-in
// HAL of that machine (tests/drivers/hal). At exit CloseAccessDriver must leave no service of its own behind.
//
//   pcidebug-wine-test.exe MACHINE.TXT [--leftover]   pcilibnt.sys in system32\drivers, the stand-in of the
//                                                     machine; --leftover first registers a stopped "PCIDebug"
//                                                     service for that file, which is started, used and only
//                                                     stopped
//   pcidebug-wine-test.exe --no-driver                no driver file (and this client carries none): the
//                                                     program runs with no route and leaves no service
//
// Prints one line per failed check and "N passed, N failed"; exit status 0 when nothing failed.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "hwaccess/access.h"
#include "hwaccess/machine_route.h"
#include "hwaccess/lifecycle.h"
#include "hwaccess/pci_machine.h"
#include "tests/hwaccess/wine_services.h"

namespace {

using vxwine::Check;
using vxwine::DeleteLeftover;
using vxwine::WaitServiceGone;

char* ReadFileText(const char* path, size_t* length) {
  FILE* f = fopen(path, "rb");
  if (f == nullptr) return nullptr;
  static char text[1 << 20];
  *length = fread(text, 1, sizeof text - 1, f);
  fclose(f);
  return text;
}

// One raw request to both, compared: status, and the bytes when it succeeded.
void Compare(vx::DriverTransport& driver, vx::DriverTransport& native, uint32_t code, const void* in, uint32_t inLength,
             uint32_t outLength, const char* what) {
  uint8_t a[300], b[300];
  memset(a, 0xEE, sizeof a);
  memset(b, 0xEE, sizeof b);
  uint32_t sa = driver.Control(code, in, inLength, a, outLength);
  uint32_t sb = native.Control(code, in, inLength, b, outLength);
  Check(sa == sb, "%s: the driver answers %08x, in-process %08x", what, sa, sb);
  if (sa == 0 && sb == 0) Check(memcmp(a, b, outLength) == 0, "%s: the bytes differ", what);
}

int RunWithDriver(const char* machinePath, bool leftover) {
  size_t length = 0;
  char* text = ReadFileText(machinePath, &length);
  if (text == nullptr) {
    printf("%s: cannot be read\n", machinePath);
    return 2;
  }
  static vx::MachineRoute route;
  char err[512];
  if (!route.Parse(text, length, machinePath, err, sizeof err)) {
    printf("%s\n", err);
    return 2;
  }
  vx::HandlerTransport& native = route.transport;
  const vx::RecordedPciMachine& machine = route.recorded;

  char image[MAX_PATH + 40] = "";
  GetWindowsDirectoryA(image, MAX_PATH);
  lstrcatA(image, "\\system32\\drivers\\pcilibnt.sys");
  DeleteLeftover("PCIDebug");
  if (leftover) Check(vxwine::RegisterStaleService(image), "a stopped PCIDebug service could not be registered");

  vx::AccessState access;
  vx::AccessSystem& system = vx::Win32AccessSystem();
  int opened = vx::OpenAccessDriver(access, system);
  vx::ChooseAccessRoute(access);
  Check(opened == 1, "OpenAccessDriver returned %d (AccessDriverError %d)", opened, vx::AccessDriverError(access));
  Check(access.accessMode == vx::ACCESS_NT_SERVICE, "AccessMode %x", access.accessMode);
  if (opened != 1) {
    vx::CloseAccessDriver(access, system);
    vxwine::Summary();
    return 1;
  }
  vx::DriverTransport& driver = *access.driver;

  // Register 0x08 of every function 0 and of all functions of present devices, raw.
  char what[96];
  for (uint32_t b = 0; b < 256; ++b) {
    for (uint32_t d = 0; d < 32; ++d) {
      for (uint32_t f = 0; f < 8; ++f) {
        uint32_t in[2] = {vx::BusDevFn(b, d, f), 0x08};
        snprintf(what, sizeof what, "%02x:%02x.%u register 08", b, d, f);
        Compare(driver, native, IOCTL_READ_PCI_CONFIG, in, 8, 4, what);
        uint8_t probe[4];
        if (f == 0 && native.Control(IOCTL_READ_PCI_CONFIG, in, 8, probe, 4) != 0) break;
      }
    }
  }
  // Every recorded function's image through the program's own block read.
  vx::AccessState local;
  route.Attach(local);
  for (uint32_t i = 0; i < machine.machine.functionCount; ++i) {
    uint16_t bdf = machine.functions[i].busDevFn;
    uint8_t a[257] = {0}, b[257] = {0};
    int na = vx::PciConfigReadBlock(access, bdf >> 8, (bdf >> 3) & 31, bdf & 7, 0, a, 256);
    int nb = vx::PciConfigReadBlock(local, bdf >> 8, (bdf >> 3) & 31, bdf & 7, 0, b, 256);
    Check(na == nb && memcmp(a, b, sizeof a) == 0, "image of %04x: %d bytes against %d", bdf, na, nb);
    uint16_t vendor = static_cast<uint16_t>(b[0] | b[1] << 8), device = static_cast<uint16_t>(b[2] | b[3] << 8);
    Check(vx::FindPciDevice(access, vendor, device, 0) == vx::FindPciDevice(local, vendor, device, 0),
          "FindPciDevice %04x:%04x", vendor, device);
    Check(vx::FindPciClassCode(access, b[11], b[10], b[9], 0) == vx::FindPciClassCode(local, b[11], b[10], b[9], 0),
          "FindPciClassCode %02x%02x%02x", b[11], b[10], b[9]);
  }
  // The scans of start-up, and their request counts.
  struct {
    uint32_t first, last;
    bool zeroOnly;
    uint8_t base, sub;
  } scans[] = {{0, 255, true, 6, 1}, {0, 255, false, 0x0C, 3}, {1, 1, false, 3, 0}, {0, 255, false, 3, 0}};
  for (auto& s : scans) {
    vx::PciLocation la{}, lb{};
    bool fa = vx::FindFunctionByClass(access, s.first, s.last, s.zeroOnly, s.base, s.sub, &la);
    bool fb = vx::FindFunctionByClass(local, s.first, s.last, s.zeroOnly, s.base, s.sub, &lb);
    Check(fa == fb && (!fa || (la.bus == lb.bus && la.device == lb.device && la.function == lb.function)),
          "scan for class %02x:%02x", s.base, s.sub);
  }
  Check(vx::CountPciBuses(access) == vx::CountPciBuses(local), "CountPciBuses");
  uint8_t bios[12];
  Compare(driver, native, IOCTL_PCI_BIOS_INFO, nullptr, 0, 12, "PCI BIOS data");
  Check(vx::PciDriverBiosInfo(access, bios) == 0 && memcmp(bios + 8, "PCI ", 4) == 0, "PCI BIOS signature");
  // The shipped driver reads no port, recorded or not.
  for (uint32_t i = 0; i <= machine.machine.portCount; ++i) {
    uint32_t port = i < machine.machine.portCount ? machine.portBytes[i].port : 0xFFF0;
    uint8_t value;
    Check(driver.Control(IOCTL_READ_PORT8, &port, 4, &value, 1) == ERROR_ACCESS_DENIED, "port %04x is read", port);
  }
  // Requests of wrong lengths and unknown codes get the same errors through the kernel.
  uint8_t in[16] = {0};
  Compare(driver, native, IOCTL_READ_PCI_CONFIG, in, 7, 4, "7 input bytes");
  Compare(driver, native, IOCTL_READ_PCI_CONFIG, in, 8, 0, "no output");
  Compare(driver, native, IOCTL_PCI_BIOS_INFO, nullptr, 0, 8, "short BIOS data");
  Compare(driver, native, 0x9C406504, in, 8, 4, "unknown code");
  uint32_t status = driver.Control(IOCTL_READ_PCI_CONFIG, in, 7, in, 4);
  Check(status == ERROR_INVALID_PARAMETER, "a wrong length gives %u", status);
  uint32_t absent[2] = {vx::BusDevFn(0xFE, 0, 0), 0};
  Check(driver.Control(IOCTL_READ_PCI_CONFIG, absent, 8, in, 4) == ERROR_PCI_NO_BUS, "ERROR_PCI_NO_BUS");

  vx::CloseAccessDriver(access, system);
  if (leftover) {
    vxwine::ServiceState after = vxwine::QueryService("PCIDebug");
    Check(after.registered && after.state != SERVICE_RUNNING, "the service registered before is still there, stopped");
    DeleteLeftover("PCIDebug");
  } else {
    Check(WaitServiceGone("PCIDebug"), "the PCIDebug service is still registered after CloseAccessDriver");
  }
  return vxwine::Summary();
}

int RunWithoutDriver() {
  DeleteLeftover("PCIDebug");
  DeleteLeftover("giveio");
  vx::AccessState access;
  vx::AccessSystem& system = vx::Win32AccessSystem();
  int opened = vx::OpenAccessDriver(access, system);
  Check(opened == 0 && vx::AccessDriverError(access) == 1, "OpenAccessDriver %d, error %d", opened,
        vx::AccessDriverError(access));
  int giveio = vx::EnableGiveio(access, system);
  vx::ChooseAccessRoute(access);
  Check(giveio == 0, "EnableGiveio %d", giveio);
  Check(vx::PciConfigRead32(access, 0, 0, 0, 0) == 0xFFFFFFFFu, "a configuration read without a route");
  uint8_t image[257] = {0};
  Check(vx::PciConfigReadBlock(access, 0, 0, 0, 0, image, 256) == 0, "a block without a route");
  vx::CloseAccessDriver(access, system);
  // The services this run created and could not start were removed at once.
  Check(!vxwine::QueryService("PCIDebug").registered, "no PCIDebug service is left");
  Check(!vxwine::QueryService("giveio").registered, "no giveio service is left");
  return vxwine::Summary();
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc == 2 && strcmp(argv[1], "--no-driver") == 0) return RunWithoutDriver();
  if (argc == 2 || (argc == 3 && strcmp(argv[2], "--leftover") == 0)) return RunWithDriver(argv[1], argc == 3);
  printf("usage: pcidebug-wine-test MACHINE.TXT [--leftover] | --no-driver\n");
  return 2;
}
