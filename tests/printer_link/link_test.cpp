// Opening and closing the link, re-initialising it from the stored values,
// and the driver's start-up state, against the simulated printer.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "kavoruw_codes.h"
#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/receipt_buffers.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/port/comm.h"
#include "printer_link/port/link_error.h"
#include "sim_link.h"

namespace kavoruw {
namespace {

using testing::Bytes;
using testing::Frames;

class LinkTest : public testing::SimLinkTest {
 protected:
  void SetUp() override {
    SimLinkTest::SetUp();
    InstallConsoleHooks(Link(), {[this](const std::string& text) {
                                   texts.push_back(platform::Utf8FromCp1250(text));
                                 },
                                 [this] { linkUpAtPump.push_back(Link().DriverState.LinkUp); }});
    // What a point-of-sale program stores with its initialisation.
    Link().DriverState.StoredPort = 1;
    Link().DriverState.StoredTimeout = 1;
  }
  void TearDown() override {
    InstallConsoleHooks(Link(), {});
    SimLinkTest::TearDown();
  }

  // The link test as the next command: proves what went out before it.
  void ExpectOnlyLinkTestFollows() {
    ASSERT_EQ(ExecuteSequence(Link(), '#', 1), 0);
    EXPECT_EQ(Wire(2), Frames({'#'}));
  }
  // A session of a receipt in the making.
  void FillSession() {
    for (uint32_t rate = 0; rate < 7; ++rate) Link().DriverState.Receipt.ItemBooked(rate, rate + 1);
    ASSERT_EQ(FillPayment(2, "Karta", 1500, 0), 0);
    int32_t free = 0;
    ASSERT_EQ(FillLines(3, "Dziekujemy", &free), 0);
  }
  bool SessionCleared() const {
    return Link().DriverState.PaymentSlot[1].name.empty() &&
           Link().DriverState.PaymentSlot[1].amount == 0 &&
           Link().DriverState.TrailerLine[0].code == kEmptyTrailerLine &&
           Link().DriverState.TrailerLine[0].text.empty();
  }

  std::vector<std::string> texts;
  std::vector<bool> linkUpAtPump;
};

TEST(LinkStartUp, DefaultsOfTheDriverUnit) {
  Link().DriverState.LinkUp = false;
  Link().DriverState.DeviceKind = 2;
  Link().DriverState.StoredPort = 4;
  Link().DriverState.StoredBaud = 19200;
  Link().DriverState.StoredTimeout = 9;
  Link().DriverState.PortWriteTimeout = 1;
  Link().DriverState.PortReadTimeout = 90;
  Link().DriverState.Receipt.Begun();
  Link().DriverState.FormatSettings = {};
  for (TTrailerLine& line : Link().DriverState.TrailerLine) line.code = 3;
  InitializeDriverUnit(Link());
  EXPECT_TRUE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.DeviceKind, 7);
  EXPECT_EQ(Link().DriverState.StoredPort, 0);
  EXPECT_EQ(Link().DriverState.StoredBaud, 9600);
  EXPECT_EQ(Link().DriverState.StoredTimeout, 5);
  EXPECT_EQ(Link().DriverState.PortWriteTimeout, 3);
  EXPECT_EQ(Link().DriverState.PortReadTimeout, 5);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  for (const TTrailerLine& line : Link().DriverState.TrailerLine) EXPECT_EQ(line.code, 255);
  EXPECT_EQ(Link().DriverState.FormatSettings.LongDateFormat, "dd MMMM yyyy");
  EXPECT_EQ(Link().DriverState.FormatSettings.ShortDateFormat, "yy-MM-dd");
  EXPECT_EQ(Link().DriverState.FormatSettings.LongTimeFormat, "hh:mm:ss");
  EXPECT_EQ(Link().DriverState.FormatSettings.ShortTimeFormat, "hh:mm");
}

TEST(LinkStartUp, ClosingWithoutAPortObject) {
  Link().CommPort.reset();
  EXPECT_EQ(ClosePortObject(), 0);
  EXPECT_EQ(ClosePort(), 0);
  EXPECT_FALSE(SetPortTimeouts(3, 5));
}

TEST_F(LinkTest, OpenCloseAndReopen) {
  ASSERT_TRUE(Link().PortIsOpen());
  // A refused priority raise is no link error.
  EXPECT_EQ(Link().LinkError->Code(), 0);
  EXPECT_EQ(Link().CommPort->PortName(), "Com1");
  EXPECT_EQ(Link().CommPort->BaudRate(), 9600);
  EXPECT_EQ(ExecuteSequence(Link(), '#', 1), 0);

  Link().DriverState.DeviceKind = 3;
  EXPECT_EQ(ClosePortObject(), 0);
  EXPECT_FALSE(Link().PortIsOpen());
  EXPECT_EQ(ClosePortObject(), 0);
  EXPECT_EQ(ClosePort(), 0);
  EXPECT_EQ(ExecuteSequence(Link(), '#', 1), kErrTransmit);
  // Closing is not the end of the session.
  EXPECT_EQ(Link().DriverState.DeviceKind, 3);
  EXPECT_TRUE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.StoredPort, 1);

