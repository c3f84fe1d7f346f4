// The receipt transaction against the simulated printer: the exact records on
// the wire, the driver's running totals and what each answer of the printer
// does to the open receipt.
#include "printer_link/commands/receipt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "kavoruw_codes.h"
#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/receipt_buffers.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "tests/printer_link/sim_link.h"

namespace kavoruw::testing {
namespace {

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes Cmd(uint8_t command, const Bytes& data = {}) { return Join({{kEsc, command}, data}); }

const Bytes kStatus = Cmd(0x95);
// The four status bytes and the print-end poll of an idle printer: what is
// read before '!' asks what a lost answer left.
const Bytes kReady =
    Join({Cmd(0x9B), Cmd(0x94), kStatus, Cmd(0x96), kStatus, kStatus, Cmd(0x94), kStatus});

Bytes Blanks(size_t n) { return Bytes(n, ' '); }

// Five-byte little-endian totals as the printer sends them.
Bytes TotalsAnswer(std::initializer_list<uint64_t> totals) {
  Bytes out{kAck};
  for (uint64_t t : totals) {
    for (int k = 0; k < 5; ++k) out.push_back(static_cast<uint8_t>(t >> (8 * k)));
  }
  return out;
}

// --- Records ------------------------------------------------------------------

TEST(ReceiptRecords, VatCodeMapAndSmallRecords) {
  const uint8_t expected[] = {0, 1, 2, 3, 4, 6, 7, 5, 8};
  for (uint8_t vat = 0; vat <= 8; ++vat) EXPECT_EQ(VatCode(vat), expected[vat]) << int(vat);
  EXPECT_EQ(VatCode(255), 255);

  EXPECT_EQ(PackU32LE(0x12345678), (Bytes{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(PackageFrame(0, 0x10203, -1, 250),
            (Bytes{' ', 'S', 0x03, 0x02, 0xFF, 0xFF, 250, 0, 0, 0}));
  EXPECT_EQ(PackageFrame(1, 1, 2, 0), (Bytes{' ', 'Z', 1, 0, 2, 0, 0, 0, 0, 0}));
  EXPECT_EQ(PackageFrame(2, 1, 2, 0), (Bytes{'-', 'S', 1, 0, 2, 0, 0, 0, 0, 0}));
  EXPECT_EQ(PaymentFrame(2, platform::Cp1250FromUtf8("Gotówka      "), 1234),
            Join({{2}, Text("Got"), {0xA2}, Text("wka      "), {0xD2, 0x04, 0, 0}}));
}

TEST(ReceiptRecords, ArticleNames) {
  EXPECT_EQ(NormalizeArticleName("Mleko"), "Mleko" + std::string(23, ' '));
  EXPECT_EQ(NormalizeArticleName(std::string("Ser\0zolty", 9)), "Ser" + std::string(25, ' '));
  EXPECT_EQ(NormalizeArticleName(std::string(300, 'x')), std::string(28, 'x'));
  EXPECT_EQ(TruncateArticleName(std::string(40, 'y')), std::string(28, 'y'));
  EXPECT_EQ(TruncateArticleName("krotki"), "krotki");

  EXPECT_EQ(SignificantCharacters().size(), 85u);
  EXPECT_EQ(CharsInArticleName("Mleko 2%"), 7);
  EXPECT_EQ(CharsInArticleName(std::string(30, 'A')), 28);
  EXPECT_EQ(CharsInArticleName(platform::Cp1250FromUtf8("Żółć, \\/.-+")), 8);
  EXPECT_EQ(inner::pCharsInArticleName("Mleko 2%"), 7);
  EXPECT_EQ(inner::pCharsInArticleName(nullptr), 225);
}

TEST(ReceiptRecords, TrailerLineIsSentWholeWithControlBytesAsBlanks) {
  const std::string text(254, 'x');
  const Bytes frame = TrailerLineFrame(15, text);
  ASSERT_EQ(frame.size(), 256u);
  EXPECT_EQ(frame.front(), '?');
  EXPECT_EQ(frame.back(), '\n');
  EXPECT_EQ(TrailerLineFrame(0, platform::Cp1250FromUtf8("Dziękujemy\n\x1b"
                                                         "B\r")),
            Join({{'0'}, Text("Dzi"), {0xA9}, Text("kujemy  B "), {'\n'}}));
}

TEST(ReceiptRecords, DiscountRoundsExactlyOneHalfDown) {
  EXPECT_EQ(DiscountedPart(5, 10), 4u);  // 4.50
  EXPECT_EQ(DiscountedPart(6, 10), 5u);  // 5.40
  EXPECT_EQ(DiscountedPart(7, 90), 1u);  // 0.70
  EXPECT_EQ(DiscountedPart(4294967295u, 0), 4294967295u);
  EXPECT_EQ(DiscountedTotal({5, 6, 7, 0, 0, 0, 0}, 0), 18u);
  EXPECT_EQ(DiscountedTotal({5, 6, 0, 0, 0, 0, 7}, 10), 4u + 5u + 6u);
}

// --- Against the printer ------------------------------------------------------

class ReceiptTest : public SimLinkTest {
 protected:
  explicit ReceiptTest(uint8_t kind = 3) : SimLinkTest(kind) {}

  void SetUp() override {
    SimLinkTest::SetUp();
    Link().DriverState.Receipt = {};
    ClearReceiptBuffers(Link());
    Link().DriverState.DeviceKind = sim.State()->kind;
  }

  // A receipt begun on the printer; the log starts after it.
  void Begin() {
    ASSERT_EQ(ReceiptBegin(), 0);
    ASSERT_TRUE(Link().DriverState.Receipt.Open());
    sim.ClearLog();
  }

  int32_t Sale(int32_t vat, int32_t value, const std::string& name = "Towar") {
    return ReceiptItem(1, name, vat, 0, 1, 0, "szt", value, value);
  }

  printer_sim::ReceiptState Printer() { return sim.State()->receipt; }

  // Item records get no answer: their tail may still be on its way when the
  // call returns. Clears the log once the printer has taken n bytes.
  void ClearLogAfter(size_t n) {
    Wire(n);
    sim.ClearLog();
  }

  // The next sale goes through without a new CommunicationInit.
  void NextSale() {
    const int ended = Printer().ended;
    EXPECT_EQ(ReceiptBegin(), 0);
    EXPECT_EQ(Sale(1, 250), 0);
    EXPECT_EQ(ReceiptEnd(0), 0);
    EXPECT_EQ(Printer().ended, ended + 1);
    EXPECT_FALSE(Link().DriverState.Receipt.Open() || Printer().open);
  }
};

// A status query and a 49-byte item record.
constexpr size_t kItemBytes = 2 + 2 + 49;

TEST_F(ReceiptTest, BeginChecksTheConditionsAndOpensTheReceipt) {
  Link().DriverState.Receipt.ItemBooked(6, 7);
  ASSERT_EQ(ReceiptBegin(), 0);
  const Bytes wire = sim.Received();
  ASSERT_GE(wire.size(), 4u);
  EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 2), Cmd(0x9B));  // the conditions first
  EXPECT_EQ(Bytes(wire.end() - 2, wire.end()), Cmd('!'));
  EXPECT_TRUE(Link().DriverState.Receipt.Open());
  EXPECT_TRUE(Printer().open);
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals(), (std::array<uint32_t, 7>{}));

  sim.ClearLog();
  EXPECT_EQ(ReceiptBegin(), kErrReceiptOpen);
  EXPECT_TRUE(sim.Received().empty());
}

TEST_F(ReceiptTest, BeginStopsAtAFailingCondition) {
  sim.SetStatus(2, 0x10);  // CMOS erased
  EXPECT_EQ(ReceiptBegin(), 107);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  const Bytes wire = sim.Received();
  EXPECT_EQ(std::count(wire.begin(), wire.end(), '!'), 0);
}

TEST_F(ReceiptTest, ItemRecordsOnTheWire) {
  Begin();
  int32_t value = 0;
  // The name goes in code page 852, the unit as it is.
  const std::string name = platform::Cp1250FromUtf8("Żółw 2%");
  ASSERT_EQ(ReceiptItem(1, name, 5, 2, 1500, 3, platform::Cp1250FromUtf8("ł"), 333, value), 0);
  EXPECT_EQ(value, 500);  // 499.5 rounds up and is written back
  const Bytes cp852Name = Join({{0xBD, 0xA2, 0x88}, Text("w 2%"), Blanks(21)});
  const Bytes record = Join({{' '},
                             cp852Name,
                             {'2'},
                             {0xDC, 0x05, 0, 0},
                             {3},
                             {0xB3, ' ', ' ', ' '},
                             {0x4D, 0x01, 0, 0},
                             {kEsc, 6},
                             {0xF4, 0x01, 0, 0}});
  EXPECT_EQ(Wire(kItemBytes), Join({kStatus, Cmd(0x06, record)}));

  sim.ClearLog();
  value = 700;  // a caller's value is not compared with qty x price
  ASSERT_EQ(ReceiptItemExt(2, name, 7, 9, 1, 0, "szt.x", 100, value), 0);
  EXPECT_EQ(value, 700);
  const Bytes ext = Join({{'-'},
                          cp852Name,
                          {1, 0, 0, 0},
                          {0},
                          Text("szt.  "),
                          {100, 0, 0, 0},
                          {kEsc, 5},
                          {0xBC, 0x02, 0, 0},
                          {'0'}});
  EXPECT_EQ(Wire(2 + 2 + 51), Join({kStatus, Cmd(0x06, ext)}));

  const auto printer = Printer();
  ASSERT_EQ(printer.items.size(), 2u);
  EXPECT_EQ(printer.items[0].length, 49u);
  EXPECT_EQ(printer.items[0].vatCode, 6);
  EXPECT_EQ(printer.items[1].length, 51u);
  EXPECT_FALSE(printer.items[1].sale);
}

TEST_F(ReceiptTest, ComputedValuesRoundHalfUp) {
  Begin();
  int32_t value = 0;
  ASSERT_EQ(ReceiptItem(1, "A", 1, 0, 1, 1, "", 5, value), 0);
  EXPECT_EQ(value, 1);  // 0.5
  value = 0;
  ASSERT_EQ(ReceiptItem(1, "B", 1, 0, 1, 1, "", 4, value), 0);
  EXPECT_EQ(value, 0);  // 0.4
  value = 0;
  ASSERT_EQ(ReceiptItem(1, "C", 1, 0, 3, 0, "", 250, value), 0);
  EXPECT_EQ(value, 750);
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals()[0], 751u);
}

TEST_F(ReceiptTest, TotalsAreBookedUnderTheCallersIndex) {
  Begin();
  ASSERT_EQ(Sale(5, 100), 0);
  ASSERT_EQ(Sale(7, 200), 0);
  int32_t value = 300;
  ASSERT_EQ(ReceiptItem(2, "Zwrot", 7, 0, 1, 0, "", 300, value), 0);
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals(),
            (std::array<uint32_t, 7>{0, 0, 0, 0, 100, 0, 0}));  // never below zero
  EXPECT_EQ(Link().DriverState.Receipt.ItemCount(), 3u);
  // The printer books them the same way, so the total it checks agrees.
  ASSERT_EQ(ReceiptEnd(0), 0);
  EXPECT_EQ(Printer().ended, 1);
  EXPECT_EQ(Printer().totals[4], 100u);
}

