#include "printer_link/commands/service.h"

#include <array>
#include <cstring>
#include <span>
#include <string_view>

#include "kavoruw_codes.h"
#include "printer_link/commands/code_page.h"
#include "printer_link/commands/print_control.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

constexpr uint8_t kOpenDrawer1 = 'W';  // 'X' and 'Y' follow for drawers 2 and 3
constexpr uint8_t kSetPrinterNumber = 'C';
constexpr uint8_t kWriteFeedCount = 'F';
constexpr uint8_t kSetRounding = 't';
constexpr uint8_t kDisplayTest = '2';
constexpr uint8_t kClearPriceBuffer = 'w';
constexpr uint8_t kEpromTest = '\'';
constexpr uint8_t kPowerOff = 0xFD;
constexpr uint8_t kReadUniqueNumber = 'q';
constexpr uint8_t kWriteUserData = 0x9C;
constexpr uint8_t kReadUserData = 0x9D;
constexpr uint8_t kReadUserDataPharmacy = 0x9E;
constexpr uint8_t kPrintUserData = '3';

constexpr size_t kUserDataReadLength = 42;
constexpr size_t kNarrowLine = 20;
constexpr size_t kWideLine = 40;

// Width flag 1 is a 20-character line, any other flag a 40-character one.
constexpr size_t LineWidth(uint32_t flag) { return flag == 1 ? kNarrowLine : kWideLine; }

void AppendCp852(std::vector<uint8_t>& record, std::string_view text) {
  for (char c : text) record.push_back(Cp1250ToCp852(static_cast<uint8_t>(c)));
}

// WriteFeedCount and WriteLineFeed differ only in their progress text.
int32_t SendFeedCount(TPrinterLink& link, std::string_view progressText, int64_t n) {
  ShowProgressText(link, progressText);
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  if (n < 0 || n > 0xFF) return kErrInternal;
  const uint8_t data[] = {static_cast<uint8_t>(n)};
  return ExecuteSequence(link, kWriteFeedCount, 1, data);
}

// The common part of both unique-number reads: 11 characters in answer[0..10].
int32_t ReadUniqueAnswer(TPrinterLink& link, Block& answer) {
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  return ExecuteSequence(link, kReadUniqueNumber, 1 + kUniqueNumberLength, {}, &answer);
}

// Byte 1 is not used, byte 2 is the width flag, the text follows.
std::string UserDataLineText(std::span<const uint8_t, kUserDataReadLength> raw) {
  const size_t width = LineWidth(raw[1]);
  return FromCp852(std::string_view(reinterpret_cast<const char*>(raw.data()) + 2, width));
}

}  // namespace

std::vector<uint8_t> PrinterNumberRecord(const std::string& number, const std::string& code) {
  if (number.size() < 2 || code.size() < 2) return {};
  return {static_cast<uint8_t>(number[0]), static_cast<uint8_t>(number[1]),
          static_cast<uint8_t>(code[0]), static_cast<uint8_t>(code[1])};
}

std::vector<uint8_t> UserDataLineRecord(uint32_t lineNo, uint32_t width, const std::string& text) {
  const size_t length = LineWidth(width);
  if (lineNo > 0xFF || width > 0xFF || text.size() < length) return {};
  std::vector<uint8_t> record{static_cast<uint8_t>(lineNo), static_cast<uint8_t>(width)};
  AppendCp852(record, std::string_view(text).substr(0, length));
  return record;
}

std::vector<uint8_t> UserDataControlRecord(const std::string& line1, const std::string& line2,
                                           const std::string& line3, const std::string& line4) {
  std::vector<uint8_t> record;
  for (const std::string* line : {&line1, &line2, &line3, &line4}) {
    if (line->size() == kNarrowLine) record.push_back(1);
    else if (line->size() == kWideLine) record.push_back(0);
    else return {};
    AppendCp852(record, *line);
  }
  // The printer takes one byte more than the four lines.
  record.push_back(0x00);
  return record;
}

int32_t inner::OpenDrawer(TPrinterLink& link, int32_t drawer) {
  ShowProgressText(link, "Otwarcie szuflady...");
  if (int32_t r = LinkCheck(link, false)) return r;
  if (drawer < 1 || drawer > 3) return kErrDrawerNumber;
  return ExecuteSequence(link, static_cast<uint8_t>(kOpenDrawer1 + drawer - 1), 1);
}

int32_t inner::SetPrinterNumber(TPrinterLink& link, const std::string& number,
                                const std::string& code) {
  ShowProgressText(link, "Zapis numeru drukarki i kodu obsługującego...");
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  const std::vector<uint8_t> record = PrinterNumberRecord(number, code);
  if (record.empty()) return kErrInternal;
  return ExecuteSequence(link, kSetPrinterNumber, 1, record);
}

int32_t inner::WriteFeedCount(TPrinterLink& link, uint32_t n) {
  return SendFeedCount(link, "Zapis ilosci wysuwów...", n);
}

int32_t inner::WriteLineFeed(TPrinterLink& link, int32_t n) {
  return SendFeedCount(link, "Zapis ilosci wierszy do wysunięcia...", n);
}

int32_t inner::SetRoundingType(TPrinterLink& link, uint32_t mode) {
  ShowProgressText(link, "Zapis typu zaokrąglenia...");
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  // '0' + mode must still fit the byte: modes above 207 are out of range.
  if (mode > 0xFF - '0') return kErrInternal;
  const uint8_t data[] = {static_cast<uint8_t>('0' + mode)};
  return ExecuteSequence(link, kSetRounding, 1, data);
}

