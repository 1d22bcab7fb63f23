// The PCIDebug requests byte for byte from both ends: what the program sends, and what the handler accepts
// and answers.
#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <vector>

#include "hwaccess/access.h"
#include "machine_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Records each request and answers with the scripted output bytes and status.
class RecordingTransport final : public vx::DriverTransport {
 public:
  struct Request {
    uint32_t code;
    Bytes in;
    uint32_t outLength;
  };
  uint32_t Control(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength) override {
    const uint8_t* p = static_cast<const uint8_t*>(in);
    requests.push_back({code, Bytes(p, p + inLength), outLength});
    if (status == 0) {
      for (uint32_t i = 0; i < outLength; ++i) static_cast<uint8_t*>(out)[i] = i < answer.size() ? answer[i] : 0;
    }
    return status;
  }
  std::vector<Request> requests;
  // From a static array rather than an initializer list: GCC 12 at -O2 takes the list's temporary array for
  // uninitialised (-Wmaybe-uninitialized).
  static constexpr uint8_t kAnswer[12] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC};
  Bytes answer = Bytes(kAnswer, kAnswer + sizeof kAnswer);
  uint32_t status = 0;
};

TEST(DriverRequests, ProgramSendsTheseBytes) {
  struct Case {
    const char* what;
    std::function<uint32_t(vx::AccessState&)> call;
    uint32_t code;
    Bytes in;
    uint32_t outLength;
    uint32_t result, resultOnFailure;
  } cases[] = {
      {"PciConfigRead32 masks bus, device, function and register",
       [](vx::AccessState& a) { return vx::PciConfigRead32(a, 0x101, 33, 9, 0x1FC); }, 0x9C406500,
       {0x09, 0x01, 0, 0, 0xFC, 0, 0, 0}, 4, 0x44332211, 0xFFFFFFFF},
      {"PciDriverConfigRead8", [](vx::AccessState& a) { return vx::PciDriverConfigRead8(a, 0x0812, 0x0E); },
       0x9C406500, {0x12, 0x08, 0, 0, 0x0E, 0, 0, 0}, 1, 0x11, 0xFF},
      {"PciDriverConfigRead16", [](vx::AccessState& a) { return vx::PciDriverConfigRead16(a, 0xFFFF, 0x02); },
       0x9C406500, {0xFF, 0xFF, 0, 0, 0x02, 0, 0, 0}, 2, 0x2211, 0xFFFF},
      {"PciDriverConfigWrite8", [](vx::AccessState& a) { return vx::PciDriverConfigWrite8(a, 0x0038, 0x4C, 0xAB); },
       0x9C40A540, {0x38, 0, 0, 0, 0x4C, 0, 0, 0, 0xAB}, 0, 0, 5},
      {"PciDriverConfigWrite16",
       [](vx::AccessState& a) { return vx::PciDriverConfigWrite16(a, 0x0038, 0x04, 0x1234); }, 0x9C40A540,
       {0x38, 0, 0, 0, 0x04, 0, 0, 0, 0x34, 0x12}, 0, 0, 5},
      {"PciDriverConfigWrite32",
       [](vx::AccessState& a) { return vx::PciDriverConfigWrite32(a, 0x0100, 0x10, 0xDEADBEEF); }, 0x9C40A540,
       {0x00, 0x01, 0, 0, 0x10, 0, 0, 0, 0xEF, 0xBE, 0xAD, 0xDE}, 0, 0, 5},
      {"PortRead8", [](vx::AccessState& a) { return uint32_t{vx::PortRead8(a, 0x12345678)}; }, 0x9C406400,
       {0x78, 0x56, 0x34, 0x12}, 1, 0x11, 0xFF},
      {"PortRead16", [](vx::AccessState& a) { return uint32_t{vx::PortRead16(a, 0xCFC)}; }, 0x9C406404,
       {0xFC, 0x0C, 0, 0}, 2, 0x2211, 0xFFFF},
      {"PortRead32", [](vx::AccessState& a) { return vx::PortRead32(a, 0xD400); }, 0x9C406408, {0x00, 0xD4, 0, 0},
       4, 0x44332211, 0xFFFFFFFF},
      {"PortWrite8", [](vx::AccessState& a) { return vx::PortWrite8(a, 0x80, 0x5A); }, 0x9C40A440,
       {0x80, 0, 0, 0, 0x5A}, 0, 1, 0},
      {"PortWrite16", [](vx::AccessState& a) { return vx::PortWrite16(a, 0x80, 0x1234); }, 0x9C40A444,
       {0x80, 0, 0, 0, 0x34, 0x12}, 0, 1, 0},
      {"PortWrite32", [](vx::AccessState& a) { return vx::PortWrite32(a, 0xCF8, 0x80003808); }, 0x9C40A448,
       {0xF8, 0x0C, 0, 0, 0x08, 0x38, 0x00, 0x80}, 0, 1, 0},
      {"PciDriverBiosInfo", [](vx::AccessState& a) { uint8_t b[12]; return vx::PciDriverBiosInfo(a, b); },
       0x9C40658C, {}, 12, 0, 5},
  };
  for (const Case& c : cases) {
    for (uint32_t status : {0u, 5u}) {
      RecordingTransport t;
      t.status = status;
      vx::AccessState access;
      vx::UseDriverRoute(access, &t);
      EXPECT_EQ(c.call(access), status == 0 ? c.result : c.resultOnFailure) << c.what;
      ASSERT_EQ(t.requests.size(), 1u) << c.what;
      EXPECT_EQ(t.requests[0].code, c.code) << c.what;
      EXPECT_EQ(t.requests[0].in, c.in) << c.what;
      EXPECT_EQ(t.requests[0].outLength, c.outLength) << c.what;
    }
  }
  // Without an open handle a request fails as on an invalid handle.
  vx::AccessState none;
  EXPECT_EQ(vx::PciDriverBiosInfo(none, nullptr), 6u);
  uint8_t big[257] = {};
  RecordingTransport t;
  vx::UseDriverRoute(none, &t);
  EXPECT_EQ(vx::PciDriverConfigWrite(none, 0, 0, big, 257), vx::kPciWriteNoBuffer);
  EXPECT_TRUE(t.requests.empty());
}