TEST_F(ReceiptTest, ItemParametersAreRefusedBeforeAnythingIsSent) {
  Begin();
  int32_t value = 0;
  for (int32_t vat : {0, 8, -1, 256}) {
    EXPECT_EQ(ReceiptItem(1, "X", vat, 0, 1, 0, "", 1, value), kErrVatIndex) << vat;
  }
  EXPECT_EQ(ReceiptItem(1, "X", 1, 0, -1, 0, "", 1, value), kErrQuantity);
  EXPECT_EQ(ReceiptItem(1, "X", 1, 0, 1, 0, "", -1, value), kErrPrice);
  value = -5;
  EXPECT_EQ(ReceiptItem(1, "X", 1, 0, 1, 0, "", 1, value), kErrItemValue);
  EXPECT_EQ(value, -5);
  value = 0;
  EXPECT_EQ(ReceiptItem(1, "X", 1, 0, 1, 5, "", 1, value), kErrInternal);
  EXPECT_EQ(ReceiptItem(1, "X", 1, 0, 1, -1, "", 1, value), kErrInternal);
  EXPECT_EQ(ReceiptItem(1, "X", 1, 300, 1, 0, "", 1, value), kErrInternal);
  EXPECT_EQ(ReceiptItem(1, "X", 1, 0, 100000, 0, "", 100000, value), kErrItemValue);  // 10^10
  EXPECT_EQ(ReceiptItem(1, "X", 1, 0, 2, 0, "", 2000000000, value), kErrItemValue);   // > int32
  EXPECT_EQ(inner::pReceiptItem(Link(), 1, "X", 1, 0, 1, 0, "", 1, nullptr), kErrInternal);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(Link().DriverState.Receipt.ItemCount(), 0u);
  EXPECT_TRUE(sim.Received().empty());
}

