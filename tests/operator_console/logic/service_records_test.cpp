#include <gtest/gtest.h>

#include "operator_console/logic/service_records.h"
#include "test_text.h"

namespace console {
namespace {

TEST(FiscalizationRecord, DefaultRatesAfterSixZeroBytes) {
  const auto record = FiscalizationRecord(kDefaultVatRates);
  ASSERT_TRUE(record);
  const std::array<uint8_t, 20> expected = {0,    0,    0,    0,    0,    0,    0x08,
                                            0x98, 0x02, 0xBC, 0x00, 0x00, 0x80, 0x00,
                                            0x80, 0x00, 0x80, 0x00, 0x40, 0x00};
  EXPECT_EQ(*record, expected);
}

TEST(FiscalizationRecord, RatesThatCannotBeEncodedSendNothing) {
  EXPECT_EQ(VatRateWord(9983), 9983);
  EXPECT_FALSE(VatRateWord(9984));
  FiscalVatRateTable rates = kDefaultVatRates;
  rates[3] = 12000;
  EXPECT_FALSE(FiscalizationRecord(rates));
}

TEST(FiscalizationRecord, ReplyBytes) {
  EXPECT_EQ(FiscalizationReplyFor(0x06), FiscalizationReply::Accepted);
  EXPECT_EQ(FiscalizationReplyText(0x06), "");
  EXPECT_EQ(FiscalizationReplyText(0x15), W("Drukarka nie została sfiskalizowana."));
  EXPECT_EQ(FiscalizationReplyText(0x00), W("Niepoprawna odpowiedź z drukarki."));
}

TEST(SettlementRecord, WholeMemory) {
  const auto record = SettlementRecord(kSettlementWhole, SettlementDateText({2005, 2, 4}),
                                       "12349912", ReportParams{});
  ASSERT_TRUE(record);
  EXPECT_EQ(*record, (std::vector<uint8_t>{0x08, 0x63, 0x67, 0x72, 0x63, 0, 5, 0, 2, 0, 4}));
  EXPECT_EQ(SettlementDateText({2005, 2, 4}), "2005.02.04");
}

TEST(SettlementRecord, ByNumbersTakesFourRangeBytes) {
  const auto record =
      SettlementRecord(kSettlementByNumbers, "2026.12.08", "00000000", PackReportNumbers(10, 20));
  ASSERT_TRUE(record);
  EXPECT_EQ(*record, (std::vector<uint8_t>{0x07, 0x60, 0x60, 0x60, 0x60, 2, 6, 1, 2, 0, 8, 0x0A,
                                           0x00, 0x14, 0x00}));
}

TEST(SettlementRecord, ByDatesTakesTheWholeBlock) {
  const ReportParams range = PackReportDates({2026, 1, 1}, {2026, 11, 30});
  const auto record = SettlementRecord(kSettlementByDates, "2026.12.08", "99999999", range);
  ASSERT_TRUE(record);
  ASSERT_EQ(record->size(), 23u);
  EXPECT_EQ((*record)[0], 0x06);
  EXPECT_EQ((*record)[1], 0x72);
  EXPECT_TRUE(std::equal(range.begin(), range.end(), record->begin() + 11));
}

TEST(SettlementRecord, RefusesWhatCannotBeSent) {
  EXPECT_FALSE(SettlementRecord(0, "2026.12.08", "12345678", {}));
  EXPECT_FALSE(SettlementRecord(4, "2026.12.08", "12345678", {}));
  EXPECT_FALSE(SettlementRecord(1, "2026.12.08", "1234567_", {}));
  EXPECT_FALSE(SettlementRecord(1, "2026.12.08", "1234567", {}));
  EXPECT_FALSE(SettlementRecord(1, "26.12.08", "12345678", {}));
}

TEST(SettlementRecord, ResultTexts) {
  EXPECT_EQ(SettlementResultText(0), "");
  EXPECT_EQ(SettlementResultText(1),
            W("Nie wykonano raportu rozliczeniowego.\rPodano błędne daty raportów dobowych"));
  EXPECT_EQ(SettlementResultText(4),
            W("    Nie wykonano raportu rozliczeniowego.\rMiesiąc za który miał być wydrukowany "
              "raport\r           nie został zakończony."));
  EXPECT_EQ(SettlementResultText(7),
            W("  Licznik paragonów jest niezerowy.\rNależy wykonać fiskalny raport dobowy."));
  for (int b : {8, 9, 0x15, 255})
    EXPECT_EQ(SettlementResultText(static_cast<uint8_t>(b)),
              W("Niepoprawna odpowiedź z drukarki."));
}

TEST(UniqueNumber, EightDigitsAfterPrefixCompareExactly) {
  EXPECT_EQ(UniqueNumberDigits("ABC 12345678"), "12345678");
  EXPECT_TRUE(UniqueNumberMatches("ABC 12345678", "12345678"));
  EXPECT_FALSE(UniqueNumberMatches("ABC 12345678", "1234567_"));
  EXPECT_FALSE(UniqueNumberMatches("ABC 1234", ""));
}

TEST(ArticleBase, ClearByteAndReplies) {
  EXPECT_EQ(ArticleBaseClearByte("ABC 12345478"), 0x34 + 0x37);
  EXPECT_EQ(ArticleBaseClearByte("ABC 12345008"), 0x60);
  EXPECT_EQ(ArticleBaseClearByte("ABC 12345998"), 0x72);
  EXPECT_FALSE(ArticleBaseClearByte("ABC 12345"));
  EXPECT_EQ(ArticleBaseReplyFor(0x06), ArticleBaseReply::Cleared);
  EXPECT_EQ(ArticleBaseReplyText(0x15),
            W("Baza nazw i towarów nie została skasowana.\r\rMożliwe przyczyny:\r - baza nazw i "
              "towarów nie jest jeszcze zapełniona,\r - przed próbą kasowania nie powstał wydruk "
              "kontrolny nazw i stawek."));
  EXPECT_EQ(ArticleBaseReplyText(0x07), W("Niepoprawna odpowiedź z drukarki."));
  EXPECT_EQ(ArticleBaseClearedText(), W("Baza nazw i towarów została skasowana"));
}

}  // namespace
}  // namespace console
