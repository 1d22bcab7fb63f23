// Under Wine: the real pcilibnt.sys (the HAL back end), installed and opened the way vexilor.exe does it
// (OpenAccessDriver: the Windows directory's system32\drivers\pcilibnt.sys). Wine has no PCI of its own,
// so the configuration reads are checked for shape only and what the HAL answered is printed; every write
// request, whatever its lengths, must answer access denied, and codes and lengths outside the format their
// own errors. No port is read: port I/O inside a driver ends Wine's driver host. CloseAccessDriver must leave no service behind.
//
//   real-driver-wine-test.exe        pcilibnt.sys (the real one) placed in system32\drivers
//
// Prints what the HAL answered, one line per failed check and "N passed, N failed"; exit status 0 when
// nothing failed.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "hwaccess/access.h"
#include "hwaccess/lifecycle.h"
#include "tests/hwaccess/wine_services.h"

namespace {

using vxwine::Check;

const char* AnswerName(uint32_t answer) {
  switch (answer) {
    case 0:
      return "success";
    case ERROR_PCI_NO_BUS:
      return "ERROR_PCI_NO_BUS";
    case ERROR_PCI_NO_DEVICE:
      return "ERROR_PCI_NO_DEVICE";
    case PCIDEBUG_ERROR_GEN_FAILURE:
      return "ERROR_GEN_FAILURE";
    default:
      return "another error";
  }
}

// Configuration reads of register 0 over buses 0, 1 and 255, every device and function: each answer must
// be one the program knows, and a bus is absent as a whole or not at all.
void ReadConfiguration(vx::DriverTransport& driver) {
  uint32_t counts[4] = {0, 0, 0, 0};  // success, no bus, no device, other
  const uint32_t buses[] = {0, 1, 255};
  for (uint32_t bus : buses) {
    uint32_t firstAnswer = 0;
    bool busConsistent = true;
    for (uint32_t d = 0; d < 32; ++d) {
      for (uint32_t f = 0; f < 8; ++f) {
        uint8_t in[8];
        uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        uint32_t busDevFn = vx::BusDevFn(bus, d, f);
        memcpy(in, &busDevFn, 4);
        memset(in + 4, 0, 4);
        uint32_t answer = driver.Control(IOCTL_READ_PCI_CONFIG, in, 8, out, 4);
        if (d == 0 && f == 0) firstAnswer = answer;
        if ((answer == ERROR_PCI_NO_BUS) != (firstAnswer == ERROR_PCI_NO_BUS)) busConsistent = false;
        int kind = answer == 0 ? 0 : answer == ERROR_PCI_NO_BUS ? 1 : answer == ERROR_PCI_NO_DEVICE ? 2 : 3;
        ++counts[kind];
        if (answer == 0) {
          Check(!(out[0] == 0xFF && out[1] == 0xFF), "%02x:%02x.%u answers with vendor FFFF instead of no device",
                bus, d, f);
        }
      }
    }
    printf("Wine's HAL, bus %u, register 0 of 00.0: %s (%08x)\n", bus, AnswerName(firstAnswer), firstAnswer);
    Check(busConsistent, "bus %u is absent for some devices and present for others", bus);
  }
  printf("Wine's HAL, %u configuration reads: %u answered, %u ERROR_PCI_NO_BUS, %u ERROR_PCI_NO_DEVICE, %u other\n",
         counts[0] + counts[1] + counts[2] + counts[3], counts[0], counts[1], counts[2], counts[3]);
  Check(counts[3] == 0, "%u configuration reads gave an error the program does not know", counts[3]);

  uint8_t bios[PCIDEBUG_BIOS_INFO_BYTES];
  memset(bios, 0xEE, sizeof bios);
  uint32_t answer = driver.Control(IOCTL_PCI_BIOS_INFO, nullptr, 0, bios, sizeof bios);
  printf("PCI BIOS data: answer %08x, test flag %u, last bus %u, status %u, signature %02x %02x %02x %02x\n", answer,
         bios[PCIDEBUG_BIOS_TEST_FLAG], bios[PCIDEBUG_BIOS_LAST_BUS], bios[PCIDEBUG_BIOS_STATUS], bios[8], bios[9],
         bios[10], bios[11]);
  Check(answer == 0 && bios[PCIDEBUG_BIOS_TEST_FLAG] == 1, "the PCI BIOS data come with their test flag set");
  bool noPci = counts[0] == 0 && counts[2] == 0;
  if (answer == 0 && noPci) {
    Check(bios[PCIDEBUG_BIOS_STATUS] != 0, "with no bus at all the PCI BIOS data say no PCI BIOS");
  } else if (answer == 0) {
    Check(bios[PCIDEBUG_BIOS_STATUS] == 0 && memcmp(bios + 8, "PCI ", 4) == 0, "PCI BIOS present, signature");
  }
}

// Every write request is refused before anything else is looked at; the program's own write operations
// report the refusal.
void RefuseWrites(vx::AccessState& access) {
  vx::DriverTransport& driver = *access.driver;
  uint8_t in[8 + 256];
  memset(in, 0, sizeof in);
  uint32_t cf8 = 0xCF8;
  memcpy(in, &cf8, 4);
  struct {
    uint32_t code, inLength, outLength;
    const char* what;
  } writes[] = {
      {IOCTL_WRITE_PORT8, 5, 0, "8-bit port write to 0xCF8"},
      {IOCTL_WRITE_PORT16, 6, 0, "16-bit port write to 0xCF8"},
      {IOCTL_WRITE_PORT32, 8, 0, "32-bit port write to 0xCF8"},
      {IOCTL_WRITE_PCI_CONFIG, 12, 0, "configuration write of 4 bytes"},
      {IOCTL_WRITE_PCI_CONFIG, 8 + 256, 0, "configuration write of 256 bytes"},
      {IOCTL_WRITE_PORT32, 3, 4, "32-bit port write with wrong lengths"},
      {IOCTL_WRITE_PCI_CONFIG, 0, 0, "configuration write without input"},
  };
  for (const auto& w : writes) {
    uint8_t out[4];
    uint32_t answer = driver.Control(w.code, in, w.inLength, w.outLength ? out : nullptr, w.outLength);
    Check(answer == ERROR_ACCESS_DENIED, "%s answers %08x, not access denied", w.what, answer);
  }
  Check(vx::PciDriverConfigWrite32(access, vx::BusDevFn(0, 0, 0), 0x04, 0) == ERROR_ACCESS_DENIED,
        "PciDriverConfigWrite32 reports access denied");
  Check(vx::PortWrite32(access, 0xCF8, 0x80000000u) == 0, "PortWrite32 reports failure");

  // Codes outside the format and lengths that do not fit it.
  struct {
    uint32_t code, inLength, outLength, expected;
    const char* what;
  } others[] = {
      {0x9C406504u, 8, 4, ERROR_INVALID_FUNCTION, "an unknown function"},
      {IOCTL_READ_PCI_CONFIG | 3u, 8, 4, ERROR_INVALID_FUNCTION, "a configuration read as METHOD_NEITHER"},
      {IOCTL_READ_PCI_CONFIG | 1u, 8, 4, ERROR_INVALID_FUNCTION, "a configuration read as METHOD_IN_DIRECT"},
      {IOCTL_READ_PCI_CONFIG & ~0xC000u, 8, 4, ERROR_INVALID_FUNCTION, "a configuration read with any access"},
      {IOCTL_READ_PCI_CONFIG, 7, 4, ERROR_INVALID_PARAMETER, "a configuration read of 7 input bytes"},
      {IOCTL_READ_PCI_CONFIG, 8, 0, ERROR_INVALID_PARAMETER, "a configuration read with no output"},
      {IOCTL_READ_PORT16, 4, 4, ERROR_INVALID_PARAMETER, "a port read of the wrong width"},
      {IOCTL_PCI_BIOS_INFO, 0, 8, ERROR_INVALID_PARAMETER, "short PCI BIOS data"},
  };
  for (const auto& o : others) {
    uint8_t out[16];
    uint32_t answer = driver.Control(o.code, in, o.inLength, o.outLength ? out : nullptr, o.outLength);
    Check(answer == o.expected, "%s answers %08x, not %u", o.what, answer, o.expected);
  }
  uint32_t beyond[2] = {0, 0xFD};
  uint8_t out[4];
  Check(driver.Control(IOCTL_READ_PCI_CONFIG, beyond, 8, out, 4) == ERROR_INVALID_PARAMETER,
        "a read past register 0xFF");
}

}  // namespace