TEST_F(ReceiptTest, PNamesReadNullAsEmpty) {
  Begin();
  int32_t value = 0;
  ASSERT_EQ(inner::pReceiptItem(Link(), 1, nullptr, 1, 0, 1, 0, nullptr, 10, &value), 0);
  EXPECT_EQ(value, 10);
  Wire(kItemBytes);
  const auto items = Printer().items;
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].name, std::string(28, ' '));
  EXPECT_EQ(items[0].unit, "    ");
}

TEST_F(ReceiptTest, TotalsBeyond32BitsAreRefusedSoTheReceiptCanEnd) {
  Begin();
  ASSERT_EQ(Sale(1, 2000000000), 0);
  ASSERT_EQ(Sale(1, 2000000000), 0);
  EXPECT_EQ(Sale(1, 300000000), kErrItemValue);  // rate A would pass 2^32
  ASSERT_EQ(Sale(2, 200000000), 0);
  EXPECT_EQ(Sale(3, 100000000), kErrItemValue);  // the receipt total would
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals()[0], 4000000000u);
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals()[2], 0u);
  EXPECT_EQ(Link().DriverState.Receipt.ItemCount(), 3u);
  EXPECT_EQ(Printer().items.size(), 3u);
  ASSERT_EQ(ReceiptEnd(0), 0);
  EXPECT_EQ(Printer().totals[0] + Printer().totals[1], 4200000000u);
}

TEST_F(ReceiptTest, ReceiptOperationsNeedAnOpenReceipt) {
  int32_t value = 1;
  EXPECT_EQ(ReceiptItem(1, "X", 1, 0, 1, 0, "", 1, value), kErrReceiptNotBegun);
  EXPECT_EQ(ReceiptItemExt(1, "X", 1, 0, 1, 0, "", 1, value), kErrReceiptNotBegun);
  EXPECT_EQ(PackageItem(0, 1, 1, 1), kErrReceiptNotBegun);
  EXPECT_EQ(PrintSubtotal(), kErrReceiptNotBegun);
  EXPECT_EQ(ReceiptEnd(0), kErrReceiptNotBegun);
  EXPECT_EQ(ReceiptCancel(), kErrReceiptNotBegun);
  EXPECT_TRUE(sim.Received().empty());
}

TEST_F(ReceiptTest, AnnulledReceiptIsClosed) {
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ClearLogAfter(kItemBytes);
  sim.SetStatus(3, 0x10);
  EXPECT_EQ(Sale(1, 100), kErrReceiptAnnulled);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals()[0], 100u);
  EXPECT_EQ(Wire(2), kStatus);
  EXPECT_EQ(sim.Received().size(), 2u);
}

TEST_F(ReceiptTest, PackageItemsAndSubtotal) {
  Begin();
  EXPECT_EQ(PackageItem(3, 7, 0x10002, 150), 0);
  EXPECT_EQ(PrintSubtotal(), 0);
  EXPECT_EQ(Wire(16), Join({kStatus, Cmd(0x17, {'-', 'Z', 7, 0, 2, 0, 150, 0, 0, 0}), Cmd(0x80)}));
  EXPECT_EQ(Printer().packages.size(), 1u);
  EXPECT_EQ(Printer().subtotals, 1);
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals(), (std::array<uint32_t, 7>{}));
  EXPECT_EQ(Link().DriverState.Receipt.ItemCount(), 0u);

  sim.ClearLog();
  EXPECT_EQ(PackageItem(4, 1, 1, 1), kErrPackageType);
  EXPECT_EQ(PackageItem(0, 1, 1, -1), kErrInternal);
  EXPECT_EQ(Wire(4), Join({kStatus, kStatus}));  // no record
  EXPECT_EQ(sim.Received().size(), 4u);

  sim.SetScriptedAnswer(0x17, {}, 10, {0x42});
  EXPECT_EQ(PackageItem(0, 1, 1, 1), kErrNak);
  sim.SetScriptedAnswer(0x17, {}, 10);  // no byte after the record
  EXPECT_EQ(PackageItem(0, 1, 1, 1), kErrReceive);
  // Whether the printer took the record whole cannot be told: the receipt
  // is cancelled, never printed.
  sim.ClearFaults();
  EXPECT_EQ(ReceiptEnd(0), kErrReceiptAnnulled);
  EXPECT_EQ(Printer().ended, 0);
}

