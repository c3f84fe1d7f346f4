#include "printer_link/commands/reports.h"

#include <algorithm>
#include <span>

#include "printer_link/port/comm.h"
#include "printer_link/commands/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/engine/engine.h"
#include "kavoruw_codes.h"
#include "printer_link/api/guard.h"
#include "printer_link/commands/lifecycle.h"
#include "printer_link/link/link.h"
#include "printer_link/device/print_control.h"

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

// These printers make a daily report with no receipt since the last one.
bool AcceptsEmptyDailyReport(uint8_t kind) {
  return kind == 2 || kind == 3 || kind == 6 || kind == 7;
}

uint8_t Tens(int32_t value) { return static_cast<uint8_t>(value / 10); }
uint8_t Units(int32_t value) { return static_cast<uint8_t>(value % 10); }


int32_t LinkAndNoReceipt() {
  if (int32_t r = LinkCheck(true)) return r;
  return DriverState.ReceiptOpen ? kErrReceiptOpen : kOk;
}

// A report command and the wait for its printout.
int32_t PrintReport(uint8_t command) {
  if (int32_t r = ExecuteSequence(command, 1)) return r;
  return PrintControl(kPrintoutMode);
}

// The port in use, reopened with the long read time-out while the printer
// prepares a report, and given its own time-outs back when the guard ends.
// Its own number and speed are taken: a point-of-sale program's link must
// survive the report.
class LongReportPort {
 public:
  LongReportPort() {
    if (!CommPort) return;
    captured_ = true;
    port_ = CommPort->PortNumber();
    baud_ = CommPort->BaudRate();
    writeTimeout_ = CommPort->WriteTimeout();
    readTimeout_ = CommPort->ReadTimeout();
  }
  ~LongReportPort() {
    if (!captured_) return;
    try {
      // A port that cannot be reopened shows up in the next command.
      Reopen(readTimeout_);
    } catch (...) {
    }
  }
  LongReportPort(const LongReportPort&) = delete;
  LongReportPort& operator=(const LongReportPort&) = delete;

  int32_t Open() { return captured_ ? Reopen(kLongReportReadTimeout) : kErrNoPortNumber; }

 private:
  int32_t Reopen(uint16_t readSec) {
    if (int32_t r = ClosePortObject()) return r;
    return DoOpenPort(port_, baud_, writeTimeout_, readSec);
  }

  bool captured_ = false;
  uint8_t port_ = 0;
  int32_t baud_ = 0;
  uint16_t writeTimeout_ = 0;
  uint16_t readTimeout_ = 0;
};

// Runs send on the port reopened for a long report; the normal time-outs are
// back before this returns, whichever way send ends.
template <typename Send>
int32_t OnLongReportPort(Send send) {
  LongReportPort port;
  if (int32_t r = port.Open()) return r;
  return send();
}

// Command '1' with its data, then the result byte the printer sends after it.
int32_t SendPeriodicReport(std::span<const uint8_t> record, uint8_t& result) {
  return ExecuteSequence(kPeriodicReportCommand, 1, record, nullptr, std::span(&result, 1));
}

// The printer's verdict on a periodic report; an accepted one is printing.
int32_t ReportResult(uint8_t result) {
  if (result == 0) return PrintControl(kPrintoutMode);
  if (result <= kLastReportResult) return kErrReportDates + result - 1;
  return kErrBadAnswer;
}

// MonthlyReport and NumberReport after their argument checks.
int32_t PeriodicReportOnSecondGeneration(const std::vector<uint8_t>& record) {
  uint8_t kind = 0;
  uint32_t version = 0;
  if (int32_t r = ReadDeviceType(kind, version)) return r;
  if (!HasMonthlyReports(kind)) return kErrNotOnThisDevice;
  uint8_t result = 0;
  if (int32_t r = OnLongReportPort([&] { return SendPeriodicReport(record, result); })) return r;
  return ReportResult(result);
}

