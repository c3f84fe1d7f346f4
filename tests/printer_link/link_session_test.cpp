#include "printer_link/commands/link_session.h"
#include "printer_link/commands/conditions.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "kavoruw_codes.h"
#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/receipt.h"
#include "printer_link/commands/receipt_buffers.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/port/comm.h"
#include "tests/printer_link/sim_link.h"

namespace kavoruw::testing {
namespace {

// ESC before each command byte, as the driver frames them.
// ACK and the rates as 16-bit words, high byte first.
Bytes WordAnswer(std::initializer_list<uint16_t> words) {
  Bytes out{kAck};
  for (uint16_t w : words) {
    out.push_back(static_cast<uint8_t>(w >> 8));
    out.push_back(static_cast<uint8_t>(w & 0xFF));
  }
  return out;
}

class LifecycleTest : public SimLinkTest {
 protected:
  void SetUp() override {
    SimLinkTest::SetUp();
    Link().DriverState.Receipt = {};
    ClearReceiptBuffers(Link());
  }
  void TearDown() override {
    InstallConsoleHooks(Link(), {});
    SimLinkTest::TearDown();
  }

  void ScriptDefinedRates() {
    sim.SetScriptedAnswer(0xD1,
                          WordAnswer({0x0898, 0x8000, 0x8000, 0x8000, 0x8000, 0x8000, 0x8000}));
  }

  // Fills the receipt state a session carries.
  void FillSession() {
    const std::array<uint32_t, 7> totals{100, 200, 300, 0, 0, 0, 7};
    for (size_t rate = 0; rate < 7; ++rate)
      Link().DriverState.Receipt.ItemBooked(rate, totals[rate]);
    ASSERT_EQ(FillPayment(1, "Karta", 1500, 0), 0);
    int32_t freeSlots = 0;
    ASSERT_EQ(FillLines(3, "Dziekujemy", &freeSlots), 0);
  }
};

const Bytes kIdentify = Frames({'#', 0x95, 0x95, 0x94, 0x95, 0xFF, 0xFE});

TEST_F(LifecycleTest, CommunicationInitOpensWaitsIdentifiesAndStores) {
  ASSERT_EQ(Link().DriverState.StoredPort, 0);  // the first call of a program
  ASSERT_EQ(CommunicationInit(1, 19200, 1), 0);
  EXPECT_EQ(Wire(14), kIdentify);
  EXPECT_EQ(sim.Sent(), (Bytes{kAck, 0, 0, 0, 0, kAck, 44, kAck, 44, 6, 0}));
  EXPECT_TRUE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.DeviceKind, 3);
  EXPECT_EQ(Link().DriverState.StoredPort, 1);
  EXPECT_EQ(Link().DriverState.StoredBaud, 19200);
  EXPECT_EQ(Link().DriverState.StoredTimeout, 1);
  ASSERT_TRUE(Link().PortIsOpen());
  EXPECT_EQ(Link().CommPort->BaudRate(), 19200);
  EXPECT_EQ(Link().CommPort->WriteTimeout(), 1);
  EXPECT_EQ(Link().CommPort->ReadTimeout(), 1);
}

TEST_F(LifecycleTest, CommunicationInitSkipsThePrintWaitAfterNak) {
  sim.Refuse('#', kNak);
  ASSERT_EQ(CommunicationInit(1, 9600, 1), 0);
  EXPECT_EQ(Wire(6), Frames({'#', 0xFF, 0xFE}));
  EXPECT_TRUE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.DeviceKind, 3);
}

