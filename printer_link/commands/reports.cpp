#include "printer_link/commands/reports.h"

#include <algorithm>
#include <span>

#include "kavoruw_codes.h"
#include "printer_link/commands/conditions.h"
#include "printer_link/commands/link_session.h"
#include "printer_link/commands/print_control.h"
#include "printer_link/commands/status.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"
#include "printer_link/engine/range.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

constexpr uint8_t kDailyReportCommand = '%';
constexpr uint8_t kLockedArticlesCommand = '"';
constexpr uint8_t kFixedDescriptionsCommand = '0';
constexpr uint8_t kPrinterStatusCommand = '&';
constexpr uint8_t kDetailedPeriodCommand = '(';
constexpr uint8_t kShortPeriodCommand = ')';
constexpr uint8_t kPeriodicReportCommand = '1';
constexpr uint8_t kReceiptCounterCommand = 'f';
constexpr uint8_t kDailyReportNumberCommand = 0xD9;
constexpr uint8_t kPrinterNumberCommand = 0xD8;

// Result bytes of command '1' above this are not the printer's verdicts.
constexpr uint8_t kLastReportResult = 5;

// Exported kinds: 1 detailed, 0 short.
bool IsReportKind(int32_t kind) { return kind == 0 || kind == 1; }

uint8_t Tens(int32_t value) { return static_cast<uint8_t>(value / 10); }
uint8_t Units(int32_t value) { return static_cast<uint8_t>(value % 10); }

int32_t LinkAndNoReceipt(TPrinterLink& link) {
  if (int32_t r = LinkCheck(link, true)) return r;
  return link.DriverState.Receipt.Open() ? kErrReceiptOpen : kOk;
}

// A report command and the wait for its printout.
int32_t PrintReport(TPrinterLink& link, uint8_t command) {
  if (int32_t r = ExecuteSequence(link, command, 1)) return r;
  return inner::PrintControl(link, kPrintoutMode);
}

// Command '1' with its data, then the result byte the printer sends after it.
int32_t SendPeriodicReport(TPrinterLink& link, std::span<const uint8_t> record, uint8_t& result) {
  return ExecuteSequence(link, kPeriodicReportCommand, 1, record, nullptr, std::span(&result, 1));
}

// The printer's verdict on a periodic report; an accepted one is printing.
int32_t ReportResult(TPrinterLink& link, uint8_t result) {
  if (result == 0) return inner::PrintControl(link, kPrintoutMode);
  if (result <= kLastReportResult) return kErrReportDates + result - 1;
  return kErrBadAnswer;
}

// MonthlyReport and NumberReport after their argument checks.
int32_t PeriodicReportOnSecondGeneration(TPrinterLink& link, const std::vector<uint8_t>& record) {
  uint8_t kind = 0;
  uint32_t version = 0;
  if (int32_t r = inner::ReadDeviceType(link, kind, version)) return r;
  if (!HasMonthlyReports(kind)) return kErrNotOnThisDevice;
  uint8_t result = 0;
  if (int32_t r = OnLongReportPort(link, [&] { return SendPeriodicReport(link, record, result); }))
    return r;
  return ReportResult(link, result);
}

// A two-byte little-endian counter.
int32_t ReadCounter(TPrinterLink& link, uint8_t command, int32_t& n) {
  if (int32_t r = LinkAndNoReceipt(link)) return r;
  Block answer{};
  if (int32_t r = ExecuteSequence(link, command, 3, {}, &answer)) return r;
  n = answer[0] + 256 * answer[1];
  return kOk;
}

}  // namespace

std::vector<uint8_t> PeriodReportRecord(int32_t y1, int32_t m1, int32_t d1, int32_t y2, int32_t m2,
                                        int32_t d2) {
  std::vector<uint8_t> record;
  for (int32_t value : {y1, m1, d1, y2, m2, d2}) {
    record.push_back(Tens(value));
    record.push_back(Units(value));
  }
  return record;
}

std::vector<uint8_t> MonthlyReportRecord(int32_t kind, int32_t year, int32_t month) {
  const uint8_t subCode = kind == 1 ? 2 : 5;
  return {subCode, Tens(year), Units(year), Tens(month), Units(month)};
}

std::vector<uint8_t> NumberReportRecord(int32_t kind, int32_t from, int32_t to) {
  const uint8_t subCode = kind == 1 ? 1 : 4;
  return {subCode, static_cast<uint8_t>(from & 0xFF), static_cast<uint8_t>((from >> 8) & 0xFF),
          static_cast<uint8_t>(to & 0xFF), static_cast<uint8_t>((to >> 8) & 0xFF)};
}

std::vector<uint8_t> PeriodicReportRecord(TPeriodReportKind kind, const ReportParams& params) {
  size_t used = 0;
  if (kind == 0 || kind == 3) used = 12;
  else if (kind <= 5) used = 4;
  std::vector<uint8_t> record(1 + used);
  record[0] = kind;
  std::copy_n(params.begin(), used, record.begin() + 1);
  return record;
}

