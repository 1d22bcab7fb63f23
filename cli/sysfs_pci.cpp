#include "cli/sysfs_pci.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

namespace vexilor_cli {

namespace {

void WarnToStderr(const char* message) { fprintf(stderr, "vexilor-report: %s\n", message); }

// "0000:bb:dd.f" -> domain, BusDevFn.
bool ParseAddress(const char* name, unsigned* domain, uint16_t* busDevFn) {
  unsigned bus, device, function;
  char tail;
  if (sscanf(name, "%4x:%2x:%2x.%1u%c", domain, &bus, &device, &function, &tail) != 4) return false;
  if (bus > 255 || device > 31 || function > 7) return false;
  *busDevFn = static_cast<uint16_t>(bus << 8 | device << 3 | function);
  return true;
}

}  // namespace

SysfsPciBus::SysfsPciBus(std::string root) {
  warn = WarnToStderr;
  buses_.insert(0);
  std::string devices = root + "/bus/pci/devices";
  if (DIR* dir = opendir(devices.c_str())) {
    while (dirent* entry = readdir(dir)) {
      unsigned domain;
      uint16_t bdf;
      if (ParseAddress(entry->d_name, &domain, &bdf) && domain == 0) {
        devices_[bdf].path = devices + "/" + entry->d_name + "/config";
        buses_.insert(bdf >> 8);
      }
    }
    closedir(dir);
  }
  std::string busDir = root + "/class/pci_bus";
  if (DIR* dir = opendir(busDir.c_str())) {
    while (dirent* entry = readdir(dir)) {
      unsigned domain, bus;
      char tail;
      if (sscanf(entry->d_name, "%4x:%2x%c", &domain, &bus, &tail) == 2 && domain == 0 && bus < 256) {
        buses_.insert(bus);
      }
    }
    closedir(dir);
  }
}

void SysfsPciBus::Bind(PciDebugBus* bus) {
  bus->context = this;
  bus->read = Read;
  bus->write = Write;
  bus->lastBus = LastBus;
}

uint32_t SysfsPciBus::Read(void* context, uint32_t busDevFn, uint32_t offset, uint8_t* out, uint32_t length) {
  auto* self = static_cast<SysfsPciBus*>(context);
  auto it = self->devices_.find(static_cast<uint16_t>(busDevFn));
  if (it == self->devices_.end()) {
    return self->buses_.count(busDevFn >> 8) ? ERROR_PCI_NO_DEVICE : ERROR_PCI_NO_BUS;
  }
  const Image& image = self->ImageOf(it->second);
  if (image.length <= 0) return ERROR_PCI_NO_DEVICE;  // could not be opened or read
  for (uint32_t i = 0; i < length; ++i)
    out[i] = offset + i < static_cast<uint32_t>(image.length) ? image.bytes[offset + i] : 0;
  return PCIDEBUG_OK;
}

// The configuration space of a function, read once (as lspci does) and kept for every later request: the
// whole space in one pread, so that a short file is noticed whatever part is asked for. A read of no bytes
// is a failure, not a device of zeros.
const SysfsPciBus::Image& SysfsPciBus::ImageOf(Device& device) {
  if (device.read) return device.image;
  device.read = true;
  device.image.length = -1;
  int fd = open(device.path.c_str(), O_RDONLY);
  if (fd < 0) return device.image;
  ssize_t n;
  do {
    n = pread(fd, device.image.bytes, sizeof device.image.bytes, 0);
  } while (n < 0 && errno == EINTR);
  close(fd);
  device.image.length = static_cast<int>(n);
  if (n > 0 && n < 256 && !warned_ && warn != nullptr) {
    warned_ = true;
    char message[200];
    snprintf(message, sizeof message,
             "only the first %d bytes of PCI configuration space are readable (not root); the rest reads as zeros",
             static_cast<int>(n));
    warn(message);
  }
  return device.image;
}

uint32_t SysfsPciBus::Write(void*, uint32_t, uint32_t, const uint8_t*, uint32_t) {
  return PCIDEBUG_ERROR_NOT_SUPPORTED;  // this front end only reads
}

uint32_t SysfsPciBus::LastBus(void* context) { return *static_cast<SysfsPciBus*>(context)->buses_.rbegin(); }

}  // namespace vexilor_cli
