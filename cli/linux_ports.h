// The Windows 9x port route on Linux: configuration mechanism 1 through ports 0xCF8/0xCFC, executed by
// this process with the I/O privilege that a root process can ask the kernel for (iopl, else ioperm).
#pragma once

#include <stdint.h>

#include <string>

#include "hwaccess/access.h"
#include "hwaccess/instruction_ports.h"

namespace vexilor_cli {

// IN and OUT (the program's own instructions), limited to the ports that the kernel granted: a port outside them reads all
// ones and is not written (the instruction would fault). Counts the configuration requests (32-bit writes
// of an address to 0xCF8).
class LinuxPortIo final : public vx::PortIo {
 public:
  // Asks the kernel for every port (iopl 3), else for 0xCF8-0xCFF alone (ioperm). False, with a message
  // for the user, when neither is granted (not root, kernel lockdown, not an x86 processor).
  bool Acquire(std::string* error);

  uint8_t In8(uint16_t port) override;
  uint16_t In16(uint16_t port) override;
  uint32_t In32(uint16_t port) override;
  void Out8(uint16_t port, uint8_t value) override;
  void Out16(uint16_t port, uint16_t value) override;
  void Out32(uint16_t port, uint32_t value) override;

  uint32_t configRequests = 0;

 private:
  bool Granted(uint16_t port, uint32_t width) const {
    return port >= first_ && static_cast<uint32_t>(port) + width <= end_;
  }
  uint32_t first_ = 0, end_ = 0;  // granted ports [first_, end_)
  vx::InstructionPorts cpu_;
};

}  // namespace vexilor_cli
