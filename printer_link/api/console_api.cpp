// The C++ API of the core: every call runs its inner twin inside the one
// frame of the boundary (the call lock and the exception guard), so that
// calls take turns and nothing thrown inside the driver reaches the console.
#include "kavoruw_core.h"
#include "printer_link/api/dll_info.h"
#include "printer_link/api/error_texts.h"
#include "printer_link/api/guard.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/clock.h"
#include "printer_link/commands/conditions.h"
#include "printer_link/commands/link_session.h"
#include "printer_link/commands/print_control.h"
#include "printer_link/commands/receipt.h"
#include "printer_link/commands/receipt_buffers.h"
#include "printer_link/commands/reports.h"
#include "printer_link/commands/samples.h"
#include "printer_link/commands/service.h"
#include "printer_link/commands/status.h"
#include "printer_link/commands/vat.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/link.h"

namespace kavoruw {

int32_t DoOpenPort(uint8_t port, int32_t baud, uint16_t writeSec, uint16_t readSec) {
  return Guarded([&] { return inner::DoOpenPort(Link(), port, baud, writeSec, readSec); });
}

int32_t ClosePortObject() {
  return Guarded([&] { return inner::ClosePortObject(Link()); });
}

bool SetPortTimeouts(uint16_t writeSec, uint16_t readSec) {
  return GuardedFlag([&] { return inner::SetPortTimeouts(Link(), writeSec, readSec); });
}

bool ReadPortByte(uint8_t& b) {
  return GuardedFlag([&] { return inner::ReadPortByte(Link(), b); });
}

int32_t RSSequence(int32_t cmd, int32_t answerLen, int32_t dataLen, uint8_t* answer,
                   const uint8_t* data) {
  return Guarded([&] { return inner::RSSequence(Link(), cmd, answerLen, dataLen, answer, data); });
}

int32_t ReadDeviceType(uint8_t& kind, uint32_t& version) {
  return Guarded([&] { return inner::ReadDeviceType(Link(), kind, version); });
}

int32_t IdentifyDevice(uint32_t& version) {
  return Guarded(
      [&] { return inner::ReadDeviceType(Link(), Link().DriverState.DeviceKind, version); });
}

const TDriverState& LinkState() {
  return Locked([]() -> const TDriverState& { return Link().DriverState; });
}

void SetConsoleHooks(ConsoleHooks hooks) {
  Locked([&] { InstallConsoleHooks(Link(), std::move(hooks)); });
}

int32_t ReadStatusBytes(uint32_t& count, uint8_t& s1, uint8_t& s2, uint8_t& s3, uint8_t& s4,
                        uint8_t& s5, uint8_t& s6) {
  return Guarded([&] { return inner::ReadStatusBytes(Link(), count, s1, s2, s3, s4, s5, s6); });
}

int32_t DeviceName(std::string& name) {
  return Guarded([&] { return inner::DeviceName(Link(), name); });
}

int32_t ErrMessage(int32_t code, std::string& text) {
  return Guarded([&] { return inner::ErrMessage(code, text); });
}

int32_t CommunicationInit(int32_t port, int32_t baud, int32_t timeoutSec) {
  return Guarded([&] { return inner::CommunicationInit(Link(), port, baud, timeoutSec); });
}

int32_t CommunicationEnd() {
  return Guarded([&] { return inner::CommunicationEnd(Link()); });
}

int32_t OpenPort(int32_t port, int32_t baud, int32_t writeSec, int32_t readSec) {
  return Guarded([&] { return inner::OpenPort(Link(), port, baud, writeSec, readSec); });
}

int32_t ClosePort() {
  return Guarded([&] { return inner::ClosePort(Link()); });
}

int32_t ReceiptConditions() {
  return Guarded([&] { return inner::ReceiptConditions(Link()); });
}

int32_t CheckReceiptConditions() {
  return Guarded([&] { return inner::CheckReceiptConditions(Link()); });
}

int32_t CheckPeriodReportConditions() {
  return Guarded([&] { return inner::CheckPeriodReportConditions(Link()); });
}

int32_t ReadFiscalMode(int32_t& fiscal) {
  return Guarded([&] { return inner::ReadFiscalMode(Link(), fiscal); });
}

int32_t CheckVATDefined(bool& defined) {
  return Guarded([&] { return inner::CheckVATDefined(Link(), defined); });
}

int32_t PrintControl(int32_t mode) {
  return Guarded([&] { return inner::PrintControl(Link(), mode); });
}

int32_t PrintResume() {
  return Guarded([&] { return inner::PrintResume(Link()); });
}

int32_t DailyReport(int32_t flag) {
  return Guarded([&] { return inner::DailyReport(Link(), flag); });
}

int32_t LockedArticlesReport() {
  return Guarded([&] { return inner::LockedArticlesReport(Link()); });
}

int32_t FixedDescriptionsReport() {
  return Guarded([&] { return inner::FixedDescriptionsReport(Link()); });
}

int32_t PrinterStatusReport() {
  return Guarded([&] { return inner::PrinterStatusReport(Link()); });
}

int32_t PeriodReport(int32_t kind, int32_t y1, int32_t m1, int32_t d1, int32_t y2, int32_t m2,
                     int32_t d2) {
  return Guarded([&] { return inner::PeriodReport(Link(), kind, y1, m1, d1, y2, m2, d2); });
}

int32_t MonthlyReport(int32_t kind, int32_t year, int32_t month) {
  return Guarded([&] { return inner::MonthlyReport(Link(), kind, year, month); });
}

int32_t NumberReport(int32_t kind, int32_t from, int32_t to) {
  return Guarded([&] { return inner::NumberReport(Link(), kind, from, to); });
}

int32_t PeriodicReportByKind(TPeriodReportKind kind, const ReportParams& params) {
  return Guarded([&] { return inner::PeriodicReportByKind(Link(), kind, params); });
}

int32_t ReceiptNumber(int32_t& n) {
  return Guarded([&] { return inner::ReceiptNumber(Link(), n); });
}

int32_t DailyReportNumber(int32_t& n) {
  return Guarded([&] { return inner::DailyReportNumber(Link(), n); });
}

int32_t PrinterNumber(int32_t& number, std::string& code) {
  return Guarded([&] { return inner::PrinterNumber(Link(), number, code); });
}

int32_t ReadClock(std::string& date, std::string& time) {
  return Guarded([&] { return inner::ReadClock(Link(), date, time); });
}

int32_t InitClock(uint8_t yy, uint8_t mm, uint8_t dd, uint8_t hh, int32_t mi) {
  return Guarded([&] { return inner::InitClock(Link(), yy, mm, dd, hh, mi); });
}

int32_t ShiftClock(uint8_t direction, int32_t minutes) {
  return Guarded([&] { return inner::ShiftClock(Link(), direction, minutes); });
}

int32_t ReadVAT(int32_t& count, int32_t& r1, int32_t& r2, int32_t& r3, int32_t& r4, int32_t& r5,
                int32_t& r6, int32_t& r7) {
  return Guarded([&] { return inner::ReadVAT(Link(), count, r1, r2, r3, r4, r5, r6, r7); });
}

int32_t SetVAT(int32_t& count, int32_t r1, int32_t r2, int32_t r3, int32_t r4, int32_t r5,
               int32_t r6, int32_t r7) {
  return Guarded([&] { return inner::SetVAT(Link(), count, r1, r2, r3, r4, r5, r6, r7); });
}

int32_t OpenDrawer(int32_t drawer) {
  return Guarded([&] { return inner::OpenDrawer(Link(), drawer); });
}

int32_t SetPrinterNumber(const std::string& number, const std::string& code) {
  return Guarded([&] { return inner::SetPrinterNumber(Link(), number, code); });
}

int32_t WriteFeedCount(uint32_t n) {
  return Guarded([&] { return inner::WriteFeedCount(Link(), n); });
}

int32_t WriteLineFeed(int32_t n) {
  return Guarded([&] { return inner::WriteLineFeed(Link(), n); });
}

int32_t SetRoundingType(uint32_t mode) {
  return Guarded([&] { return inner::SetRoundingType(Link(), mode); });
}

int32_t DisplayTest(uint32_t step) {
  return Guarded([&] { return inner::DisplayTest(Link(), step); });
}

int32_t ClearPriceBuffer() {
  return Guarded([&] { return inner::ClearPriceBuffer(Link()); });
}

int32_t EpromTest() {
  return Guarded([&] { return inner::EpromTest(Link()); });
}

int32_t RemotePrinterOff() {
  return Guarded([&] { return inner::RemotePrinterOff(Link()); });
}

int32_t ReadUniqueNumber(std::string& number) {
  return Guarded([&] { return inner::ReadUniqueNumber(Link(), number); });
}

int32_t ReadUserData(std::string& line1, std::string& line2, std::string& line3,
                     std::string& line4) {
  return Guarded([&] { return inner::ReadUserData(Link(), line1, line2, line3, line4); });
}

int32_t WriteUserData(uint32_t lineNo, uint32_t width, const std::string& text) {
  return Guarded([&] { return inner::WriteUserData(Link(), lineNo, width, text); });
}

int32_t PrintUserDataControl(const std::string& line1, const std::string& line2,
                             const std::string& line3, const std::string& line4) {
  return Guarded([&] { return inner::PrintUserDataControl(Link(), line1, line2, line3, line4); });
}

int32_t FillPayment(int32_t slot, const std::string& name, int32_t amount, int32_t amount2) {
  return Guarded([&] { return inner::FillPayment(Link(), slot, name, amount, amount2); });
}

int32_t FillLines(int32_t code, const std::string& text, int32_t* freeSlots) {
  return Guarded([&] { return inner::FillLines(Link(), code, text, freeSlots); });
}

int32_t ErasePayments() {
  return Guarded([&] { return inner::ErasePayments(Link()); });
}

int32_t EraseLines() {
  return Guarded([&] { return inner::EraseLines(Link()); });
}

int32_t ReceiptBegin() {
  return Guarded([&] { return inner::ReceiptBegin(Link()); });
}

int32_t ReceiptItem(int32_t kind, const std::string& name, int32_t vat, int32_t message,
                    int32_t qty, int32_t qtyDecimals, const std::string& unit, int32_t price,
                    int32_t& value) {
  return Guarded([&] {
    return inner::ReceiptItem(Link(), kind, name, vat, message, qty, qtyDecimals, unit, price,
                              value);
  });
}

int32_t ReceiptItemExt(int32_t kind, const std::string& name, int32_t vat, int32_t message,
                       int32_t qty, int32_t qtyDecimals, const std::string& unit, int32_t price,
                       int32_t& value) {
  return Guarded([&] {
    return inner::ReceiptItemExt(Link(), kind, name, vat, message, qty, qtyDecimals, unit, price,
                                 value);
  });
}

int32_t PackageItem(int32_t type, int32_t number1, int32_t number2, int32_t amount) {
  return Guarded([&] { return inner::PackageItem(Link(), type, number1, number2, amount); });
}

int32_t PrintSubtotal() {
  return Guarded([&] { return inner::PrintSubtotal(Link()); });
}

int32_t ReceiptEnd(int32_t discount) {
  return Guarded([&] { return inner::ReceiptEnd(Link(), discount); });
}

int32_t ReceiptCancel() {
  return Guarded([&] { return inner::ReceiptCancel(Link()); });
}

int32_t DropReceipt() {
  return Guarded([&] { return inner::DropReceipt(Link()); });
}

int32_t ReadTotal(std::string& total) {
  return Guarded([&] { return inner::ReadTotal(Link(), total); });
}

int32_t ReadSelTotal(const std::string& rate, std::string& total) {
  return Guarded([&] { return inner::ReadSelTotal(Link(), rate, total); });
}

int32_t SamplePrintCashState(const std::string& t1, const std::string& t2, const std::string& t3,
                             const std::string& t4, const std::string& t5, const std::string& t6) {
  return Guarded([&] { return inner::SamplePrintCashState(Link(), t1, t2, t3, t4, t5, t6); });
}

int32_t SamplePrintCashIn(const std::string& t1, const std::string& t2, const std::string& t3,
                          const std::string& t4, const std::string& t5) {
  return Guarded([&] { return inner::SamplePrintCashIn(Link(), t1, t2, t3, t4, t5); });
}

int32_t SamplePrintCashOut(const std::string& t1, const std::string& t2, const std::string& t3,
                           const std::string& t4, const std::string& t5) {
  return Guarded([&] { return inner::SamplePrintCashOut(Link(), t1, t2, t3, t4, t5); });
}

int32_t SamplePrintCashReport() {
  return Guarded([&] { return inner::SamplePrintCashReport(Link()); });
}

int32_t DllVersion(std::string& version) {
  return Guarded([&] { return inner::DllVersion(version); });
}

int32_t DllAuthor(std::string& notice) {
  return Guarded([&] { return inner::DllAuthor(notice); });
}

}  // namespace kavoruw
