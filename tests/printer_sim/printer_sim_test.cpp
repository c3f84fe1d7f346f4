#include "tools/printer_sim/printer_sim.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "tests/printer_sim/host_port.h"

namespace printer_sim_test {
namespace {

using printer_sim::Direction;
using printer_sim::LogEntry;
using printer_sim::PrinterSim;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class PrinterSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.Start());
    Reopen();
  }
  void Reopen() {
    port.reset();
    port = std::make_unique<HostPort>(sim.SlavePath());
    ASSERT_TRUE(port->IsOpen());
  }
  // Waits (at most a second) for a note that contains `text`.
  bool WaitForNote(const std::string& text) {
    for (int i = 0; i < 100; ++i) {
      for (const std::string& note : sim.Notes()) {
        if (note.find(text) != std::string::npos) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  PrinterSim sim;  // kind 3, version 6
  std::unique_ptr<HostPort> port;
};

// ---------------------------------------------------------------------------
// Identification and status bytes

TEST_F(PrinterSimTest, IdentifiesEveryDeviceKind) {
  struct Case {
    uint8_t kind;
    uint8_t type;
    bool answersVersion;
  };
  const Case cases[] = {{0, 2, false}, {1, 17, false}, {2, 44, false}, {3, 44, true},
                        {4, 5, false}, {5, 18, false}, {6, 18, true},  {7, 99, true}};
  sim.SetVersion(9);
  Bytes wire;
  for (const Case& c : cases) {
    sim.SetKind(c.kind);
    Bytes type = port->Talk({kEsc, 0xFF}, 2);
    EXPECT_EQ(type, Bytes({kAck, c.type})) << "kind " << int(c.kind);
    Bytes version = port->Talk({kEsc, 0xFE}, c.answersVersion ? 4 : 1);
    if (c.answersVersion) {
      EXPECT_EQ(version, Bytes({kAck, c.type, 9, 0x00})) << "kind " << int(c.kind);
    } else {
      EXPECT_EQ(version, Bytes({kNak})) << "kind " << int(c.kind);
    }
    wire.insert(wire.end(), type.begin(), type.end());
    wire.insert(wire.end(), version.begin(), version.end());
  }
  // Nothing beyond what was read: no stray bytes after a NAK.
  EXPECT_EQ(sim.Sent(), wire);
  EXPECT_THAT(sim.Notes(), IsEmpty());
}

TEST_F(PrinterSimTest, LongStatusQueriesAnswerAckAndShortOnesTheByteAlone) {
  const uint8_t values[] = {0x2B, 0x42, 0x41, 0x88, 0x02, 0x33};
  for (int i = 1; i <= 6; ++i) sim.SetStatus(i, values[i - 1]);
  EXPECT_EQ(sim.Status(4), 0x88);
  EXPECT_EQ(sim.Status(7), 0);

  EXPECT_EQ(port->Talk({kEsc, '['}, 2), Bytes({kAck, 0x2B}));
  EXPECT_EQ(port->Talk({kEsc, 'T'}, 2), Bytes({kAck, 0x42}));
  EXPECT_EQ(port->Talk({kEsc, 'U'}, 2), Bytes({kAck, 0x41}));
  EXPECT_EQ(port->Talk({kEsc, 'V'}, 2), Bytes({kAck, 0x88}));
  EXPECT_EQ(port->Talk({kEsc, '_'}, 2), Bytes({kAck, 0x02}));
  EXPECT_EQ(port->Talk({kEsc, 'P'}, 2), Bytes({kAck, 0x33}));
  EXPECT_EQ(port->Talk({kEsc, 0x9B}, 1), Bytes({0x2B}));
  EXPECT_EQ(port->Talk({kEsc, 0x94}, 1), Bytes({0x42}));
  EXPECT_EQ(port->Talk({kEsc, 0x95}, 1), Bytes({0x41}));
  EXPECT_EQ(port->Talk({kEsc, 0x96}, 1), Bytes({0x88}));
  EXPECT_EQ(sim.Sent(), Bytes({kAck, 0x2B, kAck, 0x42, kAck, 0x41, kAck, 0x88, kAck, 0x02, kAck,
                               0x33, 0x2B, 0x42, 0x41, 0x88}));
}

TEST_F(PrinterSimTest, SupplyAndReasonBytesOnlyOnTheNewestModels) {
  struct Case {
    uint8_t kind;
    uint8_t version;
    bool answered;
  };
  const Case cases[] = {{3, 2, false}, {3, 3, true},  {6, 5, false}, {6, 6, true},
                        {7, 0, true},  {2, 9, false}, {5, 9, false}, {0, 9, false}};
  sim.SetStatus(5, 0x02);
  sim.SetStatus(6, 0x41);
  for (const Case& c : cases) {
    sim.SetKind(c.kind);
    sim.SetVersion(c.version);
    if (c.answered) {
      EXPECT_EQ(port->Talk({kEsc, '_'}, 2), Bytes({kAck, 0x02}))
          << int(c.kind) << "/" << int(c.version);
      EXPECT_EQ(port->Talk({kEsc, 'P'}, 2), Bytes({kAck, 0x41}))
          << int(c.kind) << "/" << int(c.version);
    } else {
      EXPECT_EQ(port->Talk({kEsc, '_'}, 1), Bytes({kNak})) << int(c.kind) << "/" << int(c.version);
      EXPECT_EQ(port->Talk({kEsc, 'P'}, 1), Bytes({kNak})) << int(c.kind) << "/" << int(c.version);
    }
    // The four basic bytes are there on every model.
    EXPECT_EQ(port->Talk({kEsc, 'V'}, 2), Bytes({kAck, 0x08}));
  }
}

// ---------------------------------------------------------------------------
// Framing

TEST_F(PrinterSimTest, RefusalByteReplacesAckAndNoDataIsExpected) {
  for (uint8_t refusal : {0x01, 0x15, 0x65, 0xC8}) {
    sim.Refuse(0xFF, refusal);
    EXPECT_EQ(port->Talk({kEsc, 0xFF}, 1), Bytes({refusal}));
  }
  // A command with four data bytes: refused, so the next ESC starts a frame.
  sim.SetScriptedAnswer(0x44, {kAck}, 4);
  sim.Refuse(0x44, kNak);
  EXPECT_EQ(port->Talk({kEsc, 0x44}, 1), Bytes({kNak}));
  EXPECT_EQ(port->Talk({kEsc, 0xFE}, 4), Bytes({kAck, 44, 6, 0x00}));

  sim.ClearRefusals();
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));
  EXPECT_EQ(port->Talk({kEsc, 0x44}, 1), Bytes({kAck}));
  EXPECT_THAT(sim.Notes(), IsEmpty());
}

