// The lspci reader on good and bad recordings.
#include <gtest/gtest.h>

#include <string.h>

#include "machine_support.h"

namespace {

using vxtest::LspciFunction;

std::string HexLines(int count, const char* bytes = "86 80 10 71 00 00 00 00 02 00 01 06 00 00 80 00") {
  std::string s;
  char line[80];
  for (int i = 0; i < count; ++i) {
    snprintf(line, sizeof line, "%02x: %s\n", i * 16, bytes);
    s += line;
  }
  return s;
}

TEST(LspciReader, ReadsVerboseOutputWithPortsAndDomains) {
  std::string text =
      "# port 0xd400 = 0x00000010\n"
      "# port 0x60 = 0x1234\n"
      "# an ordinary comment\n"
      "0000:00:07.0 ISA bridge: Intel Corporation 82371AB/EB/MB PIIX4 ISA (rev 02)\n"
      "\tSubsystem: Intel Corporation Device 0000\n"
      "\tControl: I/O+ Mem+ BusMaster+ SpecCycle+ MemWINV- VGASnoop- ParErr- Stepping- SERR- FastB2B-\n"
      "\tKernel driver in use: something\n" +
      HexLines(16) +
      "100: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
      "\n"
      "02:1f.7 Unclassified device: x\r\n" +
      HexLines(4);
  auto m = std::make_unique<vx::RecordedPciMachine>();
  char err[256] = "";
  ASSERT_TRUE(vx::ParsePciMachine(text.data(), text.size(), "m.txt", m.get(), err, sizeof err)) << err;
  ASSERT_EQ(m->machine.functionCount, 2u);
  EXPECT_EQ(m->functions[0].busDevFn, 0x0038);
  EXPECT_EQ(m->functions[0].recorded, 256);
  EXPECT_EQ(m->functions[0].config[0x0B], 0x06);
  EXPECT_EQ(m->functions[1].busDevFn, 0x02FF);
  EXPECT_EQ(m->functions[1].recorded, 64);
  EXPECT_EQ(m->warnings, "m.txt:26: 02:1f.7 has 64 of 256 configuration bytes recorded; the rest reads as zeros\n");
  // Ports byte by byte, little-endian.
  ASSERT_EQ(m->machine.portCount, 6u);
  EXPECT_EQ(m->portBytes[0].port, 0xd400);
  EXPECT_EQ(m->portBytes[0].value, 0x10);
  EXPECT_EQ(m->portBytes[4].port, 0x60);
  EXPECT_EQ(m->portBytes[4].value, 0x34);
  EXPECT_EQ(m->portBytes[5].value, 0x12);
  // Buses 0 and 2 exist, bus 1 does not.
  EXPECT_EQ(m->machine.busPresent[0], 0x05);
}

TEST(LspciReader, RefusesMalformedInputNamingFileAndLine) {
  std::string dev = "00:07.0 ISA bridge: x\n";
  struct Case {
    std::string text;
    const char* error;
  } cases[] = {
      {"", "bad.txt: no device recorded (expected lspci -xxx output)"},
      {HexLines(1), "bad.txt:1: hex line before any device line"},
      {dev + dev, "bad.txt:1: device 00:07.0 has no hex lines"},
      {dev + HexLines(1) + "\n" + dev + HexLines(1), "bad.txt:4: device 00:07.0 is recorded twice (first at line 1)"},
      {dev + HexLines(1) + "00:07.1 IDE: x\n", "bad.txt:3: device 00:07.1 has no hex lines"},
      {dev + "00: 86 80 zz 71 00 00 00 00 02 00 01 06 00 00 80 00\n", "bad.txt:2: 'zz' is not a hex byte"},
      {dev + "00: 86 80 100 71 00 00 00 00 02 00 01 06 00 00 80 00\n", "bad.txt:2: '100' is not a hex byte"},
      {dev + "00: 86 80 10 71 00 00 00\n", "bad.txt:2: truncated hex line: 7 of 16 bytes"},
      {dev + "00: 86 80 10 71 00 00 00 00 02 00 01 06 00 00 80 00 00\n", "bad.txt:2: more than 16 bytes on a hex line"},
      {dev + HexLines(1) + "20: 86 80 10 71 00 00 00 00 02 00 01 06 00 00 80 00\n",
       "bad.txt:3: expected the hex line for offset 10, found 20"},
      {dev + HexLines(16) + "00: 86 80 10 71 00 00 00 00 02 00 01 06 00 00 80 00\n",
       "bad.txt:18: hex line after all 256 bytes of the device"},
      {"00:20.0 Bridge: x\n", "bad.txt:1: device number 20 is above 1f"},
      {"0001:00:00.0 Host bridge: x\n", "bad.txt:1: PCI domain 0001 is not supported (only 0000)"},
      {"Host bridge at 00:00.0\n",
       "bad.txt:1: expected a device line (\"00:07.0 ISA bridge: ...\"), a hex line (\"00: 86 80 ...\") or a comment"},
      {dev + HexLines(1) + "abcd: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",  // an offset has 2 or 3 digits
       "bad.txt:3: expected a device line (\"00:07.0 ISA bridge: ...\"), a hex line (\"00: 86 80 ...\") or a comment"},
      {"# port 0xd400 0x10\n", "bad.txt:1: expected \"# port 0xPORT = 0xVALUE\""},
      {"# port 0xd400 = 0x100\n", "bad.txt:1: a port value has 2, 4 or 8 hex digits (8, 16 or 32 bits)"},
      {"# port 0x12345 = 0x10\n", "bad.txt:1: expected \"# port 0xPORT = 0xVALUE\""},
      {"# port 0xfffe = 0x00000010\n", "bad.txt:1: the port value runs past port 0xffff"},
      {"# port 0x60 = 0x1234\n# port 0x61 = 0x00\n", "bad.txt:2: port 0x0061 is given twice"},
      {"# Port 0xd400 0x10\n", "bad.txt:1: expected \"# port 0xPORT = 0xVALUE\""},
      {std::string("\xFF\xFE" "0\0" "0\0", 6), "bad.txt:1: the file is UTF-16 text (it starts with a byte-order mark); "
                                              "save it as plain ASCII text"},
      {std::string("0\0" "0\0" ":\0", 6), "bad.txt:1: the file is UTF-16 text (every other byte is zero); save it as "
                                         "plain ASCII text"},
      {"\xEF\xBB\xBF" + dev + HexLines(16), "bad.txt:1: the file starts with a UTF-8 byte-order mark; save it as plain "
                                            "ASCII text without one"},
  };
  for (const Case& c : cases) {
    auto m = std::make_unique<vx::RecordedPciMachine>();
    char err[256] = "";
    EXPECT_FALSE(vx::ParsePciMachine(c.text.data(), c.text.size(), "bad.txt", m.get(), err, sizeof err))
        << c.text;
    EXPECT_STREQ(err, c.error) << c.text;
  }
}

// Sizes and spellings of real recordings: more functions than one bus holds, a warning for each of many
// short devices, the word "port" in any case, port values that end exactly at the last port; a comment that
// only begins with "port" is a plain comment.
TEST(LspciReader, ReadsRealWorldSizesAndSpellings) {
  std::string text = "# Port 0xfffc = 0x00000010\n#PORT 0x60 = 0x12\n";
  for (int i = 0; i < 300; ++i) {
    char location[16];
    snprintf(location, sizeof location, "%02x:%02x.%d", i >> 8, (i >> 3) & 31, i & 7);
    text += std::string(location) + " Device: x\n" + HexLines(i < 120 ? 4 : 16);
  }
  text += "# portable board, ports 0x60-0x64\n";
  auto m = std::make_unique<vx::RecordedPciMachine>();
  char err[256] = "";
  ASSERT_TRUE(vx::ParsePciMachine(text.data(), text.size(), "big.txt", m.get(), err, sizeof err)) << err;
  EXPECT_EQ(m->machine.functionCount, 300u);
  EXPECT_EQ(m->functions[299].busDevFn, 299);
  EXPECT_EQ(m->functions[299].recorded, 256);
  EXPECT_EQ(std::count(m->warnings.begin(), m->warnings.end(), '\n'), 120);
  EXPECT_EQ(m->warnings.substr(m->warnings.rfind("big.txt:")),
            "big.txt:598: 00:0e.7 has 64 of 256 configuration bytes recorded; the rest reads as zeros\n");
  ASSERT_EQ(m->machine.portCount, 5u);
  EXPECT_EQ(m->portBytes[0].value, 0x10);
  EXPECT_EQ(m->portBytes[3].port, 0xFFFF);
  EXPECT_EQ(m->portBytes[4].port, 0x60);
  EXPECT_EQ(m->portBytes[4].value, 0x12);
}

// Which buses a recorded machine has, as the driver answers for them: bus 0, every bus with a recorded
// function, and the secondary bus of each PCI-to-PCI and CardBus bridge (multi-function or not); not the
// byte at 0x19 of another kind of function.
TEST(LspciReader, MarksTheBusesThatBridgesLeadTo) {
  vxtest::MachineUnderTest m;
  std::string error;
  ASSERT_TRUE(m.Parse(LspciFunction("00:00.0", 0x8086, 0x7190, 0x06000003) +
                          LspciFunction("00:01.0", 0x8086, 0x7191, 0x06040003, 0x01, 0x02) +    // PCI-to-PCI: bus 2
                          LspciFunction("00:0a.0", 0x104C, 0xAC1C, 0x06070001, 0x02, 0x05) +    // CardBus: bus 5
                          LspciFunction("00:0b.1", 0x1180, 0x0476, 0x06070080, 0x82, 0x07) +   // CardBus, fn 1: bus 7
                          LspciFunction("00:0d.0", 0x5333, 0x8811, 0x03000054, 0x00, 0x09) +   // not a bridge
                          LspciFunction("0b:00.0", 0x10EC, 0x8139, 0x02000010),
                      "buses", &error))
      << error;
  std::string present;
  for (uint32_t bus = 0; bus < 16; ++bus) {
    uint8_t v[4];
    uint32_t status = vx::PciDriverConfigRead(m.access, vx::BusDevFn(bus, 31, 7), 0, v, 4);
    EXPECT_TRUE(status == ERROR_PCI_NO_BUS || status == ERROR_PCI_NO_DEVICE) << bus;
    if (status == ERROR_PCI_NO_DEVICE) present += std::to_string(bus) + " ";
  }
  EXPECT_EQ(present, "0 2 5 7 11 ");
}

TEST(LspciReader, EveryRecordedMachineReads) {
  auto names = vxtest::RecordedMachineNames();
  ASSERT_GE(names.size(), 3u);
  for (const std::string& name : names) {
    vxtest::MachineUnderTest m;
    std::string error;
    EXPECT_TRUE(m.Load(name, &error)) << error;
  }
}

}  // namespace
