#include "operator_console/logic/reports.h"

#include "operator_console/logic/texts.h"

namespace console {

namespace {

// Digit values of a two-digit field of a date ("yy", "mm", "dd").
void PutTwoDigits(ReportParams& block, size_t at, int value) {
  const int two = ((value % 100) + 100) % 100;
  block[at] = static_cast<uint8_t>(two / 10);
  block[at + 1] = static_cast<uint8_t>(two % 10);
}

void PutDate(ReportParams& block, size_t at, const Date& date) {
  PutTwoDigits(block, at, date.year);
  PutTwoDigits(block, at + 2, date.month);
  PutTwoDigits(block, at + 4, date.day);
}

}  // namespace

const std::string& PeriodReportCaption(uint32_t kind) {
  static const std::array<std::string, 7> captions = {
      Cp("Raport szczegółowy według dat..."),
      Cp("Raport szczegółowy według numerów..."),
      Cp("Raport szczegółowy miesięczny..."),
      Cp("Raport skrócony według dat..."),
      Cp("Raport skrócony według numerów..."),
      Cp("Raport skrócony miesięczny..."),
      std::string(),
  };
  return captions[kind <= 5 ? kind : 6];
}

ReportParams PackReportDates(const Date& from, const Date& to) {
  ReportParams block{};
  PutDate(block, 0, from);
  PutDate(block, 6, to);
  return block;
}

ReportParams PackReportNumbers(int32_t from, int32_t to) {
  ReportParams block{};
  const auto low16 = [](int32_t v) { return static_cast<uint16_t>(static_cast<uint32_t>(v)); };
  block[0] = static_cast<uint8_t>(low16(from) & 0xFF);
  block[1] = static_cast<uint8_t>(low16(from) >> 8);
  block[2] = static_cast<uint8_t>(low16(to) & 0xFF);
  block[3] = static_cast<uint8_t>(low16(to) >> 8);
  return block;
}

std::optional<ReportParams> PackReportMonth(int32_t year, int32_t month) {
  if (year < 0 || month < 0) return std::nullopt;
  ReportParams block{};
  block[0] = static_cast<uint8_t>((year % 100) / 10);
  block[1] = static_cast<uint8_t>(year % 10);
  // A month above 99 typed from the keyboard keeps its last two digits: the
  // printer refuses it as a bad month either way.
  block[2] = static_cast<uint8_t>((month / 10) % 10);
  block[3] = static_cast<uint8_t>(month % 10);
  return block;
}

std::array<int32_t, 6> ReportDateNumbers(const ReportParams& block) {
  std::array<int32_t, 6> numbers{};
  for (size_t i = 0; i < numbers.size(); ++i) numbers[i] = block[2 * i] * 10 + block[2 * i + 1];
  return numbers;
}

int32_t PeriodReportFullFlag(uint32_t kind) { return kind == kDetailedByDates ? 1 : 0; }

Date PreviousMonth(const Date& today) {
  Date preset{today.year, today.month - 1, 1};
  if (preset.month < 1) {
    preset.month = 12;
    preset.year -= 1;
  }
  if (preset.year < 2001) preset.year = 2001;
  if (preset.year > 2050) preset.year = 2050;
  return preset;
}

Date PreviousDay(const Date& date) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  Date day = date;
  if (--day.day >= 1) return day;
  if (--day.month < 1) {
    day.month = 12;
    --day.year;
  }
  const bool leap = (day.year % 4 == 0 && day.year % 100 != 0) || day.year % 400 == 0;
  day.day = day.month == 2 && leap ? 29 : kDays[day.month - 1];
  return day;
}

}  // namespace console
