#include "printer_link/commands/vat.h"

#include "kavoruw_codes.h"
#include "printer_link/commands/print_control.h"
#include "printer_link/commands/status.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

// The three printer generations and their commands. A rate travels as one
// byte of whole percent (four rates) or as a word of hundredths of a percent,
// high byte first, with codes of its own for the undefined and exempt rates.
struct VatForm {
  int32_t count;
  uint8_t readCommand;
  uint8_t writeCommand;
  bool wholePercentBytes;
  uint16_t undefinedCode;
  int32_t exemptCode;  // -1: the exempt rate travels as its value
};
constexpr VatForm kSevenRates{7, 0xD1, 0xD5, false, 0x8000, 0x4000};
constexpr VatForm kSixRates{6, 0xD0, 0xD4, false, 0xFF00, -1};
constexpr VatForm kFourRates{4, 'p', 'D', true, 255, -1};

const VatForm* FormOfCount(int32_t count) {
  return count == 7 ? &kSevenRates : count == 6 ? &kSixRates : &kFourRates;
}

const VatForm& FormOf(uint8_t kind) {
  if (HasFourRates(kind)) return kFourRates;
  if (HasSixRates(kind)) return kSixRates;
  return kSevenRates;
}

// One rate in the wire form; the rate must be within 0..65535.
uint16_t Encode(const VatForm& form, int32_t rate) {
  if (form.wholePercentBytes) return static_cast<uint8_t>(static_cast<uint32_t>(rate) / 100);
  if (rate == kVatUndefined) return form.undefinedCode;
  if (rate == kVatExempt && form.exemptCode >= 0) return static_cast<uint16_t>(form.exemptCode);
  return static_cast<uint16_t>(rate);
}

int32_t Decode(const VatForm& form, uint16_t wire) {
  if (wire == form.undefinedCode) return kVatUndefined;
  if (wire == form.exemptCode) return kVatExempt;
  return form.wholePercentBytes ? wire * 100 : wire;
}

// The rates as the printer gave them, decoded.
int32_t ReadPrinterRates(TPrinterLink& link, int32_t& count, VatRates& rates) {
  TVatWords words;
  if (int32_t r = ReadVatWords(link, words)) return r;
  const VatForm& form = *FormOfCount(words.count);
  count = words.count;
  for (int32_t i = 0; i < words.count; ++i) rates[i] = Decode(form, words.words[i]);
  return 0;
}

}  // namespace

int32_t ReadVatWords(TPrinterLink& link, TVatWords& words) {
  for (const VatForm* form : {&kSevenRates, &kSixRates, &kFourRates}) {
    const bool bytes = form->wholePercentBytes;
    const auto answerLen = static_cast<uint8_t>(1 + form->count * (bytes ? 1 : 2));
    Block answer{};
    int32_t r = ExecuteSequence(link, form->readCommand, answerLen, {}, &answer);
    if (r == kErrNak && !bytes) continue;
    if (r != 0) return r;
    words.count = form->count;
    words.wholePercentBytes = bytes;
    for (int32_t i = 0; i < form->count; ++i) {
      words.words[i] =
          bytes ? answer[i] : static_cast<uint16_t>(answer[2 * i] << 8 | answer[2 * i + 1]);
    }
    return 0;
  }
  return kErrNak;  // not reached: the last form returns
}

bool AnyVatRateDefined(const TVatWords& words) {
  // An undefined rate is marked in its high byte (the whole byte in the
  // one-byte form): 0x80 in the seven-rate form, 0xFF in the others.
  const VatForm& form = *FormOfCount(words.count);
  const uint16_t undefinedHigh =
      words.wholePercentBytes ? form.undefinedCode : form.undefinedCode >> 8;
  for (int32_t i = 0; i < words.count; ++i) {
    const uint16_t high = words.wholePercentBytes ? words.words[i] : words.words[i] >> 8;
    if (high != undefinedHigh) return true;
  }
  return false;
}

int32_t VatRateCount(uint8_t kind) { return FormOf(kind).count; }

bool VatRateFits(uint8_t kind, int32_t rate) {
  const VatForm& form = FormOf(kind);
  return rate >= 0 && rate <= 0xFFFF && Decode(form, Encode(form, rate)) == rate;
}

std::vector<uint8_t> VatRecord(uint8_t kind, const VatRates& rates) {
  const VatForm& form = FormOf(kind);
  std::vector<uint8_t> data;
  for (int32_t i = 0; i < form.count; ++i) {
    const uint16_t wire = Encode(form, rates[i]);
    if (form.wholePercentBytes) {
      data.push_back(static_cast<uint8_t>(wire));
    } else {
      data.push_back(static_cast<uint8_t>(wire >> 8));
      data.push_back(static_cast<uint8_t>(wire & 0xFF));
    }
  }
  return data;
}

int32_t inner::ReadVAT(TPrinterLink& link, int32_t& count, int32_t& r1, int32_t& r2, int32_t& r3,
                       int32_t& r4, int32_t& r5, int32_t& r6, int32_t& r7) {
  ShowProgressText(link, "Odczyt stawek podatkowych...");
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  int32_t n = 0;
  VatRates rates{};
  if (int32_t r = ReadPrinterRates(link, n, rates)) return r;
  count = n;
  int32_t* out[] = {&r1, &r2, &r3, &r4, &r5, &r6, &r7};
  for (int32_t i = 0; i < n; ++i) *out[i] = rates[i];
  return kOk;
}

int32_t inner::SetVAT(TPrinterLink& link, int32_t& count, int32_t r1, int32_t r2, int32_t r3,
                      int32_t r4, int32_t r5, int32_t r6, int32_t r7) {
  ShowProgressText(link, "Zapis stawek podatkowych...");
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  if (int32_t r = WaitPrintEnd(link, kCheckMode)) return r;
  int32_t counter = 0;
  if (int32_t r = ReadReceiptCounter(link, counter)) return r;
  if (counter != 0) return kErrReceiptCounterNotZero;
  uint8_t kind = 0;
  uint32_t version = 0;
  if (int32_t r = inner::ReadDeviceType(link, kind, version)) return r;
  const VatForm& form = FormOf(kind);
  count = form.count;
  const VatRates rates{r1, r2, r3, r4, r5, r6, r7};
  // A rate the printer would store differently could only fail the
  // read-back after it was written.
  for (int32_t i = 0; i < form.count; ++i) {
    if (!VatRateFits(kind, rates[i])) return kErrVatNotWritten;
  }
  const std::vector<uint8_t> data = VatRecord(kind, rates);
  if (int32_t r = ExecuteSequence(link, form.writeCommand, 1, data)) return r;
  if (int32_t r = inner::PrintControl(link, kPrintoutMode)) return r;
  int32_t readCount = 0;
  VatRates read{};
  if (int32_t r = inner::ReadVAT(link, readCount, read[0], read[1], read[2], read[3], read[4],
                                 read[5], read[6])) {
    return r;
  }
  if (readCount != form.count) return kErrVatNotWritten;
  for (int32_t i = 0; i < form.count; ++i) {
    if (read[i] != rates[i]) return kErrVatNotWritten;
  }
  return kOk;
}

}  // namespace kavoruw
