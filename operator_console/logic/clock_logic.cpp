#include "operator_console/logic/clock_logic.h"

#include "operator_console/logic/texts.h"

namespace console {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<int> TwoDigits(char tens, char units, bool tensOptional) {
  if (!IsDigit(units)) return std::nullopt;
  if (IsDigit(tens)) return (tens - '0') * 10 + (units - '0');
  if (tensOptional && (tens == ' ' || tens == kTimeFieldBlank)) return units - '0';
  return std::nullopt;
}

}  // namespace

TimeKeyResult TimeKeyFilter(const std::string& text, int caret, char key, char blank) {
  TimeKeyResult result;
  const auto at = [&](size_t i) { return i < text.size() ? text[i] : blank; };
  switch (caret) {
    case 0:
      result.accept = key >= '0' && key <= '2';
      if (key == '2' && text.size() > 1 && at(1) > '3' && IsDigit(at(1))) {
        std::string changed = text;
        changed[1] = blank;
        result.text = changed;
      }
      return result;
    case 1: result.accept = at(0) != '2' || (key >= '0' && key <= '3'); return result;
    case 3: result.accept = key >= '0' && key <= '5'; return result;
    default: result.accept = true; return result;
  }
}

std::optional<ClockTime> ReadTimeText(const std::string& text) {
  if (text.size() < 5) return std::nullopt;
  const auto hour = TwoDigits(text[0], text[1], true);
  const auto minute = TwoDigits(text[3], text[4], false);
  if (!hour || !minute) return std::nullopt;
  return ClockTime{*hour, *minute};
}

std::optional<ClockTime> ReadTypedTime(const std::string& text) {
  const auto time = ReadTimeText(text);
  if (!time || time->hour > 23 || time->minute > 59) return std::nullopt;
  return time;
}

ShiftPlan PlanClockShift(const std::string& typedText, const std::string& printerTimeText) {
  ShiftPlan plan;
  const auto printer = ReadTimeText(printerTimeText);
  const auto typed = ReadTimeText(typedText);
  if (!printer || !typed) return plan;
  const int d = (typed->hour * 60 + typed->minute) - (printer->hour * 60 + printer->minute);
  if (d == 0) {
    plan.verdict = ShiftVerdict::ZeroMinutes;
  } else if (d > 60 || d < -60) {
    plan.verdict = ShiftVerdict::MoreThanAnHour;
  } else {
    plan.verdict = ShiftVerdict::Shift;
    plan.direction = d > 0 ? 1 : 0;
    plan.minutes = d > 0 ? d : -d;
  }
  return plan;
}

bool ClockKeptItsTime(const std::string& first, const std::string& second) {
  if (first.size() < 5 || second.size() < 5) return first == second;
  return first[0] == second[0] && first[1] == second[1] && first[3] == second[3] &&
         first[4] == second[4];
}

std::string ClockDateLine(const std::string& dateText) { return "Data   :     " + dateText; }

std::string ClockTimeLine(const std::string& timeText) { return "Godzina:     " + timeText; }

bool DateBefore(const Date& a, const Date& b) {
  if (a.year != b.year) return a.year < b.year;
  if (a.month != b.month) return a.month < b.month;
  return a.day < b.day;
}

bool IsValidDate(const Date& date) {
  if (date.month < 1 || date.month > 12 || date.day < 1) return false;
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int days = kDays[date.month - 1];
  const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
  if (date.month == 2 && leap) days = 29;
  return date.day <= days;
}

Date ClampInitClockDate(const Date& date) {
  if (DateBefore(date, kInitClockFirstDate)) return kInitClockFirstDate;
  if (DateBefore(kInitClockLastDate, date)) return kInitClockLastDate;
  return date;
}

std::optional<InitClockDate> InitClockFields(const Date& date) {
  if (!IsValidDate(date) || DateBefore(date, kInitClockFirstDate) ||
      DateBefore(kInitClockLastDate, date))
    return std::nullopt;
  return InitClockDate{date.year % 100, date.month, date.day};
}

std::string FormatHourMinute(int hour, int minute) {
  std::string text(5, ':');
  text[0] = static_cast<char>('0' + hour / 10 % 10);
  text[1] = static_cast<char>('0' + hour % 10);
  text[3] = static_cast<char>('0' + minute / 10 % 10);
  text[4] = static_cast<char>('0' + minute % 10);
  return text;
}

}  // namespace console
