// Under Wine: the shipped pcilibnt.sys, unchanged, read by a client of its own that shares nothing with the
// program's driver code: it registers and starts the driver from the administrators' folder
// (%SystemRoot%\system32\drivers\pcilibnt.sys, put there by the harness), opens "\\.\PciDebug" and sends
// raw requests. The driver host has the stand-in hal.dll built with the faulty bus 0xFE around the
// recording given (tests/drivers/hal): every configuration read must answer what the request handler
// answers in-process for that recording, the faulty bus what only the stand-in gives, and every port
// request, write and unknown code must be refused. At the end the service is stopped and deleted.
//
//   real-driver-wine-test.exe [--exe FILE] [--shots DIR] MACHINE.TXT   (wine-run.sh gives the options; unused)
//
// Prints one line per failed check and "N passed, N failed"; exit status 0 when nothing failed.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>

#include "hwaccess/pci_machine.h"
#include "pcidebug/pcidebug.h"
#include "tests/hwaccess/wine_services.h"

namespace {

using vxwine::Check;

const uint32_t kFaultBus = 0xFE;
HANDLE g_device = INVALID_HANDLE_VALUE;

// One request to the driver: 0 or the error the caller sees; *returned the bytes it gave back.
uint32_t Send(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength,
              uint32_t* returned = nullptr) {
  DWORD got = 0;
  BOOL ok = DeviceIoControl(g_device, code, const_cast<void*>(in), inLength, out, outLength, &got, nullptr);
  if (returned != nullptr) *returned = got;
  return ok ? 0 : GetLastError();
}

uint32_t BusDevFn(uint32_t bus, uint32_t device, uint32_t function) { return bus << 8 | device << 3 | function; }

// One configuration read, the driver's answer against the handler's in-process on the recording: the
// recording's answer.
uint32_t CompareRead(const PciDebugBus& recorded, uint32_t busDevFn, uint32_t offset, uint32_t length) {
  uint32_t in[2] = {busDevFn, offset};
  uint8_t a[256], b[256];
  memset(a, 0xEE, sizeof a);
  memset(b, 0xEE, sizeof b);
  uint32_t returned = 0, expectedReturned = 0;
  uint32_t got = Send(IOCTL_READ_PCI_CONFIG, in, 8, a, length, &returned);
  uint32_t expected = PciDebugHandleRequest(&recorded, nullptr, IOCTL_READ_PCI_CONFIG, in, 8, b, length,
                                            &expectedReturned);
  Check(got == expected, "%02x:%02x.%u register %02x, %u bytes: the driver answers %08x, the recording %08x",
        busDevFn >> 8, (busDevFn >> 3) & 31, busDevFn & 7, offset, length, got, expected);
  if (got == 0 && expected == 0) {
    Check(returned == length && memcmp(a, b, length) == 0, "%02x:%02x.%u register %02x: other bytes than recorded",
          busDevFn >> 8, (busDevFn >> 3) & 31, busDevFn & 7, offset);
  }
  return expected;
}

// Register 0 of every function of every bus (a device's other functions skipped when function 0 is
// absent, as a scan does), every recorded function whole and in dwords, the PCI BIOS data.
void ReadConfiguration(const vx::RecordedPciMachine& machine, const PciDebugBus& recorded) {
  int reads = 0;
  for (uint32_t bus = 0; bus < 256; ++bus) {
    if (bus == kFaultBus) continue;
    for (uint32_t d = 0; d < 32; ++d) {
      for (uint32_t f = 0; f < 8; ++f, ++reads) {
        if (CompareRead(recorded, BusDevFn(bus, d, f), 0, 4) != 0 && f == 0) break;
      }
    }
  }
  for (const PciDebugFunction& f : machine.functions) {
    CompareRead(recorded, f.busDevFn, 0, 256);
    for (uint32_t offset = 0; offset < 256; offset += 4, ++reads) CompareRead(recorded, f.busDevFn, offset, 4);
  }
  uint8_t bios[PCIDEBUG_BIOS_INFO_BYTES], expected[PCIDEBUG_BIOS_INFO_BYTES];
  uint32_t returned;
  Check(Send(IOCTL_PCI_BIOS_INFO, nullptr, 0, bios, sizeof bios) == 0, "the PCI BIOS data");
  PciDebugHandleRequest(&recorded, nullptr, IOCTL_PCI_BIOS_INFO, nullptr, 0, expected, sizeof expected, &returned);
  Check(memcmp(bios, expected, sizeof bios) == 0, "PCI BIOS data: last bus %u, the recording's %u",
        bios[PCIDEBUG_BIOS_LAST_BUS], expected[PCIDEBUG_BIOS_LAST_BUS]);
  printf("%d configuration reads compared with the recording\n", reads);
}

// What only the stand-in's faulty bus gives: a 1-byte vendor ID is no device, a short answer no answer, an
// empty slot no device; the bus before it does not exist.
void ReadFaultBus() {
  struct {
    uint32_t device, offset, length, answer;
    const char* what;
  } rows[] = {
      {0, 0x00, 4, ERROR_PCI_NO_DEVICE, "a vendor ID of one byte"},
      {1, 0x00, 4, PCIDEBUG_ERROR_GEN_FAILURE, "a short read after a whole vendor ID"},
      {1, 0x40, 1, PCIDEBUG_ERROR_GEN_FAILURE, "a short read of one byte"},
      {2, 0x00, 4, ERROR_PCI_NO_DEVICE, "an empty slot"},
  };
  for (const auto& r : rows) {
    uint32_t in[2] = {BusDevFn(kFaultBus, r.device, 0), r.offset};
    uint8_t out[4];
    uint32_t answer = Send(IOCTL_READ_PCI_CONFIG, in, 8, out, r.length);
    Check(answer == r.answer, "bus %02x, %s: %08x, not %08x (is the stand-in hal.dll loaded?)", kFaultBus, r.what,
          answer, r.answer);
  }
  uint32_t in[2] = {BusDevFn(kFaultBus - 1, 0, 0), 0};
  uint8_t out[4];
  Check(Send(IOCTL_READ_PCI_CONFIG, in, 8, out, 4) == ERROR_PCI_NO_BUS, "bus %02x is absent", kFaultBus - 1);
}

// Every port request and every write refused whatever its lengths, before anything else is looked at;
// codes outside the format and lengths that do not fit it get their own errors.
void Refusals() {
  uint8_t in[8 + 256], out[16];
  memset(in, 0, sizeof in);
  in[0] = 0x61;  // port 0x61, or BusDevFn 00:0c.1
  struct {
    uint32_t code, inLength, outLength, answer;
    const char* what;
  } rows[] = {
      {IOCTL_READ_PORT8, 4, 1, ERROR_ACCESS_DENIED, "8-bit port read"},
      {IOCTL_READ_PORT16, 4, 2, ERROR_ACCESS_DENIED, "16-bit port read"},
      {IOCTL_READ_PORT32, 4, 4, ERROR_ACCESS_DENIED, "32-bit port read"},
      {IOCTL_READ_PORT32, 0, 0, ERROR_ACCESS_DENIED, "32-bit port read without buffers"},
      {IOCTL_WRITE_PORT8, 5, 0, ERROR_ACCESS_DENIED, "8-bit port write"},
      {IOCTL_WRITE_PORT16, 6, 0, ERROR_ACCESS_DENIED, "16-bit port write"},
      {IOCTL_WRITE_PORT32, 8, 0, ERROR_ACCESS_DENIED, "32-bit port write"},
      {IOCTL_WRITE_PORT32, 3, 4, ERROR_ACCESS_DENIED, "32-bit port write with wrong lengths"},
      {IOCTL_WRITE_PCI_CONFIG, 12, 0, ERROR_ACCESS_DENIED, "configuration write of 4 bytes"},
      {IOCTL_WRITE_PCI_CONFIG, 8 + 256, 0, ERROR_ACCESS_DENIED, "configuration write of 256 bytes"},
      {IOCTL_WRITE_PCI_CONFIG, 0, 0, ERROR_ACCESS_DENIED, "configuration write without input"},
      {0x9C406504u, 8, 4, ERROR_INVALID_FUNCTION, "an unknown function"},
      {0x00226000u, 8, 4, ERROR_INVALID_FUNCTION, "another device type's code"},
      {IOCTL_READ_PCI_CONFIG | 3u, 8, 4, ERROR_INVALID_FUNCTION, "a configuration read as METHOD_NEITHER"},
      {IOCTL_READ_PCI_CONFIG & ~0xC000u, 8, 4, ERROR_INVALID_FUNCTION, "a configuration read with any access"},
      {IOCTL_READ_PCI_CONFIG, 7, 4, ERROR_INVALID_PARAMETER, "a configuration read of 7 input bytes"},
      {IOCTL_READ_PCI_CONFIG, 8, 0, ERROR_INVALID_PARAMETER, "a configuration read with no output"},
      {IOCTL_PCI_BIOS_INFO, 0, 8, ERROR_INVALID_PARAMETER, "short PCI BIOS data"},
  };
  for (const auto& r : rows) {
    uint32_t returned = 99;
    uint32_t answer = Send(r.code, r.inLength ? in : nullptr, r.inLength, r.outLength ? out : nullptr, r.outLength,
                           &returned);
    Check(answer == r.answer && returned == 0, "%s answers %u (%u bytes), not %u", r.what, answer, returned, r.answer);
  }
  uint32_t beyond[2] = {0, 0xFD};
  Check(Send(IOCTL_READ_PCI_CONFIG, beyond, 8, out, 4) == ERROR_INVALID_PARAMETER, "a read past register 0xFF");
}

bool ReadText(const char* path, std::string* text) {
  FILE* f = fopen(path, "rb");
  if (f == nullptr) return false;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text->append(buffer, n);
  fclose(f);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if ((strcmp(argv[i], "--exe") == 0 || strcmp(argv[i], "--shots") == 0) && i + 1 < argc) ++i;
    else path = path == nullptr ? argv[i] : "";
  }
  if (path == nullptr || *path == 0) {
    printf("usage: real-driver-wine-test [--exe FILE] [--shots DIR] MACHINE.TXT\n");
    return 2;
  }
  std::string text;
  auto machine = std::make_unique<vx::RecordedPciMachine>();
  char err[512];
  if (!ReadText(path, &text) || !vx::ParsePciMachine(text.data(), text.size(), path, machine.get(), err, sizeof err)) {
    printf("%s: cannot be read as a recording\n", path);
    return 2;
  }
  PciDebugBus recorded;
  PciDebugMachineBus(&machine->machine, &recorded);