  EXPECT_EQ(DoOpenPort(1, 9600, 3, 5), 0);
  EXPECT_EQ(Link().CommPort->WriteTimeout(), 3);
  EXPECT_EQ(Link().CommPort->ReadTimeout(), 5);
  sim.ClearLog();
  ExpectOnlyLinkTestFollows();

  EXPECT_EQ(ClosePort(), 0);
  EXPECT_FALSE(Link().PortIsOpen());
  EXPECT_EQ(OpenPort(1, 9600, 1, 1), 0);
  EXPECT_EQ(ExecuteSequence(Link(), '#', 1), 0);
}

TEST_F(LinkTest, SecondOpenIsRefusedAndTheLinkGoesOn) {
  const TComm* first = Link().CommPort.get();
  EXPECT_EQ(DoOpenPort(1, 9600, 3, 5), kErrPortInUse);
  EXPECT_EQ(platform::Utf8FromCp1250(Link().LinkError->Text()), "Ten port jest już zainicjowany");
  EXPECT_EQ(DoOpenPort(2, 9600, 3, 5), kErrPortInUse);
  // The range is not looked at before the refusal.
  EXPECT_EQ(OpenPort(256, 9600, 3, 5), kErrPortInUse);
  EXPECT_EQ(OpenPort(1, 9600, 3, 5), kErrPortInUse);
  EXPECT_EQ(Link().CommPort.get(), first);
  EXPECT_TRUE(Link().PortIsOpen());
  EXPECT_EQ(Link().CommPort->ReadTimeout(), 1);
  EXPECT_EQ(Link().LinkError->Code(), 0);
  ExpectOnlyLinkTestFollows();
}

TEST_F(LinkTest, MissingPortIsNotFoundAndDoesNotBlockTheNextOpen) {
  ClosePortObject();
  EXPECT_EQ(DoOpenPort(2, 9600, 1, 1), 2);
  EXPECT_EQ(Link().LinkError->Code(), 2);
  EXPECT_FALSE(Link().PortIsOpen());
  EXPECT_EQ(DoOpenPort(1, 9600, 1, 1), 0);
  EXPECT_EQ(Link().LinkError->Code(), 0);
  ExpectOnlyLinkTestFollows();
}

TEST_F(LinkTest, PortZeroIsNoSuchPortWhateverTheWorkingFolderHolds) {
  ClosePortObject();
  // A printer reachable as "Com0" in the working folder and in the port
  // folder must not be opened: there is no port 0.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(portDir);
  for (const char* name : {"Com0", "COM0"}) {
    std::filesystem::create_symlink(sim.SlavePath(), portDir / name);
  }
  EXPECT_EQ(DoOpenPort(0, 9600, 1, 1), 2);
  EXPECT_EQ(Link().LinkError->Code(), 2);
  EXPECT_EQ(platform::Utf8FromCp1250(Link().LinkError->Text()),
            "System nie potrafi znależć danego urządzenia.");
  EXPECT_FALSE(Link().PortIsOpen());
  EXPECT_EQ(OpenPort(0, 9600, 1, 1), 2);
  EXPECT_FALSE(Link().PortIsOpen());
  std::filesystem::current_path(cwd);
  EXPECT_TRUE(sim.Received().empty());
  EXPECT_EQ(DoOpenPort(1, 9600, 1, 1), 0);
  ExpectOnlyLinkTestFollows();
}

