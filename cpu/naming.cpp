// Processor naming by vendor: the vendor text picks a rule, the rule looks the family and model (for
// Intel also the size class of the second-level cache) up in its table and composes the name and the
// socket or slot the part sits in.
#include <string.h>

#include "cpu/cpu_record.h"
#include "report/text.h"

namespace vx {

namespace {

// The model text that a rule composes for the vendor format ("Intel %s"): at most 35 characters.
using ModelText = Text<48>;

// Intel 486 and Pentium families, by family * 16 + model. The suffix is used only for OverDrive parts.
struct IntelShortRow {
  uint32_t key;
  const char* product;
  const char* suffix;
  const char* platform;
};

constexpr IntelShortRow kIntel486AndPentium[] = {
    {0x40, "486DX", "", "Socket1"},
    {0x41, "486DX", "", "Socket1"},
    {0x42, "486SX", "", "Socket3"},
    {0x43, "DX2/DX2 OverDrive", "", "Socket3"},
    {0x44, "486 SL", "", "unknown"},
    {0x45, "SX2", "", "Socket3"},
    {0x47, "DX2(WB)", "", "Socket3"},
    {0x48, "DX4/DX4 ODP", "", "Socket3"},
    {0x51, "Pentium", "", "Socket 4"},
    {0x52, "Pentium", " ODP", "Socket 5/7"},
    {0x53, "Pentium", " ODP", "Socket 5/7"},
    {0x54, "MMX Pentium", " ODP for i486", "Socket 7"},
    {0x57, "Pentium", "", "Mobile Module"},
    {0x58, "MMX Pentium", "", "Mobile Module"},
};

// The first P6 models, by family * 16 + model; the suffix is always appended. "Cerelon" and "Convington"
// here and below are the product's spellings (report/report.h).
constexpr IntelShortRow kIntelEarlyP6[] = {
    {0x61, "Pentium Pro", "", "Socket 8"},
    {0x62, "Cerelon", "", "Slot1"},
    {0x63, "Pentium II", "(Model3)", "Slot1"},
    {0x64, "Pentium II", " ODP", "Socket 8"},
};

// The later P6 models, by (family * 16 + model) * 16 + L2 class.
struct IntelLongRow {
  uint32_t key;
  const char* product;
  const char* codeName;
  const char* platform;
};

constexpr IntelLongRow kIntelP6[] = {
    {0x650, "Cerelon", "Convington", "Slot1"},
    {0x652, "Pentium II", "Model5", "Slot1"},
    {0x653, "Pentium II", "Model5", "Slot1"},
    {0x654, "Pentium II Xeon", "Model5", "Slot2"},
    {0x655, "Pentium II Xeon", "Model5", "Slot2"},
    {0x660, "P6 Core", "Mendocino", "Slot1/FC-PGA370"},
    {0x661, "Cerelon", "Mendocino", "Socket370(PPGA)"},
    {0x662, "Pentium II", "Mendocino", "Slot1"},
    {0x663, "Pentium II", "Model6", "Slot1"},
    {0x664, "Pentium II Xeon", "Model6", "Slot2"},
    {0x665, "Pentium II Xeon", "Model6", "Slot2"},
    {0x670, "P6 Core", "Katmai", "Slot1/FC-PGA370"},
    {0x671, "Cerelon", "Katmai", "Socket370(PPGA)"},
    {0x672, "Pentium III", "Katmai", "Socket370(PPGA)"},
    {0x673, "Pentium III", "Katmai", "Slot1"},
    {0x674, "Pentium III Xeon", "Katmai", "Slot2"},
    {0x675, "Pentium III Xeon", "Katmai", "Slot2"},
    {0x680, "P6 Core", "Coppermine", "Slot1/FC-PGA370"},
    {0x681, "Cerelon", "Coppermine", "Socket370(PPGA)"},
    {0x682, "Pentium III", "Coppermine", "Slot1/FC-PGA370"},
    {0x683, "Pentium III", "Coppermine", "Slot1"},
    {0x684, "Pentium III Xeon", "Coppermine", "Slot2"},
    {0x685, "Pentium III Xeon", "Coppermine", "Slot2"},
    // No Tualatin rows: the core is family 6 model 11, and rows keyed by L2 class there would name a
    // 256 KB Tualatin Celeron a Pentium III and put socket-370-only parts on Slot 1. Like every other
    // family 6 model from 9 up, it reads "unknown".
};

template <typename Row, size_t N>
const Row* FindRow(const Row (&table)[N], uint32_t key) {
  for (const Row& row : table)
    if (row.key == key) return &row;
  return nullptr;
}

// The size class of the second-level cache that tells the P6 product lines apart. Without a reported
// size the brand ID decides (1 Celeron, 2 Pentium III). Leaf 2 reports powers of two only: 64 KB comes
// from descriptor 0x40, which on Intel parts means "no second-level cache", so it counts as class 0;
// anything above 2 MB is a Xeon-sized cache and counts as class 5; a size between two classes takes the
// lower one.
uint32_t IntelL2Class(uint32_t l2Kb, uint32_t brandId) {
  if (l2Kb == 0) return brandId == 1 ? 1 : brandId == 2 ? 3 : 0;
  if (l2Kb < 128) return 0;
  if (l2Kb < 256) return 1;
  if (l2Kb < 512) return 2;
  if (l2Kb < 1024) return 3;
  if (l2Kb < 2048) return 4;
  return 5;
}

int NameIntelCpu(CpuRecord& record, ModelText& model) {
  uint32_t key = record.familyId * 16 + record.modelId;
  if (key < 0x60) {
    const IntelShortRow* row = FindRow(kIntel486AndPentium, key);
    if (row == nullptr) return 0;
    model.Format("%s%s%s", key >= 0x57 ? "Mobile " : "", row->product, record.typeId == 1 ? row->suffix : "");
    TextCopy(record.platform, sizeof record.platform, row->platform);
    return 1;
  }
  if (key <= 0x64) {
    const IntelShortRow* row = FindRow(kIntelEarlyP6, key);
    if (row == nullptr) return 0;
    model.Format("%s%s", row->product, row->suffix);
    TextCopy(record.platform, sizeof record.platform, row->platform);
    return 1;
  }
  if (key >= 0x70) {
    model.Set("Pentium IV");
    TextCopy(record.platform, sizeof record.platform, "Socket W");
    return 1;
  }
  const IntelLongRow* row = FindRow(kIntelP6, key * 16 + IntelL2Class(record.l2Kb, record.brandId));
  if (row == nullptr) return 0;
  if (record.steppingId >= 10) {
    model.Format("Mobile %s(%s)", row->product, row->codeName);
    TextCopy(record.platform, sizeof record.platform, "Mobile Module");
  } else {
    model.Format("%s(%s)", row->product, row->codeName);
    TextCopy(record.platform, sizeof record.platform, row->platform);
  }
  return 1;
}

struct AmdK7Row {
  uint32_t key;
  const char* product;
  const char* codeName;
  const char* platform;
};

constexpr AmdK7Row kAmdK7[] = {
    {0x60, "Athlon", "ES", "SlotA"},       {0x61, "Athlon", "0.25", "SlotA"},
    {0x62, "Athlon", "0.18", "SlotA"},     {0x63, "Duron", "Spitfire", "SocketA"},
    {0x64, "Athlon", "ThunderBird", "SlotA"}, {0x65, "Athlon", "Corvette", "SocketA"},
};

int NameAmdCpu(CpuRecord& record, ModelText& model) {
  switch (record.familyId) {
    case 4:
      model.Set("Am486");
      TextCopy(record.platform, sizeof record.platform, "Socket 3");
      return 1;
    case 5: {
      uint32_t m = record.modelId;
      if (m <= 3) {
        model.Format("K5(Model %X)", static_cast<unsigned>(m));
      } else if (m == 6 || m == 7) {
        model.Format("K6(Model %X)", static_cast<unsigned>(m));
      } else if (m == 8) {
        model.Format("K6-2%s", record.steppingId >= 8 ? "(CXT)" : "");
      } else if (m == 9) {
        model.Set("K6-III");
      } else {  // 4, 5 and 10 to 15
        model.Set(record.l2Kb >= 256 ? "K6-III+" : "K6-2+");
      }
      TextCopy(record.platform, sizeof record.platform, m < 6 ? "Socket 5/7" : "Socket7");
      return 1;
    }
    case 6: {
      const AmdK7Row* row = FindRow(kAmdK7, record.familyId * 16 + record.modelId);
      if (row == nullptr) return 0;
      model.Format("%s(%s)", row->product, row->codeName);
      TextCopy(record.platform, sizeof record.platform, row->platform);
      return 1;
    }
    default:
      return 0;
  }
}

// Cyrix parts that report CPUID, by family and model of their signature. CPUID does not report the clock
// multiplier (it sits in configuration register DIR0, which is reached only by writing an index to port
// 0x22, and the program writes no port but the PCI configuration address), so each row carries the
// multiplier code of the part's usual multiplier: code * 0.5 + 1.0 is the factor shown.
struct CyrixRow {
  uint32_t family;
  uint32_t model;
  uint32_t index;           // into kCyrixModels
  uint32_t multiplierCode;  // 4: 3.0x, 2: 2.0x, 3: 2.5x, 6: 4.0x
};

constexpr CyrixRow kCyrixSignatures[] = {
    {4, 9, 2, 4},  // 5x86: sold at 3x (100 and 120 MHz on 33 and 40 MHz buses)
    {5, 2, 3, 2},  // 6x86 and 6x86L: every PR rating at 2x
    {4, 4, 4, 6},  // MediaGX: 4x the 33 MHz bus
    {5, 4, 4, 6},  // MediaGX MMX-enhanced (GXm) and Geode GX1
    {6, 0, 5, 3},  // 6x86MX and MII: 2.5x is the most common multiplier
};

constexpr const char* kCyrixModels[6] = {"", "", "5x86", "6x86/6x86L", "MediaGX", "6x86MX/M2"};

int NameCyrixCpu(CpuRecord& record) {
  const CyrixRow* found = nullptr;
  for (const CyrixRow& row : kCyrixSignatures)
    if (row.family == record.familyId && row.model == record.modelId) {
      found = &row;
      break;
    }
  if (found == nullptr || found->index >= 6) return 0;
  // The factor is a multiple of 0.5, formatted from whole tenths so that no floating point is needed.
  uint32_t tenths = found->multiplierCode * 5 + 10;
  TextFormat(record.name, sizeof record.name, "%s/%u.%ux", kCyrixModels[found->index], tenths / 10, tenths % 10);
  TextCopy(record.platform, sizeof record.platform, found->index == 4 ? "Compatible Socket 7" : "Socket 5/7");
  return 1;
}

void SetUnknown(CpuRecord& record) {
  TextCopy(record.name, sizeof record.name, "unknown");
  TextCopy(record.platform, sizeof record.platform, "unknown");
}

}  // namespace

void NameCpu(CpuRecord& record) {
  ModelText model;
  const char* vendor = record.vendorId;
  if (strcmp(vendor, "GenuineIntel") == 0) {
    if (NameIntelCpu(record, model) == 0) return SetUnknown(record);
    TextFormat(record.name, sizeof record.name, "Intel %s", model.c_str());
  } else if (strcmp(vendor, "AuthenticAMD") == 0) {
    if (NameAmdCpu(record, model) == 0) return SetUnknown(record);
    TextFormat(record.name, sizeof record.name, "AMD %s", model.c_str());
  } else if (strcmp(vendor, "CyrixInstead") == 0) {
    if (NameCyrixCpu(record) == 0) return SetUnknown(record);
  } else if (strcmp(vendor, "CentaurHauls") == 0) {
    TextFormat(record.name, sizeof record.name, "IDT WinChip %s", record.modelId < 8 ? "C6" : "2");
    TextCopy(record.platform, sizeof record.platform, "Socket 5/7");
  } else if (strcmp(vendor, "RiseRiseRise") == 0) {
    TextFormat(record.name, sizeof record.name, "Rise mP6%s", record.modelId < 8 ? "" : "-II");
    TextCopy(record.platform, sizeof record.platform, "Socket 7");
  } else {
    SetUnknown(record);
  }
}

}  // namespace vx
