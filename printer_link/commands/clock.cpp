#include "printer_link/commands/clock.h"

#include "kavoruw_codes.h"
#include "printer_link/commands/print_control.h"
#include "printer_link/commands/reports.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

constexpr uint8_t kReadClockCommand = '5';       // yy mm dd hh mi
constexpr uint8_t kReadLongClockCommand = 0x40;  // yy mm dd hh mi ss
constexpr uint8_t kSetClockCommand = '4';
constexpr uint8_t kShiftClockCommand = '6';
constexpr size_t kShortClockDigits = 10;
constexpr size_t kLongClockDigits = 12;

// The clock answer: digit values, two per field. Anything else would not
// give the one character per byte that the texts are sized for.
int32_t ReadClockDigits(TPrinterLink& link, uint8_t command, size_t digits, Block& answer) {
  if (int32_t r = ExecuteSequence(link, command, static_cast<uint8_t>(digits + 1), {}, &answer))
    return r;
  for (size_t i = 0; i < digits; ++i) {
    if (answer[i] > 9) return kErrBadAnswer;
  }
  return kOk;
}

// Field starting at answer byte i as two characters.
std::string Field(const Block& answer, size_t i) {
  return {static_cast<char>('0' + answer[i]), static_cast<char>('0' + answer[i + 1])};
}

void PushField(std::vector<uint8_t>& data, uint8_t value) {
  data.push_back(value / 10);
  data.push_back(value % 10);
}

}  // namespace

std::vector<uint8_t> ClockInitRecord(uint8_t yy, uint8_t mm, uint8_t dd, uint8_t hh, uint8_t mi) {
  std::vector<uint8_t> data;
  for (uint8_t field : {yy, mm, dd, hh, mi}) PushField(data, field);
  return data;
}

std::vector<uint8_t> ClockShiftRecord(uint8_t direction, uint8_t minutes) {
  std::vector<uint8_t> data{direction};
  PushField(data, minutes);
  return data;
}

int32_t inner::ReadClock(TPrinterLink& link, std::string& date, std::string& time) {
  ShowProgressText(link, "Odczyt zegara...");
  time.clear();
  date.clear();
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  uint8_t kind = 0;
  uint32_t version = 0;
  if (int32_t r = inner::ReadDeviceType(link, kind, version)) return r;
  const bool seconds = HasLongClock(kind);
  Block answer{};
  if (int32_t r = ReadClockDigits(link, seconds ? kReadLongClockCommand : kReadClockCommand,
                                  seconds ? kLongClockDigits : kShortClockDigits, answer)) {
    return r;
  }
  date = "20" + Field(answer, 0) + "." + Field(answer, 2) + "." + Field(answer, 4);
  time = Field(answer, 6) + ":" + Field(answer, 8);
  if (seconds) time += ":" + Field(answer, 10);
  return kOk;
}

int32_t inner::pReadClock(TPrinterLink& link, char* buffer) {
  if (buffer == nullptr) return kErrNullBuffer;
  buffer[0] = '\0';
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  Block answer{};
  if (int32_t r = ReadClockDigits(link, kReadClockCommand, kShortClockDigits, answer)) return r;
  const std::string text = Field(answer, 0) + "." + Field(answer, 2) + "." + Field(answer, 4) +
                           ";" + Field(answer, 6) + ":" + Field(answer, 8);
  const size_t n = text.copy(buffer, kClockTextLength);
  buffer[n] = '\0';
  return kOk;
}

int32_t inner::InitClock(TPrinterLink& link, uint8_t yy, uint8_t mm, uint8_t dd, uint8_t hh,
                         int32_t mi) {
  ShowProgressText(link, "Inicjowanie zegara...");
  if (yy > 99 || mm > 99 || dd > 99 || hh > 99 || mi < 0 || mi > 99) return kErrParameterRange;
  if (int32_t r = LinkCheck(link, true)) return r;
  uint8_t s2 = 0;
  if (int32_t r = ReadStatusByte(link, kPrinterStatus, s2)) return r;
  if ((s2 & status::kCmosErased) == 0) return kErrCmosNotErased;
  uint8_t s1 = 0;
  if (int32_t r = ReadStatusByte(link, kFiscalStatus, s1)) return r;
  if (s1 & status::kFiscalMode) {
    // In fiscal mode only whether the service status can be read counts.
    uint8_t s4 = 0;
    if (int32_t r = ReadStatusByte(link, kServiceStatus, s4)) return r;
  }
  const std::vector<uint8_t> data = ClockInitRecord(yy, mm, dd, hh, static_cast<uint8_t>(mi));
  if (int32_t r = ExecuteSequence(link, kSetClockCommand, 1, data)) return r;
  return inner::PrintControl(link, kPrintoutMode);
}

int32_t inner::ShiftClock(TPrinterLink& link, uint8_t direction, int32_t minutes) {
  ShowProgressText(link, "Przestawianie zegara...");
  if (direction > 1 || minutes < 1 || minutes > 60) return kErrParameterRange;
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  int32_t counter = 0;
  if (int32_t r = inner::ReceiptNumber(link, counter)) return r;
  if (counter != 0) return kErrReceiptCounterNotZero;
  const std::vector<uint8_t> data = ClockShiftRecord(direction, static_cast<uint8_t>(minutes));
  return ExecuteSequence(link, kShiftClockCommand, 1, data);
}

}  // namespace kavoruw