TEST(DriverRequests, DirectPortsUseTheInstructions) {
  vxtest::FakePortsForWire ports;
  vx::AccessState access;
  vx::UsePortsRoute(access, &ports);
  EXPECT_EQ(vx::PortWrite16(access, 0x80, 0x1234), 0x1234u);
  EXPECT_EQ(vx::PortRead8(access, 0x61), 0x61u);
  EXPECT_EQ(ports.log, "out16 0080=1234 in8 0061 ");
}

TEST(DriverRequests, HandlerChecksEveryLength) {
  vxtest::MachineUnderTest m;
  std::string error;
  ASSERT_TRUE(m.Load("intel-440bx-g400.txt", &error)) << error;
  const uint32_t kInvalid = PCIDEBUG_ERROR_INVALID_PARAMETER;
  struct Case {
    uint32_t code;
    Bytes in;
    uint32_t outLength;
    uint32_t status;
    Bytes out;
  } cases[] = {
      {0x9C406500, {0x00, 0x00, 0, 0, 0x00, 0, 0, 0}, 4, 0, {0x86, 0x80, 0x90, 0x71}},
      {0x9C406500, {0x38, 0x00, 0, 0, 0x08, 0, 0, 0}, 12, 0,
       {0x02, 0x00, 0x01, 0x06, 0x00, 0x40, 0x80, 0x00, 0, 0, 0, 0}},
      {0x9C406500, {0x00, 0x00, 0, 0, 0xFC, 0, 0, 0}, 4, 0, {0, 0, 0, 0}},
      {0x9C406500, {0x00, 0x00, 0, 0, 0xFD, 0, 0, 0}, 4, kInvalid, {}},  // runs past register 0xFF
      {0x9C406500, {0x00, 0x00, 0, 0, 0x00, 1, 0, 0}, 1, kInvalid, {}},  // register 0x100
      {0x9C406500, {0x00, 0x00, 0, 0, 0x00, 0, 0}, 4, kInvalid, {}},     // 7 input bytes
      {0x9C406500, {0x00, 0x00, 0, 0, 0x00, 0, 0, 0, 0}, 4, kInvalid, {}},
      {0x9C406500, {0x00, 0x00, 0, 0, 0x00, 0, 0, 0}, 0, kInvalid, {}},
      {0x9C406500, {0x00, 0x02, 0, 0, 0x00, 0, 0, 0}, 4, ERROR_PCI_NO_BUS, {}},
      {0x9C406500, {0x10, 0x00, 0, 0, 0x00, 0, 0, 0}, 4, ERROR_PCI_NO_DEVICE, {}},  // 00:02.0
      {0x9C406500, {0x3C, 0x00, 0, 0, 0x00, 0, 0, 0}, 4, ERROR_PCI_NO_DEVICE, {}},  // 00:07.4
      {0x9C406500, {0x00, 0x01, 0, 0, 0x00, 0, 0, 0}, 2, 0, {0x2B, 0x10}},                // 01:00.0
      {0x9C406400, {0x00, 0x00, 0, 0}, 1, 0, {0x10}},
      {0x9C406408, {0x00, 0x00, 0xFF, 0xFF}, 4, 0, {0x10, 0, 0, 0}},  // the driver uses the low 16 bits
      {0x9C406404, {0x00, 0x00, 0, 0}, 4, kInvalid, {}},
      {0x9C406404, {0x00, 0x00, 0}, 2, kInvalid, {}},
      {0x9C406404, {0x03, 0x00, 0, 0}, 2, 0, {0x00, 0xFF}},  // port 4 was not recorded: all ones
      {0x9C40A440, {0x80, 0, 0, 0, 0x5A}, 0, 0, {}},
      {0x9C40A440, {0x80, 0, 0, 0, 0x5A, 0}, 0, kInvalid, {}},
      {0x9C40A448, {0x80, 0, 0, 0, 0x5A, 0, 0}, 0, kInvalid, {}},
      {0x9C40A444, {0x80, 0, 0, 0, 0x5A, 0}, 2, kInvalid, {}},
      {0x9C40A540, {0x00, 0x00, 0, 0, 0x00, 0, 0, 0}, 0, kInvalid, {}},  // no data
      {0x9C40A540, {0x00, 0x00, 0, 0, 0xFF, 0, 0, 0, 1, 2}, 0, kInvalid, {}},
      {0x9C40A540, {0x00, 0x00, 0, 0, 0xFF, 0, 0, 0, 1}, 0, 0, {}},
      {0x9C40658C, {}, 12, 0, {1, 0, 0, 0, 1, 0, 0, 0, 'P', 'C', 'I', ' '}},
      {0x9C40658C, {}, 11, kInvalid, {}},
      {0x9C40658C, {0}, 12, kInvalid, {}},
      {0x9C406504, {0x00, 0x00, 0, 0, 0x00, 0, 0, 0}, 4, PCIDEBUG_ERROR_INVALID_FUNCTION, {}},
      {0x00000000, {}, 0, PCIDEBUG_ERROR_INVALID_FUNCTION, {}},
  };
  for (const Case& c : cases) {
    uint8_t out[300];
    memset(out, 0xEE, sizeof out);
    uint32_t returned = 99;
    uint32_t status = PciDebugHandleRequest(&m.bus, &m.ports, c.code, c.in.data(), static_cast<uint32_t>(c.in.size()),
                                            out, c.outLength, &returned);
    std::string what = "code " + std::to_string(c.code) + " in " + std::to_string(c.in.size()) + " out " +
                       std::to_string(c.outLength);
    EXPECT_EQ(status, c.status) << what;
    EXPECT_EQ(returned, status == 0 ? c.outLength : 0u) << what;
    EXPECT_EQ(Bytes(out, out + c.out.size()), c.out) << what;
    for (size_t i = status == 0 ? c.outLength : 0; i < sizeof out; ++i) {
      ASSERT_EQ(out[i], 0xEE) << what << ": byte " << i << " written";
    }
  }
  // Null buffers with a length.
  uint32_t returned;
  EXPECT_EQ(PciDebugHandleRequest(&m.bus, &m.ports, 0x9C406500, nullptr, 8, nullptr, 0, &returned), kInvalid);
  uint8_t in[8] = {};
  EXPECT_EQ(PciDebugHandleRequest(&m.bus, &m.ports, 0x9C406500, in, 8, nullptr, 4, &returned), kInvalid);
  // No port space.
  EXPECT_EQ(PciDebugHandleRequest(&m.bus, nullptr, 0x9C406400, in, 4, in, 1, &returned), PCIDEBUG_ERROR_NOT_SUPPORTED);
}

