// Chipset identification: the host bridge at 0:0.0 and its per-vendor device tables, the memory bank and
// second-level cache decoders that read its configuration image, the PCI-to-ISA bridge, the chipset name
// refinement and the USB field. Everything here reads configuration space only and writes the M/B page
// model (IDD_MB_PAGE) by control id.
#pragma once

#include <stdint.h>

#include "pcidebug/little_endian.h"
#include "report/page_model.h"
#include "report/pages.h"
#include "resources/control_ids.h"

namespace vx {

struct AccessState;

// A configuration image as the steps read it: 256 register bytes and one zero byte behind them.
constexpr int kConfigImageBytes = 256;
struct ConfigImage {
  uint8_t bytes[kConfigImageBytes + 1];
};

// Register access into an image. Configuration registers are eight bits wide: an offset past 0xFF wraps
// to the start of the function's space instead of reading behind the image.
inline uint8_t ImageByte(const uint8_t* image, uint32_t reg) { return image[reg & 0xFF]; }
inline uint16_t ImageWord(const uint8_t* image, uint32_t reg) {
  const uint8_t bytes[2] = {ImageByte(image, reg), ImageByte(image, reg + 1)};
  return LoadLe16(bytes);
}
inline uint32_t ImageDword(const uint8_t* image, uint32_t reg) {
  const uint8_t bytes[4] = {ImageByte(image, reg), ImageByte(image, reg + 1), ImageByte(image, reg + 2),
                            ImageByte(image, reg + 3)};
  return LoadLe32(bytes);
}

// ---- Memory banks -----------------------------------------------------------------------------------

// DRAM type index into the type words "FPM", "EDO", "SDRAM", "VC-SDRAM", "DRDRAM", "DDR-SDRAM".
enum DramType : int {
  kDramFpm = 0,
  kDramEdo = 1,
  kDramSdram = 2,
  kDramVcSdram = 3,
  kDramDrdram = 4,
  kDramDdrSdram = 5,
  // Registers that name no type (reserved encodings, or no populated row on a chipset without a default):
  // the total line then carries the total alone.
  kDramUnknown = -1,
};

// Row sizes in eighths of a megabyte: entries 2k and 2k+1 are the two sides of bank k.
constexpr int kRowCount = 8;

// Bank fields IDC_MB_BANK0-IDC_MB_BANK3 and the total line IDC_MB_MEMORY_TOTAL.
void ShowMemoryBanks(PageModel& page, int type, const uint16_t* rows, int latency);

// The register arguments of a memory decoder, by name. Each decoder reads the ones its comment names; a
// host bridge row sets them with the With... builders, e.g. MemoryRegisters().WithFirst(0x60).
struct MemoryRegisters {
  uint8_t first = 0;         // first boundary, row or bank register; the VIA and AMD-751 decoders' base
  uint8_t dramControl = 0;   // 440BX family: DRAM control (type in bits 4:3)
  uint8_t sdramControl = 0;  // 440BX family: SDRAM control base (CAS latency in bit 2 of base + 2)
  bool pairedRows = false;   // 430FX/HX: one boundary per bank, both sides alike
  bool lxRules = false;      // 440LX/EX: its own DRAM type encodings
  bool plusOne = false;      // ALi M1541 and later: each row one megabyte more than its difference

