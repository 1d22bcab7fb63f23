#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "machine_fixture.h"

namespace {

using vxtest::Image;
using vxtest::Text;

constexpr vx::MemoryRegisters kRegs{};

struct Banks {
  std::string bank[4];
  std::string total;
};

Banks Read(const vx::PageModel& page) {
  Banks b;
  for (int k = 0; k < 4; ++k) b.bank[k] = Text(page, IDC_MB_BANK0 + k);
  b.total = Text(page, IDC_MB_MEMORY_TOTAL);
  return b;
}

struct DecoderCase {
  const char* what;
  std::function<void(Image&)> setup;
  std::function<void(vx::PageModel&, const uint8_t*)> decode;
  Banks expected;
};

void Check(const std::vector<DecoderCase>& cases) {
  for (const DecoderCase& c : cases) {
    SCOPED_TRACE(c.what);
    Image image;
    c.setup(image);
    vx::PageModel page;
    c.decode(page, image.bytes());
    Banks got = Read(page);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(got.bank[k], c.expected.bank[k]) << "bank " << k;
    EXPECT_EQ(got.total, c.expected.total);
  }
}

TEST(ShowMemoryBanks, FormatsByType) {
  struct Case {
    int type;
    uint16_t rows[8];
    int latency;
    Banks expected;
  };
  const Case cases[] = {
      {vx::kDramFpm, {256, 0, 0, 0, 0, 0, 0, 0}, 2, {{"32MB + 0MB", "", "", ""}, "FPM 32MB"}},
      {vx::kDramEdo, {0, 256, 0, 0, 0, 0, 64, 64}, 3, {{"0MB + 32MB", "", "", "8MB + 8MB"}, "EDO 48MB"}},
      {vx::kDramSdram, {512, 512, 0, 0, 0, 0, 0, 0}, 2, {{"64MB + 64MB", "", "", ""}, "SDRAM 128MB (CL=2)"}},
      {vx::kDramSdram, {512, 0, 0, 0, 0, 0, 0, 0}, 0, {{"64MB + 0MB", "", "", ""}, "SDRAM 64MB"}},
      {vx::kDramVcSdram, {0, 0, 1024, 0, 0, 0, 0, 0}, 3, {{"", "128MB + 0MB", "", ""}, "VC-SDRAM 128MB (CL=3)"}},
      {vx::kDramDrdram, {2048, 0, 0, 0, 0, 0, 0, 0}, 0, {{"256MB + 0MB", "", "", ""}, "DRDRAM 256MB (RCD=0)"}},
      {vx::kDramDrdram, {2048, 0, 0, 0, 0, 0, 0, 0}, 7, {{"256MB + 0MB", "", "", ""}, "DRDRAM 256MB (RCD=7)"}},
      {vx::kDramDdrSdram, {2048, 0, 0, 0, 0, 0, 0, 0}, 2, {{"256MB + 0MB", "", "", ""}, "DDR-SDRAM 256MB"}},
      {vx::kDramUnknown, {2048, 0, 0, 0, 0, 0, 0, 0}, 2, {{"256MB + 0MB", "", "", ""}, "256MB"}},
      // Half a megabyte on one side: shown, each side rounded down.
      {vx::kDramEdo, {4, 0, 0, 0, 0, 0, 0, 0}, 0, {{"0MB + 0MB", "", "", ""}, "EDO 0MB"}},
      // Sides are rounded down one by one, the total from the sum of all entries.
      {vx::kDramEdo, {12, 12, 0, 0, 0, 0, 0, 0}, 0, {{"1MB + 1MB", "", "", ""}, "EDO 3MB"}},
      // All eight entries at the 16-bit limit: the 32-bit total does not wrap.
      {vx::kDramSdram,
       {65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535},
       3,
       {{"8191MB + 8191MB", "8191MB + 8191MB", "8191MB + 8191MB", "8191MB + 8191MB"}, "SDRAM 65535MB (CL=3)"}},
  };
  for (const Case& c : cases) {
    vx::PageModel page;
    vx::ShowMemoryBanks(page, c.type, c.rows, c.latency);
    Banks got = Read(page);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(got.bank[k], c.expected.bank[k]);
    EXPECT_EQ(got.total, c.expected.total);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(page.HasText(IDC_MB_BANK0 + k), !c.expected.bank[k].empty());
  }
}

auto Fill(std::initializer_list<std::pair<uint32_t, uint8_t>> regs) {
  std::vector<std::pair<uint32_t, uint8_t>> v(regs);
  return [v](Image& image) {
    for (auto& r : v) image.Set(r.first, r.second);
  };
}

TEST(DecodeMemory430FX, PairedAndSingleRows) {
  auto paired = [](vx::PageModel& p, const uint8_t* i) {
    vx::DecodeMemory430FX(p, i, kRegs.WithFirst(0x60).PairedRows());
  };
  auto single = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemory430FX(p, i, kRegs.WithFirst(0x60)); };
  Check({
      // The odd registers are never read in the paired case.
      {"paired 4, 8, 8, 8", Fill({{0x60, 4}, {0x61, 8}, {0x62, 8}, {0x63, 8}, {0x64, 8}, {0x65, 8}, {0x66, 8}, {0x67, 8}, {0x68, 0x30}}),
       paired, {{"8MB + 8MB", "8MB + 8MB", "", ""}, "EDO 32MB"}},
      {"paired, second bank fast page", Fill({{0x60, 4}, {0x62, 8}, {0x68, 0x10}}), paired,
       {{"8MB + 8MB", "8MB + 8MB", "", ""}, "FPM 32MB"}},
      {"paired, FPM stays FPM", Fill({{0x60, 4}, {0x62, 8}, {0x68, 0x20}}), paired,
       {{"8MB + 8MB", "8MB + 8MB", "", ""}, "FPM 32MB"}},
      {"paired, bank 3 only above bank 1", Fill({{0x60, 2}, {0x62, 2}, {0x64, 1}, {0x66, 6}, {0x68, 0xF0}}), paired,
       {{"4MB + 4MB", "", "", "8MB + 8MB"}, "EDO 24MB"}},
      {"single rows", Fill({{0x60, 2}, {0x61, 4}, {0x62, 4}, {0x63, 6}, {0x68, 0x30}}), single,
       {{"8MB + 8MB", "0MB + 8MB", "", ""}, "EDO 24MB"}},
      {"single rows, bit 5 clear", Fill({{0x60, 2}, {0x61, 4}, {0x62, 4}, {0x63, 6}, {0x68, 0x10}}), single,
       {{"8MB + 8MB", "0MB + 8MB", "", ""}, "FPM 24MB"}},
      {"no row", Fill({{0x68, 0xF0}}), paired, {{"", "", "", ""}, "FPM 0MB"}},
  });
}

