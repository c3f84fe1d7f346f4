#include "printer_link/commands/reports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kavoruw_codes.h"
#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/port/comm.h"
#include "tests/printer_link/sim_link.h"

namespace kavoruw::testing {
namespace {

// The print-end poll on an idle printer (print, print, printer, print status).
const Bytes kIdlePoll = {0x1B, 0x95, 0x1B, 0x95, 0x1B, 0x94, 0x1B, 0x95};

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class ReportsTest : public SimLinkTest {
 protected:
  void SetUp() override {
    SimLinkTest::SetUp();
    // Printouts end at once, so every print-end poll is kIdlePoll.
    sim.State()->printJobPolls = 0;
  }
  void TearDown() override {
    InstallConsoleHooks(Link(), {});
    SimLinkTest::TearDown();
  }

  // Exactly these bytes reached the printer (the calls have returned, so
  // every frame they sent has been answered).
  void ExpectWire(const Bytes& expected) { EXPECT_EQ(Wire(expected.size()), expected); }

  // The link is on COM1 with the given time-outs and still open.
  void ExpectPortAsOpened(uint16_t writeSec = 1, uint16_t readSec = 1) {
    ASSERT_TRUE(Link().PortIsOpen());
    EXPECT_EQ(Link().CommPort->PortNumber(), 1);
    EXPECT_EQ(Link().CommPort->BaudRate(), 9600);
    EXPECT_EQ(Link().CommPort->WriteTimeout(), writeSec);
    EXPECT_EQ(Link().CommPort->ReadTimeout(), readSec);
    EXPECT_EQ(Link().CommPort->TimeoutsInUse().ReadTotalTimeoutConstant, readSec * 1000u);
  }
};

TEST_F(ReportsTest, DailyReportReadsTheCounterUnlessTheCallerDecided) {
  for (int32_t flag : {0, 1}) {
    for (uint8_t kind : {0, 1, 4, 5, 2, 3, 6, 7}) {
      for (uint16_t counter : {0, 5}) {
        SCOPED_TRACE("flag " + std::to_string(flag) + " kind " + std::to_string(kind) +
                     " counter " + std::to_string(counter));
        sim.ClearLog();
        sim.SetKind(kind);
        Link().DriverState.DeviceKind = kind;
        sim.State()->receiptCounter = counter;
        const bool skip = flag != 0 && (kind == 2 || kind == 3 || kind == 6 || kind == 7);
        Bytes expected;
        int32_t code = kOk;
        if (skip) expected = kIdlePoll + Bytes{0x1B, '%'} + kIdlePoll;
        else if (counter == 0)
          expected = kIdlePoll + Bytes{0x1B, 'f'}, code = kErrZeroReceiptCounter;
        else expected = kIdlePoll + Bytes{0x1B, 'f', 0x1B, '%'} + kIdlePoll;
        EXPECT_EQ(DailyReport(flag), code);
        ExpectWire(expected);
      }
    }
  }
}

TEST_F(ReportsTest, DailyReportResetsTheCounterAndNumbersTheReport) {
  sim.State()->receiptCounter = 3;
  sim.State()->reports.dailyReportNumber = 0x0101;
  ASSERT_EQ(DailyReport(0), kOk);
  EXPECT_EQ(sim.State()->receiptCounter, 0);
  sim.ClearLog();
  int32_t n = -1;
  ASSERT_EQ(DailyReportNumber(n), kOk);
  EXPECT_EQ(n, 0x0102);
  ExpectWire(Bytes{0x1B, 0xD9});
  EXPECT_EQ(sim.Sent(), (Bytes{0x06, 0x02, 0x01}));

  // A refused daily report is returned without a print-end poll.
  sim.ClearLog();
  sim.Refuse('%', 0x15);
  EXPECT_EQ(DailyReport(1), kErrNak);
  ExpectWire(kIdlePoll + Bytes{0x1B, '%'});
}

TEST_F(ReportsTest, ServiceReportsPrint) {
  EXPECT_EQ(LockedArticlesReport(), kOk);
  EXPECT_EQ(PrinterStatusReport(), kOk);
  EXPECT_EQ(FixedDescriptionsReport(), kOk);
  const Bytes expected = kIdlePoll + Bytes{0x1B, '"'} + kIdlePoll + kIdlePoll + Bytes{0x1B, '&'} +
                         kIdlePoll + Bytes{0x1B, 0x94} + kIdlePoll + Bytes{0x1B, '0'} + kIdlePoll;
  ExpectWire(expected);
  EXPECT_EQ(sim.State()->reports.printed, 3);

  // The fixed descriptions need the clock memory and the controller link.
  sim.ClearLog();
  sim.SetStatus(2, 0x90);
  EXPECT_EQ(FixedDescriptionsReport(), kErrCmosErased);
  sim.SetStatus(2, 0x80);
  EXPECT_EQ(FixedDescriptionsReport(), kErrNoControllerLink);
  ExpectWire(Bytes{0x1B, 0x94, 0x1B, 0x94});
}

TEST_F(ReportsTest, PeriodReportSendsDigitValuesOnTheLongReportPort) {
  std::vector<std::string> texts;
  InstallConsoleHooks(Link(), {[&](const std::string& text) { texts.push_back(text); }, nullptr});
  EXPECT_EQ(PeriodReport(1, 5, 1, 1, 5, 1, 31), kOk);
  const Bytes detailed = Bytes{0x1B, '(', 0, 5, 0, 1, 0, 1, 0, 5, 0, 1, 3, 1} + kIdlePoll;
  ExpectWire(detailed);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(), platform::Cp1250FromUtf8("Raport okresowy..."));
  ExpectPortAsOpened();