TEST_F(LinkTest, OpenPortOutOfRangeLeavesANewClosedPortObject) {
  ClosePortObject();
  const std::tuple<int32_t, int32_t, int32_t, int32_t> cases[] = {
      {256, 9600, 3, 5},   {-1, 9600, 3, 5},    {1, -1, 3, 5},
      {1, 9600, 65536, 5}, {1, 9600, 3, 65536}, {1, 9600, -1, 5}};
  for (auto [port, baud, writeSec, readSec] : cases) {
    EXPECT_EQ(OpenPort(port, baud, writeSec, readSec), kErrInternal) << port << " " << baud;
    ASSERT_NE(Link().CommPort, nullptr);
    EXPECT_FALSE(Link().PortIsOpen());
  }
  EXPECT_EQ(OpenPort(1, 9600, 65535, 1), 0);
  ExpectOnlyLinkTestFollows();
}

TEST_F(LinkTest, TimeOutsOfTheOpenPort) {
  EXPECT_TRUE(SetPortTimeouts(3, 20));
  EXPECT_EQ(Link().CommPort->TimeoutsInUse().ReadTotalTimeoutConstant, 20000u);
  EXPECT_EQ(Link().CommPort->TimeoutsInUse().WriteTotalTimeoutConstant, 3000u);
  EXPECT_TRUE(SetPortTimeouts(1, 1));
  EXPECT_EQ(Link().CommPort->TimeoutsInUse().ReadTotalTimeoutConstant, 1000u);
  ClosePortObject();
  EXPECT_FALSE(SetPortTimeouts(3, 20));
}

TEST_F(LinkTest, EnsureLinkWithoutStoredPortChangesNothing) {
  FillSession();
  Link().DriverState.DeviceKind = 3;
  EXPECT_EQ(EnsureLink(Link(), 0, true), kErrNoPortNumber);
  EXPECT_TRUE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.DeviceKind, 3);
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals()[6], 7u);
  EXPECT_FALSE(SessionCleared());
  EXPECT_TRUE(Link().PortIsOpen());
  ExpectOnlyLinkTestFollows();

  Link().DriverState.StoredPort = 0;
  Link().DriverState.LinkUp = false;
  EXPECT_EQ(LinkCheck(Link(), true), kErrNoPortNumber);
}

TEST_F(LinkTest, EnsureLinkWithoutTheTestSendsNothing) {
  FillSession();
  Link().DriverState.DeviceKind = 3;
  Link().DriverState.LinkUp = false;
  const TComm* previous = Link().CommPort.get();
  EXPECT_EQ(EnsureLink(Link(), Link().DriverState.StoredPort, false), 0);
  EXPECT_TRUE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.DeviceKind, 7);
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals(), (std::array<uint32_t, 7>{}));
  EXPECT_TRUE(SessionCleared());
  ASSERT_TRUE(Link().PortIsOpen());
  EXPECT_NE(Link().CommPort.get(), previous);
  EXPECT_EQ(Link().CommPort->BaudRate(), 9600);
  EXPECT_EQ(Link().CommPort->WriteTimeout(), 1);
  EXPECT_EQ(Link().CommPort->ReadTimeout(), 1);
  ExpectOnlyLinkTestFollows();
  EXPECT_TRUE(texts.empty());
}

TEST_F(LinkTest, EnsureLinkKeepsTheTotalsOfAnOpenReceipt) {
  Link().DriverState.Receipt.Begun();
  FillSession();
  EXPECT_EQ(EnsureLink(Link(), Link().DriverState.StoredPort, false), 0);
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals(), (std::array<uint32_t, 7>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(SessionCleared());
}

TEST_F(LinkTest, EnsureLinkTestsWaitsAndIdentifies) {
  Link().DriverState.LinkUp = false;
  EXPECT_EQ(EnsureLink(Link(), Link().DriverState.StoredPort, true), 0);
  EXPECT_TRUE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.DeviceKind, 3);
  const Bytes wire = Frames({'#', 0x95, 0x95, 0x94, 0x95, 0xFF, 0xFE});
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(texts, (std::vector<std::string>{"Trwa wydruk...", "Odczyt typu urządzenia..."}));
  EXPECT_EQ(linkUpAtPump, std::vector<bool>(4, false));

  // Through the step every command takes first.
  sim.ClearLog();
  sim.SetKind(0);
  Link().DriverState.LinkUp = false;
  EXPECT_EQ(LinkCheck(Link(), true), 0);
  EXPECT_EQ(Link().DriverState.DeviceKind, 0);
  EXPECT_EQ(LinkCheck(Link(), true), 0);
  const Bytes again = Frames({'#', 0x95, 0x95, 0x94, 0x95, 0xFF});
  EXPECT_EQ(Wire(again.size()), again);
}