TEST(DecodeMemory430TX, SixRowsWithSdramAndEdoBits) {
  auto tx = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemory430TX(p, i, kRegs.WithFirst(0x60)); };
  Check({
      {"EDO rows 0-2 and 4-5", Fill({{0x60, 2}, {0x61, 4}, {0x62, 6}, {0x63, 6}, {0x64, 8}, {0x65, 10}, {0x68, 0x07}, {0x67, 0x30}}),
       tx, {{"8MB + 8MB", "8MB + 0MB", "8MB + 8MB", ""}, "EDO 40MB"}},
      {"row 5 fast page", Fill({{0x60, 2}, {0x61, 4}, {0x62, 6}, {0x63, 6}, {0x64, 8}, {0x65, 10}, {0x68, 0x07}, {0x67, 0x10}}),
       tx, {{"8MB + 8MB", "8MB + 0MB", "8MB + 8MB", ""}, "FPM 40MB"}},
      {"SDRAM row 0, CL 2", Fill({{0x60, 16}, {0x68, 0x10}, {0x54, 0x10}}), tx,
       {{"64MB + 0MB", "", "", ""}, "SDRAM 64MB (CL=2)"}},
      {"SDRAM row 0, CL 3", Fill({{0x60, 16}, {0x68, 0x10}}), tx, {{"64MB + 0MB", "", "", ""}, "SDRAM 64MB (CL=3)"}},
      {"EDO after SDRAM", Fill({{0x60, 16}, {0x61, 32}, {0x68, 0x12}}), tx,
       {{"64MB + 64MB", "", "", ""}, "EDO 128MB"}},
      {"SDRAM after fast page", Fill({{0x60, 16}, {0x61, 32}, {0x68, 0x20}}), tx,
       {{"64MB + 64MB", "", "", ""}, "SDRAM 128MB (CL=3)"}},
      {"rows 4 and 5 never SDRAM", Fill({{0x64, 4}, {0x68, 0xF0}, {0x67, 0x00}}), tx,
       {{"", "", "16MB + 0MB", ""}, "FPM 16MB"}},
      {"no row", Fill({{0x68, 0x10}}), tx, {{"", "", "", ""}, "FPM 0MB"}},
  });
}

