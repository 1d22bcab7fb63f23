// The real pcilibnt.sys's decisions, run natively: who may open the device (its descriptor checked the way
// NT checks a DACL, against the groups of an ordinary user, an administrator and SYSTEM), the read-only
// gate before any hardware access, the status every answer completes with, and the HAL back end.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "drivers/pcidebug/pcilibnt_rules.h"
#include "pcidebug/little_endian.h"

namespace {

// ---- Who may open the device ----

// A SID from its bytes: "S-1-<authority>-<sub>-...".
std::string SidText(const uint8_t* p) {
  uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = authority << 8 | p[i];
  std::string text = "S-" + std::to_string(p[0]) + "-" + std::to_string(authority);
  for (int i = 0; i < p[1]; ++i) text += "-" + std::to_string(LoadLe32(p + 8 + 4 * i));
  return text;
}

// What NT's access check does with a self-relative descriptor whose DACL holds only allow entries: the
// rights of every entry whose SID the token holds add up, and every right asked for must be among them.
struct Token {
  std::vector<std::string> groups;  // user and group SIDs
};

int DaclCheck(void* context, const PciLibNtDescriptor* descriptor, uint32_t access) {
  const Token& token = *static_cast<const Token*>(context);
  const uint8_t* sd = reinterpret_cast<const uint8_t*>(descriptor->words);
  uint32_t dacl = LoadLe32(sd + 16);
  uint32_t granted = 0;
  const uint8_t* ace = sd + dacl + 8;
  for (uint32_t i = 0; i < LoadLe16(sd + dacl + 4); ++i) {
    if (ace[0] == 0 /* allowed */) {
      for (const auto& sid : token.groups) {
        if (SidText(ace + 8) == sid) granted |= LoadLe32(ace + 4);
      }
    }
    ace += LoadLe16(ace + 2);
  }
  return (granted & access) == access;
}

TEST(PciLibNtOpen, DescriptorLayout) {
  PciLibNtDescriptor d;
  memset(&d, 0xAA, sizeof d);
  PciLibNtBuildDescriptor(&d);
  const uint8_t* sd = reinterpret_cast<const uint8_t*>(d.words);
  EXPECT_EQ(sd[0], 1);                     // revision
  EXPECT_EQ(LoadLe16(sd + 2), 0x8004);     // self-relative, DACL present, nothing else (not defaulted)
  EXPECT_EQ(LoadLe32(sd + 12), 0u);        // no SACL
  EXPECT_EQ(SidText(sd + LoadLe32(sd + 4)), "S-1-5-32-544");  // owner
  EXPECT_EQ(SidText(sd + LoadLe32(sd + 8)), "S-1-5-18");      // group
  uint32_t dacl = LoadLe32(sd + 16);
  ASSERT_EQ(dacl % 4, 0u);
  EXPECT_EQ(sd[dacl], 2);  // ACL revision
  uint32_t aclSize = LoadLe16(sd + dacl + 2);
  EXPECT_EQ(dacl + aclSize, PCILIBNT_DESCRIPTOR_BYTES);  // the DACL ends the descriptor, inside it
  ASSERT_EQ(LoadLe16(sd + dacl + 4), 2);
  std::vector<std::string> who;
  uint32_t at = dacl + 8;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(sd[at], 0) << "an allow entry";
    EXPECT_EQ(sd[at + 1], 0) << "no inheritance flags";
    EXPECT_EQ(LoadLe32(sd + at + 4), 0x001F01FFu);
    EXPECT_EQ(LoadLe16(sd + at + 2) % 4, 0u);
    who.push_back(SidText(sd + at + 8));
    at += LoadLe16(sd + at + 2);
  }
  EXPECT_EQ(at, dacl + aclSize);
  EXPECT_EQ(who, (std::vector<std::string>{"S-1-5-18", "S-1-5-32-544"}));
}

