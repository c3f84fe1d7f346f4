// The printer clock against the simulated printer: both text forms, the
// setting after a CMOS erase, the shift, and what is refused before sending.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "kavoruw_core.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/clock.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "sim_link.h"

namespace kavoruw {
namespace {

using testing::Bytes;
using Clock = std::array<uint8_t, 6>;

class ClockTest : public testing::SimLinkTest {
 protected:
  explicit ClockTest(uint8_t kind = 0) : SimLinkTest(kind) {}

  void SetUp() override {
    SimLinkTest::SetUp();
    sim.State()->clock.now = {5, 2, 4, 14, 5, 9};
  }

  std::string date = "x", time = "x";
};

class LongClockTest : public ClockTest {
 protected:
  LongClockTest() : ClockTest(6) {}
};

TEST_F(ClockTest, ShortAnswerGivesBothTextForms) {
  EXPECT_EQ(ReadClock(date, time), 0);
  EXPECT_EQ(date, "2005.02.04");
  EXPECT_EQ(time, "14:05");
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, 0xFF, 0x1B, '5'}));

  sim.ClearLog();
  char buffer[32];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(inner::pReadClock(Link(), buffer), 0);
  EXPECT_STREQ(buffer, "05.02.04;14:05");
  EXPECT_EQ(buffer[kClockTextLength + 1], 'x');
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, '5'}));
}

TEST_F(LongClockTest, SecondsOnlyThroughTheLongAnswer) {
  EXPECT_EQ(ReadClock(date, time), 0);
  EXPECT_EQ(date, "2005.02.04");
  EXPECT_EQ(time, "14:05:09");
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, 0xFF, 0x1B, 0xFE, 0x1B, 0x40}));

  sim.ClearLog();
  char buffer[16];
  EXPECT_EQ(inner::pReadClock(Link(), buffer), 0);
  EXPECT_STREQ(buffer, "05.02.04;14:05");
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, '5'}));
}

TEST_F(LongClockTest, AnswerBytesThatAreNotDigitsAreRefused) {
  sim.SetScriptedAnswer(0x40, {0x06, 0, 5, 0, 2, 0, 4, 1, 4, 0, 5, 0, 0xFF});
  EXPECT_EQ(ReadClock(date, time), 23);
  EXPECT_EQ(date, "");
  EXPECT_EQ(time, "");

  char buffer[32];
  std::memset(buffer, 'x', sizeof buffer);
  sim.SetScriptedAnswer('5', {0x06, 0, 5, 0, 2, 0, 4, 1, 4, 10, 5});
  EXPECT_EQ(inner::pReadClock(Link(), buffer), 23);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(buffer[1], 'x');
}

TEST_F(ClockTest, ReadRefusals) {
  EXPECT_EQ(inner::pReadClock(Link(), nullptr), 225);
  Link().DriverState.Receipt.Begun();
  char buffer[16] = "stale";
  EXPECT_EQ(inner::pReadClock(Link(), buffer), 200);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(ReadClock(date, time), 200);
  EXPECT_EQ(date, "");
  EXPECT_EQ(time, "");
  EXPECT_EQ(ShiftClock(1, 10), 200);
  EXPECT_EQ(WireUpToNow(), Bytes{});
}

TEST_F(ClockTest, SettingAfterACmosErase) {
  sim.SetStatus(2, 0x10);
  EXPECT_EQ(InitClock(5, 2, 4, 14, 5), 0);
  Bytes wire = WireUpToNow();
  // The service status is read in fiscal mode.
  const Bytes expected{0x1B, 0x94, 0x1B, 0x9B, 0x1B, 0x96, 0x1B, '4', 0, 5, 0, 2, 0, 4, 1, 4, 0, 5};
  ASSERT_GT(wire.size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), wire.begin()));
  // Then the wait for the printout of the setting.
  EXPECT_EQ(Bytes(wire.begin() + 18, wire.begin() + 20), (Bytes{0x1B, 0x95}));
  EXPECT_EQ(sim.State()->clock.now, (Clock{5, 2, 4, 14, 5, 0}));
  EXPECT_EQ(sim.Status(2), 0x00);

  // In training mode the service status is not asked.
  sim.ClearLog();
  sim.SetStatus(1, 0x23);
  sim.SetStatus(2, 0x10);
  EXPECT_EQ(InitClock(99, 12, 31, 23, 59), 0);
  wire = WireUpToNow();
  const Bytes training{0x1B, 0x94, 0x1B, 0x9B, 0x1B, '4', 9, 9, 1, 2, 3, 1, 2, 3, 5, 9};
  EXPECT_TRUE(std::equal(training.begin(), training.end(), wire.begin()));
  EXPECT_EQ(sim.State()->clock.now, (Clock{99, 12, 31, 23, 59, 0}));
}

TEST_F(ClockTest, SettingWithoutACmosEraseIsRefused) {
  EXPECT_EQ(InitClock(5, 2, 4, 14, 5), 230);
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, 0x94}));
  EXPECT_EQ(sim.State()->clock.now, (Clock{5, 2, 4, 14, 5, 9}));
}

TEST_F(ClockTest, FieldsThatAreNotTwoDigitsAreRefusedUnsent) {
  sim.SetStatus(2, 0x10);
  EXPECT_EQ(InitClock(100, 2, 4, 14, 5), 215);
  EXPECT_EQ(InitClock(5, 2, 4, 100, 5), 215);
  EXPECT_EQ(InitClock(5, 2, 4, 14, 261), 215);
  EXPECT_EQ(InitClock(5, 2, 4, 14, -1), 215);
  EXPECT_EQ(ShiftClock(2, 10), 215);
  EXPECT_EQ(ShiftClock(1, 0), 215);
  EXPECT_EQ(ShiftClock(0, 61), 215);
  EXPECT_EQ(ShiftClock(0, -5), 215);
  EXPECT_EQ(ShiftClock(1, 2560), 215);
  EXPECT_EQ(WireUpToNow(), Bytes{});
}

TEST_F(ClockTest, ShiftSendsDirectionAndMinuteDigits) {
  EXPECT_EQ(ShiftClock(1, 45), 0);
  Bytes wire = WireUpToNow();
  EXPECT_EQ(wire, (Bytes{0x1B, 'f', 0x1B, '6', 1, 4, 5}));
  EXPECT_EQ(sim.State()->clock.now, (Clock{5, 2, 4, 14, 50, 9}));
  // The printer takes one shift a day.
  EXPECT_EQ(ShiftClock(0, 5), 24);

  // Back over midnight into the last day of February.
  sim.State()->clock.now = {5, 3, 1, 0, 10, 0};
  EXPECT_EQ(ShiftClock(0, 60), 0);
  WireUpToNow();
  EXPECT_EQ(sim.State()->clock.now, (Clock{5, 2, 28, 23, 10, 0}));
}

TEST_F(ClockTest, NoShiftWithSalesSinceTheDailyReport) {
  sim.State()->receiptCounter = 3;
  EXPECT_EQ(ShiftClock(1, 45), 218);
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, 'f'}));
  EXPECT_EQ(sim.State()->clock.now, (Clock{5, 2, 4, 14, 5, 9}));
}

}  // namespace
}  // namespace kavoruw
