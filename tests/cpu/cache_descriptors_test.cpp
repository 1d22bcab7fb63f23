#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "cpu/cpu_record.h"
#include "cpu/cpuid.h"

namespace {

const vx::CpuidRegs kIntel0 = {2, 0x756E6547, 0x6C65746E, 0x49656E69};
const vx::CpuidRegs kAmd0 = {1, 0x68747541, 0x444D4163, 0x69746E65};

// A CPUID source that counts the queries, so a test can tell that none was issued.
class CountingCpu final : public vx::CpuidSource {
 public:
  vx::RecordedCpu recorded;
  int queries = 0;
  bool HasCpuid() override { return recorded.hasCpuid; }
  vx::CpuidRegs Query(uint32_t leaf) override {
    ++queries;
    return recorded.Query(leaf);
  }
};

struct Entry {
  uint32_t kind;
  std::string text, size, assoc;
  uint32_t count;
  bool operator==(const Entry& o) const {
    return kind == o.kind && text == o.text && size == o.size && assoc == o.assoc && count == o.count;
  }
};

std::ostream& operator<<(std::ostream& os, const Entry& e) {
  return os << "{0x" << std::hex << e.kind << std::dec << ", \"" << e.text << "\", \"" << e.size << "\", \""
            << e.assoc << "\", " << e.count << "}";
}

// The decoded entries in order; an "unknown" entry has no other defined field.
std::vector<Entry> Entries(const vx::CpuRecord& r) {
  std::vector<Entry> out;
  for (const vx::CacheEntry& e : r.cacheEntries) {
    if (e.kind == 0) continue;
    if (std::string(e.text) == "unknown")
      out.push_back({e.kind, e.text, "", "", 0});
    else
      out.push_back({e.kind, e.text, e.sizeText, e.assocText, e.count});
  }
  return out;
}

vx::CpuRecord Decode(const vx::CpuidRegs& leaf0, uint32_t signature,
                     std::initializer_list<std::pair<uint32_t, vx::CpuidRegs>> leaves) {
  vx::RecordedCpu cpu;
  cpu.Set(0, leaf0);
  cpu.Set(1, {signature, 0, 0, 0});
  for (const auto& l : leaves) cpu.Set(l.first, l.second);
  vx::CpuRecord r;
  vx::ProbeCpu(r, cpu);
  return r;
}

// The Pentium III's descriptors: TLBs, caches and the 512 KB L2 in the order of the bytes.
TEST(DecodeLeaf2Descriptors, PentiumIIIExample) {
  vx::CpuRecord r = Decode(kIntel0, 0x673, {{2, {0x03020101, 0, 0, 0x0C040843}}});
  std::vector<Entry> expected = {
      {0x01, "4K pages, 4-way set associative, 32 entries", "4K", "4-way", 32},
      {0x02, "4M pages, fully set associative, 2 entries", "4M", "fully", 2},
      {0x03, "4K pages, 4-way set associative, 64 entries", "4K", "4-way", 64},
      {0x43, "512KB, 4-way set associative, 32 byte cache line", "512KB", "4-way", 32},
      {0x08, "16KB, 4-way set associative, 32 byte line size", "16KB", "4-way", 32},
      {0x04, "4M pages, 4-way set associative, 8 entries", "4M", "4-way", 8},
      {0x0C, "16KB, 4-way set associative, 32 byte line size", "16KB", "4-way", 32},
  };
  EXPECT_EQ(Entries(r), expected);
  EXPECT_EQ(r.l1InstKb, 16u);
  EXPECT_EQ(r.l1DataKb, 16u);
  EXPECT_EQ(r.l2Kb, 512u);
}

// The smaller first-level caches, the reserved bytes below 0x10, the formula for every byte from 0x10
// up (0x40 included) and the last second-level byte setting l2Kb. Bit 31 of a register is not tested.
TEST(DecodeLeaf2Descriptors, EveryByteClass) {
  vx::CpuRecord r = Decode(kIntel0, 0x652,
                           {{2, {0x0A060501, 0x0D0B0907, 0x100F0E40, 0x82FF4185}}});
  std::vector<Entry> expected = {
      {0x05, "unknown", "", "", 0},
      {0x06, "8KB, 4-way set associative, 32 byte line size", "8KB", "4-way", 32},
      {0x0A, "8KB, 2-way set associative, 32 byte line size", "8KB", "2-way", 32},
      {0x07, "unknown", "", "", 0},
      {0x09, "unknown", "", "", 0},
      {0x0B, "unknown", "", "", 0},
      {0x0D, "unknown", "", "", 0},
      {0x40, "64KB, 4-way set associative, 32 byte cache line", "64KB", "4-way", 32},
      {0x0E, "unknown", "", "", 0},
      {0x0F, "unknown", "", "", 0},
      {0x10, "64KB, 1-way set associative, 32 byte cache line", "64KB", "1-way", 32},
      {0x85, "2MB, 8-way set associative, 32 byte cache line", "2MB", "8-way", 32},
      {0x41, "128KB, 4-way set associative, 32 byte cache line", "128KB", "4-way", 32},
      {0xFF, "2048MB, fully set associative, 32 byte cache line", "2048MB", "fully", 32},
      {0x82, "256KB, 8-way set associative, 32 byte cache line", "256KB", "8-way", 32},
  };
  EXPECT_EQ(Entries(r), expected);
  EXPECT_EQ(r.l1InstKb, 8u);
  EXPECT_EQ(r.l1DataKb, 8u);
  EXPECT_EQ(r.l2Kb, 256u);  // the last second-level byte wins
  // The formula's worked values.
  const struct {
    uint8_t d;
    const char* size;
    const char* assoc;
    uint32_t kb;
  } formula[] = {{0x42, "256KB", "4-way", 256}, {0x44, "1MB", "4-way", 1024}, {0x45, "2MB", "4-way", 2048},
                 {0x83, "512KB", "8-way", 512}, {0x84, "1MB", "8-way", 1024}};
  for (const auto& f : formula) {
    vx::CpuRecord one = Decode(kIntel0, 0x652, {{2, {0x00000001, 0, 0, f.d}}});
    ASSERT_EQ(Entries(one).size(), 1u);
    EXPECT_STREQ(one.cacheEntries[0].sizeText, f.size) << std::hex << int(f.d);
    EXPECT_STREQ(one.cacheEntries[0].assocText, f.assoc) << std::hex << int(f.d);
    EXPECT_EQ(one.l2Kb, f.kb) << std::hex << int(f.d);
  }
}

// An iteration count other than 1 yields nothing; so does a processor without CPUID, which is not asked.
TEST(DecodeLeaf2Descriptors, NothingWithoutOneIterationOrCpuid) {
  for (uint32_t count : {0u, 2u, 0x43u}) {
    vx::CpuRecord r = Decode(kIntel0, 0x652, {{2, {0x03020100 | count, 0, 0, 0x0C040843}}});
    EXPECT_TRUE(Entries(r).empty()) << count;
    EXPECT_EQ(r.l1InstKb + r.l1DataKb + r.l2Kb, 0u) << count;
  }
  CountingCpu none;
  none.recorded.hasCpuid = false;
  none.recorded.Set(2, {0x03020101, 0, 0, 0x0C040843});
  vx::CpuRecord r;
  vx::ProbeCpu(r, none);
  EXPECT_EQ(none.queries, 0);
  EXPECT_TRUE(Entries(r).empty());
  EXPECT_EQ(r.l2Kb, 0u);
}

// The leaf-2 decoder serves every vendor but AMD: a Cyrix part with descriptors gets them.
TEST(DecodeLeaf2Descriptors, OtherVendors) {
  vx::CpuRecord r = Decode({2, 0x69727943, 0x64616574, 0x736E4978}, 0x600, {{2, {0x00000001, 0, 0, 0x43}}});
  EXPECT_EQ(r.l2Kb, 512u);
}

// A processor whose highest standard leaf is 1 answers leaf 2 with leaf 1's registers; an early Pentium's
// signature 0x501 would read as one iteration of descriptors 05 00 00 and its feature flags.
TEST(DecodeLeaf2Descriptors, NotAskedBelowLeafTwo) {
  const vx::CpuidRegs leaf1 = {0x501, 0, 0, 0x000001BF};
  vx::CpuRecord r = Decode({1, 0x756E6547, 0x6C65746E, 0x49656E69}, 0x501, {{2, leaf1}});
  EXPECT_TRUE(Entries(r).empty());
  EXPECT_EQ(r.l1InstKb + r.l1DataKb + r.l2Kb, 0u);
}

// The Athlon: 2M/4M and 4K first-level TLBs, 64 KB caches, second-level TLBs and the 256 KB L2.
TEST(DecodeAmdCacheLeaves, Athlon) {
  vx::CpuRecord r = Decode(kAmd0, 0x642,
                           {{0x80000000, {0x80000006, 0, 0, 0}},
                            {0x80000005, {0x0408FF08, 0xFF18FF10, 0x40020140, 0x40020140}},
                            {0x80000006, {0x00000000, 0x41004100, 0x01008140, 0}}});
  std::vector<Entry> expected = {
      {0x002, "2M/4M pages, fully set associative, 8 entries", "2M/4M", "fully", 8},
      {0x004, "2M/4M pages, 4-way set associative, 8 entries", "2M/4M", "4-way", 8},
      {0x001, "4K pages, fully set associative, 16 entries", "4K", "fully", 16},
      {0x003, "4K pages, fully set associative, 24 entries", "4K", "fully", 24},
      {0x008, "64KB, 2-way set associative, 64 byte line size", "64KB", "2-way", 64},
      {0x00C, "64KB, 2-way set associative, 64 byte line size", "64KB", "2-way", 64},
      {0x101, "4K pages, 4-way set associative, 256 entries", "4K", "4-way", 256},
      {0x103, "4K pages, 4-way set associative, 256 entries", "4K", "4-way", 256},
      {0x045, "256KB, 16-way set associative, 64 byte cache line", "256KB", "16-way", 64},
  };
  EXPECT_EQ(Entries(r), expected);
  EXPECT_EQ(r.l1InstKb, 64u);
  EXPECT_EQ(r.l1DataKb, 64u);
  EXPECT_EQ(r.l2Kb, 256u);
}

// Every second-level associativity code, the large-page second-level TLBs and a 1 MB L2.
TEST(DecodeAmdCacheLeaves, SecondLevelCodes) {
  const struct {
    uint32_t code;
    const char* assoc;
  } codes[] = {{1, "1-way"}, {2, "2-way"}, {3, "2-way"}, {4, "4-way"}, {6, "8-way"}, {8, "16-way"}, {15, "fully"}};
  for (const auto& c : codes) {
    vx::CpuRecord r = Decode(kAmd0, 0x680,
                             {{0x80000006, {(c.code << 28) | (0x123u << 16) | (c.code << 12) | 0x45,
                                            0, (1024u << 16) | (c.code << 12) | 64, 0}}});
    std::vector<Entry> expected = {
        {0x102, std::string("2M/4M pages, ") + c.assoc + " set associative, 69 entries", "2M/4M", c.assoc, 69},
        {0x104, std::string("2M/4M pages, ") + c.assoc + " set associative, 291 entries", "2M/4M", c.assoc, 291},
        {0x045, std::string("1MB, ") + c.assoc + " set associative, 64 byte cache line", "1MB", c.assoc, 64},
    };
    EXPECT_EQ(Entries(r), expected) << c.code;
    EXPECT_EQ(r.l2Kb, 1024u);
  }
}

// Family limits: no large-page L1 TLBs before family 5, no L2 TLBs before family 6; the caches and the
// 4K L1 TLBs for every family. A first-level associativity byte other than 255 reads as its value.
TEST(DecodeAmdCacheLeaves, FamilyLimits) {
  const std::initializer_list<std::pair<uint32_t, vx::CpuidRegs>> leaves = {
      {0x80000005, {0x0408FF08, 0x02800140, 0x20020220, 0x20020220}},
      {0x80000006, {0x42004200, 0x42004200, 0x01004220, 0}}};
  const struct {
    uint32_t signature;
    std::vector<uint32_t> kinds;
  } families[] = {
      {0x480, {1, 3, 8, 12, 0x45}},
      {0x58C, {2, 4, 1, 3, 8, 12, 0x45}},
      {0x642, {2, 4, 1, 3, 8, 12, 0x102, 0x104, 0x101, 0x103, 0x45}},
  };
  for (const auto& f : families) {
    vx::CpuRecord r = Decode(kAmd0, f.signature, leaves);
    std::vector<uint32_t> kinds;
    for (const Entry& e : Entries(r)) kinds.push_back(e.kind);
    EXPECT_EQ(kinds, f.kinds) << std::hex << f.signature;
    EXPECT_EQ(r.l2Kb, 256u);
    EXPECT_STREQ(r.cacheEntries[kinds.size() - 1].text, "256KB, 4-way set associative, 32 byte cache line");
  }
  vx::CpuRecord k6 = Decode(kAmd0, 0x58C, leaves);
  EXPECT_STREQ(k6.cacheEntries[2].text, "4K pages, 1-way set associative, 64 entries");
  EXPECT_STREQ(k6.cacheEntries[3].text, "4K pages, 2-way set associative, 128 entries");
  EXPECT_STREQ(k6.cacheEntries[4].text, "32KB, 2-way set associative, 32 byte line size");
}

// Extended leaves of zeros (or absent) yield nothing; AMD parts do not read leaf 2.
TEST(DecodeAmdCacheLeaves, ZerosYieldNothing) {
  vx::CpuRecord r = Decode(kAmd0, 0x58C, {{2, {0x03020101, 0, 0, 0x0C040843}}});
  EXPECT_TRUE(Entries(r).empty());
  EXPECT_EQ(r.l1InstKb + r.l1DataKb + r.l2Kb, 0u);
}

}  // namespace
