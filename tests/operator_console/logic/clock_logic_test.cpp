#include <gtest/gtest.h>

#include "operator_console/logic/clock_logic.h"

namespace console {
namespace {

TEST(TimeKeyFilter, HourTensTakesOnlyZeroToTwo) {
  for (char key : {'0', '1', '2'}) EXPECT_TRUE(TimeKeyFilter("__:__", 0, key).accept) << key;
  for (char key : {'3', '9', 'a', ':', '\b'}) EXPECT_FALSE(TimeKeyFilter("__:__", 0, key).accept);
}

TEST(TimeKeyFilter, TwoAsHourTensClearsUnitsAboveThree) {
  const TimeKeyResult r = TimeKeyFilter("19:30", 0, '2');
  EXPECT_TRUE(r.accept);
  ASSERT_TRUE(r.text.has_value());
  EXPECT_EQ(*r.text, "1_:30");
  EXPECT_FALSE(TimeKeyFilter("13:30", 0, '2').text.has_value());
  EXPECT_FALSE(TimeKeyFilter("19:30", 0, '1').text.has_value());
  EXPECT_EQ(*TimeKeyFilter("14:30", 0, '2', ' ').text, "1 :30");
}

TEST(TimeKeyFilter, HourUnitsAfterTwoAndMinuteTens) {
  EXPECT_TRUE(TimeKeyFilter("2_:__", 1, '3').accept);
  EXPECT_FALSE(TimeKeyFilter("2_:__", 1, '4').accept);
  EXPECT_TRUE(TimeKeyFilter("1_:__", 1, '9').accept);
  for (char key : {'0', '5'}) EXPECT_TRUE(TimeKeyFilter("12:__", 3, key).accept);
  for (char key : {'6', '\b', 'x'}) EXPECT_FALSE(TimeKeyFilter("12:__", 3, key).accept);
  EXPECT_TRUE(TimeKeyFilter("12:5_", 4, '9').accept);
}

TEST(TypedTime, ReadsHourAndMinutesOrRefuses) {
  auto t = ReadTypedTime("23:59");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->hour, 23);
  EXPECT_EQ(t->minute, 59);
  t = ReadTypedTime("_7:05");  // the hour's tens digit is optional
  ASSERT_TRUE(t);
  EXPECT_EQ(t->hour, 7);
  EXPECT_FALSE(ReadTypedTime("24:00"));
  EXPECT_FALSE(ReadTypedTime("12:60"));
  EXPECT_FALSE(ReadTypedTime("12:5_"));  // incomplete
  EXPECT_FALSE(ReadTypedTime("1_:30"));
  EXPECT_FALSE(ReadTypedTime("  :  "));
  EXPECT_FALSE(ReadTypedTime("12:"));
}

TEST(ClockShift, DifferenceWithoutMidnightWrap) {
  ShiftPlan p = PlanClockShift("12:30", "12:30:15");
  EXPECT_EQ(p.verdict, ShiftVerdict::ZeroMinutes);
  p = PlanClockShift("00:10", "23:50");
  EXPECT_EQ(p.verdict, ShiftVerdict::MoreThanAnHour);
  p = PlanClockShift("13:30", "12:30");
  EXPECT_EQ(p.verdict, ShiftVerdict::Shift);
  EXPECT_EQ(p.direction, 1);
  EXPECT_EQ(p.minutes, 60);
  p = PlanClockShift("11:30", "12:30:59");
  EXPECT_EQ(p.verdict, ShiftVerdict::Shift);
  EXPECT_EQ(p.direction, 0);
  EXPECT_EQ(p.minutes, 60);
  EXPECT_EQ(PlanClockShift("13:31", "12:30").verdict, ShiftVerdict::MoreThanAnHour);
  EXPECT_EQ(PlanClockShift("12:2_", "12:30").verdict, ShiftVerdict::BadTime);
  EXPECT_EQ(PlanClockShift("12:20", "xx").verdict, ShiftVerdict::BadTime);
}

TEST(ClockShift, KeptTimeComparesHourAndMinuteOnly) {
  EXPECT_TRUE(ClockKeptItsTime("12:30:01", "12:30:59"));
  EXPECT_FALSE(ClockKeptItsTime("12:30", "12:31"));
  EXPECT_FALSE(ClockKeptItsTime("12:30", ""));
}

TEST(ClockTexts, DialogLinesAndTimePreset) {
  EXPECT_EQ(ClockDateLine("2026.12.08"), "Data   :     2026.12.08");
  EXPECT_EQ(ClockTimeLine("23:59:01"), "Godzina:     23:59:01");
  EXPECT_EQ(FormatHourMinute(7, 5), "07:05");
}

TEST(InitClockDate, RangeAndClampedPreset) {
  EXPECT_EQ(ClampInitClockDate({2003, 12, 31}).year, 2004);
  const Date last = ClampInitClockDate({2100, 1, 1});
  EXPECT_EQ(last.year, 2099);
  EXPECT_EQ(last.month, 12);
  EXPECT_EQ(last.day, 31);
  EXPECT_EQ(ClampInitClockDate({2026, 12, 8}).day, 8);
  const auto fields = InitClockFields({2026, 2, 28});
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->year, 26);
  EXPECT_EQ(fields->month, 2);
  EXPECT_EQ(fields->day, 28);
  EXPECT_FALSE(InitClockFields({2026, 2, 29}));
  EXPECT_TRUE(InitClockFields({2028, 2, 29}));
  EXPECT_FALSE(InitClockFields({2003, 6, 1}));
  EXPECT_FALSE(InitClockFields({2026, 13, 1}));
}

}  // namespace
}  // namespace console