TEST(DecodeMemory440FX, FxAndLxRules) {
  auto fx = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemory440FX(p, i, kRegs); };
  auto lx = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemory440FX(p, i, kRegs.LxRules()); };
  auto rows = [](uint8_t type, uint8_t extra58) {
    return Fill({{0x60, 4}, {0x61, 8}, {0x62, 8}, {0x63, 8}, {0x64, 12}, {0x65, 12}, {0x66, 12}, {0x67, 12}, {0x55, type}, {0x58, extra58}});
  };
  Check({
      {"FX FPM", rows(0x00, 0x40), fx, {{"32MB + 32MB", "", "32MB + 0MB", ""}, "FPM 96MB"}},
      {"FX EDO", rows(0xFD, 0x40), fx, {{"32MB + 32MB", "", "32MB + 0MB", ""}, "EDO 96MB"}},
      {"FX type 2 shows no latency", rows(0x02, 0x40), fx, {{"32MB + 32MB", "", "32MB + 0MB", ""}, "SDRAM 96MB"}},
      {"FX type 3", rows(0x03, 0x40), fx, {{"32MB + 32MB", "", "32MB + 0MB", ""}, "VC-SDRAM 96MB"}},
      {"LX EDO", rows(0x00, 0x40), lx, {{"32MB + 32MB", "", "32MB + 0MB", ""}, "EDO 96MB"}},
      {"LX SDRAM CL 2", rows(0xAA, 0x40), lx, {{"32MB + 32MB", "", "32MB + 0MB", ""}, "SDRAM 96MB (CL=2)"}},
      {"LX SDRAM CL 3", rows(0x02, 0xBF), lx, {{"32MB + 32MB", "", "32MB + 0MB", ""}, "SDRAM 96MB (CL=3)"}},
      {"LX reserved 1", rows(0x01, 0x40), lx, {{"32MB + 32MB", "", "32MB + 0MB", ""}, "96MB"}},
      {"LX reserved 3", rows(0x03, 0x40), lx, {{"32MB + 32MB", "", "32MB + 0MB", ""}, "96MB"}},
  });
}

TEST(DecodeMemory440BX, TypeLatencyAndBoundaries) {
  auto bx = [](vx::PageModel& p, const uint8_t* i) {
    vx::DecodeMemory440BX(p, i, kRegs.WithDramControl(0x57).WithFirst(0x60).WithSdramControl(0x74));
  };
  auto boundaries = [](std::initializer_list<uint8_t> b, uint8_t r57, uint8_t r76) {
    std::vector<uint8_t> v(b);
    return [v, r57, r76](Image& image) {
      for (size_t i = 0; i < v.size(); ++i) image.Set(0x60 + static_cast<uint32_t>(i), v[i]);
      image.Set(0x57, r57).Set(0x76, r76);
    };
  };
  Check({
      {"64 + 64, CL 2", boundaries({8, 16, 16, 16, 16, 16, 16, 16}, 0x08, 0x04), bx,
       {{"64MB + 64MB", "", "", ""}, "SDRAM 128MB (CL=2)"}},
      {"8, 8, 16, 16", boundaries({8, 8, 16, 16, 16, 16, 16, 16}, 0x08, 0x00), bx,
       {{"64MB + 0MB", "64MB + 0MB", "", ""}, "SDRAM 128MB (CL=3)"}},
      {"EDO", boundaries({8, 16, 16, 16, 16, 16, 16, 16}, 0x00, 0x04), bx, {{"64MB + 64MB", "", "", ""}, "EDO 128MB"}},
      {"VC-SDRAM", boundaries({8, 16, 16, 16, 16, 16, 16, 16}, 0x10, 0x00), bx,
       {{"64MB + 64MB", "", "", ""}, "VC-SDRAM 128MB (CL=3)"}},
      {"DRDRAM shows RCD", boundaries({8, 16, 16, 16, 16, 16, 16, 16}, 0xFF, 0x04), bx,
       {{"64MB + 64MB", "", "", ""}, "DRDRAM 128MB (RCD=2)"}},
      {"four full banks", boundaries({16, 32, 48, 64, 80, 96, 112, 128}, 0x08, 0x00), bx,
       {{"128MB + 128MB", "128MB + 128MB", "128MB + 128MB", "128MB + 128MB"}, "SDRAM 1024MB (CL=3)"}},
      {"a lower boundary is empty and keeps the previous one", boundaries({32, 16, 48, 48, 48, 48, 48, 48}, 0x08, 0x00), bx,
       {{"256MB + 0MB", "128MB + 0MB", "", ""}, "SDRAM 384MB (CL=3)"}},
      // 255 steps of 8 MB are 16320 eighths, still within 16 bits.
      {"largest boundary", boundaries({255, 255, 255, 255, 255, 255, 255, 255}, 0x08, 0x00), bx,
       {{"2040MB + 0MB", "", "", ""}, "SDRAM 2040MB (CL=3)"}},
  });
}

