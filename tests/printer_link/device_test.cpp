// Identification, the status bytes and the receipt counter against the
// simulated printer: every answer of the identification, the exact commands
// of each read and what stays in the outputs when a read fails.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "kavoruw_codes.h"
#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/status.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/link/driver_state.h"
#include "sim_link.h"

namespace kavoruw {
namespace {

using testing::Bytes;
using testing::Frames;

constexpr uint8_t kUntouchedKind = 0xEE;
constexpr uint32_t kUntouchedVersion = 0xDEAD;

class DeviceTest : public testing::SimLinkTest {
 protected:
  void SetUp() override {
    SimLinkTest::SetUp();
    InstallConsoleHooks(
        Link(),
        {[this](const std::string& text) { texts.push_back(platform::Utf8FromCp1250(text)); }, {}});
  }
  void TearDown() override {
    InstallConsoleHooks(Link(), {});
    SimLinkTest::TearDown();
  }
  void Reset() {
    sim.ClearFaults();
    sim.ClearLog();
    texts.clear();
  }
  std::vector<std::string> texts;
};

TEST_F(DeviceTest, IdentificationByTypeByteAndVersionAnswer) {
  struct Row {
    uint8_t type;
    Bytes versionAnswer;  // empty: 0xFE is not asked
    int32_t code;
    uint8_t kind;
    uint32_t version;
  };
  const Row rows[] = {
      {2, {}, 0, 0, 0},
      {5, {}, 0, 4, 0},
      {17, {}, 0, 1, 0},
      {18, {0x06, 0xAA, 0x07, 0xBB}, 0, 6, 7},  // the second of the three bytes
      {18, {0x15}, 0, 5, 0},
      {18, {0xC8}, kErrRefused, kUntouchedKind, kUntouchedVersion},
      {44, {0x06, 0x00, 0x03, 0xFF}, 0, 3, 3},
      {44, {0x15}, 0, 2, 0},
      {44, {0x01}, kErrServiceJumper, kUntouchedKind, kUntouchedVersion},
      {0, {}, 0, 7, 0},
      {99, {}, 0, 7, 0},
      {255, {}, 0, 7, 0},
  };
  for (const Row& row : rows) {
    Reset();
    sim.SetScriptedAnswer(0xFF, {0x06, row.type});
    if (!row.versionAnswer.empty()) sim.SetScriptedAnswer(0xFE, row.versionAnswer);
    uint8_t kind = kUntouchedKind;
    uint32_t version = kUntouchedVersion;
    EXPECT_EQ(ReadDeviceType(kind, version), row.code) << int(row.type);
    EXPECT_EQ(kind, row.kind) << int(row.type);
    EXPECT_EQ(version, row.version) << int(row.type);
    const Bytes wire = row.versionAnswer.empty() ? Frames({0xFF}) : Frames({0xFF, 0xFE});
    EXPECT_EQ(Wire(wire.size()), wire) << int(row.type);
    EXPECT_EQ(texts, (std::vector<std::string>{"Odczyt typu urządzenia..."}));
  }
}

TEST_F(DeviceTest, EveryModelOfThePrinterIsRecognised) {
  for (uint8_t model = 0; model <= 7; ++model) {
    sim.SetKind(model);
    sim.SetVersion(9);
    uint8_t kind = kUntouchedKind;
    uint32_t version = kUntouchedVersion;
    EXPECT_EQ(ReadDeviceType(kind, version), 0);
    EXPECT_EQ(kind, model);
    EXPECT_EQ(version, model == 3 || model == 6 ? 9u : 0u) << int(model);
  }
}

TEST_F(DeviceTest, IdentificationThatGetsNoAnswer) {
  uint8_t kind = kUntouchedKind;
  uint32_t version = kUntouchedVersion;
  sim.Refuse(0xFF, 0x15);
  EXPECT_EQ(ReadDeviceType(kind, version), kErrNak);
  EXPECT_EQ(Wire(2), Frames({0xFF}));

  Reset();
  sim.SetScriptedAnswer(0xFF, {});
  EXPECT_EQ(ReadDeviceType(kind, version), kErrReceive);

  // The version question times out on a pharmacy model.
  ASSERT_EQ(Open(), 0);
  Reset();
  sim.SetKind(6);
  sim.SetScriptedAnswer(0xFE, {});
  EXPECT_EQ(ReadDeviceType(kind, version), kErrReceive);
  EXPECT_EQ(Wire(4), Frames({0xFF, 0xFE}));
  EXPECT_EQ(kind, kUntouchedKind);
  EXPECT_EQ(version, kUntouchedVersion);
}

TEST_F(DeviceTest, StatusByteCountByModelAndVersion) {
  struct Row {
    uint8_t kind;
    uint8_t version;
    uint32_t count;
  };
  const Row rows[] = {{3, 2, 4}, {3, 3, 6}, {6, 5, 4}, {6, 6, 6}, {7, 0, 6}, {0, 0, 4}, {2, 9, 4}};
  const uint8_t values[] = {0x2B, 0x48, 0x08, 0x40, 0x02, 0x33};
  for (int i = 0; i < 6; ++i) sim.SetStatus(i + 1, values[i]);
  for (const Row& row : rows) {
    Reset();
    sim.SetKind(row.kind);
    sim.SetVersion(row.version);
    uint32_t count = 0;
    uint8_t s[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(ReadStatusBytes(count, s[0], s[1], s[2], s[3], s[4], s[5]), 0);
    EXPECT_EQ(count, row.count) << int(row.kind) << "/" << int(row.version);
    for (uint32_t i = 0; i < 6; ++i) {
      EXPECT_EQ(s[i], i < row.count ? values[i] : 0xEE) << "s" << i + 1;
    }
    // 0xFE only where the type byte names a pair of models.
    Bytes wire =
        row.kind == 2 || row.kind == 3 || row.kind == 6 ? Frames({0xFF, 0xFE}) : Frames({0xFF});
    for (uint8_t c : {'[', 'T', 'U', 'V'}) wire.insert(wire.end(), {0x1B, c});
    if (row.count == 6) wire.insert(wire.end(), {0x1B, '_', 0x1B, 'P'});
    EXPECT_EQ(Wire(wire.size()), wire) << int(row.kind) << "/" << int(row.version);
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Odczyt bajtów statusu...", "Odczyt typu urządzenia..."}));
  }
}

TEST_F(DeviceTest, FailedStatusReadLeavesWhatWasRead) {
  sim.SetStatus(1, 0x11);
  sim.SetStatus(2, 0x22);
  sim.Refuse('U', 0x15);
  uint32_t count = 77;
  uint8_t s[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(ReadStatusBytes(count, s[0], s[1], s[2], s[3], s[4], s[5]), kErrNak);
  EXPECT_EQ(count, 77u);
  EXPECT_EQ((Bytes(s, s + 6)), (Bytes{0x11, 0x22, 0xEE, 0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(Wire(10), Frames({0xFF, 0xFE, '[', 'T', 'U'}));

  // A failed identification writes nothing.
  Reset();
  sim.Refuse(0xFF, 0xC8);
  count = 77;
  EXPECT_EQ(ReadStatusBytes(count, s[0], s[1], s[2], s[3], s[4], s[5]), kErrRefused);
  EXPECT_EQ(count, 77u);
  EXPECT_EQ(Wire(2), Frames({0xFF}));

  // With the link down and no stored port nothing is asked.
  Reset();
  Link().DriverState.LinkUp = false;
  EXPECT_EQ(ReadStatusBytes(count, s[0], s[1], s[2], s[3], s[4], s[5]), kErrNoPortNumber);
  EXPECT_EQ(texts, (std::vector<std::string>{"Odczyt bajtów statusu..."}));
}

TEST_F(DeviceTest, ReceiptCounterIsLowByteFirst) {
  sim.State()->receiptCounter = 0x1234;
  int32_t counter = -1;
  EXPECT_EQ(ReadReceiptCounter(Link(), counter), 0);
  EXPECT_EQ(counter, 4660);
  EXPECT_EQ(Wire(2), Frames({'f'}));
  EXPECT_EQ(sim.Sent(), (Bytes{0x06, 0x34, 0x12}));
  EXPECT_EQ(texts, (std::vector<std::string>{"Odczyt numeru ostatniego paragonu..."}));

  Reset();
  sim.State()->receiptCounter = 0xFFFF;
  EXPECT_EQ(ReadReceiptCounter(Link(), counter), 0);
  EXPECT_EQ(counter, 65535);
}

TEST_F(DeviceTest, ReceiptCounterIsRefusedWhileAReceiptIsOpen) {
  Link().DriverState.Receipt.Begun();
  int32_t counter = -1;
  EXPECT_EQ(ReadReceiptCounter(Link(), counter), kErrReceiptOpen);
  EXPECT_EQ(counter, -1);
  uint8_t s3 = 0;
  EXPECT_EQ(ReadStatusByte(Link(), 0x95, s3), 0);
  EXPECT_EQ(Wire(2), Frames({0x95}));

  Reset();
  Link().DriverState.Receipt.Closed();
  sim.Refuse('f', 0x15);
  EXPECT_EQ(ReadReceiptCounter(Link(), counter), kErrNak);
  EXPECT_EQ(counter, -1);
}

TEST(DeviceKindName, NamesOfTheModels) {
  const char* names[] = {"MX720A 5-stawkowa",  "MX720A 7-stawkowa",       "KAVOR I generacji",
                         "KAVOR II generacji", "MX720B 5-st. (apteczna)", "MX720B 7-st. (apteczna)",
                         "KAVOR F (apteczna)", "INNE URZADZENIE"};
  for (uint32_t kind = 0; kind < 8; ++kind) EXPECT_EQ(DeviceKindName(kind), names[kind]);
  EXPECT_EQ(DeviceKindName(8), "NIEZNANE");
  EXPECT_EQ(DeviceKindName(255), "NIEZNANE");
}

}  // namespace
}  // namespace kavoruw
