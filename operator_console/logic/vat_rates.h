#pragma once
// The VAT-rate dialogs' pure parts: the console's rate tables, the rate texts
// with a decimal comma whatever the locale, the editor's key filter, exit
// check, confirmation and prefill rule.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace console {

// Hundredths of a percent; these two values are marks, not rates.
inline constexpr uint32_t kVatReserve = 25500;  // "REZERWA"
inline constexpr uint32_t kVatExempt = 10000;   // "ZWOLNIONA"
// Highest rate the editor takes: 99,83 %.
inline constexpr uint32_t kVatHighest = 9983;

using VatRateTable = std::array<uint16_t, 7>;        // A..G
using FiscalVatRateTable = std::array<uint32_t, 7>;  // A..G

// 22 %, 7 %, 0 %, three reserves, exempt: used when every rate read is a reserve.
inline constexpr FiscalVatRateTable kDefaultVatRates = {2200, 700, 0, 25500, 25500, 25500, 10000};
// Every slot a reserve: what FiscalVatRates holds before the printer's rates
// are read, so that no stale rate can reach the fiscal memory.
inline constexpr FiscalVatRateTable kAllReserveVatRates = {25500, 25500, 25500, 25500,
                                                           25500, 25500, 25500};

bool AllReserve(const FiscalVatRateTable& rates);
// The rates read, or the default rates when all seven are reserves.
FiscalVatRateTable RatesOrDefaults(const FiscalVatRateTable& rates);

// A rate in percent, shortest form with a decimal comma: 2200 "22", 850
// "8,5", 5 "0,05", 0 "0".
std::string VatRatePercentText(uint32_t hundredths);

// The read dialog's lines ("Stawka PTU A : 22 %", "... : REZERWA"): one per
// rate reported (4, 6 or 7); a 4-rate printer shows whole percents. Any
// other count gives no line.
std::vector<std::string> VatReadLines(int32_t count, const std::array<int32_t, 7>& rates);
// VatRates after a read: the rates reported, zero for the others (all zero
// for a count other than 4, 6 or 7).
VatRateTable VatRatesAfterRead(int32_t count, const std::array<int32_t, 7>& rates);

// A rate text converted to hundredths. The decimal separator is the comma;
// a trailing comma reads as a whole percent ("8," is 800); blanks around the
// number are ignored.
enum class VatTextVerdict { Ok, NotANumber, OutOfRange };
struct VatTextValue {
  VatTextVerdict verdict = VatTextVerdict::NotANumber;
  uint32_t hundredths = 0;  // Ok only; rounded half to even
  std::string shownValue;   // the number in its shortest form (OutOfRange)
};
VatTextValue ParseVatRateText(const std::string& text);

// "Błąd w stawce podatkowej: " + text
std::string VatRateErrorText(const std::string& text);
// "Błąd w stawce podatkowej: " + value + " (stawka poza zakresem)"
std::string VatRangeErrorText(const std::string& value);

// The key filter of the rate edits. text: the edit's text before the key;
// selectionLength: the length of its selection.
struct VatKeyResult {
  bool accept = false;
  bool clearFirst = false;       // the whole text was selected: empty it first
  std::optional<int> maxLength;  // set this limit before the key goes in
};
inline constexpr char kBackspace = 8;
VatKeyResult VatKeyFilter(const std::string& text, int selectionLength, char key);

// The exit check of a rate edit: an empty text becomes "0"; error holds the
// box text when the rate cannot be taken (the check only warns).
struct VatExitResult {
  std::string text;
  std::optional<std::string> error;
};
VatExitResult VatExitCheck(const std::string& text);

// One row of the editor as the operator left it.
struct VatRateRow {
  std::string text;
  bool reserve = false;  // REZERWA ticked
  bool exempt = false;   // ZWOLNIONA ticked (wins over REZERWA)
};
// The confirmation: every row in order, stopping at the first bad rate.
struct VatConfirmResult {
  bool ok = false;
  FiscalVatRateTable values{};
  int badRow = -1;                   // 0..6 when !ok
  std::string error;                 // box text when !ok
  std::array<std::string, 7> texts;  // the edits' texts afterwards (empty -> "0")
};
VatConfirmResult ConfirmVatRates(const std::array<VatRateRow, 7>& rows);

// The confirmed rates are those last read: nothing is to be written.
bool VatRatesUnchanged(const FiscalVatRateTable& values, const VatRateTable& read);

// The prefill rule for one rate: how its row looks once filled (after the
// boxes' own click rule has run). editText is set only for a plain rate; a
// ticked rate keeps its edit's old text.
struct VatPrefill {
  bool reserve = false;
  bool exempt = false;
  bool editVisible = true;
  std::optional<std::string> editText;
};
VatPrefill VatPrefillFor(uint32_t rate);

}  // namespace console