int32_t inner::DailyReport(TPrinterLink& link, int32_t flag) {
  ShowProgressText(link, "Raport dobowy...");
  if (int32_t r = LinkAndNoReceipt(link)) return r;
  if (int32_t r = WaitPrintEnd(link, kCheckMode)) return r;
  // With flag set the caller has already decided about an empty report.
  if (flag == 0 || !AcceptsEmptyDailyReport(link.DriverState.DeviceKind)) {
    Block answer{};
    if (int32_t r = ExecuteSequence(link, kReceiptCounterCommand, 3, {}, &answer)) return r;
    if (answer[0] == 0 && answer[1] == 0) return kErrZeroReceiptCounter;
  }
  return PrintReport(link, kDailyReportCommand);
}

int32_t inner::LockedArticlesReport(TPrinterLink& link) {
  ShowProgressText(link, "Raport nazw towarów zablokowanych...");
  if (int32_t r = LinkAndNoReceipt(link)) return r;
  if (int32_t r = WaitPrintEnd(link, kCheckMode)) return r;
  return PrintReport(link, kLockedArticlesCommand);
}

int32_t inner::FixedDescriptionsReport(TPrinterLink& link) {
  ShowProgressText(link, "Raport opisów stałych...");
  if (int32_t r = LinkCheck(link, true)) return r;
  if (int32_t r = StatusGate(link)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  if (int32_t r = WaitPrintEnd(link, kCheckMode)) return r;
  return PrintReport(link, kFixedDescriptionsCommand);
}

int32_t inner::PrinterStatusReport(TPrinterLink& link) {
  ShowProgressText(link, "Raport stanu drukarki...");
  if (int32_t r = LinkAndNoReceipt(link)) return r;
  if (int32_t r = WaitPrintEnd(link, kCheckMode)) return r;
  return PrintReport(link, kPrinterStatusCommand);
}

int32_t inner::PeriodReport(TPrinterLink& link, int32_t kind, int32_t y1, int32_t m1, int32_t d1,
                            int32_t y2, int32_t m2, int32_t d2) {
  ShowProgressText(link, "Raport okresowy...");
  if (int32_t r = LinkAndNoReceipt(link)) return r;
  if (!IsReportKind(kind) || !InRange(y1, 1, 99) || !InRange(y2, 1, 99) || !InRange(m1, 1, 12) ||
      !InRange(m2, 1, 12) || !InRange(d1, 1, 31) || !InRange(d2, 1, 31)) {
    return kErrParameterRange;
  }
  const std::vector<uint8_t> record = PeriodReportRecord(y1, m1, d1, y2, m2, d2);
  const uint8_t command = kind == 1 ? kDetailedPeriodCommand : kShortPeriodCommand;
  if (int32_t r = OnLongReportPort(link, [&] { return ExecuteSequence(link, command, 1, record); }))
    return r;
  return inner::PrintControl(link, kPrintoutMode);
}

int32_t inner::MonthlyReport(TPrinterLink& link, int32_t kind, int32_t year, int32_t month) {
  ShowProgressText(link, "Raport miesięczny...");
  if (int32_t r = LinkAndNoReceipt(link)) return r;
  if (!IsReportKind(kind) || !InRange(year, 0, 99) || !InRange(month, 1, 12)) {
    return kErrParameterRange;
  }
  return PeriodicReportOnSecondGeneration(link, MonthlyReportRecord(kind, year, month));
}

int32_t inner::NumberReport(TPrinterLink& link, int32_t kind, int32_t from, int32_t to) {
  ShowProgressText(link, "Raport okresowy...");
  if (int32_t r = LinkAndNoReceipt(link)) return r;
  if (!IsReportKind(kind) || !InRange(from, 0, 65535) || !InRange(to, 0, 65535)) {
    return kErrParameterRange;
  }
  return PeriodicReportOnSecondGeneration(link, NumberReportRecord(kind, from, to));
}

int32_t inner::PeriodicReportByKind(TPrinterLink& link, TPeriodReportKind kind,
                                    const ReportParams& params) {
  const std::vector<uint8_t> record = PeriodicReportRecord(kind, params);
  if (int32_t r = LinkCheck(link, true)) return r;
  if (int32_t r = inner::CheckPeriodReportConditions(link)) return r;
  uint8_t result = 0;
  int32_t r = OnLongReportPort(link, [&] {
    return static_cast<int32_t>(
        ExecuteSequence(link, kPeriodicReportCommand, 1, record, nullptr, std::span(&result, 1)));
  });
  if (r != 0) return r;
  return ReportResult(link, result);
}

int32_t inner::ReceiptNumber(TPrinterLink& link, int32_t& n) { return ReadReceiptCounter(link, n); }

int32_t inner::DailyReportNumber(TPrinterLink& link, int32_t& n) {
  ShowProgressText(link, "Odczyt numeru raportu dobowego...");
  return ReadCounter(link, kDailyReportNumberCommand, n);
}

int32_t inner::PrinterNumber(TPrinterLink& link, int32_t& number, std::string& code) {
  ShowProgressText(link, "Odczyt numeru ostatniego paragonu...");
  if (int32_t r = LinkAndNoReceipt(link)) return r;
  Block answer{};
  if (int32_t r = ExecuteSequence(link, kPrinterNumberCommand, 5, {}, &answer)) return r;
  // Two digit characters; anything below '0' gives no number.
  const int32_t value = (answer[0] - '0') * 10 + (answer[1] - '0');
  if (value < 0) return kErrInternal;
  number = value;
  code.assign({static_cast<char>(answer[2]), static_cast<char>(answer[3])});
  return kOk;
}

}  // namespace kavoruw