TEST(PciLibNtOpen, OnlySystemAndAdministratorsAreAdmitted) {
  PciLibNtDescriptor d;
  PciLibNtBuildDescriptor(&d);
  const std::string everyone = "S-1-1-0", users = "S-1-5-32-545", authenticated = "S-1-5-11",
                    interactive = "S-1-5-4", admins = "S-1-5-32-544";
  struct {
    const char* who;
    Token token;
    bool admitted;
  } callers[] = {
      {"an ordinary user", {{"S-1-5-21-1-2-3-1001", everyone, users, authenticated, interactive}}, false},
      {"a power user", {{"S-1-5-21-1-2-3-1002", everyone, users, "S-1-5-32-547", authenticated}}, false},
      {"the guest", {{"S-1-5-21-1-2-3-501", everyone, "S-1-5-32-546"}}, false},
      {"a service account", {{"S-1-5-19", everyone, authenticated}}, false},
      {"an anonymous caller", {{"S-1-5-7", everyone}}, false},
      {"an administrator", {{"S-1-5-21-1-2-3-500", everyone, users, admins, authenticated}}, true},
      {"SYSTEM", {{"S-1-5-18", everyone, admins, authenticated}}, true},
  };
  const uint32_t opens[] = {0x80000000u | 0x40000000u /* the program's GENERIC_READ | GENERIC_WRITE */, 0,
                            0x10000000u, 0x02000000u /* MAXIMUM_ALLOWED */, 0x00080000u /* WRITE_OWNER */};
  // Each caller opening the device itself from user mode, from kernel mode with SL_FORCE_ACCESS_CHECK (an
  // open on a user's behalf: checked the same way), and a name below the device (refused to everyone).
  for (auto& c : callers) {
    for (uint32_t desired : opens) {
      for (PciLibNtOpen open : {PciLibNtOpen{0, 0, 0, desired}, PciLibNtOpen{1, 1, 0, desired}}) {
        uint32_t answer = PciLibNtAdmitOpen(&open, &d, DaclCheck, &c.token);
        EXPECT_EQ(answer, c.admitted ? PCIDEBUG_OK : PCIDEBUG_ERROR_ACCESS_DENIED)
            << c.who << ", access " << desired << ", kernel mode " << open.fromKernelMode;
      }
      for (PciLibNtOpen open : {PciLibNtOpen{0, 0, 2, desired}, PciLibNtOpen{1, 0, 18, desired}}) {
        EXPECT_EQ(PciLibNtAdmitOpen(&open, &d, DaclCheck, &c.token), PCIDEBUG_ERROR_ACCESS_DENIED)
            << c.who << ": \\\\.\\PciDebug\\x, kernel mode " << open.fromKernelMode;
      }
    }
  }
  // An open from kernel mode without the flag needs no check; one that must be checked but brings no
  // security context is refused.
  PciLibNtOpen kernel{1, 0, 0, 0xC0000000u}, forced{1, 1, 0, 0xC0000000u}, user{0, 0, 0, 0xC0000000u};
  EXPECT_EQ(PciLibNtAdmitOpen(&kernel, &d, nullptr, nullptr), PCIDEBUG_OK);
  EXPECT_EQ(PciLibNtAdmitOpen(&forced, &d, nullptr, nullptr), PCIDEBUG_ERROR_ACCESS_DENIED);
  EXPECT_EQ(PciLibNtAdmitOpen(&user, &d, nullptr, nullptr), PCIDEBUG_ERROR_ACCESS_DENIED);
}

// ---- Statuses ----

