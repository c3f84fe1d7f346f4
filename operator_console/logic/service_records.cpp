#include "operator_console/logic/service_records.h"

#include "operator_console/logic/texts.h"

namespace console {

namespace {

constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<uint16_t> VatRateWord(uint32_t rate) {
  if (rate == kVatReserve) return 0x8000;
  if (rate == kVatExempt) return 0x4000;
  if (rate <= kVatHighest) return static_cast<uint16_t>(rate);
  return std::nullopt;
}

std::optional<std::array<uint8_t, 20>> FiscalizationRecord(const FiscalVatRateTable& rates) {
  std::array<uint8_t, 20> record{};
  for (size_t i = 0; i < kFiscalizationFreeBytes.size(); ++i)
    record[i] = kFiscalizationFreeBytes[i];
  for (size_t i = 0; i < rates.size(); ++i) {
    const auto word = VatRateWord(rates[i]);
    if (!word) return std::nullopt;
    record[6 + 2 * i] = static_cast<uint8_t>(*word >> 8);
    record[7 + 2 * i] = static_cast<uint8_t>(*word & 0xFF);
  }
  return record;
}

FiscalizationReply FiscalizationReplyFor(uint8_t reply) {
  if (reply == kAck) return FiscalizationReply::Accepted;
  if (reply == kNak) return FiscalizationReply::Refused;
  return FiscalizationReply::Unexpected;
}

std::string FiscalizationReplyText(uint8_t reply) {
  switch (FiscalizationReplyFor(reply)) {
    case FiscalizationReply::Accepted: return std::string();
    case FiscalizationReply::Refused: return Cp("Drukarka nie została sfiskalizowana.");
    case FiscalizationReply::Unexpected: break;
  }
  return UnexpectedReplyText();
}

std::string SettlementDateText(const Date& date) {
  const auto two = [](int v) {
    const int n = ((v % 100) + 100) % 100;
    return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
  };
  return "20" + two(date.year) + "." + two(date.month) + "." + two(date.day);
}

std::optional<std::vector<uint8_t>> SettlementRecord(uint8_t kind, const std::string& date,
                                                     const std::string& number,
                                                     const ReportParams& range) {
  static constexpr uint8_t kReportCode[4] = {0, 8, 6, 7};
  if (kind < kSettlementWhole || kind > kSettlementByNumbers) return std::nullopt;
  if (number.size() != 8) return std::nullopt;
  for (char c : number)
    if (!IsDigit(c)) return std::nullopt;
  if (date.size() != 10 || date[4] != '.' || date[7] != '.') return std::nullopt;
  static constexpr size_t kDateDigits[6] = {2, 3, 5, 6, 8, 9};
  for (size_t at : kDateDigits)
    if (!IsDigit(date[at])) return std::nullopt;

  std::vector<uint8_t> record;
  record.push_back(kReportCode[kind]);
  for (size_t i = 0; i < 8; i += 2)
    record.push_back(static_cast<uint8_t>(number[i] + number[i + 1]));
  for (size_t at : kDateDigits) record.push_back(static_cast<uint8_t>(date[at] - '0'));
  if (kind == kSettlementByDates) record.insert(record.end(), range.begin(), range.end());
  if (kind == kSettlementByNumbers) record.insert(record.end(), range.begin(), range.begin() + 4);
  return record;
}

std::string SettlementResultText(uint8_t result) {
  static const std::array<std::string, 8> texts = {
      std::string(),
      Cp("Nie wykonano raportu rozliczeniowego.\rPodano błędne daty raportów dobowych"),
      Cp(" Nie wykonano raportu rozliczeniowego.\rW podanym okresie brak raportów dobowych"),
      Cp(" Nie wykonano raportu rozliczeniowego.\rPodano błędne numery raportów dobowych"),
      Cp("    Nie wykonano raportu rozliczeniowego.\rMiesiąc za który miał być wydrukowany "
         "raport\r           nie został zakończony."),
      Cp("  Nie wykonano raportu rozliczeniowego.\rTyp raportu spoza dopuszczalnego zakresu."),
      Cp("Nie wykonano raportu rozliczeniowego.\r    Niespełnione warunki raportu."),
      Cp("  Licznik paragonów jest niezerowy.\rNależy wykonać fiskalny raport dobowy."),
  };
  if (result < texts.size()) return texts[result];
  return UnexpectedReplyText();
}

std::string UniqueNumberDigits(const std::string& uniqueNumber) {
  if (uniqueNumber.size() < 12) return std::string();
  return uniqueNumber.substr(4, 8);
}

bool UniqueNumberMatches(const std::string& uniqueNumber, const std::string& typed) {
  const std::string digits = UniqueNumberDigits(uniqueNumber);
  return !digits.empty() && digits == typed;
}

std::optional<uint8_t> ArticleBaseClearByte(const std::string& uniqueNumber) {
  if (uniqueNumber.size() < 11) return std::nullopt;
  return static_cast<uint8_t>(static_cast<unsigned char>(uniqueNumber[9]) +
                              static_cast<unsigned char>(uniqueNumber[10]));
}

const std::string& ArticleBaseNotClearedText() {
  static const std::string text =
      Cp("Baza nazw i towarów nie została skasowana.\r\rMożliwe przyczyny:\r - baza nazw i towarów "
         "nie jest jeszcze zapełniona,\r - przed próbą kasowania nie powstał wydruk kontrolny nazw "
         "i stawek.");
  return text;
}

const std::string& ArticleBaseClearedText() {
  static const std::string text = Cp("Baza nazw i towarów została skasowana");
  return text;
}

ArticleBaseReply ArticleBaseReplyFor(uint8_t reply) {
  if (reply == kAck) return ArticleBaseReply::Cleared;
  if (reply == kNak) return ArticleBaseReply::NotCleared;
  return ArticleBaseReply::Unexpected;
}

std::string ArticleBaseReplyText(uint8_t reply) {
  switch (ArticleBaseReplyFor(reply)) {
    case ArticleBaseReply::Cleared: return std::string();
    case ArticleBaseReply::NotCleared: return ArticleBaseNotClearedText();
    case ArticleBaseReply::Unexpected: break;
  }
  return UnexpectedReplyText();
}

}  // namespace console
