// The Cache page (IDD_CACHE_PAGE): the decoded cache and TLB entries laid out in a first-level and a
// second-level grid, and each shown item's description line in the report.
#include "cpu/cpu_record.h"
#include "report/pages.h"
#include "resources/control_ids.h"

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
    {6, 6, 8, IDC_L1_ICACHE_SIZE, IDC_L1_ICACHE_ASSOC, IDC_L1_ICACHE_LINE, "L1 Instruction TLB :\r\n", 2, 1,
     IDC_L1_TLB_PAGE_SIZE_1, IDC_L1_ITLB_ASSOC_1, IDC_L1_ITLB_ENTRIES_1, "L1 Instruction Cache :\r\n"},
    {10, 10, 12, IDC_L1_DCACHE_SIZE, IDC_L1_DCACHE_ASSOC, IDC_L1_DCACHE_LINE, "L1 Data TLB :\r\n", 4, 3,
     IDC_L1_TLB_PAGE_SIZE_1, IDC_L1_DTLB_ASSOC_1, IDC_L1_DTLB_ENTRIES_1, "L1 Data Cache :\r\n"},
    {16, 255, 0, IDC_L2_CACHE_SIZE, IDC_L2_CACHE_ASSOC, IDC_L2_CACHE_LINE, "L2 Unified / Instruction TLB :\r\n", 0x102,
     0x101, IDC_L2_TLB_PAGE_SIZE_1, IDC_L2_UTLB_ASSOC_1, IDC_L2_UTLB_ENTRIES_1, "L2 Unified / Instruction Cache :\r\n"},
};
// A TLB's second row is each control of its first plus one.
static_assert(IDC_L1_TLB_PAGE_SIZE_2 == IDC_L1_TLB_PAGE_SIZE_1 + 1, "L1 page sizes");
static_assert(IDC_L1_ITLB_ASSOC_2 == IDC_L1_ITLB_ASSOC_1 + 1, "L1 instruction TLB");
static_assert(IDC_L1_ITLB_ENTRIES_2 == IDC_L1_ITLB_ENTRIES_1 + 1, "L1 instruction TLB");
static_assert(IDC_L1_DTLB_ASSOC_2 == IDC_L1_DTLB_ASSOC_1 + 1, "L1 data TLB");
static_assert(IDC_L1_DTLB_ENTRIES_2 == IDC_L1_DTLB_ENTRIES_1 + 1, "L1 data TLB");
static_assert(IDC_L2_TLB_PAGE_SIZE_2 == IDC_L2_TLB_PAGE_SIZE_1 + 1, "L2 page sizes");
static_assert(IDC_L2_UTLB_ASSOC_2 == IDC_L2_UTLB_ASSOC_1 + 1, "L2 TLB");
static_assert(IDC_L2_UTLB_ENTRIES_2 == IDC_L2_UTLB_ENTRIES_1 + 1, "L2 TLB");

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
