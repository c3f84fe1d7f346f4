// The command engine against the simulated printer: exact bytes on the wire
// and the code of every way a command can end.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "kavoruw_core.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/engine/engine.h"
#include "printer_link/port/link_error.h"
#include "sim_link.h"

namespace kavoruw {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;

class EngineTest : public testing::SimLinkTest {
 protected:
  uint8_t Run(uint8_t cmd, uint8_t answerLen, const Bytes& data = {}) {
    return ExecuteSequence(Link(), cmd, answerLen, data, &answer);
  }
  Block answer{};
};

TEST_F(EngineTest, AcknowledgedCommand) {
  EXPECT_EQ(Run('#', 1), 0);
  EXPECT_EQ(answer[0], 0x06);
  EXPECT_EQ(Wire(2), (Bytes{0x1B, '#'}));
}

TEST_F(EngineTest, EveryRefusalByteHasItsCode) {
  const std::pair<uint8_t, uint8_t> cases[] = {{0x15, 24}, {0x01, 101}, {0x65, 201},
                                               {0xC8, 26}, {0x42, 23},  {0x00, 23}};
  for (auto [byte, code] : cases) {
    sim.Refuse('#', byte);
    EXPECT_EQ(Run('#', 1), code) << "answer byte " << int(byte);
    EXPECT_EQ(answer[0], byte);
  }
}

TEST_F(EngineTest, StatusCommandTakesAnyByteWithoutAck) {
  for (uint8_t value : {0x00, 0x06, 0x15, 0x65, 0xC8, 0xFF}) {
    sim.SetStatus(3, value);
    sim.ClearLog();
    EXPECT_EQ(Run(0x95, 1), 0) << int(value);
    EXPECT_EQ(answer[0], value);
    EXPECT_EQ(Wire(2), (Bytes{0x1B, 0x95}));
    EXPECT_EQ(sim.Sent(), (Bytes{value}));
  }
}

TEST_F(EngineTest, AnswerBytesComeBeforeTheData) {
  Bytes words{0x08, 0x98, 0x02, 0xBC, 0, 0, 0x80, 0, 0x80, 0, 0x80, 0, 0x40, 0};
  Bytes reply{0x06};
  reply.insert(reply.end(), words.begin(), words.end());
  sim.SetScriptedAnswer(0xD1, reply, 3);
  EXPECT_EQ(Run(0xD1, 15, {0x1B, 0x00, 0x7F}), 0);
  EXPECT_TRUE(std::equal(words.begin(), words.end(), answer.begin()));
  Wire(5);
  auto log = sim.Log();
  // ESC and the command go out, the whole answer comes back, then the data.
  using printer_sim::Direction;
  ASSERT_EQ(log.size(), 2 + 15 + 3u);
  EXPECT_EQ(log[1].direction, Direction::ToPrinter);
  for (size_t i = 2; i < 17; ++i) EXPECT_EQ(log[i].direction, Direction::ToHost);
  EXPECT_EQ(log[17], (printer_sim::LogEntry{Direction::ToPrinter, 0x1B}));
  EXPECT_EQ(sim.Received(), (Bytes{0x1B, 0xD1, 0x1B, 0x00, 0x7F}));
}

TEST_F(EngineTest, RefusedCommandGetsNoData) {
  sim.SetScriptedAnswer('D', {0x06}, 4);
  sim.Refuse('D', 0x15);
  EXPECT_EQ(Run('D', 1, {22, 7, 0, 255}), 24);
  // The next command is the next thing the printer hears.
  sim.ClearRefusals();
  EXPECT_EQ(Run('#', 1), 0);
  EXPECT_EQ(Wire(4), (Bytes{0x1B, 'D', 0x1B, '#'}));
}

TEST_F(EngineTest, ListEndsAtAnEndMarkerWhereARecordWouldStart) {
  Bytes first(11, 0x31);
  first[5] = 0xFF;  // inside a record: not the end
  Bytes second(11, 0x32);
  sim.SetListRecords(0xA2, {first, second});
  EXPECT_EQ(Run(0xA2, 255), 0);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), answer.begin()));
  EXPECT_TRUE(std::equal(second.begin(), second.end(), answer.begin() + 11));
  EXPECT_EQ(answer[22], 0xFF);
  EXPECT_EQ(sim.Sent().size(), 1 + 22 + 1u);

  sim.SetListRecords(0xE7, {});
  Link().Engine.AnswerBuffer.fill(0x55);
  EXPECT_EQ(Run(0xE7, 255), 0);
  EXPECT_EQ(answer[0], 0xFF);
  EXPECT_EQ(answer[1], 0x55);
}

TEST_F(EngineTest, PartialAnswerIsAReceiveFailure) {
  sim.TruncateAnswer(0xFE, 2);
  EXPECT_EQ(Run(0xFE, 4), 21);
}

TEST_F(EngineTest, SilentPrinterIsAReceiveFailure) {
  sim.SetPowerOff(true);
  EXPECT_EQ(Run('#', 1), 21);
}