TEST_F(LinkTest, EnsureLinkAfterNakSkipsOnlyThePrintWait) {
  sim.SetKind(6);
  sim.Refuse('#', 0x15);
  EXPECT_EQ(EnsureLink(Link(), Link().DriverState.StoredPort, true), 0);
  EXPECT_TRUE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.DeviceKind, 6);
  EXPECT_EQ(Wire(6), Frames({'#', 0xFF, 0xFE}));
}

TEST_F(LinkTest, EnsureLinkFailuresLeaveTheLinkDown) {
  // Another refusal of the link test ends it.
  sim.Refuse('#', 0xC8);
  Link().DriverState.DeviceKind = 3;
  EXPECT_EQ(EnsureLink(Link(), Link().DriverState.StoredPort, true), kErrRefused);
  EXPECT_FALSE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.DeviceKind, 7);
  EXPECT_EQ(Wire(2), Frames({'#'}));

  // So does a printer failure found by the print wait.
  sim.ClearFaults();
  sim.ClearLog();
  sim.SetStatus(3, 0x04);
  EXPECT_EQ(EnsureLink(Link(), Link().DriverState.StoredPort, true), kErrPrinterFailure);
  EXPECT_FALSE(Link().DriverState.LinkUp);
  EXPECT_EQ(Wire(6), Frames({'#', 0x95, 0x95}));

  // And a port that is not there.
  Link().DriverState.StoredPort = 2;
  EXPECT_EQ(EnsureLink(Link(), Link().DriverState.StoredPort, true), 2);
  EXPECT_FALSE(Link().DriverState.LinkUp);
  EXPECT_FALSE(Link().PortIsOpen());

  // The next command tries again.
  sim.SetStatus(3, 0x00);
  Link().DriverState.StoredPort = 1;
  EXPECT_EQ(LinkCheck(Link(), false), 0);
  EXPECT_TRUE(Link().DriverState.LinkUp);
}

TEST_F(LinkTest, EnsureLinkWithStoredValuesThePortCannotTake) {
  struct Case {
    int32_t port;
    int32_t baud;
    int32_t timeout;
  };
  const Case cases[] = {{256, 9600, 1}, {-3, 9600, 1}, {1, -1, 1}, {1, 9600, 65536}, {1, 9600, -1}};
  for (const Case& c : cases) {
    ASSERT_EQ(Open(), 0);
    Link().DriverState.StoredBaud = c.baud;
    Link().DriverState.StoredTimeout = c.timeout;
    EXPECT_EQ(EnsureLink(Link(), c.port, true), kErrInternal)
        << c.port << " " << c.baud << " " << c.timeout;
    EXPECT_FALSE(Link().DriverState.LinkUp);
    EXPECT_FALSE(Link().PortIsOpen());
  }
  EXPECT_TRUE(sim.Received().empty());
}

TEST_F(LinkTest, PrintWaitDuringTheInitialisationDoesNotStartAnother) {
  // A printout halted for paper: its resume must work on the port being set
  // up, with the link still down until the identification.
  sim.State()->job = {0, 2, 1, 0};
  const TComm* seen = nullptr;
  InstallConsoleHooks(
      Link(), {[this](const std::string& text) { texts.push_back(platform::Utf8FromCp1250(text)); },
               [&] {
                 linkUpAtPump.push_back(Link().DriverState.LinkUp);
                 if (!seen) seen = Link().CommPort.get();
                 EXPECT_EQ(Link().CommPort.get(), seen);
                 EXPECT_TRUE(Link().PortIsOpen());
               }});
  Link().DriverState.LinkUp = false;
  EXPECT_EQ(EnsureLink(Link(), Link().DriverState.StoredPort, true), 0);
  EXPECT_TRUE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().CommPort.get(), seen);
  const Bytes wire = Frames({'#', 0x95, 0x95, 0x94, 0x95, 0x95, '*', 0x95, 0x95, 0x94, 0x95, 0x95,
                             0x94, 0x95, 0xFF, 0xFE});
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(texts, (std::vector<std::string>{"Trwa wydruk...", "Wznawianie wydruku...",
                                             "Trwa wydruk...", "Odczyt typu urządzenia..."}));
  EXPECT_EQ(linkUpAtPump, std::vector<bool>(11, false));
}

TEST_F(LinkTest, FinalizationClosesAPortLeftOpen) {
  FinalizeDriverUnit(Link());
  EXPECT_FALSE(Link().PortIsOpen());
  FinalizeDriverUnit(Link());
}

}  // namespace
}  // namespace kavoruw
