#include "operator_console/logic/vat_rates.h"

#include <algorithm>

#include "operator_console/logic/texts.h"

namespace console {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string SignedPercentText(int32_t hundredths) {
  if (hundredths < 0) return "-" + VatRatePercentText(static_cast<uint32_t>(-(int64_t)hundredths));
  return VatRatePercentText(static_cast<uint32_t>(hundredths));
}

std::string RateValueText(int32_t rate, bool wholePercents) {
  if (rate == static_cast<int32_t>(kVatReserve)) return "REZERWA";
  if (rate == static_cast<int32_t>(kVatExempt)) return "ZWOLNIONA";
  if (wholePercents) return std::to_string(rate / 100) + " %";
  return SignedPercentText(rate) + " %";
}

}  // namespace

bool AllReserve(const FiscalVatRateTable& rates) {
  return std::all_of(rates.begin(), rates.end(), [](uint32_t r) { return r == kVatReserve; });
}

FiscalVatRateTable RatesOrDefaults(const FiscalVatRateTable& rates) {
  return AllReserve(rates) ? kDefaultVatRates : rates;
}

std::string VatRatePercentText(uint32_t hundredths) {
  std::string text = std::to_string(hundredths / 100);
  const uint32_t cents = hundredths % 100;
  if (cents == 0) return text;
  text += ',';
  text += static_cast<char>('0' + cents / 10);
  if (cents % 10 != 0) text += static_cast<char>('0' + cents % 10);
  return text;
}

std::vector<std::string> VatReadLines(int32_t count, const std::array<int32_t, 7>& rates) {
  std::vector<std::string> lines;
  if (count != 4 && count != 6 && count != 7) return lines;
  for (int32_t i = 0; i < count; ++i) {
    std::string line = "Stawka PTU A : ";
    line[11] = static_cast<char>('A' + i);
    lines.push_back(line + RateValueText(rates[i], count == 4));
  }
  return lines;
}

VatRateTable VatRatesAfterRead(int32_t count, const std::array<int32_t, 7>& rates) {
  VatRateTable table{};
  if (count != 4 && count != 6 && count != 7) return table;
  for (int32_t i = 0; i < count; ++i)
    table[i] = static_cast<uint16_t>(std::clamp<int32_t>(rates[i], 0, 0xFFFF));
  return table;
}

