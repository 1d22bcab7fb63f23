// Random requests and damaged recordings, under the sanitizers: the handler never stores past the output
// length nor anything on failure, and the reader either accepts or names the line it refuses.
#include <gtest/gtest.h>

#include <string.h>

#include <random>

#include "machine_support.h"

namespace {

TEST(Robustness, RandomRequestsStayInsideTheirBuffers) {
  vxtest::MachineUnderTest m;
  std::string error;
  ASSERT_TRUE(m.Load("intel-440bx-g400.txt", &error)) << error;
  const uint32_t codes[] = {0x9C406400, 0x9C406404, 0x9C406408, 0x9C40A440, 0x9C40A444, 0x9C40A448,
                            0x9C406500, 0x9C40A540, 0x9C40658C, 0x9C406501, 0};
  std::mt19937 random(12345);
  for (int n = 0; n < 20000; ++n) {
    uint32_t code = codes[random() % (sizeof codes / sizeof codes[0])];
    uint32_t inLength = random() % 3 == 0 ? random() % 300 : random() % 13;
    uint32_t outLength = random() % 3 == 0 ? random() % 300 : random() % 13;
    std::vector<uint8_t> in(inLength + 1), out(outLength + 16, 0xEE);
    for (auto& b : in) b = static_cast<uint8_t>(random() % 4 == 0 ? random() : random() % 3);
    uint32_t returned = 0xDEAD;
    uint32_t status =
        PciDebugHandleRequest(&m.bus, &m.ports, code, in.data(), inLength, out.data(), outLength, &returned);
    ASSERT_TRUE(status == 0 ? returned == outLength : returned == 0) << n;
    for (size_t i = status == 0 ? outLength : 0; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << n;
  }
}

TEST(Robustness, DamagedRecordingsAreAcceptedOrRefusedWithALine) {
  std::string good = vxtest::ReadTestFile("machines/intel-810-ich.txt");
  ASSERT_FALSE(good.empty());
  const char alphabet[] = "0123456789abcdefgx:. \t#\n\r=";
  std::mt19937 random(777);
  auto machine = std::make_unique<vx::RecordedPciMachine>();
  for (int n = 0; n < 3000; ++n) {
    std::string text = good;
    for (int k = 1 + random() % 4; k > 0; --k) {
      size_t at = random() % text.size();
      switch (random() % 3) {
        case 0: text[at] = alphabet[random() % (sizeof alphabet - 1)]; break;
        case 1: text.erase(at, 1 + random() % 40); break;
        default: text.insert(at, 1, alphabet[random() % (sizeof alphabet - 1)]); break;
      }
    }
    char err[256] = "";
    bool ok = vx::ParsePciMachine(text.data(), text.size(), "m", machine.get(), err, sizeof err);
    if (!ok) {
      ASSERT_EQ(strncmp(err, "m:", 2), 0) << err;
    } else {
      ASSERT_GT(machine->machine.functionCount, 0u);
    }
  }
}

}  // namespace