TEST(PciLibNtStatus, NoErrorBecomesSuccess) {
  struct {
    uint32_t answer, status;
  } rows[] = {
      {PCIDEBUG_OK, PCILIBNT_STATUS_SUCCESS},
      {PCIDEBUG_ERROR_ACCESS_DENIED, 0xC0000022u /* the caller sees 5 */},
      {ERROR_PCI_NO_BUS, ERROR_PCI_NO_BUS},
      {ERROR_PCI_NO_DEVICE, ERROR_PCI_NO_DEVICE},
      {PCIDEBUG_ERROR_GEN_FAILURE, PCILIBNT_STATUS_UNSUCCESSFUL},
      {0x103 /* would be STATUS_PENDING */, PCILIBNT_STATUS_UNSUCCESSFUL},
      {0x40000000u /* would be an informational status */, PCILIBNT_STATUS_UNSUCCESSFUL},
      {0x80000005u /* would be a warning */, PCILIBNT_STATUS_UNSUCCESSFUL},
  };
  for (const auto& r : rows) EXPECT_EQ(PciLibNtStatus(r.answer), r.status) << std::hex << r.answer;
  // Every answer but success completes with an error status (severity bits 11).
  for (uint64_t a = 1; a <= 0xFFFFFFFFu; a = a * 3 + 1) {
    EXPECT_EQ(PciLibNtStatus(static_cast<uint32_t>(a)) >> 30, 3u) << std::hex << a;
  }
  for (uint32_t a = 1; a < 20000; ++a) ASSERT_EQ(PciLibNtStatus(a) >> 30, 3u) << a;
}

// ---- The HAL back end and the dispatch ----

// A HAL over a few functions: buses 0 to lastBus exist; every call is counted.
struct FakeHal {
  uint32_t lastBus = 1;
  std::map<uint32_t, std::vector<uint8_t>> functions;  // by (bus << 8 | slot)
  uint32_t shortBy = 0;           // the next data read returns this many bytes fewer
  uint32_t vendorBytes = 2;       // bytes a present function answers to the vendor read (register 0, 2 bytes)
  bool emptySlotAnswersZero = false;  // a HAL that answers 0 bytes for an empty slot on a present bus
  int calls = 0;

  static uint32_t Get(void* context, uint32_t bus, uint32_t slot, void* buffer, uint32_t offset, uint32_t length) {
    auto* self = static_cast<FakeHal*>(context);
    ++self->calls;
    if (bus > self->lastBus) return 0;
    auto it = self->functions.find(bus << 8 | slot);
    if (it == self->functions.end()) {
      if (self->emptySlotAnswersZero) return 0;
      if (offset != 0 || length < 2) return 0;
      memset(buffer, 0xFF, 2);  // PCI_INVALID_VENDORID
      return 2;
    }
    if (offset == 0 && length == 2) {
      memcpy(buffer, it->second.data(), self->vendorBytes);
      return self->vendorBytes;
    }
    memcpy(buffer, it->second.data() + offset, length);
    uint32_t cut = self->shortBy;
    self->shortBy = 0;
    return length - cut;
  }
};

struct HalDriver {
  FakeHal fake;
  PciLibNtHal hal{&fake, FakeHal::Get};
  PciLibNtBackend backend;
  HalDriver() {
    PciLibNtHalBus(&hal, &backend.bus);
    backend.ports = PciDebugPorts{nullptr, nullptr, nullptr};  // the real driver has no port space
    backend.readOnly = 1;
    std::vector<uint8_t> image(256);
    for (int i = 0; i < 256; ++i) image[i] = static_cast<uint8_t>(i);
    image[0] = 0x86, image[1] = 0x80;
    fake.functions[0 << 8 | 0] = image;             // 00:00.0
    fake.functions[1 << 8 | (7 << 5 | 31)] = image;  // 01:1f.7: slot = device | function << 5
  }
  // One request through the dispatch, with the system buffer as the kernel gives it.
  uint32_t Send(uint32_t code, std::vector<uint8_t> in, uint32_t outLength, std::vector<uint8_t>* out = nullptr) {
    std::vector<uint8_t> buffer(std::max<size_t>(in.size(), outLength) + 1, 0xEE);
    if (!in.empty()) memcpy(buffer.data(), in.data(), in.size());
    uint32_t returned = 99;
    uint32_t answer = PciLibNtDispatch(&backend, code, buffer.data(), static_cast<uint32_t>(in.size()), outLength,
                                       &returned);
    EXPECT_EQ(returned, answer == PCIDEBUG_OK ? outLength : 0u);
    if (out != nullptr) out->assign(buffer.begin(), buffer.begin() + returned);
    return answer;
  }
};

