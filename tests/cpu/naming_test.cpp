#include <gtest/gtest.h>

#include <string.h>

#include "cpu/cpu_record.h"

namespace {

struct Case {
  const char* vendor;
  uint32_t family, model, stepping, type, brandId, l2Kb;
  const char* name;
  const char* platform;
};

// Every row of every naming table, and the rules around them. Each expected text is written out here in
// full, so a wrong cell, a missing row or a row in the wrong place fails.
const Case kCases[] = {
    // Intel 486 and Pentium, by family and model; the OverDrive suffix only with type 1.
    {"GenuineIntel", 4, 0, 0, 0, 0, 0, "Intel 486DX", "Socket1"},
    {"GenuineIntel", 4, 1, 0, 0, 0, 0, "Intel 486DX", "Socket1"},
    {"GenuineIntel", 4, 2, 0, 0, 0, 0, "Intel 486SX", "Socket3"},
    {"GenuineIntel", 4, 3, 0, 0, 0, 0, "Intel DX2/DX2 OverDrive", "Socket3"},
    {"GenuineIntel", 4, 4, 0, 0, 0, 0, "Intel 486 SL", "unknown"},
    {"GenuineIntel", 4, 5, 0, 0, 0, 0, "Intel SX2", "Socket3"},
    {"GenuineIntel", 4, 6, 0, 0, 0, 0, "unknown", "unknown"},
    {"GenuineIntel", 4, 7, 0, 0, 0, 0, "Intel DX2(WB)", "Socket3"},
    {"GenuineIntel", 4, 8, 0, 1, 0, 0, "Intel DX4/DX4 ODP", "Socket3"},
    {"GenuineIntel", 4, 9, 0, 0, 0, 0, "unknown", "unknown"},
    {"GenuineIntel", 5, 0, 0, 0, 0, 0, "unknown", "unknown"},
    {"GenuineIntel", 5, 1, 0, 1, 0, 0, "Intel Pentium", "Socket 4"},
    {"GenuineIntel", 5, 2, 0, 0, 0, 0, "Intel Pentium", "Socket 5/7"},
    {"GenuineIntel", 5, 2, 0, 1, 0, 0, "Intel Pentium ODP", "Socket 5/7"},
    {"GenuineIntel", 5, 2, 0, 2, 0, 0, "Intel Pentium", "Socket 5/7"},
    {"GenuineIntel", 5, 3, 0, 1, 0, 0, "Intel Pentium ODP", "Socket 5/7"},
    {"GenuineIntel", 5, 4, 3, 0, 0, 0, "Intel MMX Pentium", "Socket 7"},
    {"GenuineIntel", 5, 4, 3, 1, 0, 0, "Intel MMX Pentium ODP for i486", "Socket 7"},
    {"GenuineIntel", 5, 5, 0, 0, 0, 0, "unknown", "unknown"},
    {"GenuineIntel", 5, 7, 0, 0, 0, 0, "Intel Mobile Pentium", "Mobile Module"},
    {"GenuineIntel", 5, 8, 1, 0, 0, 0, "Intel Mobile MMX Pentium", "Mobile Module"},
    {"GenuineIntel", 5, 9, 0, 0, 0, 0, "unknown", "unknown"},
    // The first P6 models: the suffix whatever the type; the cache plays no part.
    {"GenuineIntel", 6, 0, 0, 0, 0, 0, "unknown", "unknown"},
    {"GenuineIntel", 6, 1, 9, 0, 0, 256, "Intel Pentium Pro", "Socket 8"},
    {"GenuineIntel", 6, 2, 0, 0, 0, 0, "Intel Cerelon", "Slot1"},
    {"GenuineIntel", 6, 3, 3, 0, 0, 512, "Intel Pentium II(Model3)", "Slot1"},
    {"GenuineIntel", 6, 4, 0, 0, 0, 0, "Intel Pentium II ODP", "Socket 8"},
    // Family 6 from model 5, by model and L2 class.
    {"GenuineIntel", 6, 5, 0, 0, 0, 0, "Intel Cerelon(Convington)", "Slot1"},
    {"GenuineIntel", 6, 5, 0, 0, 0, 64, "Intel Cerelon(Convington)", "Slot1"},  // descriptor 0x40: no L2
    {"GenuineIntel", 6, 5, 0, 0, 0, 128, "unknown", "unknown"},
    {"GenuineIntel", 6, 5, 2, 0, 0, 256, "Intel Pentium II(Model5)", "Slot1"},
    {"GenuineIntel", 6, 5, 2, 0, 0, 512, "Intel Pentium II(Model5)", "Slot1"},
    {"GenuineIntel", 6, 5, 2, 0, 0, 1024, "Intel Pentium II Xeon(Model5)", "Slot2"},
    {"GenuineIntel", 6, 5, 2, 0, 0, 2048, "Intel Pentium II Xeon(Model5)", "Slot2"},
    {"GenuineIntel", 6, 6, 0, 0, 0, 0, "Intel P6 Core(Mendocino)", "Slot1/FC-PGA370"},
    {"GenuineIntel", 6, 6, 5, 0, 0, 128, "Intel Cerelon(Mendocino)", "Socket370(PPGA)"},
    {"GenuineIntel", 6, 6, 0, 0, 0, 256, "Intel Pentium II(Mendocino)", "Slot1"},
    {"GenuineIntel", 6, 6, 0, 0, 0, 512, "Intel Pentium II(Model6)", "Slot1"},
    {"GenuineIntel", 6, 6, 0, 0, 0, 1024, "Intel Pentium II Xeon(Model6)", "Slot2"},
    {"GenuineIntel", 6, 6, 0, 0, 0, 2048, "Intel Pentium II Xeon(Model6)", "Slot2"},
    {"GenuineIntel", 6, 7, 0, 0, 0, 0, "Intel P6 Core(Katmai)", "Slot1/FC-PGA370"},
    {"GenuineIntel", 6, 7, 0, 0, 0, 128, "Intel Cerelon(Katmai)", "Socket370(PPGA)"},
    {"GenuineIntel", 6, 7, 0, 0, 0, 256, "Intel Pentium III(Katmai)", "Socket370(PPGA)"},
    {"GenuineIntel", 6, 7, 3, 0, 0, 512, "Intel Pentium III(Katmai)", "Slot1"},
    {"GenuineIntel", 6, 7, 0, 0, 0, 1024, "Intel Pentium III Xeon(Katmai)", "Slot2"},
    {"GenuineIntel", 6, 7, 0, 0, 0, 2048, "Intel Pentium III Xeon(Katmai)", "Slot2"},
    {"GenuineIntel", 6, 8, 0, 0, 0, 0, "Intel P6 Core(Coppermine)", "Slot1/FC-PGA370"},
    {"GenuineIntel", 6, 8, 0, 0, 0, 128, "Intel Cerelon(Coppermine)", "Socket370(PPGA)"},
    {"GenuineIntel", 6, 8, 3, 0, 0, 256, "Intel Pentium III(Coppermine)", "Slot1/FC-PGA370"},
    {"GenuineIntel", 6, 8, 0, 0, 0, 512, "Intel Pentium III(Coppermine)", "Slot1"},
    {"GenuineIntel", 6, 8, 0, 0, 0, 1024, "Intel Pentium III Xeon(Coppermine)", "Slot2"},
    {"GenuineIntel", 6, 8, 0, 0, 0, 2048, "Intel Pentium III Xeon(Coppermine)", "Slot2"},
    // Family 6 model 11 (Tualatin) has no rows, whatever the cache.
    {"GenuineIntel", 6, 11, 1, 0, 0, 256, "unknown", "unknown"},
    {"GenuineIntel", 6, 11, 4, 0, 0, 512, "unknown", "unknown"},
    // Stepping 10 and above is the mobile part on the mobile module, the row's platform unused; the
    // longest composed name (41 characters) is kept whole.
    {"GenuineIntel", 6, 8, 10, 0, 0, 256, "Intel Mobile Pentium III(Coppermine)", "Mobile Module"},
    {"GenuineIntel", 6, 8, 15, 0, 0, 1024, "Intel Mobile Pentium III Xeon(Coppermine)", "Mobile Module"},
    {"GenuineIntel", 6, 6, 10, 0, 0, 128, "Intel Mobile Cerelon(Mendocino)", "Mobile Module"},
    // Without a reported L2 the brand ID decides: 1 Celeron, 2 Pentium III, others class 0.
    {"GenuineIntel", 6, 7, 0, 0, 2, 0, "Intel Pentium III(Katmai)", "Slot1"},
    {"GenuineIntel", 6, 8, 0, 0, 1, 0, "Intel Cerelon(Coppermine)", "Socket370(PPGA)"},
    {"GenuineIntel", 6, 8, 0, 0, 3, 0, "Intel P6 Core(Coppermine)", "Slot1/FC-PGA370"},
    {"GenuineIntel", 6, 8, 0, 0, 1, 512, "Intel Pentium III(Coppermine)", "Slot1"},  // a size wins
    // Sizes beyond the classes: above 2 MB counts as class 5.
    {"GenuineIntel", 6, 8, 0, 0, 0, 4096, "Intel Pentium III Xeon(Coppermine)", "Slot2"},
    {"GenuineIntel", 6, 9, 0, 0, 0, 1024, "unknown", "unknown"},
    {"GenuineIntel", 6, 10, 0, 0, 0, 1024, "unknown", "unknown"},
    {"GenuineIntel", 6, 15, 0, 0, 0, 256, "unknown", "unknown"},
    // Family 7 and above: the Pentium 4, whatever the cache and stepping.
    {"GenuineIntel", 7, 0, 0, 0, 0, 0, "Intel Pentium IV", "Socket W"},
    {"GenuineIntel", 15, 1, 12, 0, 8, 65536, "Intel Pentium IV", "Socket W"},
    {"GenuineIntel", 0, 0, 0, 0, 0, 0, "unknown", "unknown"},

    // AMD.
    {"AuthenticAMD", 4, 3, 0, 0, 0, 0, "AMD Am486", "Socket 3"},
    {"AuthenticAMD", 5, 0, 0, 0, 0, 0, "AMD K5(Model 0)", "Socket 5/7"},
    {"AuthenticAMD", 5, 1, 0, 0, 0, 0, "AMD K5(Model 1)", "Socket 5/7"},
    {"AuthenticAMD", 5, 3, 0, 0, 0, 0, "AMD K5(Model 3)", "Socket 5/7"},
    {"AuthenticAMD", 5, 4, 0, 0, 0, 0, "AMD K6-2+", "Socket 5/7"},
    {"AuthenticAMD", 5, 5, 0, 0, 0, 256, "AMD K6-III+", "Socket 5/7"},
    {"AuthenticAMD", 5, 6, 0, 0, 0, 0, "AMD K6(Model 6)", "Socket7"},
    {"AuthenticAMD", 5, 7, 0, 0, 0, 0, "AMD K6(Model 7)", "Socket7"},
    {"AuthenticAMD", 5, 8, 7, 0, 0, 0, "AMD K6-2", "Socket7"},
    {"AuthenticAMD", 5, 8, 8, 0, 0, 0, "AMD K6-2(CXT)", "Socket7"},
    {"AuthenticAMD", 5, 8, 12, 0, 0, 0, "AMD K6-2(CXT)", "Socket7"},
    {"AuthenticAMD", 5, 9, 1, 0, 0, 256, "AMD K6-III", "Socket7"},
    {"AuthenticAMD", 5, 10, 0, 0, 0, 255, "AMD K6-2+", "Socket7"},
    {"AuthenticAMD", 5, 13, 0, 0, 0, 256, "AMD K6-III+", "Socket7"},
    {"AuthenticAMD", 5, 13, 0, 0, 0, 128, "AMD K6-2+", "Socket7"},
    {"AuthenticAMD", 5, 15, 0, 0, 0, 0, "AMD K6-2+", "Socket7"},
    {"AuthenticAMD", 6, 0, 0, 0, 0, 0, "AMD Athlon(ES)", "SlotA"},
    {"AuthenticAMD", 6, 1, 0, 0, 0, 512, "AMD Athlon(0.25)", "SlotA"},
    {"AuthenticAMD", 6, 2, 0, 0, 0, 512, "AMD Athlon(0.18)", "SlotA"},
    {"AuthenticAMD", 6, 3, 0, 0, 0, 64, "AMD Duron(Spitfire)", "SocketA"},
    {"AuthenticAMD", 6, 4, 2, 0, 0, 256, "AMD Athlon(ThunderBird)", "SlotA"},
    {"AuthenticAMD", 6, 5, 0, 0, 0, 256, "AMD Athlon(Corvette)", "SocketA"},
    {"AuthenticAMD", 6, 7, 0, 0, 0, 64, "unknown", "unknown"},
    {"AuthenticAMD", 15, 4, 0, 0, 0, 1024, "unknown", "unknown"},
    {"AuthenticAMD", 3, 0, 0, 0, 0, 0, "unknown", "unknown"},

    // Cyrix, by the family and model of the part's signature; the multiplier is the model's usual one.
    {"CyrixInstead", 4, 9, 0, 0, 0, 0, "5x86/3.0x", "Socket 5/7"},
    {"CyrixInstead", 5, 2, 0, 0, 0, 0, "6x86/6x86L/2.0x", "Socket 5/7"},
    {"CyrixInstead", 4, 4, 0, 0, 0, 0, "MediaGX/4.0x", "Compatible Socket 7"},
    {"CyrixInstead", 5, 4, 0, 0, 0, 0, "MediaGX/4.0x", "Compatible Socket 7"},
    {"CyrixInstead", 6, 0, 0, 0, 0, 0, "6x86MX/M2/2.5x", "Socket 5/7"},
    {"CyrixInstead", 6, 5, 0, 0, 0, 0, "unknown", "unknown"},
    {"CyrixInstead", 5, 0, 0, 0, 0, 0, "unknown", "unknown"},

    // IDT and Rise: by model only.
    {"CentaurHauls", 5, 4, 0, 0, 0, 0, "IDT WinChip C6", "Socket 5/7"},
    {"CentaurHauls", 5, 7, 0, 0, 0, 0, "IDT WinChip C6", "Socket 5/7"},
    {"CentaurHauls", 5, 8, 0, 0, 0, 0, "IDT WinChip 2", "Socket 5/7"},
    {"CentaurHauls", 6, 9, 0, 0, 0, 0, "IDT WinChip 2", "Socket 5/7"},
    {"RiseRiseRise", 5, 0, 0, 0, 0, 0, "Rise mP6", "Socket 7"},
    {"RiseRiseRise", 5, 2, 0, 0, 0, 0, "Rise mP6", "Socket 7"},
    {"RiseRiseRise", 5, 8, 0, 0, 0, 0, "Rise mP6-II", "Socket 7"},

    // Vendor texts match exactly, case and length included.
    {"", 6, 8, 3, 0, 0, 256, "unknown", "unknown"},
    {"genuineintel", 6, 8, 3, 0, 0, 256, "unknown", "unknown"},
    {"GenuineInte", 6, 8, 3, 0, 0, 256, "unknown", "unknown"},
    {"GenuineIotel", 6, 8, 3, 0, 0, 256, "unknown", "unknown"},
    {"UMC UMC UMC ", 4, 1, 0, 0, 0, 0, "unknown", "unknown"},
    {"NexGenDriven", 5, 0, 0, 0, 0, 0, "unknown", "unknown"},
};

TEST(NameCpu, EveryTableRowAndRule) {
  for (const Case& c : kCases) {
    vx::CpuRecord r;
    memset(&r, 0xA5, sizeof r);  // whatever a rule does not write must not show through
    strncpy(r.vendorId, c.vendor, sizeof r.vendorId - 1);
    r.vendorId[sizeof r.vendorId - 1] = 0;
    r.familyId = c.family;
    r.modelId = c.model;
    r.steppingId = c.stepping;
    r.typeId = c.type;
    r.typeNibble = c.type;
    r.brandId = c.brandId;
    r.l2Kb = c.l2Kb;
    vx::NameCpu(r);
    std::string where = std::string("'") + c.vendor + "' family " + std::to_string(c.family) + " model " +
                        std::to_string(c.model) + " stepping " + std::to_string(c.stepping) + " type " +
                        std::to_string(c.type) + " brand " + std::to_string(c.brandId) + " L2 " +
                        std::to_string(c.l2Kb);
    EXPECT_STREQ(r.name, c.name) << where;
    EXPECT_STREQ(r.platform, c.platform) << where;
  }
}

}  // namespace