TEST_F(ReceiptTest, PackageItemsAndSubtotalExistOnKinds3And7Only) {
  Begin();
  for (uint8_t kind : {0, 1, 2, 4, 5, 6}) {
    Link().DriverState.DeviceKind = kind;
    EXPECT_EQ(PackageItem(0, 1, 1, 1), kErrCommandUnavailable);
    EXPECT_EQ(PrintSubtotal(), kErrCommandUnavailable);
  }
  EXPECT_TRUE(sim.Received().empty());
  // A printer without package items refuses the record.
  Link().DriverState.DeviceKind = 7;
  sim.SetKind(0);
  EXPECT_EQ(PackageItem(0, 1, 1, 1), kErrNak);
}

TEST_F(ReceiptTest, EndSendsDiscountTotalPaymentsLinesAndEnd) {
  Begin();
  ASSERT_EQ(Sale(1, 5), 0);
  ASSERT_EQ(Sale(2, 6), 0);
  ASSERT_EQ(FillPayment(2, "Karta", 1000, 20), 0);
  int32_t freeSlots = 0;
  ASSERT_EQ(FillLines(4, "Nr 12", &freeSlots), 0);
  ClearLogAfter(2 * kItemBytes);

  ASSERT_EQ(ReceiptEnd(10), 0);
  const Bytes card = Join({{2}, Text("Karta        ")});
  const Bytes expected =
      Join({kStatus, Cmd(0x1B, {10}), kStatus, Cmd(0x07, {9, 0, 0, 0}), kStatus,
            Cmd(0x81, Join({card, {0xE8, 0x03, 0, 0}})), Cmd(0x82, Join({card, {20, 0, 0, 0}})),
            Cmd(0x09, Join({{'4'}, Text("Nr 12"), {'\n'}})), kStatus, Cmd('$'), kStatus});
  const Bytes wire = sim.Received();
  ASSERT_GE(wire.size(), expected.size());
  EXPECT_EQ(Bytes(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(expected.size())),
            expected);

  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  EXPECT_EQ(Link().DriverState.Receipt.ItemCount(), 0u);
  EXPECT_TRUE(Link().DriverState.PaymentSlot[1].name.empty());
  EXPECT_EQ(Link().DriverState.TrailerLine[0].code, kEmptyTrailerLine);
  const auto printer = Printer();
  EXPECT_EQ(printer.ended, 1);
  EXPECT_EQ(printer.totals[0], 4u);
  EXPECT_EQ(printer.totals[1], 5u);
  ASSERT_EQ(printer.payments.size(), 2u);
  EXPECT_EQ(printer.payments[1].amount, 20u);
  ASSERT_EQ(printer.lines.size(), 1u);
  EXPECT_EQ(printer.lines[0].text, "Nr 12");
  EXPECT_EQ(sim.State()->receiptCounter, 1);
}

TEST_F(ReceiptTest, DiscountOutside1To99IsNotSent) {
  for (int32_t discount : {0, 100, -5}) {
    Begin();
    ASSERT_EQ(Sale(1, 7), 0);
    ClearLogAfter(kItemBytes);
    ASSERT_EQ(ReceiptEnd(discount), 0) << discount;
    const Bytes wire = sim.Received();
    EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 10),
              Join({kStatus, kStatus, Cmd(0x07, {7, 0, 0, 0})}));
  }
  Begin();
  ASSERT_EQ(Sale(1, 7), 0);
  ASSERT_EQ(ReceiptEnd(90), 0);
  EXPECT_EQ(Printer().totals[0], 21u + 1u);
}

TEST_F(ReceiptTest, PaymentsAreNotSentOrEmptiedOnOtherKinds) {
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ASSERT_EQ(FillPayment(1, "Gotowka", 100, 0), 0);
  Link().DriverState.DeviceKind = 0;
  ASSERT_EQ(ReceiptEnd(0), 0);
  EXPECT_EQ(Link().DriverState.PaymentSlot[0].name, "Gotowka      ");
  EXPECT_TRUE(Printer().payments.empty());
  const Bytes wire = sim.Received();
  EXPECT_EQ(std::count(wire.begin(), wire.end(), 0x81), 0);
}

TEST_F(ReceiptTest, SlotsAreEmptiedAsSentAndKeptAfterAFailure) {
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ASSERT_EQ(FillPayment(1, "Gotowka", 100, 0), 0);
  int32_t freeSlots = 0;
  ASSERT_EQ(FillLines(0, "Linia", &freeSlots), 0);
  ClearLogAfter(kItemBytes);
  // The printer falls silent after the total: nothing after it is sent.
  sim.SilentAfterReceived(2 + 2 + 6);
  EXPECT_EQ(ReceiptEnd(0), kErrReceive);
  EXPECT_TRUE(Link().DriverState.Receipt.Open());
  EXPECT_FALSE(Link().DriverState.PaymentSlot[0].name.empty());
  EXPECT_EQ(Link().DriverState.TrailerLine[0].code, 0);

  // The status read that failed sent nothing of the receipt: it is still
  // whole and ends printed, its payment and line sent once.
  sim.ClearFaults();
  EXPECT_EQ(ReceiptEnd(0), 0);
  EXPECT_EQ(Printer().ended, 1);
  EXPECT_EQ(Printer().payments.size(), 2u);
  EXPECT_EQ(Printer().lines.size(), 1u);

  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ASSERT_EQ(FillPayment(1, "Gotowka", 100, 0), 0);
  ASSERT_EQ(FillLines(0, "Linia", &freeSlots), 0);
  ClearLogAfter(kItemBytes);
  // Silent right after the trailer line: the sent slots are emptied.
  sim.SilentAfterReceived(2 + 2 + 6 + 2 + 20 + 20 + 9);
  EXPECT_EQ(ReceiptEnd(0), kErrReceive);
  EXPECT_TRUE(Link().DriverState.Receipt.Open());
  EXPECT_TRUE(Link().DriverState.PaymentSlot[0].name.empty());
  EXPECT_EQ(Link().DriverState.TrailerLine[0].code, kEmptyTrailerLine);
  EXPECT_EQ(Printer().lines.size(), 1u);
}

