#include <gtest/gtest.h>

#include "machine_fixture.h"

namespace {

using vxtest::Image;
using vxtest::Text;

struct L2Case {
  vx::CacheDecoderCall call;
  uint8_t x, y;  // the decoder's register and the one after it
  const char* line;
};

TEST(CacheDecoders, EveryDecoderAndItsFields) {
  const vx::CacheDecoderCall i430{vx::DecodeL2Intel430, 0x52}, vp2{vx::DecodeL2ViaVp2, 0x50},
      vp3{vx::DecodeL2ViaVp3, 0x50}, m1451{vx::DecodeL2AliM1451, 0x41}, m1511{vx::DecodeL2AliM1511, 0x41},
      m1521{vx::DecodeL2AliM1521, 0x41}, s5596{vx::DecodeL2Sis5596, 0x50}, s5597{vx::DecodeL2Sis5597, 0x50},
      s530{vx::DecodeL2Sis530, 0x50};
  const L2Case cases[] = {
      {i430, 0x42, 0, " PB SRAM 256KB"},
      {i430, 0x00, 0, " PB SRAM No Cache"},
      {i430, 0x90, 0, "2-banks PB SRAM 512KB"},
      {i430, 0xD0, 0, "2-banks PB SRAM 1MB"},
      {i430, 0x2F, 0, " PB SRAM No Cache"},
      // VIA: the size index includes the presence bit 0, so a present cache reads 512KB or 2MB.
      {vp2, 0x00, 0x00, "No SRAM"},
      {vp2, 0x00, 0xFE, "No SRAM"},
      {vp2, 0x00, 0x01, "2Banks PB SRAM 512KB"},
      {vp2, 0xFF, 0x03, "2Banks PB SRAM 2MB"},
      {vp3, 0x00, 0x00, "No SRAM"},
      {vp3, 0x00, 0x01, "Linear Burst SRAM 512KB"},
      {vp3, 0x00, 0xF3, "Linear Burst SRAM 2MB"},
      {m1451, 0x00, 0, " SRAM 64KB"},
      {m1451, 0x02, 0, " SRAM 128KB"},
      {m1451, 0xC8, 0, " SRAM 512KB"},
      {m1451, 0x0A, 0, " SRAM 1MB"},
      {m1451, 0x0E, 0, " SRAM 2MB"},
      {m1511, 0x42, 0, "Standard SRAM 64KB"},
      {m1511, 0x86, 0, "Burst SRAM 256KB"},
      {m1511, 0xC4, 0, "Pipelined Burst SRAM 256KB"},
      {m1511, 0x08, 0, "Standard SRAM 512KB"},
      {m1511, 0x0C, 0, "Standard SRAM 1MB"},
      {m1521, 0xC4, 0, "Pipelined Burst SRAM 512KB"},
      {m1521, 0x80, 0, "2-bank PB SRAM No Cache"},
      {m1521, 0x46, 0, "Async SRAM 1MB"},
      {m1521, 0x0A, 0, "Async SRAM 256KB"},
      {s5596, 0x00, 0, " SRAM No Cache"},
      {s5596, 0x02, 0, " SRAM 256KB"},
      {s5596, 0xF6, 0, " SRAM 1MB"},
      {s5596, 0x04, 0, " SRAM 512KB"},
      {s5597, 0x30, 0x10, "2Banks PB SRAM 256KB"},
      {s5597, 0x10, 0x30, " PB SRAM 1MB"},
      {s5597, 0x20, 0x00, "2Banks  SRAM No Cache"},
      {s5597, 0x00, 0xE0, "  SRAM 512KB"},
      {s530, 0x30, 0x10, "2Banks PB SRAM 512KB"},
      {s530, 0x30, 0x30, "2Banks PB SRAM 2MB"},
      {s530, 0x00, 0x00, "  SRAM 256KB"},
      {s530, 0x10, 0x20, " PB SRAM 1MB"},
  };
  for (const L2Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases << " x " << std::hex << int(c.x));
    Image image;
    image.Set(c.call.reg, c.x).Set(c.call.reg + 1u, c.y);
    vx::PageModel page;
    c.call.decode(page, image.bytes(), c.call.reg);
    EXPECT_EQ(Text(page, IDC_MB_L2_FIELD), c.line);
    EXPECT_TRUE(page.IsEnabled(IDC_MB_L2_LABEL));
    EXPECT_FALSE(page.HasText(IDC_MB_L2_LABEL));  // the caption is the host bridge step's
  }
}

TEST(CacheDecoders, ViaReadsTheRegisterAfterItsArgument) {
  Image image;
  image.Set(0x50, 0x01).Set(0x51, 0x00);
  vx::PageModel page;
  vx::DecodeL2ViaVp3(page, image.bytes(), 0x50);
  EXPECT_EQ(Text(page, IDC_MB_L2_FIELD), "No SRAM");
}

TEST(ShowL2FromTables, MasksTheIndexes) {
  const char* const sizes[4] = {"a", "b", "c", "d"};
  const char* const types[4] = {"T0", "T1", "T2", "T3"};
  Image image;
  image.Set(0x41, 0xFF);
  vx::PageModel page;
  vx::ShowL2FromTables(page, image.bytes(), 0x41, sizes, 1, types, 2);
  EXPECT_EQ(Text(page, IDC_MB_L2_FIELD), "T2 SRAM b");
  EXPECT_TRUE(page.IsEnabled(IDC_MB_L2_LABEL));
}

}  // namespace
