#include "printer_link/commands/receipt.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "kavoruw_codes.h"
#include "platform/text/cp1250.h"
#include "printer_link/commands/code_page.h"
#include "printer_link/commands/conditions.h"
#include "printer_link/commands/link_session.h"
#include "printer_link/commands/print_control.h"
#include "printer_link/commands/receipt_buffers.h"
#include "printer_link/commands/vat.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

constexpr uint8_t kCmdItem = 0x06;
constexpr uint8_t kCmdTotal = 0x07;
constexpr uint8_t kCmdTrailerLine = 0x09;
constexpr uint8_t kCmdPackage = 0x17;
constexpr uint8_t kCmdDiscount = 0x1B;
constexpr uint8_t kCmdBegin = '!';
constexpr uint8_t kCmdCancel = '#';
constexpr uint8_t kCmdEnd = '$';
constexpr uint8_t kCmdSubtotal = 0x80;
constexpr uint8_t kCmdPayment = 0x81;
constexpr uint8_t kCmdPayment2 = 0x82;
constexpr uint8_t kCmdTotals = 0xDA;
constexpr uint8_t kTotalsAnswerLength = 36;
constexpr size_t kTotalBytes = 5;
constexpr size_t kRateCount = 7;

constexpr size_t kMaxArticleNameInput = 254;
constexpr size_t kUnitLength = 4;
constexpr int32_t kSaleKind = 1;
constexpr int32_t kLastVatIndex = 7;
constexpr int32_t kMaxQtyDecimals = 4;
constexpr uint32_t kMaxDiscount = 99;
constexpr int32_t kLastPackageType = 3;
constexpr uint64_t kMaxU32 = std::numeric_limits<uint32_t>::max();

