// Reports and counters: '%' '"' '0' '&' '(' ')' '1', 0xD9 0xD8.
#include <chrono>
#include <thread>

#include "tools/printer_sim/commands.h"
#include "tools/printer_sim/status_bits.h"

namespace printer_sim {

namespace {

// Result bytes after the data of '1'.
constexpr uint8_t kReportAccepted = 0;
constexpr uint8_t kWrongDates = 1;
constexpr uint8_t kNoReports = 2;
constexpr uint8_t kWrongNumbers = 3;
constexpr uint8_t kConditionsNotMet = 6;

// Settlement reports: sub-codes of '1' after the periodic ones.
constexpr uint8_t kSettlementByDates = 6;
constexpr uint8_t kSettlementByNumbers = 7;
constexpr uint8_t kSettlementWhole = 8;

bool SecondGeneration(uint8_t kind) { return kind == 3 || kind == 6 || kind >= kKindOther; }
bool FirstGenerationWithoutEmptyReport(uint8_t kind) {
  return kind == 0 || kind == 1 || kind == 4 || kind == 5;
}

bool CanPrint(const PrinterState& state) {
  return (state.status[status::kPrint] & (status::kNoPaper | status::kPrinterFailure)) == 0;
}

// A slow printer: the answer comes after the set delay, the lock not held.
void TakeTime(Frame& frame) {
  int ms = frame.State()->reports.answerDelayMs;
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void Record(PrinterState& state, uint8_t command, std::vector<uint8_t> data, int result,
            bool printed) {
  state.reports.last = {command, std::move(data), result, printed};
  if (printed) {
    ++state.reports.printed;
    StartPrintout(state);
  }
}

// Six digit values yy mm dd as one comparable number; -1 when they are no date.
int DateValue(const uint8_t* d) {
  for (int i = 0; i < 6; ++i) {
    if (d[i] > 9) return -1;
  }
  const int year = d[0] * 10 + d[1];
  const int month = d[2] * 10 + d[3];
  const int day = d[4] * 10 + d[5];
  if (month < 1 || month > 12 || day < 1 || day > 31) return -1;
  return year * 10000 + month * 100 + day;
}

bool ValidRange(const std::vector<uint8_t>& twelveDigits) {
  const int from = DateValue(twelveDigits.data());
  const int to = DateValue(twelveDigits.data() + 6);
  return from >= 0 && to >= 0 && from <= to;
}

// Data bytes that follow a sub-code of '1'.
size_t PeriodicDataLength(uint8_t subCode) {
  switch (subCode) {
    case 0:
    case 3: return 12;
    case 1:
    case 2:
    case 4:
    case 5: return 4;
    // Unique-number pairs (4), today's date (6), then the range.
    case kSettlementByDates: return 22;
    case kSettlementByNumbers: return 14;
    case kSettlementWhole: return 10;
    default: return 0;
  }
}

// A settlement report needs the printer's unique number, its digits added
// in pairs, and (by dates or numbers) a sound range.
uint8_t JudgeSettlement(const PrinterState& state, uint8_t subCode,
                        const std::vector<uint8_t>& data) {
  std::string number = state.service.uniqueNumber;
  number.resize(11, ' ');
  for (size_t i = 0; i < 4; ++i) {
    if (data[i] != static_cast<uint8_t>(number[3 + 2 * i] + number[4 + 2 * i])) {
      return kConditionsNotMet;
    }
  }
  if (subCode == kSettlementByDates) {
    return ValidRange(std::vector<uint8_t>(data.begin() + 10, data.end())) ? kReportAccepted
                                                                           : kWrongDates;
  }
  if (subCode == kSettlementByNumbers) {
    const int from = data[10] + 256 * data[11];
    const int to = data[12] + 256 * data[13];
    if (from == 0 || from > to) return kWrongNumbers;
  }
  return kReportAccepted;
}

// The printer's own verdict on a '1' request.
uint8_t Judge(const PrinterState& state, uint8_t subCode, const std::vector<uint8_t>& data) {
  switch (subCode) {
    case 0:
    case 3: return ValidRange(data) ? kReportAccepted : kWrongDates;
    case 1:
    case 4: {
      const int from = data[0] + 256 * data[1];
      const int to = data[2] + 256 * data[3];
      if (from == 0 || from > to) return kWrongNumbers;
      return from > state.reports.dailyReportNumber ? kNoReports : kReportAccepted;
    }
    case 2:
    case 5: {
      const bool digits = data[0] <= 9 && data[1] <= 9 && data[2] <= 9 && data[3] <= 9;
      const int month = data[2] * 10 + data[3];
      return digits && month >= 1 && month <= 12 ? kReportAccepted : kWrongDates;
    }
    case kSettlementByDates:
    case kSettlementByNumbers:
    case kSettlementWhole: return JudgeSettlement(state, subCode, data);
    default:  // a sub-code this printer does not know
      return kNak;
  }
}

// A report without data that prints at once.
void RegisterPrintedReport(CommandTable& table, uint8_t command) {
  table.Register(command, [command](Frame& frame) {
    TakeTime(frame);
    bool accepted;
    {
      StateRef state = frame.State();
      accepted = CanPrint(*state);
      Record(*state, command, {}, -1, accepted);
    }
    if (accepted) frame.Answer({});
    else frame.Refuse(kNak);
  });
}

void DailyReport(Frame& frame) {
  TakeTime(frame);
  bool accepted;
  {
    StateRef state = frame.State();
    // The older models make no daily report without a receipt.
    accepted = CanPrint(*state) && (state->status[status::kFiscal] & status::kReadOnly) == 0 &&
               !(state->receiptCounter == 0 && FirstGenerationWithoutEmptyReport(state->kind));
    if (accepted) {
      state->receiptCounter = 0;
      ++state->reports.dailyReportNumber;
      state->status[status::kPrinter] &= static_cast<uint8_t>(~status::kDailyReportDue);
    }
    Record(*state, '%', {}, -1, accepted);
  }
  if (accepted) frame.Answer({});
  else frame.Refuse(kNak);
}

// '(' detailed and ')' short report by dates.
void PeriodReport(Frame& frame) {
  const uint8_t command = frame.Command();
  TakeTime(frame);
  bool accepted;
  {
    StateRef state = frame.State();
    accepted = CanPrint(*state);
    if (!accepted) Record(*state, command, {}, -1, false);
  }
  if (!accepted) {
    frame.Refuse(kNak);
    return;
  }
  frame.Answer({});
  std::vector<uint8_t> data;
  if (!frame.ReadData(12, data)) return;
  // The answer has gone: wrong dates are only left unprinted.
  const bool valid = ValidRange(data);
  if (!valid) frame.Note(HexByte(command) + ": wrong dates, no report");
  Record(*frame.State(), command, std::move(data), -1, valid);
}

// '1': sub-code, its data, then the result byte.
void PeriodicReport(Frame& frame) {
  TakeTime(frame);
  bool accepted;
  {
    StateRef state = frame.State();
    accepted = SecondGeneration(state->kind) && CanPrint(*state);
    if (!accepted) Record(*state, '1', {}, -1, false);
  }
  if (!accepted) {
    frame.Refuse(kNak);
    return;
  }
  frame.Answer({});
  uint8_t subCode = 0;
  if (!frame.ReadByte(subCode)) return;
  std::vector<uint8_t> data;
  if (!frame.ReadData(PeriodicDataLength(subCode), data)) return;
  uint8_t result;
  {
    StateRef state = frame.State();
    int& forced = state->reports.nextReportResult;
    result = forced >= 0 ? static_cast<uint8_t>(forced) : Judge(*state, subCode, data);
    forced = -1;
    const bool settlement = subCode >= kSettlementByDates && subCode <= kSettlementWhole;
    // A settlement report ends the printer's fiscal life: read-only from now on.
    if (settlement && result == kReportAccepted)
      state->status[status::kFiscal] |= status::kReadOnly;
    data.insert(data.begin(), subCode);
    Record(*state, '1', std::move(data), result, result == kReportAccepted);
  }
  frame.Send(result);
}

}  // namespace

namespace {

// Command bytes and their handlers.
constexpr uint8_t kDailyReportNumber = 0xD9;
constexpr uint8_t kPrinterNumber = 0xD8;

void DailyReportNumberCommand(Frame& frame) {
  uint16_t n = frame.State()->reports.dailyReportNumber;
  frame.Answer({static_cast<uint8_t>(n & 0xFF), static_cast<uint8_t>(n >> 8)});
}

void PrinterNumberCommand(Frame& frame) {
  std::array<uint8_t, 4> number = frame.State()->service.printerNumber;
  frame.Answer({number.begin(), number.end()});
}

}  // namespace

void RegisterReportCommands(CommandTable& table) {
  table.Register('%', DailyReport);
  RegisterPrintedReport(table, '"');
  RegisterPrintedReport(table, '0');
  RegisterPrintedReport(table, '&');
  table.Register('(', PeriodReport);
  table.Register(')', PeriodReport);
  table.Register('1', PeriodicReport);
  table.Register(kDailyReportNumber, &DailyReportNumberCommand);
  table.Register(kPrinterNumber, &PrinterNumberCommand);
}

}  // namespace printer_sim