TEST(DecodeMemory810, PopulationCodes) {
  auto d = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemory810(p, i, kRegs); };
  const char* const kSides[16] = {"", "8MB + 0MB", "", "8MB + 8MB", "16MB + 0MB", "16MB + 8MB", "16MB + 16MB",
                                  "32MB + 0MB", "32MB + 16MB", "32MB + 32MB", "64MB + 0MB", "64MB + 32MB",
                                  "64MB + 64MB", "128MB + 0MB", "128MB + 64MB", "128MB + 128MB"};
  const int kTotals[16] = {0, 8, 0, 16, 16, 24, 32, 32, 48, 64, 64, 96, 128, 128, 192, 256};
  std::vector<DecoderCase> cases = {
      {"0x39", Fill({{0x52, 0x39}}), d, {{"32MB + 32MB", "8MB + 8MB", "", ""}, "SDRAM 80MB (CL=3)"}},
      {"0x39 CL 2", Fill({{0x52, 0x39}, {0x53, 0x04}}), d, {{"32MB + 32MB", "8MB + 8MB", "", ""}, "SDRAM 80MB (CL=2)"}},
  };
  for (int code = 0; code < 16; ++code) {
    // The same code in both sockets.
    cases.push_back({"code in both sockets", Fill({{0x52, static_cast<uint8_t>(code * 0x11)}, {0x53, 0xFB}}), d,
                     {{kSides[code], kSides[code], "", ""}, "SDRAM " + std::to_string(2 * kTotals[code]) + "MB (CL=3)"}});
  }
  Check(cases);
}

TEST(DecodeMemory820And840, RambusGroups) {
  auto d820 = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemory820(p, i, kRegs); };
  auto d840 = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemory840(p, i, kRegs); };
  // Group 0: 4 steps of 8 MB; group 1 repeats it (0x24 masks to 4); group 2: 8 steps at device size code 2.
  auto groups = Fill({{0x60, 4}, {0x62, 0x24}, {0x64, 12}, {0x66, 12}, {0x68, 12}, {0x6A, 12}, {0x6C, 12}, {0x6E, 12},
                      {0x42, 0x04}, {0x61, 0xFF}, {0x50, 0x40}, {0xBE, 0x40}});
  Check({
      {"820 RCD 7", groups, d820, {{"32MB + 0MB", "256MB + 0MB", "", ""}, "DRDRAM 288MB (RCD=7)"}},
      {"840 RCD 7", groups, d840, {{"32MB + 0MB", "256MB + 0MB", "", ""}, "DRDRAM 288MB (RCD=7)"}},
      {"820 RCD 9", Fill({{0x60, 4}, {0x50, 0x80}}), d820, {{"32MB + 0MB", "", "", ""}, "DRDRAM 32MB (RCD=9)"}},
      {"840 RCD 9", Fill({{0x60, 4}, {0x50, 0x40}, {0xBE, 0xC0}}), d840, {{"32MB + 0MB", "", "", ""}, "DRDRAM 32MB (RCD=9)"}},
      {"device size codes 1 and 3", Fill({{0x60, 1}, {0x40, 0x02}, {0x62, 2}, {0x41, 0x06}, {0x50, 0x40}}), d820,
       {{"16MB + 64MB", "", "", ""}, "DRDRAM 80MB (RCD=7)"}},
      {"row 7 at the 16-bit edge", Fill({{0x6E, 0x1F}, {0x47, 0x06}, {0x50, 0x40}}), d820,
       {{"", "", "", "0MB + 1984MB"}, "DRDRAM 1984MB (RCD=7)"}},
      {"820 with no group", Fill({}), d820, {{"", "", "", ""}, "DRDRAM 0MB (RCD=9)"}},
      {"840 with no group names no type", Fill({{0xBE, 0x40}}), d840, {{"", "", "", ""}, "0MB"}},
  });
}