// A two-byte little-endian counter.
int32_t ReadCounter(uint8_t command, int32_t& n) {
  if (int32_t r = LinkAndNoReceipt()) return r;
  Block answer{};
  if (int32_t r = ExecuteSequence(command, 3, {}, &answer)) return r;
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

int32_t DailyReport(int32_t flag) {
  ShowProgressText("Raport dobowy...");
  return Guarded([&] {
    if (int32_t r = LinkAndNoReceipt()) return r;
    if (int32_t r = WaitPrintEnd(kCheckMode)) return r;
    // With flag set the caller has already decided about an empty report.
    if (flag == 0 || !AcceptsEmptyDailyReport(DriverState.DeviceKind)) {
      Block answer{};
      if (int32_t r = ExecuteSequence(kReceiptCounterCommand, 3, {}, &answer)) return r;
      if (answer[0] == 0 && answer[1] == 0) return kErrZeroReceiptCounter;
    }
    return PrintReport(kDailyReportCommand);
  });
}

int32_t LockedArticlesReport() {
  ShowProgressText("Raport nazw towarów zablokowanych...");
  return Guarded([] {
    if (int32_t r = LinkAndNoReceipt()) return r;
    if (int32_t r = WaitPrintEnd(kCheckMode)) return r;
    return PrintReport(kLockedArticlesCommand);
  });
}

int32_t FixedDescriptionsReport() {
  ShowProgressText("Raport opisów stałych...");
  return Guarded([] {
    if (int32_t r = LinkCheck(true)) return r;
    if (int32_t r = StatusGate()) return r;
    if (DriverState.ReceiptOpen) return kErrReceiptOpen;
    if (int32_t r = WaitPrintEnd(kCheckMode)) return r;
    return PrintReport(kFixedDescriptionsCommand);
  });
}

int32_t PrinterStatusReport() {
  ShowProgressText("Raport stanu drukarki...");
  return Guarded([] {
    if (int32_t r = LinkAndNoReceipt()) return r;
    if (int32_t r = WaitPrintEnd(kCheckMode)) return r;
    return PrintReport(kPrinterStatusCommand);
  });
}

int32_t PeriodReport(int32_t kind, int32_t y1, int32_t m1, int32_t d1, int32_t y2, int32_t m2,
                     int32_t d2) {
  ShowProgressText("Raport okresowy...");
  return Guarded([&] {
    if (int32_t r = LinkAndNoReceipt()) return r;
    if (!IsReportKind(kind) || !InRange(y1, 1, 99) || !InRange(y2, 1, 99) || !InRange(m1, 1, 12) ||
        !InRange(m2, 1, 12) || !InRange(d1, 1, 31) || !InRange(d2, 1, 31)) {
      return kErrParameterRange;
    }
    const std::vector<uint8_t> record = PeriodReportRecord(y1, m1, d1, y2, m2, d2);
    const uint8_t command = kind == 1 ? kDetailedPeriodCommand : kShortPeriodCommand;
    if (int32_t r = OnLongReportPort([&] { return ExecuteSequence(command, 1, record); })) return r;
    return PrintControl(kPrintoutMode);
  });
}

int32_t MonthlyReport(int32_t kind, int32_t year, int32_t month) {
  ShowProgressText("Raport miesięczny...");
  return Guarded([&] {
    if (int32_t r = LinkAndNoReceipt()) return r;
    if (!IsReportKind(kind) || !InRange(year, 0, 99) || !InRange(month, 1, 12)) {
      return kErrParameterRange;
    }
    return PeriodicReportOnSecondGeneration(MonthlyReportRecord(kind, year, month));
  });
}

int32_t NumberReport(int32_t kind, int32_t from, int32_t to) {
  ShowProgressText("Raport okresowy...");
  return Guarded([&] {
    if (int32_t r = LinkAndNoReceipt()) return r;
    if (!IsReportKind(kind) || !InRange(from, 0, 65535) || !InRange(to, 0, 65535)) {
      return kErrParameterRange;
    }
    return PeriodicReportOnSecondGeneration(NumberReportRecord(kind, from, to));
  });
}

int32_t PeriodicReportByKind(TPeriodReportKind kind, const ReportParams& params) {
  const std::vector<uint8_t> record = PeriodicReportRecord(kind, params);
  if (int32_t r = LinkCheck(true)) return r;
  if (int32_t r = CheckPeriodReportConditions()) return r;
  uint8_t result = 0;
  int32_t r = OnLongReportPort([&] {
    return static_cast<int32_t>(
        ExecuteSequence(kPeriodicReportCommand, 1, record, nullptr, std::span(&result, 1)));
  });
  if (r != 0) return r;
  return ReportResult(result);
}

int32_t ReceiptNumber(int32_t& n) {
  return Guarded([&] { return ReadReceiptCounter(n); });
}

int32_t DailyReportNumber(int32_t& n) {
  ShowProgressText("Odczyt numeru raportu dobowego...");
  return Guarded([&] { return ReadCounter(kDailyReportNumberCommand, n); });
}

int32_t PrinterNumber(int32_t& number, std::string& code) {
  ShowProgressText("Odczyt numeru ostatniego paragonu...");
  return Guarded([&] {
    if (int32_t r = LinkAndNoReceipt()) return r;
    Block answer{};
    if (int32_t r = ExecuteSequence(kPrinterNumberCommand, 5, {}, &answer)) return r;
    // Two digit characters; anything below '0' gives no number.
    const int32_t value = (answer[0] - '0') * 10 + (answer[1] - '0');
    if (value < 0) return kErrInternal;
    number = value;
    code.assign({static_cast<char>(answer[2]), static_cast<char>(answer[3])});
    return kOk;
  });
}

}  // namespace kavoruw
