#include <gtest/gtest.h>

#include "operator_console/logic/reports.h"
#include "test_text.h"

namespace console {
namespace {

TEST(PeriodReportKinds, CaptionsByKind) {
  EXPECT_EQ(PeriodReportCaption(kDetailedByDates), W("Raport szczegółowy według dat..."));
  EXPECT_EQ(PeriodReportCaption(kDetailedByNumbers), W("Raport szczegółowy według numerów..."));
  EXPECT_EQ(PeriodReportCaption(kDetailedMonthly), W("Raport szczegółowy miesięczny..."));
  EXPECT_EQ(PeriodReportCaption(kShortByDates), W("Raport skrócony według dat..."));
  EXPECT_EQ(PeriodReportCaption(kShortByNumbers), W("Raport skrócony według numerów..."));
  EXPECT_EQ(PeriodReportCaption(kShortMonthly), W("Raport skrócony miesięczny..."));
  EXPECT_EQ(PeriodReportCaption(6), "");
  EXPECT_EQ(PeriodReportFullFlag(kDetailedByDates), 1);
  EXPECT_EQ(PeriodReportFullFlag(kShortByDates), 0);
}

TEST(ReportParamsPacking, DatesAreDigitValuesOfYyMmDd) {
  const ReportParams block = PackReportDates({2005, 2, 4}, {2012, 11, 30});
  const ReportParams expected = {0, 5, 0, 2, 0, 4, 1, 2, 1, 1, 3, 0};
  EXPECT_EQ(block, expected);
  EXPECT_EQ(ReportDateNumbers(block), (std::array<int32_t, 6>{5, 2, 4, 12, 11, 30}));
  // The century does not travel.
  EXPECT_EQ(PackReportDates({1999, 12, 31}, {2100, 1, 1})[0], 9);
  EXPECT_EQ(PackReportDates({1999, 12, 31}, {2100, 1, 1})[6], 0);
}

TEST(ReportParamsPacking, NumbersAreLow16BitsLowByteFirst) {
  EXPECT_EQ(PackReportNumbers(10, 20), (ReportParams{0x0A, 0, 0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(PackReportNumbers(3000, 0x12345),
            (ReportParams{0xB8, 0x0B, 0x45, 0x23, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(PackReportNumbers(-1, 1)[0], 0xFF);
  EXPECT_EQ(PackReportNumbers(-1, 1)[1], 0xFF);
}

TEST(ReportParamsPacking, MonthSplitsYearAndMonthIntoDigits) {
  EXPECT_EQ(PackReportMonth(2005, 1), (ReportParams{0, 5, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(PackReportMonth(2050, 12), (ReportParams{5, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(PackReportMonth(-2005, 1).has_value());
  EXPECT_FALSE(PackReportMonth(2005, -1).has_value());
}

TEST(MonthlyPreset, PreviousMonthWrapsInJanuaryAndStaysInRange) {
  const Date march = PreviousMonth({2026, 4, 17});
  EXPECT_EQ(march.year, 2026);
  EXPECT_EQ(march.month, 3);
  const Date december = PreviousMonth({2026, 1, 5});
  EXPECT_EQ(december.year, 2025);
  EXPECT_EQ(december.month, 12);
  EXPECT_EQ(PreviousMonth({2001, 1, 1}).year, 2001);
  EXPECT_EQ(PreviousMonth({2070, 6, 1}).year, 2050);
}

TEST(SettlementPrompt, PreviousDayAcrossMonthsYearsAndLeapDays) {
  const auto same = [](const Date& a, const Date& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
  };
  EXPECT_TRUE(same(PreviousDay({2026, 12, 8}), {2026, 12, 7}));
  EXPECT_TRUE(same(PreviousDay({2026, 1, 1}), {2025, 12, 31}));
  EXPECT_TRUE(same(PreviousDay({2024, 3, 1}), {2024, 2, 29}));
  EXPECT_TRUE(same(PreviousDay({2100, 3, 1}), {2100, 2, 28}));
  EXPECT_TRUE(same(PreviousDay({2026, 5, 1}), {2026, 4, 30}));
}

}  // namespace
}  // namespace console