int32_t inner::DisplayTest(TPrinterLink& link, uint32_t step) {
  ShowProgressText(link, "Test wyswietlacza...");
  if (int32_t r = LinkCheck(link, true)) return r;
  // Only a failed read stops the test; the bits are not looked at.
  uint8_t s2 = 0;
  if (int32_t r = ReadStatusByte(link, kPrinterStatus, s2)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  if (step > 0xFF) return kErrInternal;
  const uint8_t data[] = {static_cast<uint8_t>(step)};
  return ExecuteSequence(link, kDisplayTest, 1, data);
}

int32_t inner::ClearPriceBuffer(TPrinterLink& link) {
  ShowProgressText(link, "Kasowanie bufora wycen...");
  if (int32_t r = LinkCheck(link, true)) return r;
  if (int32_t r = StatusGate(link)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  return ExecuteSequence(link, kClearPriceBuffer, 1);
}

int32_t inner::EpromTest(TPrinterLink& link) {
  ShowProgressText(link, "Test pamięci EPROM...");
  if (int32_t r = LinkCheck(link, true)) return r;
  if (int32_t r = StatusGate(link)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  if (int32_t r = WaitPrintEnd(link, kCheckMode)) return r;
  if (int32_t r = ExecuteSequence(link, kEpromTest, 1)) return r;
  return inner::PrintControl(link, kPrintoutMode);
}

int32_t inner::RemotePrinterOff(TPrinterLink& link) {
  ShowProgressText(link, "Wyłączenie drukarki...");
  if (int32_t r = LinkCheck(link, true)) return r;
  static constexpr uint8_t kData[] = {'0', '0', '0', '0', '0'};
  return ExecuteSequence(link, kPowerOff, 1, kData);
}

int32_t inner::ReadUniqueNumber(TPrinterLink& link, std::string& number) {
  ShowProgressText(link, "Odczyt numeru unikatowego...");
  number.clear();
  Block answer{};
  if (int32_t r = ReadUniqueAnswer(link, answer)) return r;
  const char* chars = reinterpret_cast<const char*>(answer.data());
  number.assign(chars, 3);
  number += ' ';
  number.append(chars + 3, kUniqueNumberLength - 3);
  return kOk;
}

int32_t inner::pReadUniqueNumber(TPrinterLink& link, char* buffer) {
  if (buffer == nullptr) return kErrNullBuffer;
  buffer[0] = '\0';
  Block answer{};
  if (int32_t r = ReadUniqueAnswer(link, answer)) return r;
  std::memcpy(buffer, answer.data(), kUniqueNumberLength);
  buffer[kUniqueNumberLength] = '\0';
  return kOk;
}

int32_t inner::ReadUserData(TPrinterLink& link, std::string& line1, std::string& line2,
                            std::string& line3, std::string& line4) {
  const std::array<std::string*, 4> lines{&line1, &line2, &line3, &line4};
  for (std::string* line : lines) line->clear();
  ShowProgressText(link, "Odczyt danych użytkownika...");
  if (int32_t r = LinkCheck(link, true)) return r;
  uint8_t s2 = 0;
  if (int32_t r = ReadStatusByte(link, kPrinterStatus, s2)) return r;
  if (s2 & status::kCmosErased) return kErrCmosErased;
  uint8_t s1 = 0;
  if (int32_t r = ReadStatusByte(link, kFiscalStatus, s1)) return r;
  if (!(s1 & status::kUserData)) return kErrNoUserData;
  uint8_t kind = 0;
  uint32_t version = 0;
  if (int32_t r = inner::ReadDeviceType(link, kind, version)) return r;
  if (!HasUserDataRead(kind)) return kErrNotOnThisDevice;
  const uint8_t command =
      DeviceKindRules(kind).pharmacyUserData ? kReadUserDataPharmacy : kReadUserData;
  for (uint8_t n = 1; n <= lines.size(); ++n) {
    const uint8_t data[] = {n};
    std::array<uint8_t, kUserDataReadLength> raw{};
    if (int32_t r = ExecuteSequence(link, command, 1, data, nullptr, raw)) return r;
    *lines[n - 1] = UserDataLineText(raw);
  }
  return kOk;
}

int32_t inner::WriteUserData(TPrinterLink& link, uint32_t lineNo, uint32_t width,
                             const std::string& text) {
  if (int32_t r = LinkCheck(link, true)) return r;
  if (int32_t r = StatusGate(link)) return r;
  const std::vector<uint8_t> record = UserDataLineRecord(lineNo, width, text);
  if (record.empty()) return kErrInternal;
  uint8_t result = 0;
  if (int32_t r =
          ExecuteSequence(link, kWriteUserData, 1, record, nullptr, std::span(&result, 1))) {
    return r;
  }
  return result == 0 ? kOk : kErrUserDataNotWritten;
}

int32_t inner::PrintUserDataControl(TPrinterLink& link, const std::string& line1,
                                    const std::string& line2, const std::string& line3,
                                    const std::string& line4) {
  ShowProgressText(link, "Wydruk kontrolny danych użytkownika...");
  // A line of another width has no width byte: refused before the printer
  // is asked anything.
  const std::vector<uint8_t> record = UserDataControlRecord(line1, line2, line3, line4);
  if (record.empty()) return kErrInternal;
  if (int32_t r = LinkCheck(link, true)) return r;
  if (int32_t r = WaitPrintEnd(link, kCheckMode)) return r;
  if (int32_t r = StatusGate(link)) return r;
  if (int32_t r = ExecuteSequence(link, kPrintUserData, 1, record)) return r;
  return inner::PrintControl(link, kPrintoutMode);
}

}  // namespace kavoruw
