// Cache and TLB descriptors. AMD parts describe their caches and TLBs field by field in the extended
// leaves 0x80000005 (first level) and 0x80000006 (second level); every other vendor lists descriptor
// bytes in leaf 2. Both fill the record's entries from the first one upward with kinds of one code
// space: the leaf-2 descriptor byte, or 0x101-0x104 for the AMD second-level TLBs.
#include <string.h>

#include "cpu/cpu_record.h"
#include "cpu/cpuid.h"
#include "report/text.h"

namespace vx {

namespace {

const char kTlbFormat[] = "%s pages, %s set associative, %d entries";
const char kL1CacheFormat[] = "%s, %s set associative, %d byte line size";
const char kL2CacheFormat[] = "%s, %s set associative, %d byte cache line";

// Fills entries in order; items beyond the fifteenth are dropped.
struct EntryWriter {
  CpuRecord& record;
  int used;

  CacheEntry* Next(uint32_t kind) {
    if (used >= kCacheEntryCount) return nullptr;
    CacheEntry& e = record.cacheEntries[used++];
    memset(&e, 0, sizeof e);
    e.kind = kind;
    return &e;
  }

  // An entry with its parts and its description line in the given format.
  void Add(uint32_t kind, const char* format, const char* size, const char* assoc, uint32_t count) {
    CacheEntry* e = Next(kind);
    if (e == nullptr) return;
    TextCopy(e->sizeText, sizeof e->sizeText, size);
    TextCopy(e->assocText, sizeof e->assocText, assoc);
    e->count = count;
    TextFormat(e->text, sizeof e->text, format, e->sizeText, e->assocText, static_cast<int>(count));
  }
};

// A cache size in KB as the pages show it: "512KB", or "1MB" from 1024 KB on.
void FormatCacheSize(char* out, size_t cap, uint32_t kb) {
  if (kb < 1024)
    TextFormat(out, cap, "%uKB", static_cast<unsigned>(kb));
  else
    TextFormat(out, cap, "%uMB", static_cast<unsigned>(kb / 1024));
}

// The fixed leaf-2 descriptors below 0x10.
struct Leaf2Row {
  uint8_t descriptor;
  const char* size;
  const char* assoc;
  uint32_t count;
};

constexpr Leaf2Row kLeaf2Tlbs[] = {
    {0x01, "4K", "4-way", 32},  // instruction TLB
    {0x02, "4M", "fully", 2},   // instruction TLB
    {0x03, "4K", "4-way", 64},  // data TLB
    {0x04, "4M", "4-way", 8},   // data TLB
};

constexpr Leaf2Row kLeaf2L1Caches[] = {
    {0x06, "8KB", "4-way", 32},   // instruction cache
    {0x08, "16KB", "4-way", 32},  // instruction cache
    {0x0A, "8KB", "2-way", 32},   // data cache
    {0x0C, "16KB", "4-way", 32},  // data cache
};

template <size_t N>
const Leaf2Row* FindLeaf2Row(const Leaf2Row (&table)[N], uint32_t d) {
  for (const Leaf2Row& row : table)
    if (row.descriptor == d) return &row;
  return nullptr;
}

void DecodeLeaf2Descriptors(CpuRecord& record, CpuidSource& cpuid) {
  // A processor whose highest standard leaf is below 2 has no descriptors: asked for leaf 2 it answers
  // with its highest leaf's registers (an Intel processor's signature), which must not be decoded.
  if (cpuid.Query(0).eax < 2) return;
  CpuidRegs r = cpuid.Query(2);
  if ((r.eax & 0xFF) != 1) return;  // the leaf must be issued more than once (or not at all): not decoded
  uint8_t bytes[15];
  for (int i = 1; i < 4; ++i) bytes[i - 1] = static_cast<uint8_t>(r.eax >> (8 * i));
  const uint32_t regs[3] = {r.ebx, r.ecx, r.edx};
  for (int reg = 0; reg < 3; ++reg)
    for (int i = 0; i < 4; ++i) bytes[3 + reg * 4 + i] = static_cast<uint8_t>(regs[reg] >> (8 * i));

  EntryWriter out = {record, 0};
  for (uint8_t d : bytes) {
    if (d == 0) continue;
    if (d >= 0x10) {
      // Second-level cache by formula: 2^(low nibble + 6) KB, the high nibble is the associativity.
      uint32_t kb = 1u << ((d & 0x0F) + 6);
      uint32_t ways = (d >> 4) & 0x0F;
      record.l2Kb = kb;
      char size[12];
      char assoc[8];
      FormatCacheSize(size, sizeof size, kb);
      if (ways == 15)
        TextCopy(assoc, sizeof assoc, "fully");
      else
        TextFormat(assoc, sizeof assoc, "%u-way", static_cast<unsigned>(ways));
      out.Add(d, kL2CacheFormat, size, assoc, 32);
    } else if (const Leaf2Row* tlb = FindLeaf2Row(kLeaf2Tlbs, d)) {
      out.Add(d, kTlbFormat, tlb->size, tlb->assoc, tlb->count);
    } else if (const Leaf2Row* l1 = FindLeaf2Row(kLeaf2L1Caches, d)) {
      out.Add(d, kL1CacheFormat, l1->size, l1->assoc, l1->count);
      uint32_t kb = d == 6 || d == 10 ? 8 : 16;
      if (d == 6 || d == 8)
        record.l1InstKb = kb;
      else
        record.l1DataKb = kb;
    } else {  // 5, 7, 9, 11, 13, 14, 15
      CacheEntry* e = out.Next(d);
      if (e != nullptr) TextCopy(e->text, sizeof e->text, "unknown");
    }
  }
}

// First-level associativity byte: 255 is fully associative.
void FormatL1Assoc(char* out, size_t cap, uint32_t v) {
  if (v == 255)
    TextCopy(out, cap, "fully");
  else
    TextFormat(out, cap, "%u-way", static_cast<unsigned>(v));
}

// Second-level 4-bit associativity code: 15 is fully associative, otherwise 2^(code / 2) ways.
void FormatL2Assoc(char* out, size_t cap, uint32_t code) {
  if (code == 15)
    TextCopy(out, cap, "fully");
  else
    TextFormat(out, cap, "%u-way", 1u << (code >> 1));
}

// A first-level TLB half-register: associativity byte in bits 8-15, entries in bits 0-7.
void AddL1Tlb(EntryWriter& out, uint32_t kind, const char* pages, uint32_t half) {
  uint32_t assocByte = (half >> 8) & 0xFF;
  if (assocByte == 0) return;
  char assoc[8];
  FormatL1Assoc(assoc, sizeof assoc, assocByte);
  out.Add(kind, kTlbFormat, pages, assoc, half & 0xFF);
}

// A first-level cache register: size in KB in bits 24-31, associativity in 16-23, line size in 0-7.
uint32_t AddL1Cache(EntryWriter& out, uint32_t kind, uint32_t reg) {
  uint32_t kb = reg >> 24;
  if (kb == 0) return 0;
  char size[12];
  char assoc[8];
  TextFormat(size, sizeof size, "%uKB", static_cast<unsigned>(kb));
  FormatL1Assoc(assoc, sizeof assoc, (reg >> 16) & 0xFF);
  out.Add(kind, kL1CacheFormat, size, assoc, reg & 0xFF);
  return kb;
}

// A second-level TLB half-register: associativity code in bits 12-15, entries in bits 0-11.
void AddL2Tlb(EntryWriter& out, uint32_t kind, const char* pages, uint32_t half) {
  uint32_t code = (half >> 12) & 0x0F;
  if (code == 0) return;
  char assoc[8];
  FormatL2Assoc(assoc, sizeof assoc, code);
  out.Add(kind, kTlbFormat, pages, assoc, half & 0x0FFF);
}

void DecodeAmdCacheLeaves(CpuRecord& record, CpuidSource& cpuid) {
  EntryWriter out = {record, 0};
  CpuidRegs r = cpuid.Query(0x80000005u);
  if (record.familyId >= 5) {  // the K5 and later report large-page TLBs
    AddL1Tlb(out, 2, "2M/4M", r.eax & 0xFFFF);
    AddL1Tlb(out, 4, "2M/4M", r.eax >> 16);
  }
  AddL1Tlb(out, 1, "4K", r.ebx & 0xFFFF);
  AddL1Tlb(out, 3, "4K", r.ebx >> 16);
  record.l1InstKb = AddL1Cache(out, 8, r.edx);
  record.l1DataKb = AddL1Cache(out, 12, r.ecx);

  r = cpuid.Query(0x80000006u);
  if (record.familyId >= 6) {  // second-level TLBs from the Athlon on
    AddL2Tlb(out, 0x102, "2M/4M", r.eax & 0xFFFF);
    AddL2Tlb(out, 0x104, "2M/4M", r.eax >> 16);
    AddL2Tlb(out, 0x101, "4K", r.ebx & 0xFFFF);
    AddL2Tlb(out, 0x103, "4K", r.ebx >> 16);
  }
  record.l2Kb = r.ecx >> 16;
  if (record.l2Kb != 0) {
    char size[12];
    char assoc[8];
    FormatCacheSize(size, sizeof size, record.l2Kb);
    FormatL2Assoc(assoc, sizeof assoc, (r.ecx >> 12) & 0x0F);
    out.Add(0x45, kL2CacheFormat, size, assoc, r.ecx & 0xFF);
  }
}

}  // namespace

void DecodeCacheDescriptors(CpuRecord& record, CpuidSource& cpuid) {
  for (CacheEntry& e : record.cacheEntries) e.kind = 0;
  record.l1DataKb = 0;
  record.l1InstKb = 0;
  record.l2Kb = 0;
  if (record.hasCpuid != 1) return;  // a processor without CPUID has no descriptors to ask for
  if (strcmp(record.vendorId, "AuthenticAMD") == 0)
    DecodeAmdCacheLeaves(record, cpuid);
  else
    DecodeLeaf2Descriptors(record, cpuid);
}

}  // namespace vx
