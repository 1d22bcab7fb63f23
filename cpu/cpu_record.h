// The one description of the processor that every CPU-related page reads, filled by ProbeCpu.
#pragma once

#include <stdint.h>

#include "cpu/feature_flags.h"

namespace vx {

class CpuidSource;

constexpr int kCacheEntryCount = 15;

struct CacheEntry {
  uint32_t kind;      // what the entry describes (descriptor byte, or 0x101-0x104); 0 = empty entry
  char text[64];      // the full description line
  char sizeText[12];  // TLB page size ("4K", "4M", "2M/4M") or cache size ("16KB", "512KB", "1MB")
  char assocText[8];  // "fully", "4-way", ...
  uint32_t count;     // entries of a TLB, or line size in bytes of a cache
};

struct CpuRecord {
  // Composed processor name, or "unknown". 48 bytes: the longest composed name (the mobile Pentium III
  // Xeon with its code name) has 41 characters.
  char name[48];
  char platform[32];     // socket or slot, or "unknown"
  char vendorId[13];     // leaf 0 EBX, EDX, ECX; empty without CPUID
  char brandString[49];  // leaves 0x80000002-0x80000004 as returned, leading blanks included
  uint32_t typeId;       // signature bits 12-13
  uint32_t familyId;     // bits 8-11
  uint32_t modelId;      // bits 4-7
  uint32_t steppingId;   // bits 0-3
  uint32_t typeNibble;   // bits 12-15
  uint32_t brandId;      // leaf 1 EBX bits 0-3 (the low nibble of the brand index only)
  int32_t hasCpuid;
  int32_t flags[kFeatureFlagCount];  // 1 or 0 by FeatureFlag: kFeatureFlags says where each comes from
  uint32_t serial[3];                // processor number: leaf 1 EAX, leaf 3 EDX, leaf 3 ECX
  CacheEntry cacheEntries[kCacheEntryCount];
  uint32_t l1DataKb;
  uint32_t l1InstKb;
  uint32_t l2Kb;
};

// Fills the record from the processor: vendor, signature, brand ID, feature flags, processor number and
// brand string, then the cache descriptors and finally the name.
void ProbeCpu(CpuRecord& record, CpuidSource& cpuid);

// Cache and TLB descriptors: leaf 2 for every vendor but AMD, the extended leaves 0x80000005/6 for AMD.
// Clears and fills cacheEntries, l1DataKb, l1InstKb and l2Kb. Issues no CPUID without the instruction.
void DecodeCacheDescriptors(CpuRecord& record, CpuidSource& cpuid);

// Writes name and platform from the vendor, signature, brand ID and l2Kb.
void NameCpu(CpuRecord& record);

}  // namespace vx