TEST_F(PrinterSimTest, DataBytesAreReadByLengthEvenWhenTheyHoldEsc) {
  sim.SetScriptedAnswer(0x44, {kAck}, 4);
  EXPECT_EQ(port->Talk({kEsc, 0x44}, 1), Bytes({kAck}));
  port->Write({kEsc, kEsc, 0xFF, kEsc});
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));

  // No answer before the data; a result byte after it.
  sim.SetScriptedAnswer(0x17, {}, 10, {kAck});
  port->Write({kEsc, 0x17});
  ASSERT_TRUE(sim.WaitReceived(10, 1000));
  EXPECT_EQ(sim.Sent(), Bytes({kAck, kAck, 44}));
  EXPECT_EQ(port->Talk({kEsc, 0xFE, kEsc, 0xFF, 0, 0, 0, 0, kEsc, 0x95}, 1), Bytes({kAck}));

  // The command byte may itself be 0x1B.
  sim.SetScriptedAnswer(kEsc, {}, 1);
  port->Write({kEsc, kEsc, kEsc});
  EXPECT_EQ(port->Talk({kEsc, 0x95}, 1), Bytes({0x00}));
  EXPECT_EQ(sim.Sent(), Bytes({kAck, kAck, 44, kAck, 0x00}));
  EXPECT_THAT(sim.Notes(), IsEmpty());
}

TEST_F(PrinterSimTest, UnknownCommandsGetNakAndStrayBytesAreSkipped) {
  EXPECT_EQ(port->Talk({'A', 0xFF, kEsc, 0x01}, 1), Bytes({kNak}));
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));
  EXPECT_THAT(sim.Notes(), ElementsAre("skipped 0x41", "skipped 0xFF", "unknown command 0x01"));
}

TEST_F(PrinterSimTest, ItemsAndTotalsOutsideAReceiptAreRefusedAndNoted) {
  Bytes item{kEsc, 0x06, ' '};
  item.insert(item.end(), 28, 'x');
  item.insert(item.end(),
              {'0', 1, 0, 0, 0, 0, 's', 'z', 't', ' ', 1, 0, 0, 0, kEsc, 1, 1, 0, 0, 0});
  port->Write(item);
  port->Write({kEsc, 0x07, 1, 0, 0, 0});
  ASSERT_TRUE(WaitForNote("0x07: total without an open receipt refused"));
  EXPECT_THAT(sim.Notes(), ElementsAre("0x06: item without an open receipt refused",
                                       "0x07: total without an open receipt refused"));
  EXPECT_EQ(sim.State()->receipt.outsideReceipt, 2);
  EXPECT_TRUE(sim.State()->receipt.items.empty());
  EXPECT_FALSE(sim.State()->receipt.total.has_value());
}

