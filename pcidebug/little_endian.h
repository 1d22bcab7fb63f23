/* Little-endian loads and stores for configuration images, request buffers and recorded registers.
 * Plain C (compiles as C++ too): the kernel-mode driver includes it as well as the program. */
#ifndef VEXILOR_LITTLE_ENDIAN_H
#define VEXILOR_LITTLE_ENDIAN_H

#include <stdint.h>

static inline uint16_t LoadLe16(const uint8_t* p) { return (uint16_t)((uint32_t)p[0] | (uint32_t)p[1] << 8); }

static inline uint32_t LoadLe32(const uint8_t* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

/* Stores the low `width` bytes (0 to 4) of value. */
static inline void StoreLe(uint8_t* p, uint32_t value, uint32_t width) {
  uint32_t i;
  for (i = 0; i < width && i < 4; ++i) p[i] = (uint8_t)(value >> (8 * i));
}

static inline void StoreLe16(uint8_t* p, uint16_t value) { StoreLe(p, value, 2); }
static inline void StoreLe32(uint8_t* p, uint32_t value) { StoreLe(p, value, 4); }

#endif
