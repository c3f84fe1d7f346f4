// The driver's exported functions: thin frames around the internal routines.
// Each one holds the driver's call lock for its whole duration and (but the
// two article-name counters) catches every exception and turns it into 999, so that nothing escapes
// into the calling program; a null pointer where an integer variable is expected is refused the
// same way, before anything is sent.
#include "kavoruw.h"

#include "kavoruw_codes.h"
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
#include "printer_link/commands/service.h"
#include "printer_link/commands/vat.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/link.h"

using kavoruw::Guarded;
using kavoruw::Link;

namespace {

static_assert(KAVORUW_ERRMESSAGE_SIZE == kavoruw::kMaxErrorTextLength + 1);
static_assert(KAVORUW_DEVICENAME_SIZE == kavoruw::kMaxDeviceNameLength + 1);
static_assert(KAVORUW_CLOCK_SIZE == kavoruw::kClockTextLength + 1);
static_assert(KAVORUW_UNIQUENUMBER_SIZE == kavoruw::kUniqueNumberLength + 1);
static_assert(KAVORUW_TOTAL_SIZE == kavoruw::kMaxTotalTextLength + 1);
static_assert(KAVORUW_VERSION_SIZE == sizeof kavoruw::kDllVersion);
static_assert(KAVORUW_AUTHOR_SIZE == sizeof kavoruw::kDllAuthor);

template <typename... P>
bool AnyNull(P*... pointers) {
  return ((pointers == nullptr) || ...);
}

}  // namespace

