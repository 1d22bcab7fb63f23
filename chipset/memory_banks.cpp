// Memory banks: each host bridge family keeps its DRAM rows differently; every decoder turns its registers
// into eight row sizes (eighths of a megabyte, two sides per bank), a DRAM type and a latency, and one
// formatter writes the bank fields and the total line.
#include "chipset/chipset.h"

namespace vx {

namespace {

const char* const kDramTypeWords[6] = {"FPM", "EDO", "SDRAM", "VC-SDRAM", "DRDRAM", "DDR-SDRAM"};

// Row sizes are 16-bit entries: every entry is stored modulo 65536.
uint16_t Entry(uint32_t value) { return static_cast<uint16_t>(value & 0xFFFF); }

// The cumulative walk: a row whose boundary lies above the previous one counts, with the difference as its
// size; a row at or below it is empty and leaves the previous boundary where it was.
struct BoundaryWalk {
  uint32_t previous = 0;
  // True when the row counts; *steps is then the difference to the previous boundary.
  bool Next(uint32_t boundary, uint32_t* steps) {
    if (boundary <= previous) return false;
    *steps = boundary - previous;
    previous = boundary;
    return true;
  }
};

// The 440 family's DRAM row boundary registers: eight cumulative boundaries in 8 MB steps from `first` on.
void EightRowsOf8MB(const uint8_t* image, uint32_t first, uint16_t* rows) {
  BoundaryWalk walk;
  for (int r = 0; r < kRowCount; ++r) {
    uint32_t steps;
    if (walk.Next(ImageByte(image, first + r), &steps)) rows[r] = Entry(steps * 64);
  }
}

// Latency fields of the VIA chipsets: the field plus one, except that 3 means none.
int ViaLatency(uint8_t field) { return field == 3 ? 0 : field + 1; }

}  // namespace

void ShowMemoryBanks(PageModel& page, int type, const uint16_t* rows, int latency) {
  uint32_t total = 0;
  for (int k = 0; k < 4; ++k) {
    uint32_t first = rows[2 * k], second = rows[2 * k + 1];
    if (first + second != 0)
      page.SetTextFormat(IDC_MB_BANK0 + k, "%dMB + %dMB", static_cast<int>(first / 8), static_cast<int>(second / 8));
  }
  for (int i = 0; i < kRowCount; ++i) total += rows[i];
  int megabytes = static_cast<int>(total / 8);

  if (type < 0 || type > kDramDdrSdram) {
    page.SetTextFormat(IDC_MB_MEMORY_TOTAL, "%dMB", megabytes);
    return;
  }
  const char* word = kDramTypeWords[type];
  if ((type == kDramSdram || type == kDramVcSdram) && latency != 0)
    page.SetTextFormat(IDC_MB_MEMORY_TOTAL, "%s %dMB (CL=%d)", word, megabytes, latency);
  else if (type == kDramDrdram)
    page.SetTextFormat(IDC_MB_MEMORY_TOTAL, "%s %dMB (RCD=%d)", word, megabytes, latency);
  else
    page.SetTextFormat(IDC_MB_MEMORY_TOTAL, "%s %dMB", word, megabytes);
}

// 430FX, 430MX, 430HX: cumulative boundaries in 4 MB steps from 0x60 on; register 0x68 marks EDO rows.
// The paired chips keep one boundary per bank in the even registers and size both sides alike.
void DecodeMemory430FX(PageModel& page, const uint8_t* image, const MemoryRegisters& regs) {
  const uint32_t firstBoundary = regs.first;
  const bool paired = regs.pairedRows;
  uint16_t rows[kRowCount] = {};
  int type = -2;  // unset
  BoundaryWalk walk;
  uint8_t edoBits = ImageByte(image, 0x68);
  for (int r = 0; r < 4; ++r) {
    uint32_t steps;
    uint32_t reg = paired ? firstBoundary + 2 * r : firstBoundary + r;
    if (!walk.Next(ImageByte(image, reg), &steps)) continue;
    int bit = paired ? 4 + r : 4 + r / 2;
    if (paired) {
      rows[2 * r] = rows[2 * r + 1] = Entry(steps * 16);
    } else {
      rows[r] = Entry(steps * 32);
    }
    if (edoBits & (1u << bit))
      type = type == kDramFpm ? kDramFpm : kDramEdo;
    else
      type = kDramFpm;
  }
  if (type == -2) type = kDramFpm;
  ShowMemoryBanks(page, type, rows, 0);
}

// 430VX, 430TX: six rows in 4 MB steps. Register 0x68 marks SDRAM (bits 7:4) and EDO (bits 3:0) for rows
// 0 to 3, register 0x67 bits 5:4 EDO for rows 4 and 5; 0x54 bit 4 is the SDRAM CAS latency.
void DecodeMemory430TX(PageModel& page, const uint8_t* image, const MemoryRegisters& regs) {
  const uint32_t firstBoundary = regs.first;
  uint16_t rows[kRowCount] = {};
  int type = -2;  // unset
  BoundaryWalk walk;
  uint8_t types = ImageByte(image, 0x68), upper = ImageByte(image, 0x67);
  for (int r = 0; r < 6; ++r) {
    uint32_t steps;
    if (!walk.Next(ImageByte(image, firstBoundary + r), &steps)) continue;
    rows[r] = Entry(steps * 32);
    bool sdram = r < 4 && (types & (1u << (4 + r)));
    bool edo = r < 4 ? (types & (1u << r)) != 0 : (upper & (1u << r)) != 0;
    if (sdram)
      type = kDramSdram;
    else if (edo)
      type = type == kDramFpm ? kDramFpm : kDramEdo;
    else
      type = kDramFpm;
  }
  if (type == -2) type = kDramFpm;
  int latency = ImageByte(image, 0x54) & 0x10 ? 2 : 3;
  ShowMemoryBanks(page, type, rows, latency);
}

// 440FX, 440LX/EX: eight rows in 8 MB steps (0x60-0x67); the first row's type field, bits 1:0 of 0x55,
// stands for all rows.
void DecodeMemory440FX(PageModel& page, const uint8_t* image, const MemoryRegisters& regs) {
  uint16_t rows[kRowCount] = {};
  EightRowsOf8MB(image, 0x60, rows);
  uint8_t field = ImageByte(image, 0x55) & 3;
  int type = field, latency = 0;
  if (regs.lxRules) {
    // The 440LX row types are 00 EDO and 10 SDRAM; 01 and 11 are reserved encodings that no BIOS
    // programs, so the line names no type for them.
    if (field == 0) {
      type = kDramEdo;
    } else if (field == 2) {
      type = kDramSdram;
      latency = ImageByte(image, 0x58) & 0x40 ? 2 : 3;
    } else {
      type = kDramUnknown;
    }
  }
  ShowMemoryBanks(page, type, rows, latency);
}

// 440BX/ZX, 440MX, 440GX: eight rows in 8 MB steps; DRAM type in bits 4:3 of the DRAM control register,
// CAS latency in bit 2 of the SDRAM control register (base + 2).
void DecodeMemory440BX(PageModel& page, const uint8_t* image, const MemoryRegisters& regs) {
  uint16_t rows[kRowCount] = {};
  EightRowsOf8MB(image, regs.first, rows);
  int type = ((ImageByte(image, regs.dramControl) >> 3) & 3) + 1;
  int latency = ImageByte(image, regs.sdramControl + 2) & 0x04 ? 2 : 3;
  ShowMemoryBanks(page, type, rows, latency);
}

// 810 family: one population code per DIMM socket in register 0x52 (bank 0 low nibble, bank 1 high).
void DecodeMemory810(PageModel& page, const uint8_t* image, const MemoryRegisters&) {
  static const uint8_t kSides[16][2] = {
      {0, 0},   {8, 0},   {0, 0},   {8, 8},    {16, 0},   {16, 8},  {16, 16},  {32, 0},
      {32, 16}, {32, 32}, {64, 0},  {64, 32},  {64, 64},  {128, 0}, {128, 64}, {128, 128},
  };
  uint16_t rows[kRowCount] = {};
  uint8_t population = ImageByte(image, 0x52);
  for (int bank = 0; bank < 2; ++bank) {
    int code = (population >> (4 * bank)) & 0xF;
    rows[2 * bank] = Entry(kSides[code][0] * 8u);
    rows[2 * bank + 1] = Entry(kSides[code][1] * 8u);
  }
  int latency = ImageByte(image, 0x53) & 0x04 ? 2 : 3;
  ShowMemoryBanks(page, kDramSdram, rows, latency);
}

namespace {

// 820 and 840: RDRAM group boundaries in every second register from 0x60 (5 bits, 8 MB steps, scaled by
// the group's device size in bits 2:1 of 0x40 + i). Returns whether any row counted.
bool RambusRows(const uint8_t* image, uint16_t* rows) {
  BoundaryWalk walk;
  bool any = false;
  for (int i = 0; i < 8; ++i) {
    uint32_t steps;
    if (!walk.Next(ImageByte(image, 0x60 + 2 * i) & 0x1F, &steps)) continue;
    uint32_t shift = 6 + ((ImageByte(image, 0x40 + i) >> 1) & 3);
    rows[i] = Entry(steps << shift);
    any = true;
  }
  return any;
}

}  // namespace

void DecodeMemory820(PageModel& page, const uint8_t* image, const MemoryRegisters&) {
  uint16_t rows[kRowCount] = {};
  RambusRows(image, rows);
  int latency = (ImageByte(image, 0x50) >> 6) == 1 ? 7 : 9;
  ShowMemoryBanks(page, kDramDrdram, rows, latency);
}

void DecodeMemory840(PageModel& page, const uint8_t* image, const MemoryRegisters&) {
  uint16_t rows[kRowCount] = {};
  // An 840 always runs Rambus channels; with no group populated the registers say nothing about the
  // memory, so the line shows the total alone.
  int type = RambusRows(image, rows) ? kDramDrdram : kDramUnknown;
  int latency = (ImageByte(image, 0xBE) >> 6) == 1 ? 7 : 9;
  ShowMemoryBanks(page, type, rows, latency);
}

// AMD-751: six chip-select registers from the base (bit 0 enable, bits 6:1 address mask), the mode of each
// row in 0x50-0x52, the CAS latency in bits 3:2 of 0x54.
void DecodeMemoryAmd751(PageModel& page, const uint8_t* image, const MemoryRegisters& regs) {
  const uint32_t base = regs.first;
  uint16_t rows[kRowCount] = {};
  // A mask code outside the six contiguous masks is a setting the chip does not define. Such a row keeps
  // the base of the last listed code; before any listed code that base is 0, so the row shows empty.
  uint32_t baseSize = 0;
  for (int i = 0; i < 6; ++i) {
    uint8_t cs = ImageByte(image, base + 2 * i);
    if (!(cs & 1)) continue;
    switch ((cs >> 1) & 0x3F) {
      case 1: baseSize = 8; break;
      case 3: baseSize = 16; break;
      case 7: baseSize = 32; break;
      case 15: baseSize = 64; break;
      case 31: baseSize = 128; break;
      case 63: baseSize = 256; break;
      default: break;
    }
    uint8_t mode = ImageByte(image, 0x50 + i / 2);
    uint32_t m = (i % 2 == 0 ? mode >> 1 : mode >> 5) & 3;
    rows[i] = Entry(baseSize << (m + 1));
  }
  static const int kLatency[4] = {3, 2, 0, 4};
  ShowMemoryBanks(page, kDramSdram, rows, kLatency[(ImageByte(image, 0x54) >> 2) & 3]);
}

// VIA VPX, VP2, VP3, MVP3 and AMD-640: six rows in three pairs, boundaries base+2..base+7, memory address
// fields in base and base+1, type fields in base+8, latency fields in base+0xC+p.
void DecodeMemoryViaVp(PageModel& page, const uint8_t* image, const MemoryRegisters& regs) {
  const uint32_t base = regs.first;
  uint16_t rows[kRowCount] = {};
  uint8_t ma0 = ImageByte(image, base), ma1 = ImageByte(image, base + 1);
  const uint8_t fields[3] = {static_cast<uint8_t>((ma0 >> 5) & 7), static_cast<uint8_t>((ma0 >> 1) & 7),
                             static_cast<uint8_t>((ma1 >> 5) & 7)};
  uint8_t types = ImageByte(image, base + 8);
  int type = 0, latency = 0;
  BoundaryWalk walk;
  for (int i = 0; i < 6; ++i) {
    uint32_t steps;
    if (!walk.Next(ImageByte(image, base + 2 + i), &steps)) continue;
    int p = i / 2;
    uint32_t f = fields[p];
    uint32_t t = (types >> (2 * p)) & 3;
    uint32_t shift;
    if (t == 3) {
      type = kDramSdram;
      shift = f < 4 ? 4 : 6;
    } else {
      type = static_cast<int>(t);
      shift = f + 2;
    }
    rows[i] = Entry(steps << shift);
    latency = ViaLatency((ImageByte(image, base + 0xC + p) >> 4) & 3);
  }
  ShowMemoryBanks(page, type, rows, latency);
}

// VIA MVP4, Pro family, KX133, KT133, PM601: eight rows in 16 MB steps, rows 0-5 at base+2..base+7,
// rows 6 and 7 at base-2 and base-1.
void DecodeMemoryViaPro(PageModel& page, const uint8_t* image, const MemoryRegisters& regs) {
  const uint32_t base = regs.first;
  uint16_t rows[kRowCount] = {};
  uint8_t types = ImageByte(image, base + 8);
  int type = 0, latency = 0;
  BoundaryWalk walk;
  for (int i = 0; i < 8; ++i) {
    uint32_t steps;
    uint32_t reg = i < 6 ? base + 2 + i : base - 8 + i;
    if (!walk.Next(ImageByte(image, reg), &steps)) continue;
    int p = i / 2;
    uint32_t t = (types >> (2 * p)) & 3;
    type = t == 3 ? kDramSdram : static_cast<int>(t);
    rows[i] = Entry(steps * 128);
    latency = ViaLatency((ImageByte(image, base + 0xC + p) >> 4) & 3);
  }
  ShowMemoryBanks(page, type, rows, latency);
}

// ALi M1521 and later: eight 16-bit row registers, present when the high byte is not 0; bits 11:0 are the
// cumulative top in MB, bits 13:12 the type. From the M1541 on, each row counts one megabyte more than
// the difference of its top to the previous one (plus one). A row whose top equals the previous one is
// taken as it is (0, or 1 MB plus one).
void DecodeMemoryAli(PageModel& page, const uint8_t* image, const MemoryRegisters& regs) {
  const uint32_t firstRow = regs.first;
  uint16_t rows[kRowCount] = {};
  // No present row: the registers name no type, so the line shows the total alone.
  int type = kDramUnknown;
  uint32_t previous = 0;
  for (int k = 0; k < 8; ++k) {
    uint16_t reg = ImageWord(image, firstRow + 2 * k);
    uint8_t high = static_cast<uint8_t>(reg >> 8);
    if (high == 0) continue;
    uint32_t t = (high >> 4) & 3;
    type = t == 3 ? kDramSdram : static_cast<int>(t);
    uint32_t boundary = reg & 0x0FFF;
    // A top below the previous one describes no memory: the difference would wrap to a size of several
    // gigabytes, so the row is empty and the previous top stays.
    if (boundary < previous) continue;
    rows[k] = Entry((boundary - previous + (regs.plusOne ? 1 : 0)) * 8);
    previous = boundary;
  }
  int latency = ImageByte(image, 0x5C) & 0x10 ? 2 : 3;
  ShowMemoryBanks(page, type, rows, latency);
}

namespace {

// SiS 5597 size codes for fast-page banks in MB; -1 keeps the previous bank's size.
const int kSis5597Sizes[16] = {2, 8, 8, 16, 4, 16, 16, 32, 8, 32, 32, -1, -1, -1, -1, -1};
// The SDRAM module sizes of the same chip family (as on the 530); -1 keeps the previous bank's size.
const int kSis5597SdramSizes[16] = {8, 32, 32, 64, 16, 64, 64, 128, 32, 128, 128, 256, 16, -1, -1, -1};

}  // namespace

// SiS 5581/5591/5596/5597/5600: three banks, enable bits in 0x63, one register per bank from 0x60.
void DecodeMemorySis5597(PageModel& page, const uint8_t* image, const MemoryRegisters& regs) {
  const uint32_t firstBank = regs.first;
  uint16_t rows[kRowCount] = {};
  uint8_t enables = ImageByte(image, 0x63);
  int type = kDramFpm, latency = 0;
  int size = 0;  // MB, carried from the previous enabled bank
  for (int k = 0; k < 3; ++k) {
    if (!(enables & (1u << k))) continue;
    uint8_t x = ImageByte(image, firstBank + k);
    int code = x & 0xF;
    if (x & 0x80) {
      // Bit 7 marks a synchronous DRAM bank. It is sized with the SDRAM module table (the geometries the
      // 530 decodes as well) and takes its CAS latency from bit 4 of 0x57, rather than with the fast-page
      // table, whose 2 and 4 MB codes are not SDRAM module sizes.
      if (kSis5597SdramSizes[code] >= 0) size = kSis5597SdramSizes[code];
      type = kDramSdram;
      latency = ImageByte(image, 0x57) & 0x10 ? 3 : 2;
    } else {
      if (kSis5597Sizes[code] >= 0) size = kSis5597Sizes[code];
      type = kDramFpm;
    }
    rows[2 * k] = Entry(static_cast<uint32_t>(size) * 8);
    rows[2 * k + 1] = (x >> 5) == 1 ? rows[2 * k] : 0;
  }
  ShowMemoryBanks(page, type, rows, latency);
}

// SiS 530/540/620/630/730/740: three banks as on the 5597; bit 7 marks a VC-SDRAM bank sized 32 MB << code.
void DecodeMemorySis530(PageModel& page, const uint8_t* image, const MemoryRegisters& regs) {
  const uint32_t firstBank = regs.first;
  static const uint16_t kSdramSizes[16] = {8, 32, 32, 64, 16, 64, 64, 128, 32, 128, 128, 256, 16, 256, 256, 512};
  uint16_t rows[kRowCount] = {};
  uint8_t enables = ImageByte(image, 0x63);
  int type = kDramFpm;
  for (int k = 0; k < 3; ++k) {
    if (!(enables & (1u << k))) continue;
    uint8_t x = ImageByte(image, firstBank + k);
    uint32_t code = x & 0xF;
    if (x & 0x80) {
      rows[2 * k] = Entry(1u << (code + 8));
      type = kDramVcSdram;
    } else {
      rows[2 * k] = Entry(kSdramSizes[code] * 8u);
      type = kDramSdram;
    }
    rows[2 * k + 1] = (x >> 5) == 1 ? rows[2 * k] : 0;
  }
  int latency = ImageByte(image, 0x5D) & 0x08 ? 3 : 2;
  ShowMemoryBanks(page, type, rows, latency);
}

}  // namespace vx