TEST_F(LifecycleTest, CommunicationInitRejectsArgumentsWithoutTouchingAnything) {
  struct Args {
    int32_t port, baud, timeout, result;
  };
  // Port 0 does not exist ("no such port", as OpenPort says).
  for (Args a : {Args{0, 9600, 1, kErrNoSuchPort}, Args{-1, 9600, 1, kErrInternal},
                 Args{256, 9600, 1, kErrInternal}, Args{1, -1, 1, kErrInternal},
                 Args{1, 9600, -1, kErrInternal}, Args{1, 9600, 65536, kErrInternal}}) {
    SCOPED_TRACE(::testing::Message() << a.port << " " << a.baud << " " << a.timeout);
    FillSession();
    Link().DriverState.DeviceKind = 3;
    EXPECT_EQ(CommunicationInit(a.port, a.baud, a.timeout), a.result);
    EXPECT_TRUE(Link().DriverState.LinkUp);
    EXPECT_EQ(Link().DriverState.StoredPort, 0);
    EXPECT_EQ(Link().DriverState.StoredBaud, 9600);
    EXPECT_EQ(Link().DriverState.StoredTimeout, 5);
    EXPECT_EQ(Link().DriverState.DeviceKind, 3);
    EXPECT_EQ(Link().DriverState.Receipt.VatTotals()[6], 7u);
    EXPECT_EQ(Link().DriverState.PaymentSlot[0].amount, 1500);
    EXPECT_EQ(Link().DriverState.TrailerLine[0].code, 3);
    EXPECT_TRUE(sim.Received().empty());
    // The link that was open still works.
    int32_t fiscal = -1;
    EXPECT_EQ(ReadFiscalMode(fiscal), 0);
    EXPECT_EQ(fiscal, 1);
    EXPECT_EQ(Wire(2), Frames({0x9B}));
    sim.ClearLog();
  }
}

TEST_F(LifecycleTest, CommunicationInitFailuresLeaveTheLinkDown) {
  // No device behind COM2.
  EXPECT_EQ(CommunicationInit(2, 9600, 1), 2);
  EXPECT_FALSE(Link().DriverState.LinkUp);
  EXPECT_FALSE(Link().PortIsOpen());
  EXPECT_EQ(Link().DriverState.StoredPort, 2);
  EXPECT_EQ(Link().DriverState.DeviceKind, 7);
  EXPECT_TRUE(sim.Received().empty());

  // '#' answered with neither ACK nor NAK: nothing more is sent.
  sim.Refuse('#', 0xC8);
  EXPECT_EQ(CommunicationInit(1, 9600, 1), kErrRefused);
  EXPECT_EQ(Wire(2), Frames({'#'}));
  EXPECT_FALSE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.StoredPort, 1);
  // The next command re-initialises with the values just stored.
  sim.ClearFaults();
  sim.ClearLog();
  std::string name;
  EXPECT_EQ(DeviceName(name), 0);
  EXPECT_EQ(name, "KAVOR II generacji");
  EXPECT_EQ(Wire(14), kIdentify);
  EXPECT_TRUE(Link().DriverState.LinkUp);

  // The print-end wait fails: no paper.
  sim.ClearLog();
  sim.SetStatus(3, 0x02);
  EXPECT_EQ(CommunicationInit(1, 9600, 1), kErrNoPaper);
  EXPECT_EQ(Wire(4), Frames({'#', 0x95}));
  EXPECT_FALSE(Link().DriverState.LinkUp);
  sim.SetStatus(3, 0x00);

  // The device type cannot be read.
  sim.ClearLog();
  sim.Refuse(0xFF, kNak);
  EXPECT_EQ(CommunicationInit(1, 9600, 1), kErrNak);
  EXPECT_EQ(Wire(12), Frames({'#', 0x95, 0x95, 0x94, 0x95, 0xFF}));
  EXPECT_FALSE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.StoredPort, 1);
  EXPECT_EQ(Link().DriverState.DeviceKind, 7);
}