TEST_F(ReceiptTest, TrailerLinesGoWholeAndControlBytesBecomeBlanks) {
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  int32_t freeSlots = 0;
  ASSERT_EQ(FillLines(1, std::string(254, 'z'), &freeSlots), 0);
  ASSERT_EQ(FillLines(2,
                      "A\nB\x1b"
                      "C",
                      &freeSlots),
            0);
  ASSERT_EQ(ReceiptEnd(0), 0);
  const auto printer = Printer();
  EXPECT_EQ(printer.ended, 1);
  ASSERT_EQ(printer.lines.size(), 2u);
  EXPECT_EQ(printer.lines[0].text, std::string(254, 'z'));
  EXPECT_EQ(printer.lines[1].code, 2);
  EXPECT_EQ(printer.lines[1].text, "A B C");
  EXPECT_TRUE(sim.Notes().empty());
}

TEST_F(ReceiptTest, WrongTotalAnnulsTheReceipt) {
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  Link().DriverState.Receipt.ItemBooked(0, 99);  // the driver's sum no longer matches the printer's
  EXPECT_EQ(ReceiptEnd(0), kErrReceiptAnnulled);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  EXPECT_EQ(sim.Status(6), printer_sim::kAnnulledWrongTotal);
  EXPECT_EQ(Printer().ended, 0);
}

TEST_F(ReceiptTest, EndAnswers) {
  // ACK, then the printer reports the receipt annulled.
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  sim.State()->receipt.annulAtEnd = true;
  EXPECT_EQ(ReceiptEnd(0), kErrReceiptAnnulled);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  EXPECT_EQ(Link().DriverState.Receipt.ItemCount(), 0u);
  sim.State()->receipt.annulAtEnd = false;

  // ACK, then silence: the printer has printed and stored the receipt, so the
  // failed status read is reported but the receipt is closed. A cancel is
  // refused without a byte on the wire, and the next receipt begins normally.
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ClearLogAfter(kItemBytes);
  // Muted at the status query after '$' (status, status, total, status,
  // status, '$', then that query).
  sim.SilentAfterReceived(2 + 2 + 6 + 2 + 2 + 2 + 2);
  EXPECT_EQ(ReceiptEnd(0), kErrReceive);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  EXPECT_EQ(Printer().ended, 1);
  sim.ClearFaults();
  sim.ClearLog();
  EXPECT_EQ(ReceiptCancel(), kErrReceiptNotBegun);
  EXPECT_EQ(WireUpToNow(), Bytes{});
  EXPECT_EQ(Printer().cancelled, 0);
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  EXPECT_EQ(ReceiptEnd(0), 0);
  EXPECT_EQ(Printer().ended, 2);
  EXPECT_EQ(Printer().outsideReceipt, 0);

  // NAK: the receipt is closed; an empty one ends without an error.
  Begin();
  EXPECT_EQ(ReceiptEnd(0), 0);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  EXPECT_FALSE(Printer().open);

  // Another refusal keeps the receipt open, items or not.
  Begin();
  sim.Refuse('$', 0xC8);
  EXPECT_EQ(ReceiptEnd(0), kErrRefused);
  EXPECT_TRUE(Link().DriverState.Receipt.Open());

  // "Receipt not begun": nothing is left to end.
  sim.Refuse('$', 0x65);
  EXPECT_EQ(ReceiptEnd(0), kErrReceiptNotBegun);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
}

TEST_F(ReceiptTest, Cancel) {
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ASSERT_EQ(Sale(3, 20), 0);
  ClearLogAfter(2 * kItemBytes);
  ASSERT_EQ(ReceiptCancel(), 0);
  const Bytes expected = Join({kStatus, Cmd(0x07, {120, 0, 0, 0}), Cmd('#'), kStatus});
  const Bytes wire = sim.Received();
  EXPECT_EQ(Bytes(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(expected.size())),
            expected);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  EXPECT_EQ(Link().DriverState.Receipt.ItemCount(), 0u);
  EXPECT_EQ(Link().DriverState.Receipt.VatTotals()[0], 100u);  // kept until the next receipt
  EXPECT_EQ(Printer().cancelled, 1);
  EXPECT_FALSE(Printer().open);

  // The printer answers NAK to an empty receipt: cancelled all the same.
  Begin();
  EXPECT_EQ(ReceiptCancel(), 0);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());

  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ClearLogAfter(kItemBytes);
  sim.Refuse('#', kNak);
  sim.SilentAfterReceived(2 + 6);  // the refusal is lost, then comes again
  EXPECT_EQ(ReceiptCancel(), kErrReceive);
  sim.ClearFaults();
  sim.Refuse('#', kNak);
  EXPECT_EQ(ReceiptCancel(), kErrNak);
  EXPECT_TRUE(Link().DriverState.Receipt.Open());
  sim.Refuse('#', 0x65);
  EXPECT_EQ(ReceiptCancel(), kErrReceiptNotBegun);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  sim.ClearFaults();

  // DropReceipt: without a receipt nothing is sent; with one it cancels, and
  // a printer that cannot be reached leaves the driver's receipt closed.
  sim.ClearLog();
  EXPECT_EQ(DropReceipt(), 0);
  EXPECT_EQ(WireUpToNow(), Bytes{});
  const int cancelled = Printer().cancelled;
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  EXPECT_EQ(DropReceipt(), 0);
  EXPECT_EQ(Printer().cancelled, cancelled + 1);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ClearLogAfter(kItemBytes);
  sim.SetPowerOff(true);
  EXPECT_EQ(DropReceipt(), kErrReceive);
  EXPECT_FALSE(Link().DriverState.Receipt.Open());
  EXPECT_EQ(Link().DriverState.Receipt.ItemCount(), 0u);
}

