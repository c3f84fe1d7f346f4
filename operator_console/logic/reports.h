#pragma once
// The report menu's pure parts: the periodic-report kinds, the 12-byte range
// block the range dialogs pack, and the settlement-range hand-back.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace console {

// A calendar date as the dialogs hold it.
struct Date {
  int year = 0;   // four digits
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

// Kinds of periodic report (the values of PeriodReportKind).
inline constexpr uint32_t kDetailedByDates = 0;
inline constexpr uint32_t kDetailedByNumbers = 1;
inline constexpr uint32_t kDetailedMonthly = 2;
inline constexpr uint32_t kShortByDates = 3;
inline constexpr uint32_t kShortByNumbers = 4;
inline constexpr uint32_t kShortMonthly = 5;

// The range block that PeriodicReportByKind sends (12 bytes).
using ReportParams = std::array<uint8_t, 12>;

// The caption the menu item gives its dialog ("Raport szczegółowy według
// dat..." etc.); empty for a kind above 5.
const std::string& PeriodReportCaption(uint32_t kind);

// By dates: the digit values of "yy-mm-dd" of each date (from, then to).
ReportParams PackReportDates(const Date& from, const Date& to);
// By numbers: the low 16 bits of each number, low byte first; bytes 4-11 zero.
ReportParams PackReportNumbers(int32_t from, int32_t to);
// By month: year tens and units (of year mod 100), month tens and units.
// A year or a month below 0 (typed from the keyboard) is refused.
std::optional<ReportParams> PackReportMonth(int32_t year, int32_t month);

// The six numbers PeriodReport takes on first-generation printers, from a
// date block: from-year, from-month, from-day, to-year, to-month, to-day.
std::array<int32_t, 6> ReportDateNumbers(const ReportParams& block);
// PeriodReport's full/short flag for a by-dates kind: 1 for kind 0, else 0.
int32_t PeriodReportFullFlag(uint32_t kind);

// The monthly dialog's preset: the month before today's (January gives
// December of the year before); the year is kept within 2001..2050.
Date PreviousMonth(const Date& today);

// The day before a date (the settlement prompt presets yesterday).
Date PreviousDay(const Date& date);

}  // namespace console
