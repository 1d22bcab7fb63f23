#include "cpu/cpu_record.h"

#include <string.h>

#include "cpu/cpuid.h"

namespace vx {

namespace {

void StoreRegister(char* dst, uint32_t value) {
  for (int i = 0; i < 4; ++i) dst[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

int32_t Bit(uint32_t value, int bit) { return static_cast<int32_t>((value >> bit) & 1u); }

}  // namespace

void ProbeCpu(CpuRecord& record, CpuidSource& cpuid) {
  memset(&record, 0, sizeof record);

  if (cpuid.HasCpuid()) {
    record.hasCpuid = 1;
    CpuidRegs r = cpuid.Query(0);
    uint32_t highest = r.eax;
    StoreRegister(record.vendorId + 0, r.ebx);
    StoreRegister(record.vendorId + 4, r.edx);
    StoreRegister(record.vendorId + 8, r.ecx);
    record.vendorId[12] = 0;

    if (highest >= 1) {
      r = cpuid.Query(1);
      uint32_t signature = r.eax;
      record.steppingId = signature & 0xF;
      record.modelId = (signature >> 4) & 0xF;
      record.familyId = (signature >> 8) & 0xF;
      record.typeId = (signature >> 12) & 3;
      record.typeNibble = (signature >> 12) & 0xF;
      record.brandId = r.ebx & 0xF;
      uint32_t edx = r.edx;
      int32_t* const low[10] = {&record.fpu, &record.vme, &record.de,  &record.pse, &record.tsc,
                                &record.msr, &record.pae, &record.mce, &record.cx8, &record.apic};
      for (int i = 0; i < 10; ++i) *low[i] = Bit(edx, i);
      int32_t* const mid[8] = {&record.sep, &record.mtrr, &record.pge,   &record.mca,
                               &record.cmov, &record.pat, &record.pse36, &record.pn};
      for (int i = 0; i < 8; ++i) *mid[i] = Bit(edx, 11 + i);
      record.mmx = Bit(edx, 23);
      record.fxsr = Bit(edx, 24);
      record.xmm = Bit(edx, 25);

      // The processor number: the signature again, then leaf 3, which is issued whatever the highest
      // standard leaf and the PN flag say.
      record.serial[0] = cpuid.Query(1).eax;
      r = cpuid.Query(3);
      record.serial[1] = r.edx;
      record.serial[2] = r.ecx;

      uint32_t highestExtended = cpuid.Query(0x80000000u).eax;
      if (highestExtended >= 0x80000001u) {
        edx = cpuid.Query(0x80000001u).edx;
        record.k86Msr = Bit(edx, 5);
        record.mmxExt = Bit(edx, 22);
        record.amd3DNowExt = Bit(edx, 30);
        record.amd3DNow = Bit(edx, 31);
        uint32_t low12 = signature & 0xFFF;
        record.k86Mtrr = low12 >= 0x588 && low12 < 0x600 ? 1 : 0;
        if (highestExtended >= 0x80000004u) {
          for (uint32_t i = 0; i < 3; ++i) {
            r = cpuid.Query(0x80000002u + i);
            StoreRegister(record.brandString + 16 * i + 0, r.eax);
            StoreRegister(record.brandString + 16 * i + 4, r.ebx);
            StoreRegister(record.brandString + 16 * i + 8, r.ecx);
            StoreRegister(record.brandString + 16 * i + 12, r.edx);
          }
          record.brandString[48] = 0;
        }
      }
    }
  }

  DecodeCacheDescriptors(record, cpuid);
  NameCpu(record);
}

}  // namespace vx
