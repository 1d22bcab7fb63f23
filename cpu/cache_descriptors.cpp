#include "cpu/cpu_record.h"

namespace vx {

// Attachment point for the leaf-2 and AMD extended-leaf decoders: until they are built the record keeps no
// cache entries and zero sizes.
void DecodeCacheDescriptors(CpuRecord& record, CpuidSource& cpuid) {
  (void)cpuid;
  for (CacheEntry& e : record.cacheEntries) e.kind = 0;
  record.l1DataKb = 0;
  record.l1InstKb = 0;
  record.l2Kb = 0;
}

}  // namespace vx
