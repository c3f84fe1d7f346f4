#include "printer_link/api/error_texts.h"
#include "kavoruw_codes.h"

#include <cstring>
#include <map>

#include "platform/text/cp1250.h"

namespace kavoruw {

namespace {

struct ErrorTextEntry {
  int32_t code;
  const char* utf8;
};

// Written in UTF-8 here, converted to Windows-1250 once on first use.
constexpr ErrorTextEntry kErrorTexts[] = {
    {5,
     "Niemożliwe otwarcie portu. Port szeregowy jest prawdopodobnie używany przez inną aplikację."},
    {20,
     "TIMEOUT NADAWANIA: Komputer nie potrafi wysłać informacji do drukarki fiskalnej \r\r"
     "Możliwe przyczyny błędu:\r\r"
     "* drukarka fiskalna nie jest włączona. Należy włączyć drukarkę i poczekać\r"
     "  aż na wyświetlaczu klienta zaświeci się napis 'ON LINE',\r"
     "* drukarka fiskalna znajduje się w trybie 'OFF LINE'\r"
     "  należy nacisnąć równocześnie klawisze UP i DOWN drukarki fiskalnej,\r"
     "* kabel łączący komputer z drukarką fiskalną nie jest podłączony\r"
     "  lub jest podłączony niepoprawnie\r"
     "* drukarka jest podłączona do innego portu szeregowego niż wybrany w programie.\r\r"
     "Po sprawdzeniu opisanych przyczyn można spróbować, czy błąd został usunięty."},
    {21,
     "TIMEOUT ODBIERANIA: Komputer nie potrafi odebrać informacji z drukarki fiskalnej \r\r"
     "Możliwe przyczyny błędu:\r\r"
     "* drukarka fiskalna nie jest włączona. Należy włączyć drukarkę i poczekać\r"
     "  aż na wyświetlaczu klienta zaświeci się napis 'ON LINE',\r"
     "* drukarka fiskalna znajduje się w trybie 'OFF LINE'\r"
     "  należy nacisnąć równocześnie klawisze UP i DOWN drukarki fiskalnej,\r"
     "* kabel łączący komputer z drukarką fiskalną nie jest podłączony\r"
     "  lub jest podłączony niepoprawnie\r"
     "* w programie wybrano inną prędkość transmisji niż ustawiona w drukarce.\r\r"
     "Po sprawdzeniu opisanych przyczyn można spróbować, czy błąd został usunięty."},
    {23, "Niepoprawna odpowiedź z drukarki."},
    {24, "NAK na sekwencję sterującą."},
    {99, "Komunikacja nie zainicjowana."},
    {100, "Brak danych producenta."},
    {101, "Zwora serwisowa w pozycji serwisowej."},
    {102, "Brak komunikacji z kontrolerem drukarki."},
    {103, "Awaria drukarki."},
    {104, "Brak danych uzytkownika."},
    {105, "Moduł fiskalny w trybie TYLKO ODCZYT."},
    {106, "Brak wyświetlacza klienta."},
    {107, "Skasowana pamięć CMOS. Wejdź do inicjowania zegara."},
    {108, "Zaległy raport dobowy do wykonania."},
    {109, "Brak papieru lub podniesiona głowica mechanizmu drukującego."},
    {110, "W pamięci znajduje się dokument do wydrukowania."},
    {111, "W buforze drukowania są znaki do wydrukowania."},
    {112, "Wydruk zatrzymany z powodu braku papieru."},
    {113, "Brak stawek podatkowych w drukarce."},
    {114, "Nieustawione parametry komunikacji (numer portu)."},
    {200, "Paragon rozpoczęty."},
    {201, "Paragon nierozpoczęty."},
    {202, "Za mało znaków znaczących (parametr <Nazwa> w ReceiptItem)."},
    {203, "Parametr <Stawka> w ReceiptItem poza zakresem."},
    {204, "Parametr <Komunikat> w ReceiptItem poza zakresem."},
    {205, "Parametr <Ilosc> w ReceiptItem poza zakresem."},
    {206, "Parametr <MP> w ReceiptItem poza zakresem."},
    {207, "Parametr <Jedn> w ReceiptItem poza zakresem."},
    {208, "Parametr <Cena> w ReceiptItem poza zakresem."},
    {209, "Parametr <Wartosc> w ReceiptItem rozny od <Ilosc>*<Cena>."},
    {210, "Nastapiło unieważnienie paragonu."},
    {211, "Zerowy licznik paragonów (brak sprzedaży po rap.dobowym)."},
    {212, "Parametr <DrawerNumber> w OpenDrawer poza zakresem."},
    {213, "Rozkaz niedostępny."},
    {214, "Parametr <Param> w PackageItem poza zakresem."},
    {215, "Parametr przekazany do funkcji poza zakresem."},
    {216, "Wszystkie linie po paragonie zajęte."},
    {217, "Stawki podatkowe niezapisane."},
    {218, "Niezerowy licznik paragonów. Należy wykonać raport dobowy."},
    {219, "Błędne daty dla raportu okresowego."},
    {220, "Brak raportów w podanym okresie."},
    {221, "Błędne numery dla raportu okresowego."},
    {222, "Niezakończony miesiąc."},
    {223, "Parametr N poza zakresem."},
    {224, "Rozkaz niedostępny w tym urządzeniu lub w tej wersji programu."},
    {225, "Bufor wejściowy ma zerową długość."},
    {226, "Stawka niezdefiniowana."},
    {227, "Przekroczona maksymalna wartość pozycji paragonowej."},
    {228, "Drukarka w trybie szkoleniowym."},
    {229, "Dane użytkownika nie zostały zapisane."},
    {230, "Pamięć CMOS nie jest skasowana."},
    {231, "Zwora serwisowa jest w pozycji normalnej."},
    {999, "W bibliotece wystapił wewnętrzny wyjątek."},
};

constexpr const char* kUnknownErrorUtf8 = "Nieznany błąd (prawdopodobnie systemowy)";

struct ErrorTextTable {
  std::map<int32_t, std::string> texts;
  std::string unknown;

  ErrorTextTable() : unknown(platform::Cp1250FromUtf8(kUnknownErrorUtf8)) {
    for (const auto& entry : kErrorTexts) {
      texts.emplace(entry.code, platform::Cp1250FromUtf8(entry.utf8));
    }
  }
};

const ErrorTextTable& Table() {
  static const ErrorTextTable table;
  return table;
}

}  // namespace

std::string ErrorText(int32_t code) {
  if (code == 0) return {};
  const ErrorTextTable& table = Table();
  auto it = table.texts.find(code);
  return it != table.texts.end() ? it->second : table.unknown;
}

int32_t inner::ErrMessage(int32_t code, std::string& text) {
  text.clear();
  text = ErrorText(code);
  return 0;
}

int32_t inner::pErrMessage(int32_t code, char* buffer) {
  if (buffer == nullptr) return kErrNullBuffer;
  std::string text;
  const int32_t result = inner::ErrMessage(code, text);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return result;
}

}  // namespace kavoruw
