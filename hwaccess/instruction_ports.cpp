#include "hwaccess/instruction_ports.h"

namespace vx {

#if defined(__i386__) || defined(__x86_64__)

uint8_t InstructionPorts::In8(uint16_t port) {
  uint8_t v;
  __asm__ __volatile__("inb %w1, %b0" : "=a"(v) : "Nd"(port));
  return v;
}

uint16_t InstructionPorts::In16(uint16_t port) {
  uint16_t v;
  __asm__ __volatile__("inw %w1, %w0" : "=a"(v) : "Nd"(port));
  return v;
}

uint32_t InstructionPorts::In32(uint16_t port) {
  uint32_t v;
  __asm__ __volatile__("inl %w1, %0" : "=a"(v) : "Nd"(port));
  return v;
}

void InstructionPorts::Out8(uint16_t port, uint8_t value) {
  __asm__ __volatile__("outb %b0, %w1" : : "a"(value), "Nd"(port));
}

void InstructionPorts::Out16(uint16_t port, uint16_t value) {
  __asm__ __volatile__("outw %w0, %w1" : : "a"(value), "Nd"(port));
}

void InstructionPorts::Out32(uint16_t port, uint32_t value) {
  __asm__ __volatile__("outl %0, %w1" : : "a"(value), "Nd"(port));
}

#else
#error "the port instructions exist on x86 only"
#endif

}  // namespace vx