  constexpr MemoryRegisters WithFirst(uint8_t reg) const { MemoryRegisters r = *this; r.first = reg; return r; }
  constexpr MemoryRegisters WithDramControl(uint8_t reg) const {
    MemoryRegisters r = *this;
    r.dramControl = reg;
    return r;
  }
  constexpr MemoryRegisters WithSdramControl(uint8_t reg) const {
    MemoryRegisters r = *this;
    r.sdramControl = reg;
    return r;
  }
  constexpr MemoryRegisters PairedRows() const { MemoryRegisters r = *this; r.pairedRows = true; return r; }
  constexpr MemoryRegisters LxRules() const { MemoryRegisters r = *this; r.lxRules = true; return r; }
  constexpr MemoryRegisters PlusOne() const { MemoryRegisters r = *this; r.plusOne = true; return r; }
};

// A memory decoder: reads its registers from the image and writes the bank fields and the total line.
using MemoryDecoder = void (*)(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);

// 430FX, 430MX, 430HX: first, pairedRows.
void DecodeMemory430FX(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
// 430VX, 430TX: first.
void DecodeMemory430TX(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
// 440FX, 440LX/EX: lxRules.
void DecodeMemory440FX(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
// 440BX/ZX, 440MX, 440GX: dramControl, first (boundary), sdramControl.
void DecodeMemory440BX(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
// 810, 820, 840: fixed registers.
void DecodeMemory810(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
void DecodeMemory820(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
void DecodeMemory840(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
// AMD-751, VIA VP family, VIA Pro family: first (the base).
void DecodeMemoryAmd751(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
void DecodeMemoryViaVp(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
void DecodeMemoryViaPro(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
// ALi M1521 and later: first (row register), plusOne.
void DecodeMemoryAli(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
// SiS: first (bank register).
void DecodeMemorySis5597(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);
void DecodeMemorySis530(PageModel& page, const uint8_t* image, const MemoryRegisters& regs);

// A host bridge row's memory decoder and its registers; no decoder: the memory fields stay empty.
struct MemoryDecoderCall {
  MemoryDecoder decode;
  MemoryRegisters regs;
};

// ---- Second-level cache -----------------------------------------------------------------------------

void ShowL2FromTables(PageModel& page, const uint8_t* image, uint32_t reg, const char* const* sizes,
                      uint32_t sizeMask, const char* const* types, uint32_t typeMask);

// A cache decoder: reads its cache control register (and the next) and writes the cache line.
using CacheDecoder = void (*)(PageModel& page, const uint8_t* image, uint32_t reg);

void DecodeL2Intel430(PageModel& page, const uint8_t* image, uint32_t reg);  // 0x52
void DecodeL2ViaVp2(PageModel& page, const uint8_t* image, uint32_t reg);    // 0x50, reads reg + 1
void DecodeL2ViaVp3(PageModel& page, const uint8_t* image, uint32_t reg);    // 0x50, reads reg + 1
void DecodeL2AliM1451(PageModel& page, const uint8_t* image, uint32_t reg);  // 0x41
void DecodeL2AliM1511(PageModel& page, const uint8_t* image, uint32_t reg);  // 0x41
void DecodeL2AliM1521(PageModel& page, const uint8_t* image, uint32_t reg);  // 0x41
void DecodeL2Sis5596(PageModel& page, const uint8_t* image, uint32_t reg);   // 0x50
void DecodeL2Sis5597(PageModel& page, const uint8_t* image, uint32_t reg);   // 0x50 and 0x51
void DecodeL2Sis530(PageModel& page, const uint8_t* image, uint32_t reg);    // 0x50 and 0x51

// A host bridge row's cache decoder and its register; no decoder: the cache line stays empty.
struct CacheDecoderCall {
  CacheDecoder decode;
  uint8_t reg;
};

// ---- Host bridge ------------------------------------------------------------------------------------

// The stepping that a host bridge row shows in IDC_MB_STEPPING.
enum SteppingRule : uint8_t {
  kNoStepping,
  kSteppingFixed,         // value
  kSteppingWhenRevision,  // value when the revision equals rev, else none
  kSteppingRevisionPlus,  // revision + value
  kSteppingAmd,           // (revision AND 0x77) + 0xA0
  kSteppingAliM1531,      // 0xA0 for revision 1, else the revision itself
};
struct Stepping {
  SteppingRule rule;
  uint8_t value;
  uint8_t rev;
};
// The stepping value for a revision; false when the rule shows none.
bool SteppingValue(const Stepping& stepping, uint8_t revision, uint32_t* value);

// How a word is made: the row's own text, or formatted from the device ID.
enum WordRule : uint8_t {
  kWordText,          // the row's text as it stands
  kWordAliChip,       // "M%04X" of the device ID
  kWordSisThree,      // "%03X" of (device ID AND 0xFFF)
  kWordSisPair,       // "%04X/%04X" of the device ID and the device ID plus one
  kWordSisFour,       // "%04X" of the device ID
  kWordHexDevice,     // "%04X" of the device ID (VLSI)
};

// Extra work of a row beyond the words, stepping and decoders.
enum HostExtra : uint8_t {
  kNoExtra,
  kExtraViaAperture,  // AMD-640: the aperture size is taken again with the VIA rule on register 0x84
  kExtraSuperBypass,  // AMD-751: SuperBypass field from bit 9 of the dword at 0x60
};

constexpr uint32_t kAnyDevice = 0x10000;

struct HostRow {
  uint32_t device;  // device ID, or kAnyDevice
  uint8_t revLow, revHigh;  // the row applies to revisions revLow to revHigh
  WordRule chipsetRule;
  const char* chipsetWord;
  WordRule hostRule;
  const char* hostWord;
  Stepping stepping;
  MemoryDecoderCall memory;
  CacheDecoderCall cache;
  HostExtra extra;
};

struct HostTable {
  const HostRow* rows;
  int count;
};
// The six vendors' tables, searched in row order.
extern const HostTable kIntelHostTable;
extern const HostTable kViaHostTable;
extern const HostTable kAliHostTable;
extern const HostTable kSisHostTable;
extern const HostTable kAmdHostTable;
extern const HostTable kVlsiHostTable;
// The first row for the device and revision, or null.
const HostRow* FindHostRow(const HostTable& table, uint16_t device, uint8_t revision);

// Aperture rules, in MB.
uint32_t IntelApertureSizeMB(uint8_t reg);   // register 0xB4: halve 256 per set bit from bit 5 down
uint32_t ViaApertureSizeMB(uint8_t reg);     // register 0x84: halve 256 per set bit from bit 7 down
uint32_t ShiftApertureSizeMB(uint32_t unit, uint8_t field);  // unit << field

void ShowStepping(PageModel& page, uint32_t value);

// Vendor routines: 1 when the device is in the vendor's table (words written, stepping, decoders and extra
// work done), 0 when it is not (nothing written). Words are 257-byte buffers.
int NameIntelHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord);
int NameViaHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord);
int NameAliHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord);
int NameSisHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord);
int NameAmdHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord);
int NameVlsiHost(ProgramState& state, PageModel& page, const uint8_t* image, char* chipsetWord, char* hostWord);

// Whether a processor name calls for the "L3Cache" caption: the K6-III keeps its on-die cache as the
// second level, so the board's cache is the third.
bool IsK6III(const char* cpuName);

// 1 when the host bridge was read and shown, 0 when it cannot be read or is not a host bridge.
int IdentifyHostBridge(PageContext& context, PageModel& page);

// ---- South bridge, refinement, USB ------------------------------------------------------------------

int NameIntelSouth(const uint8_t* image, char* word);
int NameViaSouth(ProgramState& state, const uint8_t* image, char* word);
int NameSisSouth(const uint8_t* image, char* word);
int NameAmdSouth(const uint8_t* image, char* word);

int IdentifySouthBridge(PageContext& context, PageModel& page);
int RefineChipsetName(PageContext& context, PageModel& page);
int ShowUsbField(PageContext& context, PageModel& page);

// ---- The page ---------------------------------------------------------------------------------------

// Reads the page's controls back and writes the Chipset section.
void WriteChipsetSection(PageContext& context, const PageModel& page);

}  // namespace vx