TEST_F(LifecycleTest, CommunicationInitInTheMiddleOfAReceiptEndsIt) {
  // A receipt with one item, open on the printer and in the driver.
  ASSERT_EQ(ReceiptBegin(), 0);
  sim.ClearLog();
  int32_t value = 100;
  ASSERT_EQ(ReceiptItem(1, "Towar", 1, 0, 1, 0, "szt", 100, value), 0);
  Wire(2 + 2 + 49);  // the item record gets no answer: wait until it is in
  FillSession();
  ASSERT_EQ(CommunicationInit(1, 9600, 1), 0);
  // The link test cancelled the printer's receipt: so does the driver.
  EXPECT_EQ(sim.State()->receipt.cancelled, 1);
  EXPECT_FALSE(sim.State()->receipt.open);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  EXPECT_EQ(Link().DriverState.Receipt.ItemCount(), 0u);
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals(), (std::array<uint32_t, 7>{}));
  EXPECT_TRUE(Link().DriverState.PaymentSlot[0].name.empty());
  EXPECT_EQ(Link().DriverState.TrailerLine[0].code, kEmptyTrailerLine);
  // No item goes to a printer without a receipt; the next receipt begins.
  sim.ClearLog();
  EXPECT_EQ(ReceiptItem(1, "Towar", 1, 0, 1, 0, "szt", 100, value), kErrReceiptNotBegun);
  EXPECT_EQ(ReceiptEnd(0), kErrReceiptNotBegun);
  EXPECT_TRUE(sim.Received().empty());
  ASSERT_EQ(ReceiptBegin(), 0);
  ASSERT_EQ(ReceiptItem(1, "Towar", 1, 0, 1, 0, "szt", 100, value), 0);
  EXPECT_EQ(ReceiptEnd(0), 0);
  EXPECT_EQ(sim.State()->receipt.ended, 1);
  EXPECT_EQ(sim.State()->receipt.outsideReceipt, 0);

  // A NAK to the link test (an empty receipt dropped) ends it too.
  ASSERT_EQ(ReceiptBegin(), 0);
  ASSERT_EQ(CommunicationInit(1, 9600, 1), 0);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());

  // A link re-initialisation without the link test leaves the printer's
  // receipt open, and the driver's with its totals.
  ASSERT_EQ(ReceiptBegin(), 0);
  ASSERT_EQ(ReceiptItem(1, "Towar", 2, 0, 1, 0, "szt", 300, value), 0);
  Link().DriverState.LinkUp = false;
  Link().DriverState.StoredPort = 1;
  EXPECT_EQ(ReceiptEnd(0), 0);
  EXPECT_EQ(sim.State()->receipt.ended, 2);
  EXPECT_EQ(sim.State()->receipt.outsideReceipt, 0);
}

TEST_F(LifecycleTest, CommunicationEndStopsEveryCommandUntilTheNextInit) {
  ASSERT_EQ(CommunicationInit(1, 9600, 1), 0);
  FillSession();
  ASSERT_EQ(CommunicationEnd(), 0);
  EXPECT_FALSE(Link().DriverState.LinkUp);
  EXPECT_EQ(Link().DriverState.StoredPort, 0);
  EXPECT_EQ(Link().DriverState.DeviceKind, 7);
  EXPECT_FALSE(Link().PortIsOpen());
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals()[6], 7u);
  EXPECT_EQ(Link().DriverState.PaymentSlot[0].amount, 1500);

  sim.ClearLog();
  EXPECT_EQ(ReceiptConditions(), kErrNoPortNumber);
  std::string name = "x";
  EXPECT_EQ(DeviceName(name), kErrNoPortNumber);
  EXPECT_EQ(name, "");
  char buffer[32] = "unchanged";
  EXPECT_EQ(inner::pDeviceName(Link(), buffer), kErrNoPortNumber);
  EXPECT_STREQ(buffer, "unchanged");
  int32_t fiscal = -5;
  EXPECT_EQ(ReadFiscalMode(fiscal), kErrNoPortNumber);
  EXPECT_EQ(fiscal, -5);
  EXPECT_TRUE(sim.Received().empty());

  EXPECT_EQ(CommunicationInit(1, 9600, 1), 0);
  EXPECT_TRUE(Link().DriverState.LinkUp);
}

TEST_F(LifecycleTest, DeviceNames) {
  Link().DriverState.DeviceKind = 9;
  std::string name;
  EXPECT_EQ(DeviceName(name), 0);
  EXPECT_EQ(name, "NIEZNANE");

  // The longest name fills 23 bytes and the zero; nothing beyond.
  Link().DriverState.DeviceKind = 5;
  char buffer[32];
  std::memset(buffer, 'z', sizeof buffer);
  EXPECT_EQ(inner::pDeviceName(Link(), buffer), 0);
  EXPECT_STREQ(buffer, "MX720B 7-st. (apteczna)");
  EXPECT_EQ(buffer[kMaxDeviceNameLength + 1], 'z');
  EXPECT_TRUE(sim.Received().empty());  // the last identification counts

  // A null buffer is refused before the link is looked at.
  Link().DriverState.LinkUp = false;
  Link().DriverState.StoredPort = 1;
  EXPECT_EQ(inner::pDeviceName(Link(), nullptr), kErrNullBuffer);
  EXPECT_FALSE(Link().DriverState.LinkUp);
  EXPECT_TRUE(Link().PortIsOpen());
  EXPECT_TRUE(sim.Received().empty());

  // With the link down the name comes from a fresh identification.
  EXPECT_EQ(inner::pDeviceName(Link(), buffer), 0);
  EXPECT_STREQ(buffer, "KAVOR II generacji");
  EXPECT_EQ(Wire(14), kIdentify);
}