std::vector<uint8_t> Le32s(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> bytes;
  for (uint32_t v : values) {
    uint8_t b[4];
    StoreLe32(b, v);
    bytes.insert(bytes.end(), b, b + 4);
  }
  return bytes;
}

TEST(PciLibNtHalBackEnd, ConfigurationReads) {
  struct {
    const char* what;
    uint32_t busDevFn, offset, length;
    uint32_t answer;
    std::vector<uint8_t> bytes;
  } rows[] = {
      {"00:00.0 register 08", 0x0000, 0x08, 4, PCIDEBUG_OK, {8, 9, 10, 11}},
      {"00:00.0 vendor", 0x0000, 0x00, 2, PCIDEBUG_OK, {0x86, 0x80}},
      {"01:1f.7, the last dword (slot: device | function << 5)", 0x01FF, 0xFC, 4, PCIDEBUG_OK, {0xFC, 0xFD, 0xFE, 0xFF}},
      {"00:00.0 all 256 bytes", 0x0000, 0x00, 256, PCIDEBUG_OK, {}},
      {"00:01.0, an empty slot", 0x0008, 0x00, 4, ERROR_PCI_NO_DEVICE, {}},
      {"01:1f.6, another function of a present device", 0x01FE, 0x08, 4, ERROR_PCI_NO_DEVICE, {}},
      {"bus 2, past the last", 0x0200, 0x00, 4, ERROR_PCI_NO_BUS, {}},
      {"bus 255", 0xFF00, 0x00, 4, ERROR_PCI_NO_BUS, {}},
      {"register 0xFD, 4 bytes: past the space", 0x0000, 0xFD, 4, PCIDEBUG_ERROR_INVALID_PARAMETER, {}},
      {"register 0x100", 0x0000, 0x100, 1, PCIDEBUG_ERROR_INVALID_PARAMETER, {}},
  };
  for (const auto& r : rows) {
    HalDriver d;
    std::vector<uint8_t> out;
    EXPECT_EQ(d.Send(IOCTL_READ_PCI_CONFIG, Le32s({r.busDevFn, r.offset}), r.length, &out), r.answer) << r.what;
    if (!r.bytes.empty()) {
      EXPECT_EQ(out, r.bytes) << r.what;
    }
    if (r.length == 256 && r.answer == PCIDEBUG_OK) {
      EXPECT_EQ(out[0x80], 0x80) << r.what;
    }
    if (r.answer == PCIDEBUG_ERROR_INVALID_PARAMETER) {
      EXPECT_EQ(d.fake.calls, 0) << r.what << ": the HAL was asked";
    }
  }
  // The HAL gives fewer bytes than asked: no answer rather than bytes it never stored. A vendor ID of
  // fewer than 2 bytes is no device, whatever its one byte says.
  HalDriver d;
  d.fake.shortBy = 1;
  EXPECT_EQ(d.Send(IOCTL_READ_PCI_CONFIG, Le32s({0x0000, 0x40}), 4), PCIDEBUG_ERROR_GEN_FAILURE);
  d.fake.vendorBytes = 1;
  EXPECT_EQ(d.Send(IOCTL_READ_PCI_CONFIG, Le32s({0x0000, 0x00}), 4), ERROR_PCI_NO_DEVICE);
  // A HAL that answers nothing at all for an empty slot makes that slot's bus look absent: the caller
  // then skips the rest of the bus, which is what such a HAL says.
  HalDriver quiet;
  quiet.fake.emptySlotAnswersZero = true;
  EXPECT_EQ(quiet.Send(IOCTL_READ_PCI_CONFIG, Le32s({0x0008, 0x00}), 4), ERROR_PCI_NO_BUS);
}