TEST_F(PrinterSimTest, FrameWithMissingDataIsDroppedAfterTheFrameTimeOut) {
  sim.SetFrameTimeout(20);
  sim.SetScriptedAnswer(0x44, {kAck}, 4, {0x99});
  EXPECT_EQ(port->Talk({kEsc, 0x44, 1, 2}, 1), Bytes({kAck}));
  ASSERT_TRUE(WaitForNote("0x44: frame dropped after 2 of 4 data bytes"));
  port->Write({kEsc});
  ASSERT_TRUE(WaitForNote("ESC without a command byte dropped"));
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));
  EXPECT_EQ(sim.Sent(), Bytes({kAck, kAck, 44}));
}

TEST_F(PrinterSimTest, ListCommandsSendTheirRecordsThenEndMarker) {
  const Bytes first = {'A', 'B', 'C', 0xFF, 0, 0, 0, 0, 0, 0, 0x10};
  const Bytes second = {'D', 'E', 'F', 0, 0, 0, 0, 0, 0, 0, 0x20};
  sim.SetListRecords(0xA2, {first, second});
  Bytes expected = {kAck};
  expected.insert(expected.end(), first.begin(), first.end());
  expected.insert(expected.end(), second.begin(), second.end());
  expected.push_back(0xFF);
  EXPECT_EQ(port->Talk({kEsc, 0xA2}, expected.size()), expected);

  // No records: the marker right after ACK.
  EXPECT_EQ(port->Talk({kEsc, 0xE9}, 2), Bytes({kAck, 0xFF}));
  // Records take the command's length (4 for 0xE7).
  sim.SetListRecords(0xE7, {{1, 2}, {3, 4, 5, 6, 7}});
  EXPECT_EQ(port->Talk({kEsc, 0xE7}, 10), Bytes({kAck, 1, 2, 0, 0, 3, 4, 5, 6, 0xFF}));
}

// ---------------------------------------------------------------------------
// Faults

TEST_F(PrinterSimTest, TruncatedAnswerStopsShortAndExpectsNoData) {
  sim.TruncateAnswer(0xFE, 2);
  // Only as many bytes are read as come, so that nothing waits for a time-out;
  // the log at the end shows that no more came.
  EXPECT_EQ(port->Talk({kEsc, 0xFE}, 2), Bytes({kAck, 44}));
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));

  // The driver gives up on a cut answer: its next frame is not taken as data.
  sim.SetScriptedAnswer(0x34, {kAck, 7, 8}, 10);
  sim.TruncateAnswer(0x34, 1);
  EXPECT_EQ(port->Talk({kEsc, 0x34}, 1), Bytes({kAck}));
  EXPECT_EQ(port->Talk({kEsc, 0x9B}, 1), Bytes({0x2B}));

  // Nothing before the data to cut: the data is read, the result byte is not sent.
  sim.SetScriptedAnswer(0x17, {}, 10, {kAck});
  sim.TruncateAnswer(0x17, 0);
  port->Write({kEsc, 0x17, kEsc, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(port->Talk({kEsc, 0x95}, 1), Bytes({0x00}));

  EXPECT_EQ(sim.Sent(), Bytes({kAck, 44, kAck, 44, kAck, 0x2B, 0x00}));
  EXPECT_THAT(sim.Notes(),
              ElementsAre("0xFE: answer cut after 2 bytes", "0x34: answer cut after 1 bytes",
                          "0x17: answer cut after 0 bytes"));

  sim.ClearFaults();
  EXPECT_EQ(port->Talk({kEsc, 0xFE}, 4), Bytes({kAck, 44, 6, 0x00}));
}

TEST_F(PrinterSimTest, SilentPrinterAnswersNothingAfterKBytes) {
  sim.SilentAfterReceived(4);
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));
  port->Write({kEsc, 0xFE, kEsc, 0x95});
  ASSERT_TRUE(sim.WaitReceived(6, 1000));
  EXPECT_EQ(sim.Sent(), Bytes({kAck, 44}));
  EXPECT_THAT(sim.Notes(),
              ElementsAre("0xFE: not answered (silent)", "0x95: not answered (silent)"));

  sim.ClearFaults();
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));
}

