#include "cpu/cpu_record.h"

#include <string.h>

#include "cpu/cpuid.h"

namespace vx {

namespace {

void StoreRegister(char* dst, uint32_t value) {
  for (int i = 0; i < 4; ++i) dst[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Every flag of the given source from its bit of the register (a signature rule's answer is bit 0).
void SetFlags(CpuRecord& record, FlagSource source, uint32_t value) {
  for (int i = 0; i < kFeatureFlagCount; ++i)
    if (kFeatureFlags[i].source == source) record.flags[i] = static_cast<int32_t>((value >> kFeatureFlags[i].bit) & 1u);
}

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
      SetFlags(record, kStandardEdx, r.edx);

      // The processor number: the signature again, then leaf 3, which is issued whatever the highest
      // standard leaf and the PN flag say.
      record.serial[0] = cpuid.Query(1).eax;
      r = cpuid.Query(3);
      record.serial[1] = r.edx;
      record.serial[2] = r.ecx;

      uint32_t highestExtended = cpuid.Query(0x80000000u).eax;
      if (highestExtended >= 0x80000001u) {
        SetFlags(record, kExtendedEdx, cpuid.Query(0x80000001u).edx);
        uint32_t low12 = signature & 0xFFF;
        SetFlags(record, kSignature, low12 >= 0x588 && low12 < 0x600 ? 1 : 0);
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
