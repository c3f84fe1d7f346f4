#include "operator_console/logic/status_view.h"

#include "operator_console/logic/texts.h"
#include "platform/box_flags.h"

namespace console {

using namespace platform::box_flags;

namespace {

constexpr const char* kStatusTextsUtf8[35] = {
    "Wpisane dane o producencie",
    "Brak danych o producencie",
    "Wpisane dane o użytkowniku",
    "Brak danych o użytkowniku",
    "Moduł w trybie tylko odczyt",
    "Moduł w trybie szkoleniowym",
    "Moduł w trybie fiskalnym",
    "Wersja oprogramowania w module : ",
    "Brak wolnego miejsca w bazie kontrolnej nazw i stawek",
    "W pamięci znajduje się dokument do wydrukowania",
    "W pamięci fiskalnej zostało mniej niż 30 rekordów do zapisania",
    "Nie został wykonany raport dobowy za poprzedni dzień sprzedaży",
    "Skasowana pamięć CMOS.",
    "Nastąpiło zablokowanie nazwy towaru w paragonie",
    "Brak wyświetlacza klienta",
    "Brak komunikacji z kontrolerem drukarki",
    "Trwa drukowanie dokumentu (w buforze drukarki są znaki do wydrukowania)",
    "Brak papieru (zapalona jest LED PAPER OUT)",
    "Awaria drukarki",
    "Za niskie napięcie akumulatora, dalsza praca możliwa ale powiadom serwis",
    "Nastąpiło unieważnienie paragonu",
    "W pamięci paragonu zostało mniej niż 1 kB miejsca",
    "Wydruk dokumentu zatrzymany z powodu braku papieru",
    "",
    "",
    "",
    "",
    "Wyświetlacz klienta nieznanego typu",
    "Szuflada zamknięta lub niepodłączona",
    "Zwora serwisowa w pozycji serwisowej",
    "Szuflada otwarta",
    "W buforze wycen leków znajdują się dane",
    "Bufor wycen leków zapełniony",
    "BRAK ZASILANIA SIECIOWEGO (TYLKO AKUMULATOR)",
    "Przyczyna ostatniego unieważnienia paragonu: ",
};

bool Bit(uint8_t byte, int bit) { return (byte >> bit) & 1; }

}  // namespace

const std::array<std::string, 35>& StatusTexts() {
  static const std::array<std::string, 35> texts = [] {
    std::array<std::string, 35> t;
    for (size_t i = 0; i < t.size(); ++i) t[i] = Cp(kStatusTextsUtf8[i]);
    return t;
  }();
  return texts;
}

std::vector<std::string> BuildStatusLines(const StatusBytes& status) {
  const auto& t = StatusTexts();
  const uint8_t fiscal = status.bytes[0];
  const uint8_t printer = status.bytes[1];
  const uint8_t print = status.bytes[2];
  const uint8_t service = status.bytes[3];
  std::vector<std::string> lines;
  lines.push_back(t[Bit(fiscal, 0) ? 0 : 1]);
  lines.push_back(t[Bit(fiscal, 1) ? 2 : 3]);
  if (Bit(fiscal, 2)) lines.push_back(t[4]);
  lines.push_back(t[Bit(fiscal, 3) ? 6 : 5]);
  const int version = fiscal >> 4;
  lines.push_back(t[7] + (version < 10 ? "0" : "") + std::to_string(version));
  for (int bit = 0; bit <= 6; ++bit)
    if (Bit(printer, bit)) lines.push_back(t[8 + bit]);
  if (Bit(printer, 7)) {
    // Without the controller the print and service bytes mean nothing.
    lines.push_back(t[15]);
  } else {
    for (int bit = 0; bit <= 6; ++bit)
      if (Bit(print, bit)) lines.push_back(t[16 + bit]);
    if (Bit(service, 6)) lines.push_back(t[29]);
    lines.push_back(t[Bit(service, 3) ? 28 : 30]);
  }
  if (status.count > 4 && Bit(status.bytes[4], 1)) lines.push_back(t[33]);
  const uint8_t reason = status.bytes[5];
  if (status.count > 5 && reason >= 0x21 && reason <= 0x90)
    lines.push_back(t[34] + std::string(1, static_cast<char>(reason)));
  return lines;
}

ConditionStep ReceiptConditionStep(int32_t code, const std::string& errText) {
  using N = ConditionNext;
  auto step = [](const std::string& caption, uint32_t flags, const char* utf8, N next) {
    return ConditionStep{caption, flags, Cp(utf8), next, false, false};
  };
  switch (code) {
    case 0:
      return ConditionStep{CaptionInformation(),
                           MB_ICONINFORMATION | MB_OK,
                           Cp("PARAGON MOŻE ZOSTAĆ WYSTAWIONY"),
                           N::Stop,
                           true,
                           true};
    case 100:
      return step(CaptionError(), MB_ICONSTOP | MB_OK | MB_TASKMODAL,
                  "Brak danych producenta.\rWymagana interwencja serwisu.", N::Stop);
    case 101:
      return step(CaptionError(), MB_ICONSTOP | MB_OK | MB_TASKMODAL,
                  "   Wystawienie paragonu jest niemożliwe.   \r Zwora serwisowa jest w pozycji "
                  "serwisowej.",
                  N::Stop);
    case 102:
      return step(CaptionError(), MB_ICONSTOP | MB_OK | MB_TASKMODAL,
                  " Brak komunikacji z kontrolerem drukarki.", N::Stop);
    case 103:
      return step(CaptionError(), MB_ICONEXCLAMATION | MB_YESNO | MB_TASKMODAL,
                  " Awaria drukarki.\rProszę sprawdzić czy nic nie zablokowało mechanizmu "
                  "drukującego.\rCzy sprawdzić ponownie warunki wystawienia paragonu?",
                  N::RepeatOnYes);
    case 104:
      return step(CaptionQuestion(), MB_ICONEXCLAMATION | MB_YESNO | MB_TASKMODAL,
                  " Brak danych użytkownika\rCzy przejść do wprowadzania tych danych?",
                  N::UserDataOnYes);
    case 105:
      return step(CaptionError(), MB_ICONSTOP | MB_OK | MB_TASKMODAL,
                  " Moduł fiskalny znajduje się w trybie \"TYLKO ODCZYT\"", N::Stop);
    case 107:
      return step(CaptionError(), MB_ICONSTOP | MB_OK | MB_TASKMODAL,
                  " Pamięć CMOS jest skasowana.", N::LeaveAtOnce);
    case 108:
      return step(CaptionQuestion(), MB_ICONEXCLAMATION | MB_YESNO | MB_TASKMODAL,
                  " Zaległy raport dobowy.\rCzy wykonać raport?", N::DailyReportOnYes);
    case 109:
      return step(CaptionError(), MB_ICONEXCLAMATION | MB_YESNO | MB_TASKMODAL,
                  "Brak papieru lub podniesiona głowica mechanizmu drukującego.\rNależy założyć "
                  "papier/lub opuścić głowicę mechanizmu.\rCzy sprawdzić ponownie warunki "
                  "wystawienia paragonu?",
                  N::RepeatOnYes);
    case 112:
      return step(CaptionQuestion(), MB_ICONEXCLAMATION | MB_YESNO | MB_TASKMODAL,
                  "Wydruk zatrzymany z powodu braku papieru.\rCzy wznowić wydruk?", N::ResumeOnYes);
    case 113:
      return step(CaptionQuestion(), MB_ICONEXCLAMATION | MB_YESNO | MB_TASKMODAL,
                  " Brak stawek podatkowych\rCzy przejść do wprowadzania tych danych?",
                  N::VatRatesOnYes);
    default:
      return ConditionStep{CaptionError(),
                           MB_ICONEXCLAMATION | MB_YESNO | MB_TASKMODAL,
                           ResumeFailedText(errText),
                           N::RepeatOnYes,
                           true,
                           false};
  }
}

std::string ResumeFailedText(const std::string& errText) {
  static const std::string tail =
      Cp("\r\r Czy powtórzyć sprawdzenie warunków wystawienia paragonu?");
  return errText + tail;
}

std::string UniqueNumberLabel(const std::string& number) {
  return "Numer unikatowy drukarki: " + number;
}

const std::string& DisplayTestLabel(int step) {
  static const std::string razem = Cp(
      "Test powinien spowodować zapalenie segmentów\rwyświetlacza jak pokazano niżej:            "
      "\r                                            \r             RAZEM                        "
      "            \r                                            \r               "
      "8.8.8.8.8.8.8.8.8.                     ");
  static const std::string reszta = Cp(
      "Test powinien spowodować zapalenie segmentów\rwyświetlacza jak pokazano niżej:            "
      "\r                                            \r                                RESZTA     "
      "           \r                                            \r               "
      "8.8.8.8.8.8.8.8.8.                     ");
  return step == 1 ? razem : reszta;
}

int32_t ExemptRateIndex(int32_t count, const std::array<int32_t, 7>& rates) {
  if (count == 4 || count == 6) return 7;
  int32_t index = 0;
  for (int32_t i = 1; i <= count && i <= 7; ++i)
    if (rates[i - 1] == 10000) index = i;
  return index;
}

}  // namespace console