// Printer with every condition of the checks failing, so that clearing them
// one by one shows the order in which a check tests them.
class ConditionOrderTest : public LifecycleTest {
 protected:
  void SetUp() override {
    LifecycleTest::SetUp();
    sim.SetStatus(1, 0x04);  // no maker or user data, read-only, training
    sim.SetStatus(2, 0xD8);  // no controller, no display, CMOS erased, report due
    sim.SetStatus(3, 0x06);  // failure, no paper
    sim.SetStatus(4, 0x48);  // service jumper
    sim.SetScriptedAnswer(0xD1,
                          WordAnswer({0x8000, 0x8000, 0x8000, 0x8000, 0x8000, 0x8000, 0x8000}));
  }

  void Set(int index, uint8_t bits) { sim.SetStatus(index, sim.Status(index) | bits); }
  void Clear(int index, uint8_t bits) { sim.SetStatus(index, sim.Status(index) & ~bits); }

  void Fix(int32_t code) {
    switch (code) {
      case 100: Set(1, 0x01); break;
      case 104: Set(1, 0x02); break;
      case 105: Clear(1, 0x04); break;
      case 228: Set(1, 0x08); break;
      case 108: Clear(2, 0x08); break;
      case 107: Clear(2, 0x10); break;
      case 106: Clear(2, 0x40); break;
      case 102: Clear(2, 0x80); break;
      case 109: Clear(3, 0x02); break;
      case 103: Clear(3, 0x04); break;
      case 101: Clear(4, 0x40); break;
      case 113: ScriptDefinedRates(); break;
      default: FAIL() << code;
    }
  }

  void ExpectOrder(int32_t (*check)(), std::initializer_list<int32_t> order) {
    for (int32_t code : order) {
      ASSERT_EQ(check(), code);
      Fix(code);
    }
    sim.ClearLog();
    EXPECT_EQ(check(), 0);
  }
};

const Bytes kStatusReads = Frames({0x9B, 0x94, 0x95, 0x96});
const Bytes kPassedWithVat = Frames({0x9B, 0x94, 0x95, 0x96, 0xD1, 0x95, 0x95, 0x94, 0x95});

TEST_F(ConditionOrderTest, ReceiptConditions) {
  ExpectOrder(ReceiptConditions, {100, 105, 107, 101, 102, 103, 104, 106, 108, 113, 109});
  EXPECT_EQ(Wire(18), kPassedWithVat);
}

TEST_F(ConditionOrderTest, CheckReceiptConditions) {
  ExpectOrder(CheckReceiptConditions, {100, 107, 101, 102, 103, 104, 105, 106, 108, 113, 109});
  EXPECT_EQ(Wire(18), kPassedWithVat);
}

TEST_F(ConditionOrderTest, PeriodReportConditionsIgnoreJumperReadOnlyReportDueAndRates) {
  ExpectOrder(CheckPeriodReportConditions, {100, 228, 107, 102, 103, 104, 106, 109});
  EXPECT_EQ(Wire(16), Frames({0x9B, 0x94, 0x95, 0x96, 0x95, 0x95, 0x94, 0x95}));
}

TEST_F(LifecycleTest, ReadOnlyPrinterWithCmosErased) {
  sim.SetStatus(1, 0x2B | 0x04);
  sim.SetStatus(2, 0x10);
  EXPECT_EQ(ReceiptConditions(), kErrReadOnly);
  EXPECT_EQ(Wire(8), kStatusReads);
  sim.ClearLog();
  EXPECT_EQ(CheckReceiptConditions(), kErrCmosErased);
  EXPECT_EQ(Wire(8), kStatusReads);
}

TEST_F(LifecycleTest, TrainingModePassesReceiptsButNotPeriodReports) {
  sim.SetStatus(1, 0x23);
  ScriptDefinedRates();
  EXPECT_EQ(ReceiptConditions(), 0);
  EXPECT_EQ(CheckReceiptConditions(), 0);
  EXPECT_EQ(CheckPeriodReportConditions(), kErrTrainingMode);
  int32_t fiscal = -1;
  EXPECT_EQ(ReadFiscalMode(fiscal), 0);
  EXPECT_EQ(fiscal, 0);
}

