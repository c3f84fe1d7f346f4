#include "printer_link/commands/conditions.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>
#include <utility>

#include "kavoruw_codes.h"
#include "printer_link/commands/print_control.h"
#include "printer_link/commands/vat.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

constexpr std::string_view kReceiptConditionsText = "Sprawdzanie warunków wystawienia paragonu...";

// Whether the state that yields `code` holds.
bool ConditionHolds(int32_t code, const TStatusSet& s) {
  switch (code) {
    case kErrNoMakerData: return !(s.fiscal & status::kMakerData);
    case kErrServiceJumper: return s.service & status::kServiceJumper;
    case kErrNoControllerLink: return s.printer & status::kNoControllerLink;
    case kErrPrinterFailure: return s.print & status::kPrinterFailure;
    case kErrNoUserData: return !(s.fiscal & status::kUserData);
    case kErrReadOnly: return s.fiscal & status::kReadOnly;
    case kErrNoDisplay: return s.printer & status::kNoDisplay;
    case kErrCmosErased: return s.printer & status::kCmosErased;
    case kErrDailyReportDue: return s.printer & status::kDailyReportDue;
    case kErrNoPaper: return s.print & status::kNoPaper;
    case kErrTrainingMode: return !(s.fiscal & status::kFiscalMode);
    default: return false;
  }
}

// Tests the conditions in the given order and returns the first that holds;
// kErrNoVatRates in the order stands for the VAT-rate check, run at its place.
int32_t FirstFailingCondition(TPrinterLink& link, const TStatusSet& s,
                              std::span<const int32_t> order) {
  for (int32_t code : order) {
    if (code == kErrNoVatRates) {
      bool defined = false;
      if (int32_t r = inner::CheckVATDefined(link, defined)) return r;
    } else if (ConditionHolds(code, s)) {
      return code;
    }
  }
  return 0;
}

constexpr std::array<int32_t, 11> kReceiptConditionsOrder = {
    kErrNoMakerData,      kErrReadOnly,       kErrCmosErased, kErrServiceJumper,
    kErrNoControllerLink, kErrPrinterFailure, kErrNoUserData, kErrNoDisplay,
    kErrDailyReportDue,   kErrNoVatRates,     kErrNoPaper};
constexpr std::array<int32_t, 11> kReceiptBeginOrder = {
    kErrNoMakerData,    kErrCmosErased, kErrServiceJumper, kErrNoControllerLink,
    kErrPrinterFailure, kErrNoUserData, kErrReadOnly,      kErrNoDisplay,
    kErrDailyReportDue, kErrNoVatRates, kErrNoPaper};
// What a printer with a receipt open can still report of the conditions:
// the VAT rates are asked only outside a receipt.
constexpr std::array<int32_t, 10> kReadyForReceiptOrder = {
    kErrNoMakerData, kErrCmosErased, kErrServiceJumper, kErrNoControllerLink, kErrPrinterFailure,
    kErrNoUserData,  kErrReadOnly,   kErrNoDisplay,     kErrDailyReportDue,   kErrNoPaper};
constexpr std::array<int32_t, 8> kPeriodReportOrder = {
    kErrNoMakerData,    kErrTrainingMode, kErrCmosErased, kErrNoControllerLink,
    kErrPrinterFailure, kErrNoUserData,   kErrNoDisplay,  kErrNoPaper};

// The steps both receipt checks share, up to and including the conditions.
int32_t ReceiptConditionSteps(TPrinterLink& link, std::span<const int32_t> order) {
  if (int32_t r = LinkCheck(link, false)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  TStatusSet s;
  if (int32_t r = ReadStatusSet(link, s)) return r;
  return FirstFailingCondition(link, s, order);
}

}  // namespace

int32_t inner::ReceiptConditions(TPrinterLink& link) {
  ShowProgressText(link, kReceiptConditionsText);
  if (int32_t r = ReceiptConditionSteps(link, kReceiptConditionsOrder)) return r;
  return WaitPrintEnd(link, kCheckMode);
}

int32_t inner::CheckReceiptConditions(TPrinterLink& link) {
  ShowProgressText(link, kReceiptConditionsText);
  if (int32_t r = ReceiptConditionSteps(link, kReceiptBeginOrder)) return r;
  return inner::PrintControl(link, kCheckMode);
}

int32_t ReadyForReceipt(TPrinterLink& link) {
  TStatusSet s;
  if (int32_t r = ReadStatusSet(link, s)) return r;
  if (int32_t r = FirstFailingCondition(link, s, kReadyForReceiptOrder)) return r;
  return inner::PrintControl(link, kCheckMode);
}

int32_t inner::CheckPeriodReportConditions(TPrinterLink& link) {
  ShowProgressText(link, "Sprawdzanie warunków wystawienia raportu okresowego...");
  if (int32_t r = LinkCheck(link, false)) return r;
  TStatusSet s;
  if (int32_t r = ReadStatusSet(link, s)) return r;
  if (int32_t r = FirstFailingCondition(link, s, kPeriodReportOrder)) return r;
  return inner::PrintControl(link, kCheckMode);
}

int32_t inner::ReadFiscalMode(TPrinterLink& link, int32_t& fiscal) {
  ShowProgressText(link, "Test czy tryb fiskalny...");
  if (int32_t r = LinkCheck(link, false)) return r;
  uint8_t s1 = 0;
  if (int32_t r = ReadStatusByte(link, kFiscalStatus, s1)) return r;
  fiscal = (s1 & status::kFiscalMode) ? 1 : 0;
  return 0;
}

int32_t inner::CheckVATDefined(TPrinterLink& link, bool& defined) {
  ShowProgressText(link, "Odczyt stawek podatkowych...");
  defined = false;
  TVatWords words;
  if (int32_t r = ReadVatWords(link, words)) return r;
  defined = AnyVatRateDefined(words);
  return defined ? 0 : kErrNoVatRates;
}

}  // namespace kavoruw