  sim.ClearLog();
  EXPECT_EQ(PeriodReport(0, 99, 12, 31, 99, 12, 31), kOk);
  const Bytes brief = Bytes{0x1B, ')', 9, 9, 1, 2, 3, 1, 9, 9, 1, 2, 3, 1} + kIdlePoll;
  ExpectWire(brief);
  EXPECT_TRUE(sim.State()->reports.last.printed);
}

TEST_F(ReportsTest, ArgumentsOutOfRangeLeaveThePortAlone) {
  TComm* port = Link().CommPort.get();
  EXPECT_EQ(PeriodReport(1, 5, 1, 1, 5, 13, 31), kErrParameterRange);
  for (auto args : std::vector<std::array<int32_t, 7>>{{2, 5, 1, 1, 5, 1, 1},
                                                       {-1, 5, 1, 1, 5, 1, 1},
                                                       {1, 0, 1, 1, 5, 1, 1},
                                                       {1, 5, 1, 1, 100, 1, 1},
                                                       {1, 5, 0, 1, 5, 1, 1},
                                                       {1, 5, 1, 32, 5, 1, 1},
                                                       {1, 5, 1, 1, 5, 1, 0},
                                                       {1, -5, 1, 1, 5, 1, 1}}) {
    EXPECT_EQ(PeriodReport(args[0], args[1], args[2], args[3], args[4], args[5], args[6]),
              kErrParameterRange);
  }
  EXPECT_EQ(MonthlyReport(2, 5, 12), kErrParameterRange);
  EXPECT_EQ(MonthlyReport(1, 100, 12), kErrParameterRange);
  EXPECT_EQ(MonthlyReport(1, -1, 12), kErrParameterRange);
  EXPECT_EQ(MonthlyReport(1, 5, 0), kErrParameterRange);
  EXPECT_EQ(MonthlyReport(0, 5, 13), kErrParameterRange);
  EXPECT_EQ(NumberReport(-1, 1, 2), kErrParameterRange);
  EXPECT_EQ(NumberReport(0, -1, 2), kErrParameterRange);
  EXPECT_EQ(NumberReport(0, 1, 65536), kErrParameterRange);
  EXPECT_EQ(Link().CommPort.get(), port);
  EXPECT_TRUE(Link().PortIsOpen());
  // The first bytes after all of them are those of the next command.
  int32_t n = 0;
  ASSERT_EQ(DailyReportNumber(n), kOk);
  ExpectWire(Bytes{0x1B, 0xD9});
}

TEST_F(ReportsTest, MonthlyAndNumberReportsSendSubCodeAndData) {
  sim.State()->reports.dailyReportNumber = 3000;
  EXPECT_EQ(NumberReport(0, 1, 3000), kOk);
  const Bytes numbers =
      Bytes{0x1B, 0xFF, 0x1B, 0xFE, 0x1B, '1', 4, 0x01, 0x00, 0xB8, 0x0B} + kIdlePoll;
  ExpectWire(numbers);
  ExpectPortAsOpened();

  sim.ClearLog();
  EXPECT_EQ(MonthlyReport(1, 5, 12), kOk);
  const Bytes monthly = Bytes{0x1B, 0xFF, 0x1B, 0xFE, 0x1B, '1', 2, 0, 5, 1, 2} + kIdlePoll;
  ExpectWire(monthly);
  EXPECT_EQ(sim.State()->reports.last.data, (Bytes{2, 0, 5, 1, 2}));
  EXPECT_EQ(sim.State()->reports.printed, 2);
}

TEST_F(ReportsTest, ResultBytesMapToCodesWithTheTimeoutsRestored) {
  const Bytes request = {0x1B, 0xFF, 0x1B, 0xFE, 0x1B, '1', 5, 0, 5, 0, 1};
  for (auto [result, code] : std::vector<std::pair<int, int32_t>>{
           {1, 219}, {2, 220}, {3, 221}, {4, 222}, {5, 223}, {9, kErrBadAnswer}}) {
    SCOPED_TRACE(result);
    sim.ClearLog();
    sim.State()->reports.nextReportResult = result;
    EXPECT_EQ(MonthlyReport(0, 5, 1), code);
    ExpectWire(request);  // no print-end poll
    ExpectPortAsOpened();
  }
  // The printer's own verdict: from-number above to-number.
  EXPECT_EQ(NumberReport(1, 5, 3), 221);
}

TEST_F(ReportsTest, RefusedReportCommandRestoresTheTimeouts) {
  sim.Refuse('1', 0x15);
  EXPECT_EQ(NumberReport(1, 1, 2), kErrNak);
  ExpectWire(Bytes{0x1B, 0xFF, 0x1B, 0xFE, 0x1B, '1'});
  ExpectPortAsOpened();
}

TEST_F(ReportsTest, MonthlyAndNumberReportsNeedASecondGenerationPrinter) {
  sim.SetKind(2);
  EXPECT_EQ(MonthlyReport(1, 5, 12), kErrNotOnThisDevice);
  sim.SetKind(0);
  EXPECT_EQ(NumberReport(1, 1, 2), kErrNotOnThisDevice);
  ExpectWire(Bytes{0x1B, 0xFF, 0x1B, 0xFE, 0x1B, 0xFF});
}

// A point-of-sale program's link: stored and console values point elsewhere
// (COM2 does not exist). The link reads with no wait at all, so the slow
// refusal reaches the driver only on the long report port.
TEST_F(ReportsTest, LongReportReopensThePortInUse) {
  Link().DriverState.StoredPort = 2;
  Link().DriverState.StoredBaud = 4800;
  Link().DriverState.PortWriteTimeout = 7;
  Link().DriverState.PortReadTimeout = 8;
  ASSERT_EQ(Open(1, 0), 0);
  sim.State()->reports.answerDelayMs = 200;
  sim.SetStatus(3, 0x02);  // paper out: the report is refused
  EXPECT_EQ(PeriodReport(1, 5, 1, 1, 5, 1, 31), kErrNak);
  ExpectWire(Bytes{0x1B, '('});
  ExpectPortAsOpened(1, 0);

  // A program's own long read time-out is its own; the port the console
  // opens for the report gets the driver's normal time-outs back.
  ASSERT_EQ(Open(1, kLongReportReadTimeout), 0);
  EXPECT_EQ(PeriodReport(1, 5, 1, 1, 5, 1, 31), kErrNak);
  ExpectPortAsOpened(1, kLongReportReadTimeout);
  ClosePortObject();
  ASSERT_EQ(DoOpenLongReportPort(1, 9600, 1), 0);
  EXPECT_EQ(PeriodReport(1, 5, 1, 1, 5, 1, 31), kErrNak);
  ExpectPortAsOpened(7, 8);
}

TEST_F(ReportsTest, PeriodicReportByKindSendsTheUsedPartOfTheBlock) {
  const Bytes conditions = Bytes{0x1B, 0x9B, 0x1B, 0x94, 0x1B, 0x95, 0x1B, 0x96} + kIdlePoll;
  const ReportParams numbers{0x01, 0x00, 0xB8, 0x0B, 7, 7, 7, 7, 7, 7, 7, 7};
  sim.State()->reports.dailyReportNumber = 10;
  EXPECT_EQ(PeriodicReportByKind(4, numbers), kOk);
  const Bytes expected = conditions + Bytes{0x1B, '1', 4, 0x01, 0x00, 0xB8, 0x0B} + kIdlePoll;
  ExpectWire(expected);
  ExpectPortAsOpened();

  sim.ClearLog();
  const ReportParams dates{0, 5, 0, 1, 0, 1, 0, 5, 0, 1, 3, 1};
  sim.State()->reports.nextReportResult = 2;
  EXPECT_EQ(PeriodicReportByKind(3, dates), 220);
  const Bytes request = conditions + Bytes{0x1B, '1', 3, 0, 5, 0, 1, 0, 1, 0, 5, 0, 1, 3, 1};
  ExpectWire(request);
  ExpectPortAsOpened();

  sim.ClearLog();
  sim.Refuse('1', 0x15);
  EXPECT_EQ(PeriodicReportByKind(5, dates), kErrNak);
  ExpectWire(conditions + Bytes{0x1B, '1'});
  ExpectPortAsOpened();
}

TEST(ReportRecords, PeriodicRecordLengthFollowsTheKind) {
  ReportParams params{};
  for (uint8_t i = 0; i < 12; ++i) params[i] = static_cast<uint8_t>(i + 1);
  EXPECT_EQ(PeriodicReportRecord(0, params), (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(PeriodicReportRecord(3, params).size(), 13u);
  for (uint8_t kind : {1, 2, 4, 5}) {
    EXPECT_EQ(PeriodicReportRecord(kind, params), (Bytes{kind, 1, 2, 3, 4}));
  }
  EXPECT_EQ(PeriodicReportRecord(6, params), (Bytes{6}));
}

TEST_F(ReportsTest, CountersAreLittleEndian) {
  sim.State()->receiptCounter = 0x0302;
  int32_t n = 0;
  ASSERT_EQ(ReceiptNumber(n), kOk);
  EXPECT_EQ(n, 0x0302);
  ExpectWire(Bytes{0x1B, 'f'});
}

TEST_F(ReportsTest, PrinterNumberGivesNumberAndOperatorCode) {
  sim.State()->service.printerNumber = {'0', '7', 'A', 'B'};
  int32_t number = -1;
  std::string code;
  ASSERT_EQ(PrinterNumber(number, code), kOk);
  EXPECT_EQ(number, 7);
  EXPECT_EQ(code, "AB");
  ExpectWire(Bytes{0x1B, 0xD8});

  sim.State()->service.printerNumber = {'/', '5', 'C', 'D'};
  EXPECT_EQ(PrinterNumber(number, code), kErrInternal);
  EXPECT_EQ(number, 7);
  EXPECT_EQ(code, "AB");
}

TEST_F(ReportsTest, OpenReceiptRefusesEveryReport) {
  Link().DriverState.Receipt.Begun();
  int32_t n = 0;
  std::string code;
  EXPECT_EQ(DailyReport(1), kErrReceiptOpen);
  EXPECT_EQ(LockedArticlesReport(), kErrReceiptOpen);
  EXPECT_EQ(PrinterStatusReport(), kErrReceiptOpen);
  EXPECT_EQ(PeriodReport(1, 5, 1, 1, 5, 1, 31), kErrReceiptOpen);
  EXPECT_EQ(MonthlyReport(1, 5, 12), kErrReceiptOpen);
  EXPECT_EQ(NumberReport(1, 1, 2), kErrReceiptOpen);
  EXPECT_EQ(ReceiptNumber(n), kErrReceiptOpen);
  EXPECT_EQ(DailyReportNumber(n), kErrReceiptOpen);
  EXPECT_EQ(PrinterNumber(n, code), kErrReceiptOpen);
  // The fixed descriptions read the printer status first.
  EXPECT_EQ(FixedDescriptionsReport(), kErrReceiptOpen);
  ExpectWire(Bytes{0x1B, 0x94});
}

}  // namespace
}  // namespace kavoruw::testing