TEST_F(LifecycleTest, OpenReceiptRefusesOnlyTheReceiptChecks) {
  std::vector<std::string> texts;
  InstallConsoleHooks(Link(), {[&](const std::string& t) { texts.push_back(t); }, {}});
  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(ReceiptConditions(), kErrReceiptOpen);
  EXPECT_EQ(CheckReceiptConditions(), kErrReceiptOpen);
  EXPECT_TRUE(sim.Received().empty());
  const std::string receiptText =
      platform::Cp1250FromUtf8("Sprawdzanie warunków wystawienia paragonu...");
  EXPECT_EQ(texts, (std::vector<std::string>{receiptText, receiptText}));

  texts.clear();
  EXPECT_EQ(CheckPeriodReportConditions(), 0);
  int32_t fiscal = -1;
  EXPECT_EQ(ReadFiscalMode(fiscal), 0);
  EXPECT_EQ(fiscal, 1);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(),
            platform::Cp1250FromUtf8("Sprawdzanie warunków wystawienia raportu okresowego..."));
  EXPECT_EQ(texts.back(), platform::Cp1250FromUtf8("Test czy tryb fiskalny..."));
}

TEST_F(LifecycleTest, ChecksRunOnALinkDownWithoutTheLinkTest) {
  Link().DriverState.LinkUp = false;
  Link().DriverState.StoredPort = 1;
  ScriptDefinedRates();
  EXPECT_EQ(ReceiptConditions(), 0);
  EXPECT_EQ(Wire(18), kPassedWithVat);  // no '#', no identification
  EXPECT_TRUE(Link().DriverState.LinkUp);
}

TEST_F(LifecycleTest, FailedStatusReadEndsTheCheck) {
  sim.TruncateAnswer(0x95, 0);
  EXPECT_EQ(ReceiptConditions(), kErrReceive);
  EXPECT_EQ(Wire(6), Frames({0x9B, 0x94, 0x95}));
}

TEST_F(LifecycleTest, VatDefinedOnSevenRatePrinters) {
  bool defined = true;
  sim.SetScriptedAnswer(0xD1, WordAnswer({0x8000, 0x8012, 0x80FF, 0x8000, 0x8001, 0x8000, 0x8000}));
  EXPECT_EQ(CheckVATDefined(defined), kErrNoVatRates);
  EXPECT_FALSE(defined);
  EXPECT_EQ(Wire(2), Frames({0xD1}));

  sim.SetScriptedAnswer(0xD1, WordAnswer({0x8000, 0x8000, 0x8000, 0x8000, 0x8000, 0x8000, 0x4000}));
  EXPECT_EQ(CheckVATDefined(defined), 0);
  EXPECT_TRUE(defined);

  // A failure other than NAK tries no older command.
  sim.ClearLog();
  sim.Refuse(0xD1, 0xC8);
  EXPECT_EQ(CheckVATDefined(defined), kErrRefused);
  EXPECT_FALSE(defined);
  EXPECT_EQ(Wire(2), Frames({0xD1}));
}

TEST_F(LifecycleTest, VatDefinedFallsBackToSixAndFourRates) {
  bool defined = true;
  sim.Refuse(0xD1, kNak);
  sim.SetScriptedAnswer(0xD0, WordAnswer({0xFF00, 0xFF10, 0xFF00, 0xFF00, 0xFF00, 0xFF00}));
  EXPECT_EQ(CheckVATDefined(defined), kErrNoVatRates);
  EXPECT_FALSE(defined);
  EXPECT_EQ(Wire(4), Frames({0xD1, 0xD0}));
  // 0x8000 is no reserve mark on these printers.
  sim.SetScriptedAnswer(0xD0, WordAnswer({0xFF00, 0xFF00, 0xFF00, 0xFF00, 0xFF00, 0x8000}));
  EXPECT_EQ(CheckVATDefined(defined), 0);
  EXPECT_TRUE(defined);

  sim.ClearLog();
  sim.Refuse(0xD0, kNak);
  sim.SetScriptedAnswer('p', {kAck, 0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(CheckVATDefined(defined), kErrNoVatRates);
  EXPECT_EQ(Wire(6), Frames({0xD1, 0xD0, 'p'}));
  sim.SetScriptedAnswer('p', {kAck, 0xFF, 0xFF, 22, 0xFF});
  EXPECT_EQ(CheckVATDefined(defined), 0);
  EXPECT_TRUE(defined);

  sim.Refuse('p', kNak);
  EXPECT_EQ(CheckVATDefined(defined), kErrNak);
  EXPECT_FALSE(defined);
}

}  // namespace
}  // namespace kavoruw::testing
