#include "printer_link/commands/receipt_buffers.h"
#include "kavoruw_codes.h"
#include "printer_link/link/driver_state.h"

#include <string_view>
#include <utility>
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

constexpr uint32_t kMaxLineCode = 15;

}  // namespace

int32_t inner::FillPayment(TPrinterLink& link, int32_t slot, const std::string& name,
                           int32_t amount, int32_t amount2) {
  // Unsigned, so that negative slot numbers are out of range too.
  const uint32_t number = static_cast<uint32_t>(slot);
  if (number < 1 || number > kPaymentSlotCount) return kErrParameterRange;
  if (amount < 0 || amount2 < 0) return kErrParameterRange;
  std::string fixed = name.substr(0, kPaymentNameLength);
  fixed.resize(kPaymentNameLength, ' ');
  TPaymentSlot& target = link.DriverState.PaymentSlot[number - 1];
  target.name = std::move(fixed);
  target.amount = amount;
  target.amount2 = amount2;
  return 0;
}

int32_t inner::pFillPayment(TPrinterLink& link, int32_t slot, const char* name, int32_t amount,
                            int32_t amount2) {
  return inner::FillPayment(link, slot, name != nullptr ? std::string(name) : std::string(), amount,
                            amount2);
}

int32_t inner::FillLines(TPrinterLink& link, int32_t code, const std::string& text,
                         int32_t* freeSlots) {
  std::string_view kept(text);
  kept = kept.substr(0, kept.find('\0'));
  kept = kept.substr(0, kMaxTrailerTextLength);
  if (static_cast<uint32_t>(code) > kMaxLineCode) return kErrParameterRange;
  if (freeSlots == nullptr) return kErrInternal;
  int32_t empty = 0;
  for (const TTrailerLine& line : link.DriverState.TrailerLine) {
    if (line.code == kEmptyTrailerLine) ++empty;
  }
  *freeSlots = empty;
  if (empty == 0) return kErrAllLinesUsed;
  for (TTrailerLine& line : link.DriverState.TrailerLine) {
    if (line.code != kEmptyTrailerLine) continue;
    line.text.assign(kept);
    line.code = static_cast<uint8_t>(code);
    break;
  }
  *freeSlots = empty - 1;
  return 0;
}

int32_t inner::pFillLines(TPrinterLink& link, int32_t code, const char* text, int32_t* freeSlots) {
  return inner::FillLines(link, code, text != nullptr ? std::string(text) : std::string(),
                          freeSlots);
}

int32_t inner::ErasePayments(TPrinterLink& link) {
  ClearPaymentSlots(link);
  return 0;
}

int32_t inner::EraseLines(TPrinterLink& link) {
  ClearTrailerLines(link);
  return 0;
}

}  // namespace kavoruw
