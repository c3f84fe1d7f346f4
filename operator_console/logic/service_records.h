#pragma once
// Records the service procedures send through RSSequence, and the texts of
// the printer's reply bytes: the switch to fiscal mode, the settlement report
// and the clearing of the article-name base.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "operator_console/logic/reports.h"
#include "operator_console/logic/vat_rates.h"

namespace console {

// ---- Switch to fiscal mode (command 0x72) ----

// A rate as the fiscal record carries it: reserve 0x8000, exempt 0x4000,
// any other rate its hundredths (0..9983). Nothing for a value that is none
// of these.
std::optional<uint16_t> VatRateWord(uint32_t rate);

// The first six bytes of the record. The printer does not read them; they
// are always sent as zero, so every fiscalization sends the same bytes for
// the same rates.
inline constexpr std::array<uint8_t, 6> kFiscalizationFreeBytes = {0, 0, 0, 0, 0, 0};

// 20 bytes: the six free bytes, then rates A..G as words, high byte first.
// Nothing when a rate cannot be encoded (nothing is then to be sent).
std::optional<std::array<uint8_t, 20>> FiscalizationRecord(const FiscalVatRateTable& rates);

// The reply byte after the record.
enum class FiscalizationReply {
  Accepted,    // ACK: wait for the printout, then verify the fiscal mode
  Refused,     // NAK: "Drukarka nie została sfiskalizowana."
  Unexpected,  // "Niepoprawna odpowiedź z drukarki."
};
FiscalizationReply FiscalizationReplyFor(uint8_t reply);
// The error text of a refused or unexpected reply; empty for ACK.
std::string FiscalizationReplyText(uint8_t reply);

// ---- Settlement report (command '1') ----

inline constexpr uint8_t kSettlementWhole = 1;
inline constexpr uint8_t kSettlementByDates = 2;
inline constexpr uint8_t kSettlementByNumbers = 3;

// The date as the prompt hands it over: "20" + "yy.mm.dd".
std::string SettlementDateText(const Date& date);

// The record: report code (8 whole, 6 dates, 7 numbers), the typed number's
// digit pairs summed, the date's six digit values, then the range (12 bytes
// by dates, the first 4 by numbers). 11, 23 or 15 bytes. Nothing when the
// kind is not 1..3, the number is not 8 digits or the date not
// "20yy.mm.dd" with digits.
std::optional<std::vector<uint8_t>> SettlementRecord(uint8_t kind, const std::string& date,
                                                     const std::string& number,
                                                     const ReportParams& range);

// The result byte after the record: 0 accepted (no text), 1..7 their refusal
// texts, any other byte "Niepoprawna odpowiedź z drukarki.".
std::string SettlementResultText(uint8_t result);

// Characters 5..12 of the printer's unique number (3 characters, a blank,
// 8 digits); empty when the number is shorter.
std::string UniqueNumberDigits(const std::string& uniqueNumber);
// The typed number equals the printer's 8 digits exactly.
bool UniqueNumberMatches(const std::string& uniqueNumber, const std::string& typed);

// ---- Clearing the article-name base (command '\') ----

// The data byte: codes of characters 10 and 11 of the unique number added.
// Nothing when the number is shorter than 11 characters.
std::optional<uint8_t> ArticleBaseClearByte(const std::string& uniqueNumber);

// "Baza nazw i towarów nie została skasowana.\r\rMożliwe przyczyny: ...":
// shown for a NAK to the command (code 24) and for a NAK confirmation byte.
const std::string& ArticleBaseNotClearedText();
// "Baza nazw i towarów została skasowana" (notice after ACK and printout).
const std::string& ArticleBaseClearedText();

// The confirmation byte after the command.
enum class ArticleBaseReply {
  Cleared,     // ACK: PrintControl(0), then the notice
  NotCleared,  // NAK: ArticleBaseNotClearedText
  Unexpected,  // "Niepoprawna odpowiedź z drukarki."
};
ArticleBaseReply ArticleBaseReplyFor(uint8_t reply);
// The error text for a byte other than ACK; empty for ACK.
std::string ArticleBaseReplyText(uint8_t reply);

}  // namespace console
