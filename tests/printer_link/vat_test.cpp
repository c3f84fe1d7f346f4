// VAT rates against the simulated printer: the three wire forms both ways,
// the fall-back between the read commands, and what SetVAT refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/vat.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "sim_link.h"

namespace kavoruw {
namespace {

using testing::Bytes;

bool Contains(const Bytes& wire, const Bytes& part) {
  return std::search(wire.begin(), wire.end(), part.begin(), part.end()) != wire.end();
}

// The n data bytes that followed ESC and the command.
Bytes DataOf(const Bytes& wire, uint8_t command, size_t n) {
  const Bytes head{0x1B, command};
  auto at = std::search(wire.begin(), wire.end(), head.begin(), head.end());
  if (wire.end() - at < static_cast<std::ptrdiff_t>(2 + n)) return {};
  return Bytes(at + 2, at + 2 + static_cast<std::ptrdiff_t>(n));
}

class VatTest : public testing::SimLinkTest {
 protected:
  int32_t Read() { return ReadVAT(count, r[0], r[1], r[2], r[3], r[4], r[5], r[6]); }
  int32_t Set(const VatRates& v) { return SetVAT(count, v[0], v[1], v[2], v[3], v[4], v[5], v[6]); }

  int32_t count = -1;
  VatRates r{-1, -1, -1, -1, -1, -1, -1};
};

TEST_F(VatTest, SevenRateWordsAndTheirCodes) {
  sim.State()->vat.sevenRates = {0x0898, 0x02BC, 0x0000, 0x8000, 0x8000, 0x8000, 0x4000};
  EXPECT_EQ(Read(), 0);
  EXPECT_EQ(count, 7);
  EXPECT_EQ(r, (VatRates{2200, 700, 0, 25500, 25500, 25500, 10000}));
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, 0xD1}));
}

TEST_F(VatTest, OlderPrintersAreReachedThroughRefusals) {
  sim.SetKind(5);
  sim.State()->vat.sixRates = {0x0898, 0x2710, 0x4000, 0x8000, 0x0000, 0xFF00};
  EXPECT_EQ(Read(), 0);
  EXPECT_EQ(count, 6);
  // 0x4000 and 0x8000 are plain values on this generation.
  EXPECT_EQ(r, (VatRates{2200, 10000, 16384, 32768, 0, 25500, -1}));
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, 0xD1, 0x1B, 0xD0}));

  sim.ClearLog();
  r.fill(-1);
  sim.SetKind(0);
  sim.State()->vat.fourRates = {22, 7, 0, 255};
  EXPECT_EQ(Read(), 0);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(r, (VatRates{2200, 700, 0, 25500, -1, -1, -1}));
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, 0xD1, 0x1B, 0xD0, 0x1B, 'p'}));
}

TEST_F(VatTest, OnlyARefusalLeadsToTheOlderCommand) {
  sim.TruncateAnswer(0xD1, 5);
  EXPECT_EQ(Read(), 21);
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, 0xD1}));
  EXPECT_EQ(count, -1);
  EXPECT_EQ(r[0], -1);

  // A refusal of the oldest command is the answer.
  sim.ClearLog();
  sim.SetKind(0);
  sim.Refuse('p', 0x15);
  EXPECT_EQ(Read(), 24);
  EXPECT_EQ(WireUpToNow(), (Bytes{0x1B, 0xD1, 0x1B, 0xD0, 0x1B, 'p'}));
  EXPECT_EQ(count, -1);
}

TEST_F(VatTest, FourRatePrinterTakesWholePercentBytes) {
  sim.SetKind(0);
  sim.State()->vat.fourRates = {1, 1, 1, 1};
  // Rates beyond the printer's four are not looked at.
  EXPECT_EQ(Set({2200, 700, 0, 25500, -5, 70000, 12345}), 0);
  EXPECT_EQ(count, 4);
  Bytes wire = WireUpToNow();
  EXPECT_EQ(DataOf(wire, 'D', 4), (Bytes{22, 7, 0, 255}));
  EXPECT_EQ(sim.State()->vat.fourRates, (std::array<uint8_t, 4>{22, 7, 0, 255}));
  EXPECT_EQ(VatRecord(4, {10000, 2300, 500, 0, 0, 0, 0}), (Bytes{100, 23, 5, 0}));
}

TEST_F(VatTest, SixRatePrinterTakesWordsWithItsOwnReserveCode) {
  sim.SetKind(5);
  EXPECT_EQ(Set({25500, 10000, 2200, 700, 0, 9999, 7}), 0);
  EXPECT_EQ(count, 6);
  EXPECT_EQ(DataOf(WireUpToNow(), 0xD4, 12),
            (Bytes{0xFF, 0x00, 0x27, 0x10, 0x08, 0x98, 0x02, 0xBC, 0x00, 0x00, 0x27, 0x0F}));
}