int main() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  vxwine::DeleteLeftover("PCIDebug");
  vxwine::DeleteLeftover("giveio");
  char expected[MAX_PATH + 40] = "";
  GetWindowsDirectoryA(expected, MAX_PATH);
  lstrcatA(expected, "\\system32\\drivers\\pcilibnt.sys");

  vx::AccessState access;
  vx::AccessSystem& system = vx::Win32AccessSystem();
  int opened = vx::OpenAccessDriver(access, system);
  Check(opened == 1, "OpenAccessDriver returned %d (AccessDriverError %d)", opened, vx::AccessDriverError(access));
  vxwine::ServiceState service = vxwine::QueryService("PCIDebug");
  Check(service.registered && service.state == SERVICE_RUNNING, "PCIDebug runs (state %lu)", service.state);
  const char* image = strncmp(service.path, "\\??\\", 4) == 0 ? service.path + 4 : service.path;
  Check(lstrcmpiA(image, expected) == 0, "PCIDebug runs %s, not %s", service.path, expected);
  if (opened == 1) {
    ReadConfiguration(*access.driver);
    RefuseWrites(access);
  }
  vx::CloseAccessDriver(access, system);
  Check(vxwine::WaitServiceGone("PCIDebug"), "the PCIDebug service is still registered after CloseAccessDriver");
  vxwine::DeleteLeftover("giveio");
  return vxwine::Summary();
}
