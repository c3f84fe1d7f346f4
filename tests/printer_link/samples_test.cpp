// Sample cash printouts: the exact data of command 's' and the steps around
// it against the simulated printer.
#include "printer_link/commands/samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "kavoruw_codes.h"
#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "tests/printer_link/sim_link.h"

namespace kavoruw::testing {
namespace {

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

const std::string kDollars(20, '$');

TEST(SampleData, CashInWithFiveTexts) {
  const Bytes data = CashInData({kDollars, kDollars, kDollars, kDollars, kDollars});
  ASSERT_EQ(data.size(), 123u);
  const std::string line = kDollars + "\n";
  EXPECT_EQ(data, Text("20"
                       "10" +
                       line + "20" + line + "30" + line + "40" + line +
                       "50"
                       "60" +
                       line +
                       "70"
                       "\x1bQ"));
  EXPECT_EQ(CashOutData({kDollars, "", "", "", ""}), Text("30"
                                                          "10" +
                                                          line +
                                                          "50"
                                                          "70"
                                                          "\x1bQ"));
}

TEST(SampleData, CashStateLeavesOutEmptyTexts) {
  EXPECT_EQ(CashStateData({"", "", "", "", "", ""}), Text("10"
                                                          "50"
                                                          "80"
                                                          "\x1bQ"));
  EXPECT_EQ(CashStateData({"", "a", "", "", "", "f"}), Text("10"
                                                            "20a\n"
                                                            "50"
                                                            "70f\n"
                                                            "80"
                                                            "\x1bQ"));
}

TEST(SampleData, TextsAreCutConvertedAndKeptOnOneLine) {
  const std::string cut(28, 'x');
  for (size_t length : {40u, 300u}) {
    EXPECT_EQ(CashInData({std::string(length, 'x'), "", "", "", ""}), Text("20"
                                                                           "10" +
                                                                           cut +
                                                                           "\n"
                                                                           "50"
                                                                           "70"
                                                                           "\x1bQ"))
        << length;
  }
  EXPECT_EQ(CashInData({platform::Cp1250FromUtf8("Wpłata\nkoniec\x1b"
                                                 "Q"),
                        "", "", "", ""}),
            Text("20"
                 "10"
                 "Wp\x88"
                 "ata koniec Q\n"
                 "50"
                 "70"
                 "\x1bQ"));
}

TEST(SampleData, CashReportIsFixed) {
  const Bytes data = CashReportData();
  EXPECT_EQ(data.size(), 70u);
  EXPECT_EQ(data, Text("40"
                       "10"
                       "20$\n"
                       "30$\n"
                       "40$\n"
                       "50"
                       "60$\n"
                       "70"
                       "80$\n"
                       "90$\n"
                       "01"
                       "11$\n"
                       "21"
                       "311\n"
                       "411\n"
                       "51"
                       "611\n"
                       "711\n"
                       "811\n"
                       "91$\n"
                       "02"
                       "\x1bQ"));
}

class SamplesTest : public SimLinkTest {
 protected:
  void SetUp() override {
    SimLinkTest::SetUp();
    InstallConsoleHooks(Link(),
                        {[this](const std::string& text) { progress.push_back(text); }, {}});
  }
  void TearDown() override {
    InstallConsoleHooks(Link(), {});
    SimLinkTest::TearDown();
  }

  std::vector<std::string> progress;
};

// Where the data of 's' start on the wire, after ESC 's'.
Bytes SampleFrame(const Bytes& wire) {
  const Bytes head{kEsc, 's'};
  auto at = std::search(wire.begin(), wire.end(), head.begin(), head.end());
  if (at == wire.end()) return {};
  return Bytes(at + 2, wire.end());
}

TEST_F(SamplesTest, CashInIsPrinted) {
  ASSERT_EQ(SamplePrintCashIn(kDollars, kDollars, kDollars, kDollars, kDollars), 0);
  const Bytes data = CashInData({kDollars, kDollars, kDollars, kDollars, kDollars});
  const Bytes sent = SampleFrame(sim.Received());
  ASSERT_GE(sent.size(), data.size());
  EXPECT_EQ(Bytes(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(data.size())), data);
  // The printout is awaited: status reads follow the data.
  EXPECT_EQ(Bytes(sent.begin() + static_cast<std::ptrdiff_t>(data.size()),
                  sent.begin() + static_cast<std::ptrdiff_t>(data.size()) + 2),
            (Bytes{kEsc, 0x95}));

  const auto samples = sim.State()->receipt.samples;
  ASSERT_EQ(samples.size(), 1u);
  EXPECT_EQ(samples[0].number, "20");
  ASSERT_EQ(samples[0].lines.size(), 7u);
  EXPECT_EQ(samples[0].lines[0].text, kDollars);
  EXPECT_EQ(samples[0].lines[4].code, "50");
  EXPECT_FALSE(samples[0].lines[4].text.has_value());
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.front(), platform::Cp1250FromUtf8("Wydruk przykładowy: \"Wpłata do kasy\""));
}

TEST_F(SamplesTest, EveryPrintoutReachesThePrinter) {
  const std::string newline = "a\nb";
  ASSERT_EQ(SamplePrintCashState(newline, "", "", "", "", std::string(300, 'z')), 0);
  ASSERT_EQ(SamplePrintCashOut("", "", "", "", ""), 0);
  ASSERT_EQ(SamplePrintCashReport(), 0);
  const auto samples = sim.State()->receipt.samples;
  ASSERT_EQ(samples.size(), 3u);
  EXPECT_EQ(samples[0].number, "10");
  EXPECT_EQ(samples[0].lines[0].text, "a b");
  EXPECT_EQ(samples[0].lines[2].text, std::string(28, 'z'));
  EXPECT_EQ(samples[1].number, "30");
  EXPECT_EQ(samples[2].number, "40");
  EXPECT_EQ(samples[2].lines.size(), 20u);
  EXPECT_TRUE(sim.Notes().empty());

  const std::vector<std::string> expected = {"Stan kasy", "Wypłata z kasy",
                                             "Bieżący raport kasowy"};
  for (const std::string& name : expected) {
    const std::string text = platform::Cp1250FromUtf8("Wydruk przykładowy: \"" + name + "\"");
    EXPECT_NE(std::find(progress.begin(), progress.end(), text), progress.end()) << name;
  }
}

TEST_F(SamplesTest, RefusedWhileAReceiptIsOpen) {
  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(SamplePrintCashState("", "", "", "", "", ""), kErrReceiptOpen);
  EXPECT_EQ(SamplePrintCashIn("", "", "", "", ""), kErrReceiptOpen);
  EXPECT_EQ(SamplePrintCashOut("", "", "", "", ""), kErrReceiptOpen);
  EXPECT_EQ(SamplePrintCashReport(), kErrReceiptOpen);
  EXPECT_TRUE(sim.Received().empty());
}

TEST_F(SamplesTest, FirstGenerationPrinterRefuses) {
  sim.SetKind(2);
  EXPECT_EQ(SamplePrintCashReport(), kErrNak);
  EXPECT_TRUE(sim.State()->receipt.samples.empty());
}

}  // namespace
}  // namespace kavoruw::testing
