#include "cli/sysfs_pci.h"

#include <dirent.h>
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
        devices_[bdf] = devices + "/" + entry->d_name + "/config";
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
  memset(out, 0, length);
  int fd = open(it->second.c_str(), O_RDONLY);
  if (fd < 0) return ERROR_PCI_NO_DEVICE;
  // The whole space, so that a short file is noticed whatever part is asked for.
  uint8_t space[256];
  ssize_t n = pread(fd, space, sizeof space, 0);
  close(fd);
  if (n < 0) return ERROR_PCI_NO_DEVICE;
  if (n < 256 && !self->warned_ && self->warn != nullptr) {
    self->warned_ = true;
    char message[200];
    snprintf(message, sizeof message,
             "only the first %d bytes of PCI configuration space are readable (not root); the rest reads as zeros",
             static_cast<int>(n));
    self->warn(message);
  }
  for (uint32_t i = 0; i < length; ++i) {
    if (offset + i < static_cast<uint32_t>(n)) out[i] = space[offset + i];
  }
  return PCIDEBUG_OK;
}

uint32_t SysfsPciBus::Write(void*, uint32_t, uint32_t, const uint8_t*, uint32_t) {
  return PCIDEBUG_ERROR_NOT_SUPPORTED;  // this front end only reads
}

uint32_t SysfsPciBus::LastBus(void* context) { return *static_cast<SysfsPciBus*>(context)->buses_.rbegin(); }

}  // namespace vexilor_cli