TEST_F(EngineTest, SecondAnswerAfterTheData) {
  sim.SetScriptedAnswer('1', {0x06}, 5, {0x02});
  const Bytes data{2, 0, 5, 1, 2};
  uint8_t after = 0;
  EXPECT_EQ(ExecuteSequence(Link(), '1', 1, data, nullptr, std::span(&after, 1)), 0);
  EXPECT_EQ(Link().Engine.LastSequenceError, 0);
  EXPECT_EQ(after, 0x02);
  EXPECT_EQ(Wire(7), (Bytes{0x1B, '1', 2, 0, 5, 1, 2}));

  sim.SetScriptedAnswer('1', {0x06}, 5);
  EXPECT_EQ(ExecuteSequence(Link(), '1', 1, data, nullptr, std::span(&after, 1)), 21);
  EXPECT_EQ(Link().Engine.LastSequenceError, 21);
}

TEST_F(EngineTest, StaleInputIsPurgedBeforeACommand) {
  sim.InjectToHost({0x15, 0x15});
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(Run('#', 1), 0);
}

TEST_F(EngineTest, FrameWithoutAnswerIsFollowedWholeByTheNext) {
  // An item record goes out with no acknowledgement; the next command's
  // output purge must not cut its tail.
  sim.SetScriptedAnswer(0x06, {}, 49);
  Bytes record(49);
  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(0x20 + i);
  for (int round = 0; round < 5; ++round) {
    sim.ClearLog();
    EXPECT_EQ(Run(0x06, 0, record), 0);
    EXPECT_EQ(Run(0x95, 1), 0);
    Bytes expected{0x1B, 0x06};
    expected.insert(expected.end(), record.begin(), record.end());
    expected.insert(expected.end(), {0x1B, 0x95});
    EXPECT_EQ(Wire(expected.size()), expected);
  }
}

TEST_F(EngineTest, NothingIsSentOnAClosedPort) {
  ClosePortObject();
  EXPECT_EQ(Run('#', 1), 20);
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(Run('#', 1), 0);
  EXPECT_EQ(Wire(2), (Bytes{0x1B, '#'}));
}

TEST_F(EngineTest, NothingIsSentWhileALinkErrorIsOnRecord) {
  Link().LinkError->Set("x", 8);
  EXPECT_EQ(Run('#', 1), 20);
  Link().LinkError->Set("", 0);
  EXPECT_EQ(Run('#', 1), 0);
  EXPECT_EQ(Wire(2), (Bytes{0x1B, '#'}));
}

TEST_F(EngineTest, AnswerBlockIsCopiedOnlyForCommandsWithAnAnswer) {
  sim.SetScriptedAnswer(0x07, {}, 4);
  answer.fill(0xAA);
  EXPECT_EQ(Run(0x07, 0, {1, 2, 3, 4}), 0);
  EXPECT_TRUE(std::all_of(answer.begin(), answer.end(), [](uint8_t b) { return b == 0xAA; }));
  Link().Engine.AnswerBuffer.fill(0x77);
  EXPECT_EQ(Run('#', 1), 0);
  EXPECT_EQ(answer[0], 0x06);
  EXPECT_EQ(answer[255], 0x77);  // bytes beyond the answer come from earlier commands
}

TEST_F(EngineTest, RawCommandBounds) {
  Block a{}, d{};
  EXPECT_EQ(RSSequence(256, 1, 0, a.data(), d.data()), 999);
  EXPECT_EQ(RSSequence(-1, 1, 0, a.data(), d.data()), 999);
  EXPECT_EQ(RSSequence('#', 256, 0, a.data(), d.data()), 999);
  EXPECT_EQ(RSSequence('#', 1, 257, a.data(), d.data()), 999);
  EXPECT_EQ(RSSequence('#', 1, -1, a.data(), d.data()), 999);
  EXPECT_EQ(RSSequence('#', 1, 0, nullptr, d.data()), 999);
  EXPECT_EQ(RSSequence('#', 1, 0, a.data(), nullptr), 999);
  EXPECT_EQ(RSSequence('#', 1, 0, a.data(), d.data()), 0);
  EXPECT_EQ(Wire(2), (Bytes{0x1B, '#'}));
}

TEST_F(EngineTest, RawCommandCarriesAFullBlockOfData) {
  sim.SetScriptedAnswer(0x09, {}, 256);
  Block a{}, d{};
  for (size_t i = 0; i < d.size(); ++i) d[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(RSSequence(0x09, 0, 256, a.data(), d.data()), 0);
  Bytes expected{0x1B, 0x09};
  expected.insert(expected.end(), d.begin(), d.end());
  EXPECT_EQ(Wire(expected.size()), expected);
}

TEST(MapErrorCodeTest, OrdinalsMapToPublicCodes) {
  EXPECT_EQ(MapErrorCode(0), 0);
  EXPECT_EQ(MapErrorCode(1), 1);
  EXPECT_EQ(MapErrorCode(25), 25);
  EXPECT_EQ(MapErrorCode(26), 101);
  EXPECT_EQ(MapErrorCode(30), 105);
  EXPECT_EQ(MapErrorCode(31), 107);
  EXPECT_EQ(MapErrorCode(39), 115);
  EXPECT_EQ(MapErrorCode(40), 200);
  EXPECT_EQ(MapErrorCode(41), 201);
  EXPECT_EQ(MapErrorCode(52), 212);
  EXPECT_EQ(MapErrorCode(53), 26);
  EXPECT_EQ(MapErrorCode(54), 0);
  EXPECT_EQ(MapErrorCode(127), 0);
  EXPECT_EQ(MapErrorCode(128 + 24), 24);  // only the low 7 bits count
}

}  // namespace
}  // namespace kavoruw