TEST(PciLibNtHalBackEnd, BiosData) {
  HalDriver d;
  std::vector<uint8_t> out;
  ASSERT_EQ(d.Send(IOCTL_PCI_BIOS_INFO, {}, 12, &out), PCIDEBUG_OK);
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 0, 0, 0, 1 /* last bus */, 0 /* present */, 0, 0, 'P', 'C', 'I', ' '}));
  d.fake.lastBus = 5;
  ASSERT_EQ(d.Send(IOCTL_PCI_BIOS_INFO, {}, 12, &out), PCIDEBUG_OK);
  EXPECT_EQ(out[4], 5);
  // No bus at all (Wine's HAL): the data say so, and CountPciBuses makes that 0 buses.
  d.fake.functions.clear();
  d.fake.lastBus = 0;
  d.fake.emptySlotAnswersZero = true;
  ASSERT_EQ(d.Send(IOCTL_PCI_BIOS_INFO, {}, 12, &out), PCIDEBUG_OK);
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 0, 0, 0, 0, 1 /* no PCI BIOS */, 0, 0, 0, 0, 0, 0}));
}

// Nothing reaches the hardware for a request the real driver does not serve: every port request and every
// write with every length refused as access denied, any other code or method as an invalid function,
// before the HAL is asked. And nothing in the back end could write if a request got through.
TEST(PciLibNtHalBackEnd, ReadOnlyBeforeAnyHardwareAccess) {
  const uint32_t refused[] = {IOCTL_READ_PORT8,  IOCTL_READ_PORT16,  IOCTL_READ_PORT32,
                              IOCTL_WRITE_PORT8, IOCTL_WRITE_PORT16, IOCTL_WRITE_PORT32, IOCTL_WRITE_PCI_CONFIG};
  for (uint32_t code : refused) {
    for (uint32_t inLength : {0u, 4u, 5u, 6u, 8u, 12u, 264u, 265u}) {
      HalDriver d;
      std::vector<uint8_t> in(inLength, 0);
      if (inLength >= 4) StoreLe32(in.data(), 0xCF8);
      uint32_t outLength = code == IOCTL_READ_PORT8    ? 1
                           : code == IOCTL_READ_PORT16 ? 2
                           : code == IOCTL_READ_PORT32 ? 4
                                                       : 0;
      EXPECT_EQ(d.Send(code, in, outLength), PCIDEBUG_ERROR_ACCESS_DENIED)
          << std::hex << code << " in " << std::dec << inLength;
      EXPECT_EQ(d.fake.calls, 0) << std::hex << code;
    }
  }
  const uint32_t reads[] = {IOCTL_READ_PCI_CONFIG, IOCTL_PCI_BIOS_INFO};
  for (uint32_t code : reads) {
    EXPECT_EQ(PciLibNtReadOnlyGate(code), PCIDEBUG_OK);
    for (uint32_t variant : {code | 1u, code | 2u, code | 3u, code & ~0xC000u, code | 0xC000u, code ^ 0x00010000u}) {
      HalDriver d;
      EXPECT_EQ(d.Send(variant, Le32s({0, 0}), 4), PCIDEBUG_ERROR_INVALID_FUNCTION) << std::hex << variant;
      EXPECT_EQ(d.fake.calls, 0) << std::hex << variant;
    }
  }
  for (uint32_t code : {0u, 0x9C406504u, 0x9C40A540u ^ 0x4000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(PciLibNtReadOnlyGate(code), PCIDEBUG_ERROR_INVALID_FUNCTION) << std::hex << code;
  }
  HalDriver d;
  EXPECT_EQ(d.backend.bus.write, nullptr);
  // A test driver's back end is not read only: its writes reach the recorded machine as before, but a
  // code of another method is refused there too.
  d.backend.readOnly = 0;
  EXPECT_EQ(d.Send(IOCTL_WRITE_PCI_CONFIG, Le32s({0, 4, 0}), 0), PCIDEBUG_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(d.Send(IOCTL_READ_PCI_CONFIG | 3u, Le32s({0, 0}), 4), PCIDEBUG_ERROR_INVALID_FUNCTION);
}

}  // namespace