TEST(DriverRequests, HandlerTakesItsInputBeforeAnsweringInTheSameBuffer) {
  vxtest::MachineUnderTest m;
  std::string error;
  ASSERT_TRUE(m.Load("intel-440bx-g400.txt", &error)) << error;
  uint8_t buffer[12] = {0x38, 0x00, 0, 0, 0x00, 0, 0, 0};  // 00:07.0, register 0, as METHOD_BUFFERED shares it
  uint32_t returned;
  ASSERT_EQ(PciDebugHandleRequest(&m.bus, &m.ports, 0x9C406500, buffer, 8, buffer, 12, &returned), 0u);
  EXPECT_EQ(Bytes(buffer, buffer + 12), (Bytes{0x86, 0x80, 0x10, 0x71, 0x0F, 0x00, 0x80, 0x02, 0x02, 0x00, 0x01, 0x06}));
  // Writes land in the recorded machine and read back.
  uint8_t write[9] = {0x38, 0x00, 0, 0, 0x4C, 0, 0, 0, 0xAB};
  ASSERT_EQ(PciDebugHandleRequest(&m.bus, &m.ports, 0x9C40A540, write, 9, nullptr, 0, &returned), 0u);
  EXPECT_EQ(vx::PciDriverConfigRead8(m.access, 0x0038, 0x4C), 0xAB);
  EXPECT_EQ(vx::PortWrite8(m.access, 0x0001, 0x77), 1u);
  EXPECT_EQ(vx::PortRead32(m.access, 0x0000), 0x00007710u);
  // The whole space in one request: 8 + 256 bytes, the largest input the handler takes.
  uint8_t space[256];
  for (int i = 0; i < 256; ++i) space[i] = static_cast<uint8_t>(i);
  m.transport->requests = 0;
  ASSERT_EQ(vx::PciDriverConfigWrite(m.access, 0x0038, 0, space, 256), 0u);
  EXPECT_EQ(m.transport->requests, 1u);
  EXPECT_EQ(vx::PciDriverConfigRead32(m.access, 0x0038, 0xFC), 0xFFFEFDFCu);
}