TEST_F(ReceiptTest, The256thItemDoesNotEmptyTheReceipt) {
  Begin();
  for (int i = 0; i < 256; ++i) ASSERT_EQ(Sale(1, 1), 0) << i;
  EXPECT_EQ(Link().DriverState.Receipt.ItemCount(), 256u);
  sim.Refuse('#', kNak);
  EXPECT_EQ(ReceiptCancel(), kErrNak);
  sim.Refuse('$', kNak);
  EXPECT_EQ(ReceiptEnd(0), kErrNak);
}

TEST_F(ReceiptTest, ARefusedLinkTestOrEndLeavesTheReceiptToCancel) {
  for (uint8_t refused : {'#', '$'}) {
    SCOPED_TRACE(refused);
    Begin();
    ASSERT_EQ(Sale(1, 100), 0);
    sim.Refuse(refused, kNak);
    EXPECT_EQ(refused == '#' ? CommunicationInit(1, 9600, 1) : ReceiptEnd(0),
              refused == '#' ? kOk : kErrNak);
    sim.ClearFaults();
    // The printer keeps the receipt, and so does the driver: it is cancelled,
    // and the next sale needs no new CommunicationInit.
    EXPECT_TRUE(Link().DriverState.Receipt.Open());
    const int cancelled = Printer().cancelled;
    EXPECT_EQ(ReceiptCancel(), 0);
    EXPECT_EQ(Printer().cancelled, cancelled + 1);
    NextSale();
  }
}

// --- A printer off at one byte, then back: the till's recoveries --------------

class PrinterOffTest : public ReceiptTest {
 protected:
  // Off at byte `at` of the wire from now; on again once it has taken the
  // `sent` bytes of the call.
  int32_t OffAt(size_t at, size_t sent, const std::function<int32_t()>& call) {
    sim.ClearLog();
    sim.SwitchOffAtByte(at);
    const int32_t r = call();
    Wire(sent);
    sim.SetPowerOff(false);
    return r;
  }
};

#define TRACE_BYTE(k, cancel) \
  SCOPED_TRACE(::testing::Message() << "byte " << (k) << ((cancel) ? ", cancel" : ", again"))

TEST_F(PrinterOffTest, AtABegin) {
  // '!' is the last three bytes of a begin on an idle printer.
  ASSERT_EQ(ReceiptBegin(), 0);
  const size_t before = sim.Log().size() - 3, sent = sim.Received().size();
  ASSERT_EQ(ReceiptCancel(), 0);
  for (size_t k = 0; k < 3; ++k) {
    for (bool cancel : {true, false}) {
      TRACE_BYTE(k, cancel);
      EXPECT_EQ(OffAt(before + k, sent, [] { return ReceiptBegin(); }), kErrReceive);
      // Taken or not, the first '!' leaves the caller's empty receipt after a
      // second one.
      EXPECT_EQ(cancel ? ReceiptCancel() : ReceiptBegin(), 0);
      EXPECT_EQ(Printer().open, !cancel);
      EXPECT_EQ(cancel ? 0 : ReceiptCancel(), 0);
      NextSale();
    }
  }
}

TEST_F(PrinterOffTest, AtAnItem) {
  for (size_t k = 0; k <= kItemBytes; ++k) {
    for (bool cancel : {true, false}) {
      TRACE_BYTE(k, cancel);
      Begin();
      ASSERT_EQ(Sale(1, 100), 0);
      ClearLogAfter(kItemBytes);
      const int ended = Printer().ended;
      // Once its status has come, the record goes out, heard or not.
      const bool recordSent = k >= 3;
      const int32_t r = OffAt(k, recordSent ? kItemBytes : 2, [this] { return Sale(2, 30); });
      EXPECT_EQ(r, recordSent ? kOk : kErrReceive);
      EXPECT_EQ(!cancel && !recordSent ? Sale(2, 30) : 0, 0) << "the item again";
      // Never printed as if the printer held both items; printed when the
      // status read alone was lost and the item sent again.
      const bool printed = !cancel && !recordSent;
      EXPECT_EQ(cancel ? ReceiptCancel() : ReceiptEnd(0),
                cancel || printed ? kOk : kErrReceiptAnnulled);
      EXPECT_EQ(Printer().ended, ended + (printed ? 1 : 0));
      NextSale();
    }
  }
}