VatTextValue ParseVatRateText(const std::string& text) {
  VatTextValue result;
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  size_t i = begin;
  bool negative = false;
  if (i < end && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::string whole, fraction;
  while (i < end && IsDigit(text[i])) whole += text[i++];
  if (i < end && text[i] == ',') {
    ++i;
    while (i < end && IsDigit(text[i])) fraction += text[i++];
  }
  if (i != end || (whole.empty() && fraction.empty())) return result;

  // Exact decimal arithmetic: the value is whole,fraction.
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  fraction.erase(std::min(fraction.find_last_not_of('0') + 1, fraction.size()));
  const bool zero = whole.empty() && fraction.empty();
  result.shownValue = (negative && !zero ? "-" : "") + (whole.empty() ? "0" : whole) +
                      (fraction.empty() ? "" : "," + fraction);
  if (zero) {
    result.verdict = VatTextVerdict::Ok;
    return result;
  }
  result.verdict = VatTextVerdict::OutOfRange;
  if (negative || whole.size() > 2) return result;
  const std::string cents = (fraction + "00").substr(0, 2);
  const std::string rest = fraction.size() > 2 ? fraction.substr(2) : std::string();
  uint32_t hundredths =
      static_cast<uint32_t>((whole.empty() ? 0 : std::stoi(whole)) * 100 + std::stoi(cents));
  if (hundredths > kVatHighest || (hundredths == kVatHighest && !rest.empty())) return result;
  if (!rest.empty()) {
    const bool above = rest[0] > '5' || (rest[0] == '5' && rest.size() > 1);
    const bool half = rest[0] == '5' && rest.size() == 1;
    if (above || (half && hundredths % 2 == 1)) ++hundredths;
  }
  result.verdict = VatTextVerdict::Ok;
  result.hundredths = hundredths;
  return result;
}

std::string VatRateErrorText(const std::string& text) {
  static const std::string prefix = Cp("Błąd w stawce podatkowej: ");
  return prefix + text;
}

std::string VatRangeErrorText(const std::string& value) {
  return VatRateErrorText(value) + " (stawka poza zakresem)";
}

VatKeyResult VatKeyFilter(const std::string& text, int selectionLength, char key) {
  VatKeyResult result;
  if (key == kBackspace) {
    result.accept = true;
    return result;
  }
  const size_t comma = text.find(',');
  const bool c = comma != std::string::npos;
  size_t before = c ? comma : text.size();
  size_t after = c ? text.size() - comma - 1 : 0;
  const bool isComma = key == ',';
  if (!IsDigit(key) && !isComma) return result;
  size_t length = text.size();
  if (selectionLength >= static_cast<int>(text.size())) {
    result.clearFirst = true;
    length = 0;
    before = 0;
    after = 0;
  }
  result.accept = true;
  switch (length) {
    case 0:
      if (isComma) result.accept = false;
      result.maxLength = 2;
      break;
    case 1:
      if (isComma && c) result.accept = false;
      result.maxLength = 2;
      break;
    case 2:
      if (isComma && c) result.accept = false;
      if (!isComma && before == 2 && !c) result.accept = false;
      result.maxLength = 3;
      break;
    case 3:
      if (after == 2) {
        result.accept = false;
      } else {
        if (isComma && c) result.accept = false;
        result.maxLength = 4;
      }
      break;
    case 4:
      if (after == 2 || (c && isComma)) {
        result.accept = false;
      } else {
        result.maxLength = 5;
      }
      break;
    case 5: result.accept = false; break;
    default: break;
  }
  return result;
}

VatExitResult VatExitCheck(const std::string& text) {
  VatExitResult result{text.empty() ? "0" : text, std::nullopt};
  const VatTextValue value = ParseVatRateText(result.text);
  if (value.verdict == VatTextVerdict::NotANumber) {
    result.error = VatRateErrorText(result.text);
  } else if (value.verdict == VatTextVerdict::OutOfRange) {
    result.error = VatRangeErrorText(result.text);
  }
  return result;
}

VatConfirmResult ConfirmVatRates(const std::array<VatRateRow, 7>& rows) {
  VatConfirmResult result;
  for (size_t i = 0; i < rows.size(); ++i) result.texts[i] = rows[i].text;
  for (size_t i = 0; i < rows.size(); ++i) {
    const VatRateRow& row = rows[i];
    if (row.exempt) {
      result.values[i] = kVatExempt;
      continue;
    }
    if (row.reserve) {
      result.values[i] = kVatReserve;
      continue;
    }
    if (result.texts[i].empty()) result.texts[i] = "0";
    const VatTextValue value = ParseVatRateText(result.texts[i]);
    if (value.verdict != VatTextVerdict::Ok) {
      result.badRow = static_cast<int>(i);
      result.error = value.verdict == VatTextVerdict::NotANumber
                         ? VatRateErrorText(result.texts[i])
                         : VatRangeErrorText(value.shownValue);
      return result;
    }
    result.values[i] = value.hundredths;
  }
  result.ok = true;
  return result;
}

bool VatRatesUnchanged(const FiscalVatRateTable& values, const VatRateTable& read) {
  for (size_t i = 0; i < values.size(); ++i)
    if (values[i] != read[i]) return false;
  return true;
}

VatPrefill VatPrefillFor(uint32_t rate) {
  VatPrefill prefill;
  if (rate == kVatReserve) {
    prefill.reserve = true;
    prefill.editVisible = false;
  } else if (rate == kVatExempt) {
    prefill.exempt = true;
    prefill.editVisible = false;
  } else {
    prefill.editText = VatRatePercentText(rate);
  }
  return prefill;
}

}  // namespace console
