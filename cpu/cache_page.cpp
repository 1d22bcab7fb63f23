// The Cache page (dialog 135): the decoded cache and TLB entries laid out in a first-level and a
// second-level grid, and each shown item's description line in the report.
#include "cpu/cpu_record.h"
#include "report/pages.h"

namespace vx {

namespace {

// One block of the page: a cache with the TLBs that are shown beside it. Without its cache the block
// is skipped, TLBs included.
struct CacheBlock {
  uint32_t firstCacheKind, lastCacheKind;  // the cache kinds, inclusive; for L1 a pair of codes
  uint32_t otherCacheKind;                 // the second L1 code (6 beside 8, 10 beside 12), or 0
  int sizeId, assocId, lineSizeId;
  const char* tlbHeading;
  uint32_t largePageTlbKind, smallPageTlbKind;
  int pageSizeId, tlbAssocId, tlbEntriesId;  // controls of TLB row 1; row 2 is each id plus one
  const char* cacheHeading;
};

constexpr CacheBlock kBlocks[3] = {
    {6, 6, 8, 1153, 1151, 1152, "L1 Instruction TLB :\r\n", 2, 1, 1101, 1111, 1121, "L1 Instruction Cache :\r\n"},
    {10, 10, 12, 1163, 1161, 1162, "L1 Data TLB :\r\n", 4, 3, 1101, 1131, 1141, "L1 Data Cache :\r\n"},
    {16, 255, 0, 1253, 1251, 1252, "L2 Unified / Instruction TLB :\r\n", 0x102, 0x101, 1201, 1211, 1221,
     "L2 Unified / Instruction Cache :\r\n"},
};

bool IsBlockCache(const CacheBlock& block, uint32_t kind) {
  return (kind >= block.firstCacheKind && kind <= block.lastCacheKind) ||
         (block.otherCacheKind != 0 && kind == block.otherCacheKind);
}

// The lowest-numbered entry of the given kind, or null.
const CacheEntry* FirstOfKind(const CpuRecord& record, uint32_t kind) {
  for (const CacheEntry& e : record.cacheEntries)
    if (e.kind == kind) return &e;
  return nullptr;
}

}  // namespace

void FillCachePage(PageContext& context, PageModel& page) {
  CpuRecord record;
  ProbeCpu(record, *context.cpuid);
  Report& report = *context.report;

  BeginSection(report, kCacheSection);
  for (const CacheBlock& block : kBlocks) {
    const CacheEntry* cache = nullptr;
    for (const CacheEntry& e : record.cacheEntries)
      if (e.kind != 0 && IsBlockCache(block, e.kind)) {
        cache = &e;
        break;
      }
    if (cache == nullptr) continue;

    page.SetText(block.sizeId, cache->sizeText);
    page.SetText(block.assocId, cache->assocText);
    page.SetTextFormat(block.lineSizeId, "%d byte", static_cast<int>(cache->count));
    AppendToSection(report, kCacheSection, "\r\n");
    AppendToSection(report, kCacheSection, block.tlbHeading);

    // The large-page TLB takes row 1 when there is one; the 4K TLB the next row.
    int row = 0;
    const uint32_t tlbKinds[2] = {block.largePageTlbKind, block.smallPageTlbKind};
    for (uint32_t kind : tlbKinds) {
      const CacheEntry* tlb = FirstOfKind(record, kind);
      if (tlb == nullptr) continue;
      page.SetText(block.pageSizeId + row, tlb->sizeText);
      page.SetText(block.tlbAssocId + row, tlb->assocText);
      page.SetTextFormat(block.tlbEntriesId + row, "%d", static_cast<int>(tlb->count));
      AppendToSection(report, kCacheSection, tlb->text);
      AppendToSection(report, kCacheSection, "\r\n");
      row = 1;
    }

    AppendToSection(report, kCacheSection, "\r\n");
    AppendToSection(report, kCacheSection, block.cacheHeading);
    AppendToSection(report, kCacheSection, cache->text);
    AppendToSection(report, kCacheSection, "\r\n");
  }
  AppendToSection(report, kCacheSection, "\r\n");
}

}  // namespace vx