void Append(std::vector<uint8_t>& out, std::string_view bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

std::string UnitField(std::string_view unit) {
  std::string field(unit.substr(0, kUnitLength));
  field.resize(kUnitLength, ' ');
  return field;
}

// The result of a record of the open receipt (the records get no answer, or
// one only after their data). One that failed after its first byte went out
// may have reached the printer cut: the receipt is damaged. A status read
// that failed sent nothing of the receipt and leaves it whole.
int32_t InRecord(TPrinterLink& link, int32_t r) {
  if (IsLinkFailure(r) && link.Engine.FrameStarted) link.DriverState.Receipt.RecordCut();
  return r;
}

bool IsEndDoubt(TReceiptDoubt doubt) {
  return doubt == TReceiptDoubt::End || doubt == TReceiptDoubt::EndThenCheck;
}

// The status check of the receipt commands. A receipt the printer has
// annulled is closed here too.
int32_t CheckReceiptStatus(TPrinterLink& link) {
  uint8_t s3 = 0;
  if (int32_t r = ReadStatusByte(link, kPrintStatus, s3)) return r;
  if (s3 & status::kReceiptAnnulled) {
    link.DriverState.Receipt.Closed();
    return kErrReceiptAnnulled;
  }
  return kOk;
}

// '#' drops the empty receipt a check with '!' opened; answered either way,
// the printer holds none.
int32_t DropCheckReceipt(TPrinterLink& link) {
  const int32_t r = ExecuteSequence(link, kCmdCancel, 1);
  if (r == kOk || r == kErrNak) {
    link.DriverState.Receipt.Settled();
    return kOk;
  }
  link.DriverState.Receipt.InDoubt(TReceiptDoubt::Check);
  return r;
}

// What the answer r to a cancel's '#' leaves. Without one, the cancel is in
// doubt: heard or not, the next receipt call sends '#' again before anything
// else. Taken, or refused for an empty receipt, the printer holds no receipt
// (0), nor with 201, "no receipt open". Refused otherwise, it still holds the
// receipt.
int32_t CancelAnswered(TReceiptState& receipt, int32_t r) {
  if (IsLinkFailure(r)) {
    receipt.InDoubt(TReceiptDoubt::Cancel);
    return r;
  }
  if (r == kOk || r == kErrReceiptNotBegun || (r == kErrNak && receipt.ItemCount() == 0)) {
    receipt.Closed();
    return r == kErrReceiptNotBegun ? r : kOk;
  }
  receipt.Settled();
  return r;
}

// '#' once more after a cancel's '#' without an answer. Answered, the printer
// holds no receipt: the caller's is cancelled, by the first '#' or by this
// one. Refused, the printer still holds it, as after a refused cancel.
int32_t FinishCancel(TPrinterLink& link) {
  const int32_t r = CancelAnswered(link.DriverState.Receipt, ExecuteSequence(link, kCmdCancel, 1));
  return r == kErrReceiptNotBegun ? kOk : r;
}

// '!' asking the printer whether it holds a receipt, once it could begin one
// (ReadyForReceipt): held is true when it refuses, false when it takes it and
// so now holds an empty receipt. A printer that is not ready answers with the
// condition's code before '!' is sent, as what it holds cannot be told then.
int32_t AskHeld(TPrinterLink& link, bool& held, bool& asked) {
  asked = false;
  if (int32_t r = ReadyForReceipt(link)) return r;
  asked = true;
  const int32_t r = ExecuteSequence(link, kCmdBegin, 1);
  held = r == kErrNak;
  return r == kErrNak ? kOk : r;
}

// The first step of the receipt calls after a '!' or '#' whose answer did not
// come (the '!' or '#' of a receipt not open, or the '#' of a cancel):
// afterwards the receipt is open when the printer holds one. After '!', a
// second '!' leaves the printer with an empty receipt whether it takes it or
// holds one already: that one is the caller's.
int32_t SettleUnopened(TPrinterLink& link) {
  TReceiptState& receipt = link.DriverState.Receipt;
  if (receipt.Doubt() == TReceiptDoubt::Check) return DropCheckReceipt(link);
  if (receipt.Doubt() == TReceiptDoubt::Cancel) return FinishCancel(link);
  if (receipt.Doubt() != TReceiptDoubt::Begin) return kOk;
  bool held = false, asked = false;
  if (int32_t r = AskHeld(link, held, asked)) return r;
  receipt.Begun();
  return kOk;
}

// What the printer told of a receipt whose '$' had no answer.
enum class TEndFound {
  Ended,       // it had ended (printed) the receipt
  Open,        // it holds the receipt open
  OpenOrEmpty  // it holds the receipt open, or had printed it and holds the
               // empty one of an unanswered '!'
};

// After the status check of a receipt whose '$' had no answer: a printer
// that holds the receipt refuses '!'; one that takes it had ended (printed)
// the receipt, and the empty receipt '!' opened is dropped again. Without a
// '$' in doubt the receipt is open.
int32_t SettleEnd(TPrinterLink& link, TEndFound& found) {
  found = TEndFound::Open;
  TReceiptState& receipt = link.DriverState.Receipt;
  if (!IsEndDoubt(receipt.Doubt())) return kOk;
  bool held = false, asked = false;
  if (int32_t r = AskHeld(link, held, asked)) {
    // An unanswered '!' may have opened an empty receipt after the printed
    // one: from now on a refused '!' no longer proves the receipt open.
    if (asked && IsLinkFailure(r)) receipt.InDoubt(TReceiptDoubt::EndThenCheck);
    return r;
  }
  if (!held) {
    found = TEndFound::Ended;
    receipt.Closed();
    return DropCheckReceipt(link);
  }
  if (receipt.Doubt() == TReceiptDoubt::EndThenCheck) {
    found = TEndFound::OpenOrEmpty;
    return kOk;
  }
  receipt.Settled();
  return kOk;
}

// SettleEnd for the calls that add to the open receipt: 201 when it was
// ended, and a refusal while it cannot be told whether the receipt the
// printer holds is the caller's.
int32_t SettleStillOpen(TPrinterLink& link) {
  TEndFound found;
  if (int32_t r = SettleEnd(link, found)) return r;
  if (found == TEndFound::Ended) return kErrReceiptNotBegun;
  return found == TEndFound::Open ? kOk : kErrNak;
}

// The receipt calls' first steps: the link, what a lost answer left, and the
// refusal without a receipt.
int32_t ReceiptGate(TPrinterLink& link) {
  if (int32_t r = LinkCheck(link, false)) return r;
  if (int32_t r = SettleUnopened(link)) return r;
  return link.DriverState.Receipt.Open() ? kOk : kErrReceiptNotBegun;
}

// qty x price / 10^decimals, half up.
uint64_t RoundedValue(uint64_t product, int32_t qtyDecimals) {
  uint64_t scale = 1;
  for (int32_t i = 0; i < qtyDecimals; ++i) scale *= 10;
  uint64_t value = product / scale;
  if (2 * (product % scale) >= scale) ++value;
  return value;
}

uint64_t PlainTotal(TPrinterLink& link) {
  uint64_t sum = 0;
  for (uint32_t t : link.DriverState.Receipt.VatTotals()) sum += t;
  return sum;
}

// ReceiptItem and ReceiptItemExt differ only in the record they send.
int32_t SendItem(TPrinterLink& link, bool extended, int32_t kind, const std::string& name,
                 int32_t vat, int32_t message, int32_t qty, int32_t qtyDecimals,
                 const std::string& unit, int32_t price, int32_t& value) {
  // What the printer cannot take is refused before anything is sent.
  if (vat < 1 || vat > kLastVatIndex) return kErrVatIndex;
  const int64_t messageByte = int64_t{'0'} + message;
  if (!extended && (messageByte < 0 || messageByte > 0xFF)) return kErrInternal;
  if (qtyDecimals < 0 || qtyDecimals > kMaxQtyDecimals) return kErrInternal;
  if (qty < 0) return kErrQuantity;
  if (price < 0) return kErrPrice;
  if (value < 0) return kErrItemValue;
  const uint64_t product = static_cast<uint64_t>(qty) * static_cast<uint64_t>(price);
  if (product > kMaxU32) return kErrItemValue;
  const uint64_t itemValue =
      value != 0 ? static_cast<uint64_t>(value) : RoundedValue(product, qtyDecimals);
  // The value goes back into the caller's variable.
  if (itemValue > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    return kErrItemValue;
  }

  if (int32_t r = ReceiptGate(link)) return r;
  if (int32_t r = CheckReceiptStatus(link)) return r;
  if (int32_t r = SettleStillOpen(link)) return r;

  // Every rate total and the receipt total stay within 32 bits, so the
  // receipt can always be ended or cancelled.
  const size_t rate = static_cast<size_t>(vat - 1);
  const uint32_t rateTotal = link.DriverState.Receipt.VatTotals()[rate];
  uint64_t newRateTotal;
  if (kind == kSaleKind) {
    newRateTotal = rateTotal + itemValue;
    if (newRateTotal > kMaxU32 || PlainTotal(link) + itemValue > kMaxU32) return kErrItemValue;
  } else {
    newRateTotal = rateTotal > itemValue ? rateTotal - itemValue : 0;
  }
  value = static_cast<int32_t>(itemValue);

  TItemRecord item;
  item.sale = kind == kSaleKind;
  item.name = name;
  item.vat = static_cast<uint8_t>(vat);
  item.message = static_cast<uint8_t>(extended ? '0' : messageByte);
  item.qty = static_cast<uint32_t>(qty);
  item.qtyDecimals = static_cast<uint8_t>(qtyDecimals);
  item.unit = unit;
  item.price = static_cast<uint32_t>(price);
  item.value = static_cast<uint32_t>(itemValue);
  const std::vector<uint8_t> frame = extended ? ItemFrameExt(item) : ItemFrame(item);
  if (int32_t r = InRecord(link, ExecuteSequence(link, kCmdItem, 0, frame))) return r;
  link.DriverState.Receipt.ItemBooked(rate, static_cast<uint32_t>(newRateTotal));
  return kOk;
}

// Payments go out on kinds 3 and 7 only; each slot is emptied once both of
// its records are sent.
int32_t SendPayments(TPrinterLink& link) {
  if (!HasPackagesAndPayments(link.DriverState.DeviceKind)) return kOk;
  for (size_t i = 0; i < kPaymentSlotCount; ++i) {
    TPaymentSlot& slot = link.DriverState.PaymentSlot[i];
    if (slot.name.empty()) continue;
    const uint8_t number = static_cast<uint8_t>(i + 1);
    for (const auto& [command, amount] :
         {std::pair{kCmdPayment, slot.amount}, std::pair{kCmdPayment2, slot.amount2}}) {
      if (int32_t r = InRecord(
              link,
              ExecuteSequence(link, command, 0,
                              PaymentFrame(number, slot.name, static_cast<uint32_t>(amount))))) {
        return r;
      }
    }
    slot = TPaymentSlot{};
  }
  return kOk;
}

int32_t SendTrailerLines(TPrinterLink& link) {
  for (TTrailerLine& line : link.DriverState.TrailerLine) {
    if (line.code == kEmptyTrailerLine) continue;
    if (int32_t r = InRecord(link, ExecuteSequence(link, kCmdTrailerLine, 0,
                                                   TrailerLineFrame(line.code, line.text)))) {
      return r;
    }
    line = TTrailerLine{};
  }
  return kOk;
}

// '$' and what its answer means for the receipt. Sent again after a '$'
// without an answer, "no receipt open" means that the first one ended it.
int32_t FinishReceipt(TPrinterLink& link) {
  TReceiptState& receipt = link.DriverState.Receipt;
  const TReceiptDoubt doubt = receipt.Doubt();
  const int32_t r = ExecuteSequence(link, kCmdEnd, 1);
  if (r == kOk || (IsEndDoubt(doubt) && r == kErrReceiptNotBegun)) {
    // The printer has closed the receipt: printed and stored, it can no
    // longer be cancelled, whatever the status read after it gives.
    receipt.Closed();
    uint8_t s3 = 0;
    if (int32_t s = ReadStatusByte(link, kPrintStatus, s3)) return s;
    if (s3 & status::kReceiptAnnulled) {
      inner::PrintControl(link, kPrintoutMode);
      return kErrReceiptAnnulled;
    }
    return inner::PrintControl(link, kPrintoutMode);
  }
  if (r == kErrNak) {
    // An empty receipt is dropped, which is no loss; so is the empty one an
    // unanswered '!' opened after the caller's was printed. One with items
    // the printer keeps open.
    if (receipt.ItemCount() == 0 || doubt == TReceiptDoubt::EndThenCheck) {
      receipt.Closed();
      return kOk;
    }
    receipt.Settled();
    return r;
  }
  // The printer has no receipt open: there is nothing left to end.
  if (r == kErrReceiptNotBegun) receipt.Closed();
  // Printed or not: the next receipt call asks the printer.
  if (IsLinkFailure(r)) {
    if (!IsEndDoubt(doubt)) receipt.InDoubt(TReceiptDoubt::End);
    if (receipt.ItemCount() == 0) return kOk;
  }
  return r;
}

// The plain total and '#'; 0 once the printer has dropped the receipt.
int32_t SendCancel(TPrinterLink& link) {
  const uint64_t total = PlainTotal(link);
  if (total > kMaxU32) return kErrInternal;
  if (int32_t r = InRecord(
          link, ExecuteSequence(link, kCmdTotal, 0, TotalRecord(static_cast<uint32_t>(total))))) {
    return r;
  }
  return CancelAnswered(link.DriverState.Receipt,
                        InRecord(link, ExecuteSequence(link, kCmdCancel, 1)));
}

int32_t CheckTotalsDevice(TPrinterLink& link) {
  uint8_t kind = 0;
  uint32_t version = 0;
  if (int32_t r = inner::ReadDeviceType(link, kind, version)) return r;
  return HasPrinterTotals(kind) ? kOk : kErrNotOnThisDevice;
}

// The printer's seven 5-byte per-rate totals, rates A..G.
int32_t ReadPrinterTotals(TPrinterLink& link, std::array<uint64_t, kRateCount>& totals) {
  Block answer{};
  if (int32_t r = ExecuteSequence(link, kCmdTotals, kTotalsAnswerLength, {}, &answer)) return r;
  for (size_t i = 0; i < kRateCount; ++i) {
    uint64_t total = 0;
    for (size_t k = 0; k < kTotalBytes; ++k) {
      total |= static_cast<uint64_t>(answer[i * kTotalBytes + k]) << (8 * k);
    }
    totals[i] = total;
  }
  return kOk;
}

void CopyTotal(const std::string& total, char* buffer) {
  const size_t n = std::min(total.size(), kMaxTotalTextLength);
  std::memcpy(buffer, total.data(), n);
  buffer[n] = '\0';
}

int32_t CountSignificant(std::string_view name) {
  const std::string_view significant = SignificantCharacters();
  int32_t count = 0;
  for (char c : name.substr(0, kArticleNameLength)) {
    if (significant.find(c) != std::string_view::npos) ++count;
  }
  return count;
}

}  // namespace

