// The IN and OUT instructions themselves (i686 and x86_64). Only a process that may use them (Windows 9x,
// Windows NT after giveio, Linux after ioperm) gets an answer; elsewhere they fault.
#pragma once

#include "hwaccess/access.h"

namespace vx {

class InstructionPorts final : public PortIo {
 public:
  constexpr InstructionPorts() = default;
  uint8_t In8(uint16_t port) override;
  uint16_t In16(uint16_t port) override;
  uint32_t In32(uint16_t port) override;
  void Out8(uint16_t port, uint8_t value) override;
  void Out16(uint16_t port, uint16_t value) override;
  void Out32(uint16_t port, uint32_t value) override;
};

}  // namespace vx