TEST_F(VatTest, SevenRatePrinterMarksReserveAndExempt) {
  EXPECT_EQ(Set({2200, 700, 0, 300, 25500, 25500, 10000}), 0);
  EXPECT_EQ(count, 7);
  EXPECT_EQ(DataOf(WireUpToNow(), 0xD5, 14),
            (Bytes{0x08, 0x98, 0x02, 0xBC, 0, 0, 0x01, 0x2C, 0x80, 0, 0x80, 0, 0x40, 0}));
  EXPECT_EQ(sim.State()->vat.sevenRates,
            (std::array<uint16_t, 7>{2200, 700, 0, 300, 0x8000, 0x8000, 0x4000}));
}

TEST_F(VatTest, SetRunsItsStepsInOrder) {
  std::vector<std::string> texts;
  InstallConsoleHooks(Link(), {[&](const std::string& t) { texts.push_back(t); }, {}});
  sim.SetKind(0);
  EXPECT_EQ(Set({2200, 700, 0, 25500, 0, 0, 0}), 0);
  InstallConsoleHooks(Link(), {});
  const std::vector<std::string> expected = {"Zapis stawek podatkowych...",
                                             "Trwa kontrola wydruku...",
                                             "Odczyt numeru ostatniego paragonu...",
                                             platform::Cp1250FromUtf8("Odczyt typu urządzenia..."),
                                             "Trwa wydruk...",
                                             "Odczyt stawek podatkowych..."};
  EXPECT_EQ(texts, expected);
  // Check for a pending printout, counter, identification, the write, the
  // wait for its printout, the read-back.
  Bytes wire = WireUpToNow();
  Bytes expectedWire{0x1B, 0x95, 0x1B, 0x95, 0x1B, 0x94, 0x1B, 0x95, 0x1B, 'f',
                     0x1B, 0xFF, 0x1B, 'D',  22,   7,    0,    255,  0x1B, 0x95};
  ASSERT_GT(wire.size(), expectedWire.size());
  EXPECT_TRUE(std::equal(expectedWire.begin(), expectedWire.end(), wire.begin()));
  const Bytes readBack{0x1B, 0xD1, 0x1B, 0xD0, 0x1B, 'p'};
  EXPECT_TRUE(std::equal(readBack.rbegin(), readBack.rend(), wire.rbegin()));
}

TEST_F(VatTest, RatesTheWireCannotCarryAreRefusedUnwritten) {
  struct Case {
    uint8_t kind;
    int32_t rate;
    uint8_t writeCommand;
  };
  const Case cases[] = {{0, 2250, 'D'},   {0, 25600, 'D'}, {0, -100, 'D'},   {5, 65280, 0xD4},
                        {5, 65536, 0xD4}, {5, -1, 0xD4},   {3, 32768, 0xD5}, {3, 16384, 0xD5},
                        {6, 70000, 0xD5}, {7, -2200, 0xD5}};
  for (const Case& c : cases) {
    sim.ClearLog();
    sim.SetKind(c.kind);
    count = -1;
    // The bad rate is the last one the printer takes.
    VatRates rates{2200, 700, 0, 500, 800, 900, 1000};
    rates[static_cast<size_t>(VatRateCount(c.kind)) - 1] = c.rate;
    EXPECT_EQ(Set(rates), 217) << int(c.kind) << " " << c.rate;
    EXPECT_EQ(count, VatRateCount(c.kind));
    Bytes wire = WireUpToNow();
    EXPECT_TRUE(Contains(wire, {0x1B, 0xFF})) << "refused after the identification";
    EXPECT_FALSE(Contains(wire, {0x1B, c.writeCommand})) << int(c.kind) << " " << c.rate;
  }
}

TEST_F(VatTest, ReadBackThatDiffersIsReported) {
  // The printer ignores a rate above 100 %.
  EXPECT_EQ(Set({12000, 700, 0, 0, 0, 0, 0}), 217);
  Bytes wire = WireUpToNow();
  EXPECT_EQ(DataOf(wire, 0xD5, 2), (Bytes{0x2E, 0xE0}));
  EXPECT_TRUE(Contains(wire, {0x1B, 0xD1}));

  // A printer that answers another generation's count.
  sim.SetScriptedAnswer(0xD1, {0x15});
  sim.SetScriptedAnswer(0xD0, {0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(Set({0, 0, 0, 0, 0, 0, 0}), 217);
}

TEST_F(VatTest, NothingIsWrittenWithSalesPendingOrAReceiptOpen) {
  sim.State()->receiptCounter = 3;
  EXPECT_EQ(Set({2200, 700, 0, 0, 0, 0, 0}), 218);
  EXPECT_EQ(count, -1);
  Bytes wire = WireUpToNow();
  EXPECT_EQ(Bytes(wire.end() - 2, wire.end()), (Bytes{0x1B, 'f'}));
  EXPECT_FALSE(Contains(wire, {0x1B, 0xD5}));

  sim.ClearLog();
  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(Set({2200, 700, 0, 0, 0, 0, 0}), 200);
  EXPECT_EQ(Read(), 200);
  EXPECT_EQ(WireUpToNow(), Bytes{});
}

}  // namespace
}  // namespace kavoruw