TEST(DecodeMemoryAmd751, ChipSelectsAndModes) {
  auto d = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemoryAmd751(p, i, kRegs.WithFirst(0x40)); };
  Check({
      // Row 0: 64 MB mask, mode 2; row 1: 128 MB mask, mode 2; row 2 disabled; row 3 unlisted code 0 keeps
      // 128 with mode 0 (a quarter).
      {"mixed rows", Fill({{0x40, 0x1F}, {0x42, 0x3F}, {0x44, 0x7E}, {0x46, 0x01}, {0x50, 0x44}, {0x51, 0x00}, {0x54, 0x08}}), d,
       {{"64MB + 128MB", "0MB + 32MB", "", ""}, "SDRAM 224MB"}},
      {"CL 3", Fill({{0x40, 0x03}, {0x50, 0x04}, {0x54, 0xF3}}), d, {{"8MB + 0MB", "", "", ""}, "SDRAM 8MB (CL=3)"}},
      {"CL 2", Fill({{0x40, 0x07}, {0x50, 0x04}, {0x54, 0x04}}), d, {{"16MB + 0MB", "", "", ""}, "SDRAM 16MB (CL=2)"}},
      {"CL 4", Fill({{0x40, 0x0F}, {0x50, 0x04}, {0x54, 0x0C}}), d, {{"32MB + 0MB", "", "", ""}, "SDRAM 32MB (CL=4)"}},
      {"modes 1 and 3", Fill({{0x48, 0x7F}, {0x4A, 0x7F}, {0x52, 0x62}}), d,
       {{"", "", "128MB + 512MB", ""}, "SDRAM 640MB (CL=3)"}},
      {"unlisted code before any listed code", Fill({{0x40, 0x05}, {0x42, 0x1F}, {0x50, 0x44}}), d,
       {{"0MB + 64MB", "", "", ""}, "SDRAM 64MB (CL=3)"}},
  });
}

TEST(DecodeMemoryViaVp, PairsWithAddressFields) {
  auto d = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemoryViaVp(p, i, kRegs.WithFirst(0x58)); };
  Check({
      {"EDO pair 0", Fill({{0x58, 0x40}, {0x5A, 4}, {0x5B, 8}, {0x5C, 8}, {0x5D, 8}, {0x5E, 8}, {0x5F, 8}, {0x60, 0x01}, {0x64, 0x10}}), d,
       {{"8MB + 8MB", "", "", ""}, "EDO 16MB"}},
      // Pair 1 SDRAM with a wide address field (shift 6), latency field 3 gives none.
      {"EDO then SDRAM", Fill({{0x58, 0x4A}, {0x5A, 4}, {0x5B, 8}, {0x5C, 12}, {0x5D, 12}, {0x5E, 12}, {0x5F, 12}, {0x60, 0x0D}, {0x64, 0x10}, {0x65, 0x30}}), d,
       {{"8MB + 8MB", "32MB + 0MB", "", ""}, "SDRAM 48MB"}},
      {"SDRAM narrow field, CL 3", Fill({{0x59, 0x60}, {0x5E, 8}, {0x5F, 16}, {0x60, 0x30}, {0x66, 0x20}}), d,
       {{"", "", "16MB + 16MB", ""}, "SDRAM 32MB (CL=3)"}},
      {"fast page, field 7", Fill({{0x58, 0xE0}, {0x5A, 1}, {0x60, 0x00}, {0x64, 0x00}}), d,
       {{"64MB + 0MB", "", "", ""}, "FPM 64MB"}},
      {"half a megabyte", Fill({{0x5A, 1}, {0x60, 0x01}}), d, {{"0MB + 0MB", "", "", ""}, "EDO 0MB"}},
      // 255 steps shifted by 9 do not fit 16 bits.
      {"16-bit wrap", Fill({{0x58, 0xE0}, {0x5A, 0xFF}}), d, {{"8128MB + 0MB", "", "", ""}, "FPM 8128MB"}},
      {"no row", Fill({{0x60, 0xFF}, {0x64, 0x10}}), d, {{"", "", "", ""}, "FPM 0MB"}},
  });
}