TEST_F(PrinterOffTest, AtAnEnd) {
  // Before '$': two status checks, the total, two status checks.
  const size_t before = 3 + 3 + 6 + 3 + 3, sent = 16;
  for (size_t k = 0; k < 3; ++k) {
    for (bool cancel : {true, false}) {
      TRACE_BYTE(k, cancel);
      Begin();
      ASSERT_EQ(Sale(1, 100), 0);
      ClearLogAfter(kItemBytes);
      const int ended = Printer().ended, cancelled = Printer().cancelled;
      EXPECT_EQ(OffAt(before + k, sent, [] { return ReceiptEnd(0); }), kErrReceive);
      // From its ACK on, the printer has printed the receipt: no cancel then.
      const bool printed = k == 2, voided = cancel && !printed;
      sim.ClearLog();
      EXPECT_EQ(cancel ? ReceiptCancel() : ReceiptEnd(0),
                cancel && printed ? kErrReceiptNotBegun : 0);
      if (cancel && printed) {
        EXPECT_EQ(WireUpToNow(), Join({kStatus, kReady, Cmd('!'), Cmd('#')}));
      }
      EXPECT_EQ(Printer().ended, ended + (voided ? 0 : 1));
      EXPECT_EQ(Printer().cancelled, cancelled + (voided ? 1 : 0));
      NextSale();
    }
  }
  // Printed, then the cancel's '!' taken without an answer: the empty
  // receipt it opened is not taken for the printed one.
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ClearLogAfter(kItemBytes);
  EXPECT_EQ(OffAt(before + 2, sent, [] { return ReceiptEnd(0); }), kErrReceive);
  const size_t ready = 3 + kReady.size() / 2 * 3;
  EXPECT_EQ(OffAt(ready + 2, kStatus.size() + kReady.size() + 2, [] { return ReceiptCancel(); }),
            kErrReceive);
  EXPECT_EQ(ReceiptCancel(), kErrReceiptNotBegun);
  NextSale();
  // Printed, and the printer is back without paper: it refuses '!' whether
  // it holds the receipt or not, so neither a cancel nor an item gets 0.
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ClearLogAfter(kItemBytes);
  EXPECT_EQ(OffAt(before + 2, sent, [] { return ReceiptEnd(0); }), kErrReceive);
  sim.SetStatus(3, 0x02);
  EXPECT_EQ(ReceiptCancel(), kErrNoPaper);
  EXPECT_TRUE(Link().DriverState.Receipt.Open());
  EXPECT_EQ(Sale(1, 100), kErrNoPaper);
  sim.SetStatus(3, 0x00);
  EXPECT_EQ(Sale(1, 100), kErrReceiptNotBegun);
  EXPECT_EQ(Printer().outsideReceipt, 0);
  NextSale();
  // An empty receipt whose '$' went unheard ended with 0: the next sale
  // begins on it.
  Begin();
  EXPECT_EQ(OffAt(before, sent, [] { return ReceiptEnd(0); }), 0);
  NextSale();
}

TEST_F(PrinterOffTest, AtACancel) {
  for (size_t k = 0; k < 3; ++k) {
    for (int next = 0; next < 4; ++next) {  // an item, the cancel again, the end, the next sale
      SCOPED_TRACE(::testing::Message() << "byte " << k << ", then " << next);
      Begin();
      ASSERT_EQ(Sale(1, 100), 0);
      ClearLogAfter(kItemBytes);
      const int cancelled = Printer().cancelled;
      // Off at '#', after the status check and the total.
      EXPECT_EQ(OffAt(3 + 6 + k, 2 + 6 + 2, [] { return ReceiptCancel(); }), kErrReceive);
      // Heard or not, '#' answered once more leaves the receipt cancelled:
      // nothing goes into no receipt, nothing is printed.
      const int32_t r = next == 0   ? Sale(1, 100)
                        : next == 1 ? ReceiptCancel()
                        : next == 2 ? ReceiptEnd(0)
                                    : 0;
      EXPECT_EQ(r, next == 0 ? kErrReceiptNotBegun : next == 2 ? kErrReceiptAnnulled : 0);
      NextSale();
      EXPECT_EQ(Printer().cancelled, cancelled + 1);
      EXPECT_EQ(Printer().outsideReceipt, 0);
    }
  }
}

TEST_F(PrinterOffTest, ALinkTestEndsWhatWasInDoubtOnlyWhenAcknowledged) {
  ASSERT_EQ(ReceiptBegin(), 0);
  const size_t begin = sim.Log().size() - 3, begun = sim.Received().size();
  ASSERT_EQ(ReceiptCancel(), 0);
  // '!' unheard: CommunicationInit's '#' is acknowledged, the printer holds
  // no receipt, and the cancel asks it nothing.
  EXPECT_EQ(OffAt(begin, begun, [] { return ReceiptBegin(); }), kErrReceive);
  ASSERT_EQ(CommunicationInit(1, 9600, 1), 0);
  sim.ClearLog();
  EXPECT_EQ(ReceiptCancel(), kErrReceiptNotBegun);
  EXPECT_EQ(WireUpToNow(), Bytes{});
  // '!' taken, its ACK lost, and '#' refused: the empty receipt is found.
  EXPECT_EQ(OffAt(begin + 2, begun, [] { return ReceiptBegin(); }), kErrReceive);
  sim.Refuse('#', kNak);
  ASSERT_EQ(CommunicationInit(1, 9600, 1), 0);
  sim.ClearFaults();
  EXPECT_EQ(ReceiptCancel(), 0);
  EXPECT_FALSE(Printer().open);
  NextSale();
  // A receipt open and the link test heard, its ACK lost: the receipt may be
  // cancelled, so no item goes into no receipt.
  Begin();
  ASSERT_EQ(Sale(1, 100), 0);
  ClearLogAfter(kItemBytes);
  EXPECT_EQ(OffAt(2, 2, [] { return CommunicationInit(1, 9600, 1); }), kErrReceive);
  EXPECT_EQ(Sale(1, 100), kErrReceiptNotBegun);
  NextSale();
}

// --- Calls from two threads ---------------------------------------------------