  char image[MAX_PATH];
  GetWindowsDirectoryA(image, sizeof image);
  lstrcatA(image, "\\system32\\drivers\\pcilibnt.sys");
  vxwine::DeleteLeftover("PCIDebug");
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = manager ? CreateServiceA(manager, "PCIDebug", "PCIDebug", SERVICE_ALL_ACCESS,
                                               SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                               image, nullptr, nullptr, nullptr, nullptr, nullptr)
                              : nullptr;
  Check(service != nullptr, "CreateService %s: error %lu", image, GetLastError());
  if (service != nullptr) Check(StartServiceA(service, 0, nullptr), "StartService: error %lu", GetLastError());
  g_device = CreateFileA("\\\\.\\PciDebug", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(g_device != INVALID_HANDLE_VALUE, "\\\\.\\PciDebug does not open: error %lu", GetLastError());
  if (g_device != INVALID_HANDLE_VALUE) {
    ReadConfiguration(*machine, recorded);
    ReadFaultBus();
    Refusals();
    CloseHandle(g_device);
  }
  // A name below the device is refused (Wine refuses it before the driver sees it; the driver's own refusal
  // is a row of the admission test).
  HANDLE below = CreateFileA("\\\\.\\PciDebug\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(below == INVALID_HANDLE_VALUE, "\\\\.\\PciDebug\\x opens");
  if (below != INVALID_HANDLE_VALUE) CloseHandle(below);

  if (service != nullptr) {
    SERVICE_STATUS status;
    Check(ControlService(service, SERVICE_CONTROL_STOP, &status), "the driver does not stop: error %lu", GetLastError());
    DeleteService(service);
    CloseServiceHandle(service);
  }
  if (manager != nullptr) CloseServiceHandle(manager);
  Check(vxwine::WaitServiceGone("PCIDebug"), "the PCIDebug service is still registered");
  return vxwine::Summary();
}