TEST(DecodeMemoryViaPro, EightRowsOf16MB) {
  auto d = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemoryViaPro(p, i, kRegs.WithFirst(0x58)); };
  Check({
      {"rows 0, 1 and 6", Fill({{0x5A, 2}, {0x5B, 4}, {0x5C, 4}, {0x5D, 4}, {0x5E, 4}, {0x5F, 4}, {0x56, 8}, {0x57, 8}, {0x60, 0xC0}, {0x67, 0x10}, {0x58, 0xFF}}), d,
       {{"32MB + 32MB", "", "", "64MB + 0MB"}, "SDRAM 128MB (CL=2)"}},
      {"EDO pair 0 only", Fill({{0x5A, 2}, {0x5B, 4}, {0x60, 0xFD}, {0x64, 0x20}}), d,
       {{"32MB + 32MB", "", "", ""}, "EDO 64MB"}},
      {"SDRAM, field 3 gives no CL", Fill({{0x5C, 8}, {0x60, 0x0C}, {0x65, 0x30}}), d,
       {{"", "128MB + 0MB", "", ""}, "SDRAM 128MB"}},
      {"row 7 above row 6", Fill({{0x5F, 2}, {0x56, 2}, {0x57, 6}, {0x60, 0xB0}, {0x66, 0x00}, {0x67, 0x20}}), d,
       {{"", "", "0MB + 32MB", "0MB + 64MB"}, "SDRAM 96MB (CL=3)"}},
  });
}

TEST(DecodeMemoryAli, PlainAndPlusOne) {
  auto plain = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemoryAli(p, i, kRegs.WithFirst(0x60)); };
  auto plus = [](vx::PageModel& p, const uint8_t* i) {
    vx::DecodeMemoryAli(p, i, kRegs.WithFirst(0x60).PlusOne());
  };
  Check({
      {"plus one 64, 128", Fill({{0x60, 0x40}, {0x61, 0x30}, {0x62, 0x80}, {0x63, 0x30}, {0x5C, 0x10}}), plus,
       {{"65MB + 65MB", "", "", ""}, "SDRAM 130MB (CL=2)"}},
      {"plain 64, 128", Fill({{0x60, 0x40}, {0x61, 0x30}, {0x62, 0x80}, {0x63, 0x30}}), plain,
       {{"64MB + 64MB", "", "", ""}, "SDRAM 128MB (CL=3)"}},
      {"12-bit boundary, EDO", Fill({{0x60, 0x00}, {0x61, 0x11}, {0x5C, 0x10}}), plain,
       {{"256MB + 0MB", "", "", ""}, "EDO 256MB"}},
      {"type of the last present row", Fill({{0x60, 0x10}, {0x61, 0x30}, {0x6E, 0x20}, {0x6F, 0x40}}), plain,
       {{"16MB + 0MB", "", "", "0MB + 16MB"}, "FPM 32MB"}},
      {"equal boundary, plain", Fill({{0x60, 0x40}, {0x61, 0x10}, {0x62, 0x40}, {0x63, 0x10}}), plain,
       {{"64MB + 0MB", "", "", ""}, "EDO 64MB"}},
      {"equal boundary, plus one", Fill({{0x60, 0x3F}, {0x61, 0x10}, {0x62, 0x3F}, {0x63, 0x10}}), plus,
       {{"64MB + 1MB", "", "", ""}, "EDO 65MB"}},
      // A lower top would wrap to (64 - 128) * 8 = 65024 eighths: the row is empty, the previous top stays.
      {"lower boundary is empty", Fill({{0x60, 0x80}, {0x61, 0x10}, {0x62, 0x40}, {0x63, 0x30}, {0x64, 0xC0}, {0x65, 0x10}}), plain,
       {{"128MB + 0MB", "64MB + 0MB", "", ""}, "EDO 192MB"}},
      {"lower boundary, plus one", Fill({{0x60, 0x7F}, {0x61, 0x30}, {0x62, 0x3F}, {0x63, 0x30}}), plus,
       {{"128MB + 0MB", "", "", ""}, "SDRAM 128MB (CL=3)"}},
      {"no present row names no type", Fill({{0x60, 0x40}, {0x5C, 0x10}}), plain, {{"", "", "", ""}, "0MB"}},
  });
}