extern "C" {

// --- Link ---------------------------------------------------------------------

KAVORUW_API int32_t CommunicationInit(int32_t port, int32_t baud, int32_t timeoutSec) {
  return Guarded([&] { return kavoruw::inner::CommunicationInit(Link(), port, baud, timeoutSec); });
}

KAVORUW_API int32_t CommunicationEnd(void) {
  return Guarded([] { return kavoruw::inner::CommunicationEnd(Link()); });
}

KAVORUW_API int32_t OpenPort(int32_t port, int32_t baud, int32_t writeSec, int32_t readSec) {
  return Guarded([&] { return kavoruw::inner::OpenPort(Link(), port, baud, writeSec, readSec); });
}

KAVORUW_API int32_t ClosePort(void) {
  return Guarded([] { return kavoruw::inner::ClosePort(Link()); });
}

KAVORUW_API int32_t RSSequence(int32_t cmd, int32_t answerLen, int32_t dataLen, uint8_t* answer,
                               const uint8_t* data) {
  return Guarded(
      [&] { return kavoruw::inner::RSSequence(Link(), cmd, answerLen, dataLen, answer, data); });
}

// --- Receipt --------------------------------------------------------------------

KAVORUW_API int32_t ReceiptConditions(void) {
  return Guarded([] { return kavoruw::inner::ReceiptConditions(Link()); });
}

KAVORUW_API int32_t ReceiptBegin(void) {
  return Guarded([] { return kavoruw::inner::ReceiptBegin(Link()); });
}

KAVORUW_API int32_t ReceiptItem(int32_t kind, const std::string& name, int32_t vat, int32_t message,
                                int32_t qty, int32_t qtyDecimals, const std::string& unit,
                                int32_t price, int32_t* value) {
  return Guarded([&] {
    if (AnyNull(value)) return kavoruw::kErrInternal;
    return kavoruw::inner::ReceiptItem(Link(), kind, name, vat, message, qty, qtyDecimals, unit,
                                       price, *value);
  });
}

KAVORUW_API int32_t pReceiptItem(int32_t kind, const char* name, int32_t vat, int32_t message,
                                 int32_t qty, int32_t qtyDecimals, const char* unit, int32_t price,
                                 int32_t* value) {
  return Guarded([&] {
    return kavoruw::pReceiptItem(Link(), kind, name, vat, message, qty, qtyDecimals, unit, price,
                                 value);
  });
}

KAVORUW_API int32_t PackageItem(int32_t type, int32_t number1, int32_t number2, int32_t amount) {
  return Guarded(
      [&] { return kavoruw::inner::PackageItem(Link(), type, number1, number2, amount); });
}

KAVORUW_API int32_t PrintSubtotal(void) {
  return Guarded([] { return kavoruw::inner::PrintSubtotal(Link()); });
}

KAVORUW_API int32_t FillPayment(int32_t slot, const std::string& name, int32_t amount,
                                int32_t amount2) {
  return Guarded([&] { return kavoruw::inner::FillPayment(Link(), slot, name, amount, amount2); });
}

KAVORUW_API int32_t pFillPayment(int32_t slot, const char* name, int32_t amount, int32_t amount2) {
  return Guarded([&] { return kavoruw::pFillPayment(Link(), slot, name, amount, amount2); });
}

KAVORUW_API int32_t FillLines(int32_t code, const std::string& text, int32_t* freeLines) {
  return Guarded([&] { return kavoruw::inner::FillLines(Link(), code, text, freeLines); });
}

KAVORUW_API int32_t pFillLines(int32_t code, const char* text, int32_t* freeLines) {
  return Guarded([&] { return kavoruw::pFillLines(Link(), code, text, freeLines); });
}

KAVORUW_API int32_t ErasePayments(void) {
  return Guarded([] { return kavoruw::inner::ErasePayments(Link()); });
}

KAVORUW_API int32_t EraseLines(void) {
  return Guarded([] { return kavoruw::inner::EraseLines(Link()); });
}

KAVORUW_API int32_t ReceiptEnd(int32_t discount) {
  return Guarded([&] { return kavoruw::inner::ReceiptEnd(Link(), discount); });
}

KAVORUW_API int32_t ReceiptCancel(void) {
  return Guarded([] { return kavoruw::inner::ReceiptCancel(Link()); });
}

KAVORUW_API int32_t OpenDrawer(int32_t drawer) {
  return Guarded([&] { return kavoruw::inner::OpenDrawer(Link(), drawer); });
}

// The two counters are the only exports without the guard (not the lock).
KAVORUW_API int32_t CharsInArticleName(const std::string& name) {
  return kavoruw::Locked([&] { return kavoruw::CharsInArticleName(name); });
}

KAVORUW_API int32_t pCharsInArticleName(const char* name) {
  return kavoruw::Locked([&] { return kavoruw::pCharsInArticleName(name); });
}

// --- Reports ----------------------------------------------------------------------

KAVORUW_API int32_t DailyReport(int32_t flag) {
  return Guarded([&] { return kavoruw::inner::DailyReport(Link(), flag); });
}

KAVORUW_API int32_t PeriodReport(int32_t kind, int32_t y1, int32_t m1, int32_t d1, int32_t y2,
                                 int32_t m2, int32_t d2) {
  return Guarded(
      [&] { return kavoruw::inner::PeriodReport(Link(), kind, y1, m1, d1, y2, m2, d2); });
}

KAVORUW_API int32_t LockedArticlesReport(void) {
  return Guarded([] { return kavoruw::inner::LockedArticlesReport(Link()); });
}

KAVORUW_API int32_t MonthlyReport(int32_t kind, int32_t year, int32_t month) {
  return Guarded([&] { return kavoruw::inner::MonthlyReport(Link(), kind, year, month); });
}

KAVORUW_API int32_t NumberReport(int32_t kind, int32_t from, int32_t to) {
  return Guarded([&] { return kavoruw::inner::NumberReport(Link(), kind, from, to); });
}

KAVORUW_API int32_t PrinterStatusReport(void) {
  return Guarded([] { return kavoruw::inner::PrinterStatusReport(Link()); });
}

// --- Queries and settings -----------------------------------------------------------

KAVORUW_API int32_t ReceiptNumber(int32_t* n) {
  return Guarded([&] {
    return AnyNull(n) ? kavoruw::kErrInternal : kavoruw::inner::ReceiptNumber(Link(), *n);
  });
}

KAVORUW_API int32_t DailyReportNumber(int32_t* n) {
  return Guarded([&] {
    return AnyNull(n) ? kavoruw::kErrInternal : kavoruw::inner::DailyReportNumber(Link(), *n);
  });
}

KAVORUW_API int32_t PrinterNumber(int32_t* number, std::string& code) {
  return Guarded([&] {
    return AnyNull(number) ? kavoruw::kErrInternal
                           : kavoruw::inner::PrinterNumber(Link(), *number, code);
  });
}

KAVORUW_API int32_t SetVAT(int32_t* count, int32_t r1, int32_t r2, int32_t r3, int32_t r4,
                           int32_t r5, int32_t r6, int32_t r7) {
  return Guarded([&] {
    if (AnyNull(count)) return kavoruw::kErrInternal;
    return kavoruw::inner::SetVAT(Link(), *count, r1, r2, r3, r4, r5, r6, r7);
  });
}

KAVORUW_API int32_t ReadVAT(int32_t* count, int32_t* r1, int32_t* r2, int32_t* r3, int32_t* r4,
                            int32_t* r5, int32_t* r6, int32_t* r7) {
  return Guarded([&] {
    if (AnyNull(count, r1, r2, r3, r4, r5, r6, r7)) return kavoruw::kErrInternal;
    return kavoruw::inner::ReadVAT(Link(), *count, *r1, *r2, *r3, *r4, *r5, *r6, *r7);
  });
}

KAVORUW_API int32_t ReadTotal(std::string& total) {
  return Guarded([&] { return kavoruw::inner::ReadTotal(Link(), total); });
}

KAVORUW_API int32_t pReadTotal(char* buffer) {
  return Guarded([&] { return kavoruw::pReadTotal(Link(), buffer); });
}

KAVORUW_API int32_t ReadSelTotal(const std::string& rate, std::string& total) {
  return Guarded([&] { return kavoruw::inner::ReadSelTotal(Link(), rate, total); });
}

KAVORUW_API int32_t pReadSelTotal(const char* rate, char* buffer) {
  return Guarded([&] { return kavoruw::pReadSelTotal(Link(), rate, buffer); });
}

KAVORUW_API int32_t ReadClock(std::string& date, std::string& time) {
  return Guarded([&] { return kavoruw::inner::ReadClock(Link(), date, time); });
}

KAVORUW_API int32_t pReadClock(char* buffer) {
  return Guarded([&] { return kavoruw::pReadClock(Link(), buffer); });
}

KAVORUW_API int32_t ReadUniqueNumber(std::string& number) {
  return Guarded([&] { return kavoruw::inner::ReadUniqueNumber(Link(), number); });
}

KAVORUW_API int32_t pReadUniqueNumber(char* buffer) {
  return Guarded([&] { return kavoruw::pReadUniqueNumber(Link(), buffer); });
}

KAVORUW_API int32_t DeviceName(std::string& name) {
  return Guarded([&] { return kavoruw::inner::DeviceName(Link(), name); });
}

KAVORUW_API int32_t pDeviceName(char* buffer) {
  return Guarded([&] { return kavoruw::pDeviceName(Link(), buffer); });
}

KAVORUW_API int32_t PrintControl(int32_t mode) {
  return Guarded([&] { return kavoruw::inner::PrintControl(Link(), mode); });
}

KAVORUW_API int32_t PrintResume(void) {
  return Guarded([] { return kavoruw::inner::PrintResume(Link()); });
}

KAVORUW_API int32_t WriteLineFeed(int32_t n) {
  return Guarded([&] { return kavoruw::inner::WriteLineFeed(Link(), n); });
}

// --- Texts and identity ---------------------------------------------------------------

KAVORUW_API int32_t ErrMessage(int32_t code, std::string& text) {
  return Guarded([&] { return kavoruw::inner::ErrMessage(code, text); });
}

KAVORUW_API int32_t pErrMessage(int32_t code, char* buffer) {
  return Guarded([&] { return kavoruw::pErrMessage(code, buffer); });
}

KAVORUW_API int32_t DllVersion(std::string& version) {
  return Guarded([&] { return kavoruw::inner::DllVersion(version); });
}

KAVORUW_API int32_t pDllVersion(char* buffer) {
  return Guarded([&] { return kavoruw::pDllVersion(buffer); });
}

KAVORUW_API int32_t DllAuthor(std::string& notice) {
  return Guarded([&] { return kavoruw::inner::DllAuthor(notice); });
}

KAVORUW_API int32_t pDllAuthor(char* buffer) {
  return Guarded([&] { return kavoruw::pDllAuthor(buffer); });
}

}  // extern "C"