TEST_F(ReceiptTest, TwoThreadsTakeTurns) {
  // The host's pump runs on the calling thread, inside its call, and calls
  // the driver again.
  const std::thread::id seller = std::this_thread::get_id();
  std::atomic<int> pumped{0}, wrong{0};
  SetConsoleHooks({nullptr, [&] {
                     int32_t n = 0;
                     if (ReceiptNumber(n) != 0 || std::this_thread::get_id() != seller) ++wrong;
                     ++pumped;
                   }});
  std::atomic<bool> selling{true};
  std::thread reader([&] {
    for (int32_t n = 0; selling;) {
      uint32_t count = 0;
      uint8_t b[6];
      const int32_t r = ReceiptNumber(n);
      if ((r != 0 && r != kErrReceiptOpen) ||
          ReadStatusBytes(count, b[0], b[1], b[2], b[3], b[4], b[5]) != 0)
        ++wrong;
    }
  });
  int receipts = 0;
  for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
       wrong == 0 && std::chrono::steady_clock::now() < until; ++receipts) {
    if (ReceiptBegin() != 0 || Sale(1, 100) != 0 || Sale(2, 50) != 0 || ReceiptEnd(0) != 0) ++wrong;
  }
  selling = false;
  reader.join();
  SetConsoleHooks({});
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(pumped, 0);
  EXPECT_EQ(Printer().ended, receipts);
  EXPECT_TRUE(sim.Notes().empty());
}

// --- The printer's totals -----------------------------------------------------

TEST_F(ReceiptTest, ReadTotalSumsTheSevenRates) {
  sim.State()->receipt.totals = {1ull << 32, 0, 0, 0, 0, 0, 0};
  std::string total = "x";
  ASSERT_EQ(ReadTotal(total), 0);
  EXPECT_EQ(total, "4294967296");

  const uint64_t max = (1ull << 40) - 1;
  sim.State()->receipt.totals = {max, max, max, max, max, max, max};
  char buffer[20];
  std::memset(buffer, '#', sizeof buffer);
  ASSERT_EQ(inner::pReadTotal(Link(), buffer), 0);
  EXPECT_STREQ(buffer, "7696581394425");
  EXPECT_EQ(buffer[kMaxTotalTextLength + 1], '#');

  sim.Refuse(0xDA, kNak);
  EXPECT_EQ(inner::pReadTotal(Link(), buffer), kErrNak);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(inner::pReadTotal(Link(), nullptr), kErrNullBuffer);
}

TEST_F(ReceiptTest, ReadTotalRefusals) {
  std::string total = "kept";
  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(ReadTotal(total), kErrReceiptOpen);
  Link().DriverState.Receipt.Closed();
  sim.State()->vat.sevenRates.fill(0x8000);
  EXPECT_EQ(ReadTotal(total), kErrNoVatRates);
  sim.SetKind(0);
  EXPECT_EQ(ReadTotal(total), kErrNotOnThisDevice);
  EXPECT_EQ(total, "kept");
}

TEST_F(ReceiptTest, ReadSelTotal) {
  // Rates: A 22 %, B 7 %, C 0 %, D 3 %, E and F undefined, G exempt.
  sim.State()->receipt.totals = {100, 200, 300, 400, 0, 0, 700};
  std::string total;
  ASSERT_EQ(ReadSelTotal("B", total), 0);
  EXPECT_EQ(total, "200");
  ASSERT_EQ(ReadSelTotal("G", total), 0);
  EXPECT_EQ(total, "700");
  ASSERT_EQ(ReadSelTotal("+", total), 0);
  EXPECT_EQ(total, "1700");

  total = "kept";
  EXPECT_EQ(ReadSelTotal("E", total), kErrVatUndefined);
  EXPECT_EQ(ReadSelTotal("", total), kErrInternal);
  EXPECT_EQ(ReadSelTotal("H", total), kErrInternal);  // 'H' & 7 = 0
  sim.ClearLog();
  EXPECT_EQ(ReadSelTotal("a", total), kErrRateText);  // passes as rate A, then refused
  const Bytes wire = sim.Received();
  EXPECT_EQ(Bytes(wire.end() - 2, wire.end()), Cmd(0xDA));
  EXPECT_EQ(ReadSelTotal("AB", total), kErrRateText);
  EXPECT_EQ(total, "kept");

  // "+" sums whatever rate C is.
  sim.State()->vat.sevenRates[2] = 0x8000;
  EXPECT_EQ(ReadSelTotal("C", total), kErrVatUndefined);
  ASSERT_EQ(ReadSelTotal("+", total), 0);
  EXPECT_EQ(total, "1700");
}

TEST_F(ReceiptTest, ReadSelTotalCountsUnreportedRatesAsUndefined) {
  sim.SetKind(7);
  sim.Refuse(0xD1, kNak);
  sim.SetScriptedAnswer(0xD0, {kAck, 0x08, 0x98, 0x02, 0xBC, 0, 0, 0, 0, 0, 0, 0, 0});
  sim.SetScriptedAnswer(0xDA, TotalsAnswer({1, 2, 3, 4, 5, 6, 7}));
  std::string total;
  ASSERT_EQ(ReadSelTotal("F", total), 0);
  EXPECT_EQ(total, "6");
  EXPECT_EQ(ReadSelTotal("G", total), kErrVatUndefined);
  EXPECT_EQ(total, "6");
}

TEST_F(ReceiptTest, PReadSelTotalWritesOnlyOnSuccess) {
  sim.State()->receipt.totals = {123, 0, 0, 0, 0, 0, 0};
  char buffer[20];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(inner::pReadSelTotal(Link(), "E", buffer), kErrVatUndefined);
  EXPECT_EQ(inner::pReadSelTotal(Link(), nullptr, buffer), kErrInternal);
  EXPECT_TRUE(std::all_of(buffer, buffer + sizeof buffer, [](char c) { return c == '#'; }));
  ASSERT_EQ(inner::pReadSelTotal(Link(), "A", buffer), 0);
  EXPECT_STREQ(buffer, "123");
  EXPECT_EQ(buffer[4], '#');
  EXPECT_EQ(inner::pReadSelTotal(Link(), "A", nullptr), kErrNullBuffer);
}

}  // namespace
}  // namespace kavoruw::testing