TEST(DecodeMemorySis5597, BanksAndSizeCodes) {
  auto d = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemorySis5597(p, i, kRegs.WithFirst(0x60)); };
  Check({
      {"double-sided, then code 11 keeps the size", Fill({{0x63, 0x03}, {0x60, 0x23}, {0x61, 0x0B}, {0x62, 0x27}}), d,
       {{"16MB + 16MB", "16MB + 0MB", "", ""}, "FPM 48MB"}},
      {"bank 2 only, code 0", Fill({{0x63, 0x04}, {0x60, 0x27}, {0x62, 0x20}}), d, {{"", "", "2MB + 2MB", ""}, "FPM 4MB"}},
      {"codes 4, 9 and 10", Fill({{0x63, 0x07}, {0x60, 0x04}, {0x61, 0x29}, {0x62, 0x4A}}), d,
       {{"4MB + 0MB", "32MB + 32MB", "32MB + 0MB", ""}, "FPM 100MB"}},
      {"first bank with code 15", Fill({{0x63, 0x01}, {0x60, 0x2F}}), d, {{"", "", "", ""}, "FPM 0MB"}},
      // Bit 7 marks SDRAM: the SDRAM module sizes and the CAS latency of 0x57 bit 4.
      {"SDRAM bank", Fill({{0x63, 0x05}, {0x60, 0x03}, {0x62, 0x83}, {0x57, 0x10}}), d,
       {{"16MB + 0MB", "", "64MB + 0MB", ""}, "SDRAM 80MB (CL=3)"}},
      {"SDRAM CL 2, code 12", Fill({{0x63, 0x01}, {0x60, 0x8C}}), d, {{"16MB + 0MB", "", "", ""}, "SDRAM 16MB (CL=2)"}},
      {"SDRAM code 13 keeps the size", Fill({{0x63, 0x03}, {0x60, 0x8B}, {0x61, 0xAD}}), d,
       {{"256MB + 0MB", "256MB + 0MB", "", ""}, "SDRAM 512MB (CL=2)"}},
      {"fast page after SDRAM", Fill({{0x63, 0x03}, {0x60, 0x83}, {0x61, 0x03}, {0x57, 0x10}}), d,
       {{"64MB + 0MB", "16MB + 0MB", "", ""}, "FPM 80MB"}},
      {"no bank", Fill({{0x60, 0x23}}), d, {{"", "", "", ""}, "FPM 0MB"}},
  });
}

TEST(DecodeMemorySis530, SdramAndVcSdram) {
  auto d = [](vx::PageModel& p, const uint8_t* i) { vx::DecodeMemorySis530(p, i, kRegs.WithFirst(0x60)); };
  Check({
      {"code 0x85 is 1024 MB", Fill({{0x63, 0x01}, {0x60, 0x85}}), d, {{"1024MB + 0MB", "", "", ""}, "VC-SDRAM 1024MB (CL=2)"}},
      {"VC code 0 and 7", Fill({{0x63, 0x03}, {0x60, 0x80}, {0x61, 0x87}, {0x5D, 0x08}}), d,
       {{"32MB + 0MB", "4096MB + 0MB", "", ""}, "VC-SDRAM 4128MB (CL=3)"}},
      {"VC code 8 gives 0", Fill({{0x63, 0x04}, {0x62, 0x88}}), d, {{"", "", "", ""}, "VC-SDRAM 0MB (CL=2)"}},
      {"SDRAM double-sided", Fill({{0x63, 0x07}, {0x60, 0x2F}, {0x61, 0x23}, {0x62, 0x4C}}), d,
       {{"512MB + 512MB", "64MB + 64MB", "16MB + 0MB", ""}, "SDRAM 1168MB (CL=2)"}},
      {"SDRAM codes 0, 11 and 13", Fill({{0x63, 0x07}, {0x60, 0x00}, {0x61, 0x0B}, {0x62, 0x0D}, {0x5D, 0x08}}), d,
       {{"8MB + 0MB", "256MB + 0MB", "256MB + 0MB", ""}, "SDRAM 520MB (CL=3)"}},
      {"type of the last enabled bank", Fill({{0x63, 0x03}, {0x60, 0x81}, {0x61, 0x01}}), d,
       {{"64MB + 0MB", "32MB + 0MB", "", ""}, "SDRAM 96MB (CL=2)"}},
      {"no bank", Fill({{0x60, 0x85}}), d, {{"", "", "", ""}, "FPM 0MB"}},
  });
}

}  // namespace
