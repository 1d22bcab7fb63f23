// Second-level cache: on these boards the SRAM sits on the motherboard under the host bridge's control.
// Each decoder enables the "L2Cache" label and writes one line: organisation, SRAM kind and size.
#include "chipset/chipset.h"

namespace vx {

namespace {

const char* const kSizeTableA[4] = {"No Cache", "256KB", "512KB", "1MB"};
const char* const kSizeTableB[4] = {"256KB", "512KB", "1MB", "2MB"};

// Every decoder enables the label first, then sets the field to its line (formatted in 80 bytes).
void ShowL2Line(PageModel& page, const Text<80>& line) {
  page.Enable(IDC_MB_L2_LABEL);
  page.SetText(IDC_MB_L2_FIELD, line.c_str());
}

}  // namespace

void ShowL2FromTables(PageModel& page, const uint8_t* image, uint32_t reg, const char* const* sizes,
                      uint32_t sizeMask, const char* const* types, uint32_t typeMask) {
  uint8_t x = ImageByte(image, reg);
  Text<80> line;
  line.Format("%s SRAM %s", types[(x >> 6) & typeMask], sizes[(x >> 1) & sizeMask]);
  ShowL2Line(page, line);
}

// 430FX/MX/HX/VX/TX cache control (0x52): bits 7:6 size, bit 4 two banks of pipelined burst SRAM.
void DecodeL2Intel430(PageModel& page, const uint8_t* image, uint32_t reg) {
  uint8_t x = ImageByte(image, reg);
  Text<80> line;
  line.Format("%s PB SRAM %s", x & 0x10 ? "2-banks" : "", kSizeTableA[(x >> 6) & 3]);
  ShowL2Line(page, line);
}

// VIA VPX/VP2 (and AMD-640) cache control 1 (0x51): bit 0 cache present, bits 1:0 size.
void DecodeL2ViaVp2(PageModel& page, const uint8_t* image, uint32_t reg) {
  uint8_t x = ImageByte(image, reg + 1);
  Text<80> line;
  if (x & 1)
    line.Format("%s %s SRAM %s", "2Banks", "PB", kSizeTableB[x & 3]);
  else
    line.Set("No SRAM");
  ShowL2Line(page, line);
}

// VIA VP3/MVP3/MVP4 cache control 1 (0x51).
void DecodeL2ViaVp3(PageModel& page, const uint8_t* image, uint32_t reg) {
  uint8_t x = ImageByte(image, reg + 1);
  Text<80> line;
  if (x & 1)
    line.Format("%s Burst SRAM %s", "Linear", kSizeTableB[x & 3]);
  else
    line.Set("No SRAM");
  ShowL2Line(page, line);
}

// ALi cache configuration (0x41): bits 7:6 SRAM kind, bits from 1 up the size.
void DecodeL2AliM1451(PageModel& page, const uint8_t* image, uint32_t reg) {
  static const char* const kSizes[8] = {"64KB", "128KB", "256KB", "512KB", "512KB", "1MB", "1MB", "2MB"};
  static const char* const kTypes[2] = {"", ""};
  ShowL2FromTables(page, image, reg, kSizes, 7, kTypes, 1);
}

void DecodeL2AliM1511(PageModel& page, const uint8_t* image, uint32_t reg) {
  static const char* const kSizes[8] = {"64KB", "64KB", "256KB", "256KB", "512KB", "512KB", "1MB", "1MB"};
  static const char* const kTypes[4] = {"Standard", "Standard", "Burst", "Pipelined Burst"};
  ShowL2FromTables(page, image, reg, kSizes, 7, kTypes, 3);
}

void DecodeL2AliM1521(PageModel& page, const uint8_t* image, uint32_t reg) {
  static const char* const kTypes[4] = {"Async", "Async", "2-bank PB", "Pipelined Burst"};
  ShowL2FromTables(page, image, reg, kSizeTableA, 3, kTypes, 3);
}

// SiS 5596 cache control (0x50): bits 2:1 size.
void DecodeL2Sis5596(PageModel& page, const uint8_t* image, uint32_t reg) {
  uint8_t x = ImageByte(image, reg);
  Text<80> line;
  line.Format("%s SRAM %s", "", kSizeTableA[(x >> 1) & 3]);
  ShowL2Line(page, line);
}

namespace {

// SiS 5597 family and 530: 0x50 bit 5 two banks, bit 4 pipelined burst; 0x51 bits 5:4 size.
void DecodeL2Sis(PageModel& page, const uint8_t* image, uint32_t reg, const char* const* sizes) {
  uint8_t x = ImageByte(image, reg), y = ImageByte(image, reg + 1);
  Text<80> line;
  line.Format("%s %s SRAM %s", x & 0x20 ? "2Banks" : "", x & 0x10 ? "PB" : "", sizes[(y >> 4) & 3]);
  ShowL2Line(page, line);
}

}  // namespace

void DecodeL2Sis5597(PageModel& page, const uint8_t* image, uint32_t reg) { DecodeL2Sis(page, image, reg, kSizeTableA); }

void DecodeL2Sis530(PageModel& page, const uint8_t* image, uint32_t reg) { DecodeL2Sis(page, image, reg, kSizeTableB); }

}  // namespace vx