TEST_F(PrinterSimTest, SwitchedOffPrinterNeitherAnswersNorHears) {
  sim.SetScriptedAnswer(0x44, {kAck}, 4);
  sim.SetPowerOff(true);
  // Switched off in the middle of nothing: not even the data of 0x44 counts.
  port->Write({kEsc, 0xFF, kEsc, 0x44, kEsc, 0xFF, 0, 0});
  ASSERT_TRUE(sim.WaitReceived(8, 1000));
  EXPECT_THAT(sim.Sent(), IsEmpty());
  EXPECT_THAT(sim.Notes(), IsEmpty());
  EXPECT_EQ(sim.Received(), Bytes({kEsc, 0xFF, kEsc, 0x44, kEsc, 0xFF, 0, 0}));

  sim.SetPowerOff(false);
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));
}

TEST_F(PrinterSimTest, DriverCanReopenThePortAndFindsStaleInputThere) {
  sim.InjectToHost({kAck, 0x44});
  EXPECT_EQ(port->Read(2), Bytes({kAck, 0x44}));
  Reopen();
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));

  port.reset();
  sim.InjectToHost({kNak});
  Reopen();
  EXPECT_EQ(port->Talk({kEsc, 0x9B}, 2), Bytes({kNak, 0x2B}));
  EXPECT_EQ(sim.Sent(), Bytes({kAck, 0x44, kAck, 44, kNak, 0x2B}));
}

// ---------------------------------------------------------------------------
// Log

TEST_F(PrinterSimTest, LogHoldsEveryByteBothWaysInWireOrder) {
  EXPECT_EQ(port->Talk({'A', kEsc, 0xFF}, 2), Bytes({kAck, 44}));
  EXPECT_EQ(port->Talk({kEsc, 0x01}, 1), Bytes({kNak}));
  const std::vector<LogEntry> expected = {
      {Direction::ToPrinter, 'A'},  {Direction::ToPrinter, kEsc}, {Direction::ToPrinter, 0xFF},
      {Direction::ToHost, kAck},    {Direction::ToHost, 44},      {Direction::ToPrinter, kEsc},
      {Direction::ToPrinter, 0x01}, {Direction::ToHost, kNak}};
  EXPECT_EQ(sim.Log(), expected);
  EXPECT_EQ(sim.Log(5), std::vector<LogEntry>(expected.begin() + 5, expected.end()));
  EXPECT_THAT(sim.Log(8), IsEmpty());
  EXPECT_EQ(sim.Received(), Bytes({'A', kEsc, 0xFF, kEsc, 0x01}));
  EXPECT_EQ(sim.Sent(), Bytes({kAck, 44, kNak}));

  sim.ClearLog();
  EXPECT_THAT(sim.Log(), IsEmpty());
  EXPECT_THAT(sim.Notes(), IsEmpty());
  // Counting starts again at the clear.
  port->Write({kEsc, 0x95});
  ASSERT_TRUE(sim.WaitReceived(2, 1000));
  EXPECT_EQ(sim.Log(), (std::vector<LogEntry>{{Direction::ToPrinter, kEsc},
                                              {Direction::ToPrinter, 0x95},
                                              {Direction::ToHost, 0x00}}));
}

// ---------------------------------------------------------------------------
// Port life

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "printer_sim_XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

TEST_F(PrinterSimTest, LinkPortCreatesOrReplacesTheComLink) {
  TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string link = dir.Path() + "/COM5";
  { std::ofstream(link) << "old"; }
  ASSERT_TRUE(sim.LinkPort(dir.Path(), 5));
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.SlavePath());
  ASSERT_TRUE(sim.LinkPort(dir.Path(), 5));
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.SlavePath());

  port.reset();
  port = std::make_unique<HostPort>(link);
  ASSERT_TRUE(port->IsOpen());
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));
  EXPECT_FALSE(sim.LinkPort(dir.Path() + "/missing", 5));
}

TEST_F(PrinterSimTest, StopEndsAWaitingFrameAndStartGivesANewTerminal) {
  sim.SetFrameTimeout(60000);
  sim.SetScriptedAnswer(0x44, {kAck}, 4);
  EXPECT_EQ(port->Talk({kEsc, 0x44, 1}, 1), Bytes({kAck}));
  ASSERT_TRUE(sim.WaitReceived(3, 1000));
  port.reset();
  sim.Stop();  // returns at once, although the frame waits for three bytes
  EXPECT_FALSE(sim.Running());
  EXPECT_EQ(sim.SlavePath(), "");

  ASSERT_TRUE(sim.Start());
  EXPECT_TRUE(sim.Running());
  Reopen();
  EXPECT_EQ(port->Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));
  EXPECT_EQ(sim.Sent(), Bytes({kAck, kAck, 44}));
}

}  // namespace
}  // namespace printer_sim_test
