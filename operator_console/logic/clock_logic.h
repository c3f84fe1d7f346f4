#pragma once
// The clock dialogs' pure parts: the time key filter of the "hh:mm" field,
// reading the typed time, the shift decision and the initialisation date.
#include <cstdint>
#include <optional>
#include <string>

#include "operator_console/logic/reports.h"

namespace console {

struct ClockTime {
  int hour = 0;
  int minute = 0;
};

// The time field's text: "hh:mm" with the hour at characters 1-2 and the
// minutes at 4-5; an unfilled place holds the field's blank character or a
// blank (both are read as unfilled).
inline constexpr char kTimeFieldBlank = '_';

// What the time key filter does with a typed character (key) at the caret
// position (0-based) of the field's current text.
struct TimeKeyResult {
  bool accept = false;
  // Typing '2' as the hour's tens over an hour units digit above 3 clears
  // that digit: text holds the field's text with it blanked.
  std::optional<std::string> text;
};
TimeKeyResult TimeKeyFilter(const std::string& text, int caret, char key,
                            char blank = kTimeFieldBlank);

// Hour and minutes of a time text, characters 1-2 and 4-5, each a decimal
// number; a place left blank (or a blank as the optional hour tens) is
// allowed only as the hour tens. Nothing when either part is no number.
std::optional<ClockTime> ReadTimeText(const std::string& text);
// The typed time as the shift and the initialisation take it: readable and
// within 00:00..23:59. Nothing means "Godzina została wprowadzona
// nieprawidłowo.".
std::optional<ClockTime> ReadTypedTime(const std::string& text);

// The shift decision from the typed time and the printer's time text.
enum class ShiftVerdict {
  Shift,           // ShiftClock(direction, minutes)
  BadTime,         // "Czas został wprowadzony niepoprawnie"
  ZeroMinutes,     // "Nie można przestawić zegara o 0 minut"
  MoreThanAnHour,  // "Nie można przestawić zegara o więcej niż 60 minut"
};
struct ShiftPlan {
  ShiftVerdict verdict = ShiftVerdict::BadTime;
  int32_t direction = 0;  // 0 back, 1 forward
  int32_t minutes = 0;    // 1..60
};
// The difference has no wrap at midnight: 23:50 -> 00:10 is -1420 minutes.
ShiftPlan PlanClockShift(const std::string& typedText, const std::string& printerTimeText);

// The printer kept its time: characters 1, 2, 4 and 5 of the two readings
// are equal (it takes one shift a day).
bool ClockKeptItsTime(const std::string& first, const std::string& second);

// The clock-read dialog's two lines.
std::string ClockDateLine(const std::string& dateText);  // "Data   :     " + date
std::string ClockTimeLine(const std::string& timeText);  // "Godzina:     " + time

// The initialisation dialog's date range: 2004-01-01 .. 2099-12-31 (the
// printer takes a two-digit year).
inline constexpr Date kInitClockFirstDate{2004, 1, 1};
inline constexpr Date kInitClockLastDate{2099, 12, 31};
bool DateBefore(const Date& a, const Date& b);
bool IsValidDate(const Date& date);
// Today's date as the initialisation dialog presets it: the nearer limit when
// it lies outside the range.
Date ClampInitClockDate(const Date& date);
// InitClock's year (0..99), month and day for a date of the range.
struct InitClockDate {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
};
std::optional<InitClockDate> InitClockFields(const Date& date);

// "hh:mm" of a time, as the dialogs preset the field.
std::string FormatHourMinute(int hour, int minute);

}  // namespace console