TEST(ConfigBlock, StopsAtAllOnesAndStoresOnlyWhatItRead) {
  vxtest::MachineUnderTest m;
  std::string error;
  ASSERT_TRUE(m.Parse(vxtest::LspciFunction("00:00.0", 0x8086, 0x7190, 0xFFFFFFFF) +
                          vxtest::LspciFunction("00:02.0", 0x1234, 0x5678, 0x03000001),
                      "block", &error))
      << error;
  uint8_t buffer[257];
  memset(buffer, 0xEE, sizeof buffer);
  // Count 6: the first dword whole and the two low bytes of the second.
  EXPECT_EQ(vx::PciConfigReadBlock(m.access, 0, 2, 0, 0, buffer, 6), 6);
  EXPECT_EQ(Bytes(buffer, buffer + 7), (Bytes{0x34, 0x12, 0x78, 0x56, 0x00, 0x00, 0xEE}));
  EXPECT_EQ(m.transport->requests, 2u);
  // Nothing for counts of 0 or less, and no request.
  EXPECT_EQ(vx::PciConfigReadBlock(m.access, 0, 2, 0, 0, buffer, 0), 0);
  EXPECT_EQ(vx::PciConfigReadBlock(m.access, 0, 2, 0, 0, buffer, -4), 0);
  EXPECT_EQ(m.transport->requests, 2u);
  // An absent function: 0 and nothing stored.
  memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(vx::PciConfigReadBlock(m.access, 0, 3, 0, 0, buffer, 256), 0);
  EXPECT_EQ(buffer[0], 0xEE);
  // A register whose content is all ones ends the block like a failure: 8 bytes stored.
  EXPECT_EQ(vx::PciConfigReadBlock(m.access, 0, 0, 0, 0, buffer, 256), 8);
  EXPECT_EQ(buffer[8], 0xEE);
  // The whole image.
  EXPECT_EQ(vx::PciConfigReadBlock(m.access, 0, 2, 0, 0, buffer, 256), 256);
  EXPECT_EQ(buffer[256], 0xEE);
  // No route: 0 and the buffer as it was.
  vx::AccessState none;
  EXPECT_EQ(vx::PciConfigReadBlock(none, 0, 2, 0, 0, buffer, 256), 0);
}