// --- Records ----------------------------------------------------------------

std::vector<uint8_t> PackU32LE(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

std::string NormalizeArticleName(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  name = name.substr(0, kMaxArticleNameInput);
  std::string fixed(name.substr(0, kArticleNameLength));
  fixed.resize(kArticleNameLength, ' ');
  return fixed;
}

std::string TruncateArticleName(std::string_view text) {
  return std::string(text.substr(0, kArticleNameLength));
}

uint8_t VatCode(uint8_t vat) {
  switch (vat) {
    case 5: return 6;
    case 6: return 7;
    case 7: return 5;
    default: return vat;
  }
}

std::string_view SignificantCharacters() {
  static const std::string characters =
      "%,./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz\\" +
      platform::Cp1250FromUtf8("ĄĆĘŁŃÓŚŹŻąćęłńóśźż");
  return characters;
}

std::vector<uint8_t> ItemFrame(const TItemRecord& item) {
  std::vector<uint8_t> frame;
  frame.reserve(49);
  frame.push_back(item.sale ? ' ' : '-');
  Append(frame, ToCp852(NormalizeArticleName(item.name)));
  frame.push_back(item.message);
  Append(frame, PackU32LE(item.qty));
  frame.push_back(item.qtyDecimals);
  Append(frame, UnitField(item.unit));
  Append(frame, PackU32LE(item.price));
  frame.push_back(kEsc);
  frame.push_back(VatCode(item.vat));
  Append(frame, PackU32LE(item.value));
  return frame;
}

std::vector<uint8_t> ItemFrameExt(const TItemRecord& item) {
  std::vector<uint8_t> frame;
  frame.reserve(51);
  frame.push_back(item.sale ? ' ' : '-');
  Append(frame, ToCp852(NormalizeArticleName(item.name)));
  Append(frame, PackU32LE(item.qty));
  frame.push_back(item.qtyDecimals);
  Append(frame, UnitField(item.unit));
  Append(frame, "  ");
  Append(frame, PackU32LE(item.price));
  frame.push_back(kEsc);
  frame.push_back(VatCode(item.vat));
  Append(frame, PackU32LE(item.value));
  frame.push_back('0');
  return frame;
}

std::vector<uint8_t> PackageFrame(uint8_t type, int32_t number1, int32_t number2, uint32_t amount) {
  std::vector<uint8_t> frame;
  frame.reserve(10);
  frame.push_back(type <= 1 ? ' ' : '-');
  frame.push_back(type == 0 || type == 2 ? 'S' : 'Z');
  for (int32_t number : {number1, number2}) {
    frame.push_back(static_cast<uint8_t>(number));
    frame.push_back(static_cast<uint8_t>(number >> 8));
  }
  Append(frame, PackU32LE(amount));
  return frame;
}

std::vector<uint8_t> PaymentFrame(uint8_t slot, std::string_view name, uint32_t amount) {
  std::string fixed(name.substr(0, kPaymentNameLength));
  fixed.resize(kPaymentNameLength, ' ');
  std::vector<uint8_t> frame;
  frame.reserve(18);
  frame.push_back(slot);
  Append(frame, ToCp852(fixed));
  Append(frame, PackU32LE(amount));
  return frame;
}

std::vector<uint8_t> TrailerLineFrame(uint8_t code, std::string_view text) {
  std::vector<uint8_t> frame;
  frame.reserve(text.size() + 2);
  frame.push_back(static_cast<uint8_t>('0' + code));
  // The printer ends the line at LF: a control byte inside the text must not
  // end it early and turn the rest into commands.
  for (char c : ToCp852(text.substr(0, kMaxTrailerTextLength))) {
    const uint8_t b = static_cast<uint8_t>(c);
    frame.push_back(b < 0x20 ? ' ' : b);
  }
  frame.push_back('\n');
  return frame;
}

std::vector<uint8_t> DiscountRecord(uint8_t percent) { return {percent}; }

std::vector<uint8_t> TotalRecord(uint32_t total) { return PackU32LE(total); }

uint64_t DiscountedPart(uint32_t rateTotal, uint32_t discount) {
  const uint64_t q = static_cast<uint64_t>(100 - discount) * rateTotal;
  return q / 100 + (q % 100 > 50 ? 1 : 0);
}

uint64_t DiscountedTotal(const std::array<uint32_t, 7>& rateTotals, uint32_t discount) {
  uint64_t total = 0;
  for (uint32_t t : rateTotals) total += DiscountedPart(t, discount);
  return total;
}

// --- Commands -----------------------------------------------------------------

int32_t inner::ReceiptBegin(TPrinterLink& link) {
  if (int32_t r = LinkCheck(link, true)) return r;
  TReceiptState& receipt = link.DriverState.Receipt;
  // The receipt a '!' without an answer may have begun is taken as begun.
  if (receipt.Doubt() == TReceiptDoubt::Begin) return SettleUnopened(link);
  if (int32_t r = SettleUnopened(link)) return r;
  if (receipt.Open() && IsEndDoubt(receipt.Doubt())) {
    const int32_t r = CheckReceiptStatus(link);
    if (r != kOk && r != kErrReceiptAnnulled) return r;
    TEndFound found;
    if (int32_t e = SettleEnd(link, found)) return e;
    // An empty receipt whose end the printer did not hear (the caller was
    // told it ended) is the one begun now.
    if (receipt.Open() && receipt.ItemCount() == 0) {
      receipt.Begun();
      return kOk;
    }
  }
  if (receipt.Open()) return kErrReceiptOpen;
  if (int32_t r = inner::CheckReceiptConditions(link)) return r;
  // The engine purges the port's buffers before the command.
  if (int32_t r = ExecuteSequence(link, kCmdBegin, 1)) {
    if (IsLinkFailure(r)) receipt.InDoubt(TReceiptDoubt::Begin);
    return r;
  }
  receipt.Begun();
  return kOk;
}

int32_t inner::ReceiptItem(TPrinterLink& link, int32_t kind, const std::string& name, int32_t vat,
                           int32_t message, int32_t qty, int32_t qtyDecimals,
                           const std::string& unit, int32_t price, int32_t& value) {
  return SendItem(link, false, kind, name, vat, message, qty, qtyDecimals, unit, price, value);
}

int32_t inner::pReceiptItem(TPrinterLink& link, int32_t kind, const char* name, int32_t vat,
                            int32_t message, int32_t qty, int32_t qtyDecimals, const char* unit,
                            int32_t price, int32_t* value) {
  if (value == nullptr) return kErrInternal;
  return inner::ReceiptItem(link, kind, name != nullptr ? name : "", vat, message, qty, qtyDecimals,
                            unit != nullptr ? unit : "", price, *value);
}

int32_t inner::ReceiptItemExt(TPrinterLink& link, int32_t kind, const std::string& name,
                              int32_t vat, int32_t message, int32_t qty, int32_t qtyDecimals,
                              const std::string& unit, int32_t price, int32_t& value) {
  return SendItem(link, true, kind, name, vat, message, qty, qtyDecimals, unit, price, value);
}

int32_t inner::PackageItem(TPrinterLink& link, int32_t type, int32_t number1, int32_t number2,
                           int32_t amount) {
  if (int32_t r = ReceiptGate(link)) return r;
  if (!HasPackagesAndPayments(link.DriverState.DeviceKind)) return kErrCommandUnavailable;
  if (int32_t r = CheckReceiptStatus(link)) return r;
  if (int32_t r = SettleStillOpen(link)) return r;
  if (type < 0 || type > kLastPackageType) return kErrPackageType;
  // The amount travels unsigned.
  if (amount < 0) return kErrInternal;
  const std::vector<uint8_t> frame =
      PackageFrame(static_cast<uint8_t>(type), number1, number2, static_cast<uint32_t>(amount));
  uint8_t answer = 0;
  if (int32_t r = InRecord(
          link, ExecuteSequence(link, kCmdPackage, 0, frame, nullptr, std::span(&answer, 1)))) {
    return r;
  }
  return answer == kAck ? kOk : kErrNak;
}

int32_t inner::PrintSubtotal(TPrinterLink& link) {
  if (int32_t r = ReceiptGate(link)) return r;
  if (!HasPackagesAndPayments(link.DriverState.DeviceKind)) return kErrCommandUnavailable;
  if (int32_t r = SettleStillOpen(link)) return r;
  return InRecord(link, ExecuteSequence(link, kCmdSubtotal, 0));
}

int32_t inner::ReceiptEnd(TPrinterLink& link, int32_t discount) {
  // A receipt whose cancel had no answer is not printed: the cancel ends.
  if (link.DriverState.Receipt.Doubt() == TReceiptDoubt::Cancel) {
    const int32_t r = inner::ReceiptCancel(link);
    return r == kOk ? kErrReceiptAnnulled : r;
  }
  if (int32_t r = ReceiptGate(link)) return r;
  if (int32_t r = CheckReceiptStatus(link)) return r;
  const TReceiptState& receipt = link.DriverState.Receipt;
  // Everything before '$' went through: '$' is sent again. After an
  // unanswered '!' too, once the printer is ready: a refusal then is the
  // empty receipt of that '!' dropped.
  if (receipt.Doubt() == TReceiptDoubt::EndThenCheck) {
    if (int32_t r = ReadyForReceipt(link)) return r;
  }
  if (IsEndDoubt(receipt.Doubt())) return FinishReceipt(link);
  // A receipt the driver cannot vouch for is not printed: it is cancelled,
  // as the printer annuls one whose records it could not read.
  if (receipt.Damaged()) {
    if (int32_t r = SendCancel(link)) return r;
    inner::PrintControl(link, kPrintoutMode);
    return kErrReceiptAnnulled;
  }
  uint32_t percent = static_cast<uint32_t>(discount);
  if (percent >= 1 && percent <= kMaxDiscount) {
    if (int32_t r =
            InRecord(link, ExecuteSequence(link, kCmdDiscount, 0,
                                           DiscountRecord(static_cast<uint8_t>(percent))))) {
      return r;
    }
  } else {
    percent = 0;
  }
  if (int32_t r = CheckReceiptStatus(link)) return r;
  const uint64_t total = DiscountedTotal(receipt.VatTotals(), percent);
  if (total > kMaxU32) return kErrInternal;
  if (int32_t r = InRecord(
          link, ExecuteSequence(link, kCmdTotal, 0, TotalRecord(static_cast<uint32_t>(total))))) {
    return r;
  }
  if (int32_t r = CheckReceiptStatus(link)) return r;
  if (int32_t r = SendPayments(link)) return r;
  if (int32_t r = SendTrailerLines(link)) return r;
  if (int32_t r = CheckReceiptStatus(link)) return r;
  return FinishReceipt(link);
}

int32_t inner::ReceiptCancel(TPrinterLink& link) {
  // After a '#' without an answer, the gate's '#' ends the cancel.
  const bool unanswered = link.DriverState.Receipt.Doubt() == TReceiptDoubt::Cancel;
  if (int32_t r = ReceiptGate(link)) {
    return unanswered && r == kErrReceiptNotBegun ? inner::PrintControl(link, kPrintoutMode) : r;
  }
  if (int32_t r = CheckReceiptStatus(link)) return r;
  TEndFound found;
  if (int32_t r = SettleEnd(link, found)) return r;
  // A receipt the printer has printed is not cancelled: 201.
  if (found == TEndFound::Ended) return kErrReceiptNotBegun;
  TReceiptState& receipt = link.DriverState.Receipt;
  if (found == TEndFound::OpenOrEmpty) {
    // The open receipt is the caller's or the empty one of an unanswered
    // check: '#' alone cancels the first and drops the second.
    const int32_t r = ExecuteSequence(link, kCmdCancel, 1);
    if (r != kOk && r != kErrNak) return r;
    const bool printed = r == kErrNak && receipt.ItemCount() > 0;
    receipt.Closed();
    if (printed) return kErrReceiptNotBegun;
    return inner::PrintControl(link, kPrintoutMode);
  }
  if (int32_t r = SendCancel(link)) return r;
  return inner::PrintControl(link, kPrintoutMode);
}

int32_t inner::DropReceipt(TPrinterLink& link) {
  TReceiptState& receipt = link.DriverState.Receipt;
  const bool open = receipt.Open();
  if (!open && receipt.Doubt() == TReceiptDoubt::None) return kOk;
  const int32_t r = inner::ReceiptCancel(link);
  if (!open && r == kErrReceiptNotBegun) return kOk;
  if (r != kOk) {
    // The printer cannot be reached: the driver forgets the receipt all the
    // same, so that the host is not refused every later command. The next
    // receipt call drops whatever the printer still holds.
    receipt.Closed();
    if (IsLinkFailure(r)) receipt.InDoubt(TReceiptDoubt::Check);
  }
  return r;
}

int32_t inner::ReadTotal(TPrinterLink& link, std::string& total) {
  if (int32_t r = LinkCheck(link, false)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  if (int32_t r = CheckTotalsDevice(link)) return r;
  bool defined = false;
  if (int32_t r = inner::CheckVATDefined(link, defined)) return r;
  if (!defined) return kErrNoVatRates;
  std::array<uint64_t, kRateCount> totals{};
  if (int32_t r = ReadPrinterTotals(link, totals)) return r;
  uint64_t sum = 0;
  for (uint64_t t : totals) sum += t;
  total = std::to_string(sum);
  return kOk;
}

int32_t inner::pReadTotal(TPrinterLink& link, char* buffer) {
  if (buffer == nullptr) return kErrNullBuffer;
  buffer[0] = '\0';
  std::string total;
  const int32_t r = inner::ReadTotal(link, total);
  CopyTotal(total, buffer);
  return r;
}

int32_t inner::ReadSelTotal(TPrinterLink& link, const std::string& rate, std::string& total) {
  if (int32_t r = LinkCheck(link, false)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  if (int32_t r = CheckTotalsDevice(link)) return r;
  // Rates the printer does not report (a 4- or 6-rate model) are undefined.
  std::array<int32_t, kRateCount> rates;
  rates.fill(kVatUndefined);
  int32_t count = 0;
  if (int32_t r = inner::ReadVAT(link, count, rates[0], rates[1], rates[2], rates[3], rates[4],
                                 rates[5], rates[6])) {
    return r;
  }
  if (rate.empty()) return kErrInternal;
  const uint8_t index = static_cast<uint8_t>(rate[0]) & 7;
  if (index == 0) return kErrInternal;
  const bool sumOfAll = rate == "+";
  if (!sumOfAll && rates[index - 1] == kVatUndefined) return kErrVatUndefined;
  std::array<uint64_t, kRateCount> totals{};
  if (int32_t r = ReadPrinterTotals(link, totals)) return r;
  uint64_t value = 0;
  if (sumOfAll) {
    for (uint64_t t : totals) value += t;
  } else if (rate.size() == 1 && rate[0] >= 'A' && rate[0] <= 'G') {
    value = totals[static_cast<size_t>(rate[0] - 'A')];
  } else {
    return kErrRateText;
  }
  total = std::to_string(value);
  return kOk;
}

int32_t inner::pReadSelTotal(TPrinterLink& link, const char* rate, char* buffer) {
  if (buffer == nullptr) return kErrNullBuffer;
  std::string total;
  const int32_t r = inner::ReadSelTotal(link, rate != nullptr ? rate : "", total);
  if (r == kOk) CopyTotal(total, buffer);
  return r;
}

int32_t CharsInArticleName(const std::string& name) { return CountSignificant(name); }

int32_t inner::pCharsInArticleName(const char* name) {
  if (name == nullptr) return kErrNullBuffer;
  return CountSignificant(std::string_view(name, strnlen(name, kArticleNameLength)));
}

}  // namespace kavoruw