TEST(DeviceSearches, WalkTheBusesAsThePciBiosDoes) {
  vxtest::MachineUnderTest m;
  std::string error;
  using vxtest::LspciFunction;
  ASSERT_TRUE(m.Parse(LspciFunction("00:00.0", 0x8086, 0x7190, 0x06000003) +
                          LspciFunction("00:07.0", 0x8086, 0x7110, 0x06010002, 0x80) +
                          LspciFunction("00:07.2", 0x8086, 0x7112, 0x0C030001) +
                          LspciFunction("00:09.0", 0x1234, 0x0001, 0x06800001) +   // not multi-function...
                          LspciFunction("00:09.1", 0x8086, 0x7112, 0x0C030001) +   // ...so never seen
                          LspciFunction("00:0a.0", 0x8086, 0x7112, 0x0C030101) +   // prog. interface 01
                          LspciFunction("01:00.0", 0x102B, 0x0525, 0x03000004) +
                          LspciFunction("03:00.0", 0x8086, 0x7112, 0x0C030001),   // behind absent bus 2
                      "search", &error))
      << error;
  EXPECT_EQ(vx::FindPciDevice(m.access, 0x8086, 0x7112, 0), 0x003A0000u);
  EXPECT_EQ(vx::FindPciDevice(m.access, 0x8086, 0x7112, 1), 0x00500000u);
  EXPECT_EQ(vx::FindPciDevice(m.access, 0x8086, 0x7112, 2), vx::PCI_DEVICE_NOT_FOUND);
  EXPECT_EQ(vx::FindPciDevice(m.access, 0x102B, 0x0525, 0), 0x01000000u);
  m.transport->requests = 0;
  EXPECT_EQ(vx::FindPciDevice(m.access, 0xFFFF, 0x0525, 0), vx::PCI_BAD_VENDOR_ID);
  EXPECT_EQ(m.transport->requests, 0u);
  EXPECT_EQ(vx::FindPciClassCode(m.access, 0x0C, 0x03, 0x00, 0), 0x003A0000u);
  EXPECT_EQ(vx::FindPciClassCode(m.access, 0x0C, 0x03, 0x01, 0), 0x00500000u);
  EXPECT_EQ(vx::FindPciClassCode(m.access, 0x0C, 0x03, 0x00, 1), vx::PCI_DEVICE_NOT_FOUND);
  EXPECT_EQ(vx::FindPciClassCode(m.access, 0x03, 0x00, 0x00, 0), 0x01000000u);
  EXPECT_EQ(vx::FindPciClassCode(m.access, 0x03, 0x80, 0x00, 0), vx::PCI_DEVICE_NOT_FOUND);

  // Bus counts: the first absent bus, or the PCI BIOS data with the VxD.
  EXPECT_EQ(vx::CountPciBuses(m.access), 2);
  m.access.accessMode |= vx::ACCESS_VXD;
  EXPECT_EQ(vx::CountPciBuses(m.access), 4);
  RecordingTransport t;
  vx::AccessState vxd;
  vx::UseDriverRoute(vxd, &t);
  vxd.accessMode = vx::ACCESS_VXD;
  t.answer = {1, 0, 0, 0, 7, 0, 0, 0, 'P', 'C', 'I', ' '};
  EXPECT_EQ(vx::CountPciBuses(vxd), 8);
  t.answer = {1, 0, 0, 0, 7, 0, 0, 0, 'P', 'C', 'I', '_'};
  EXPECT_EQ(vx::CountPciBuses(vxd), 0);
  t.answer = {1, 0, 0, 0, 7, 1, 0, 0, 'P', 'C', 'I', ' '};
  EXPECT_EQ(vx::CountPciBuses(vxd), 0);
  t.answer = {0, 0, 0, 0, 7, 1, 0, 0, 'x', 'x', 'x', 'x'};  // test flag clear: taken as it is
  EXPECT_EQ(vx::CountPciBuses(vxd), 8);
}

}  // namespace
