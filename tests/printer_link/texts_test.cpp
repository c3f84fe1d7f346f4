#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/api/error_texts.h"

namespace kavoruw {
namespace {

// The whole vocabulary, as the user reads it (UTF-8).
const std::map<int32_t, std::string> kExpectedUtf8 = {
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

const std::string kUnknown = platform::Cp1250FromUtf8("Nieznany błąd (prawdopodobnie systemowy)");

TEST(ErrorTexts, EveryCodeOfTheTableIsByteExact) {
  ASSERT_EQ(kExpectedUtf8.size(), 54u);
  for (const auto& [code, utf8] : kExpectedUtf8) {
    EXPECT_EQ(ErrorText(code), platform::Cp1250FromUtf8(utf8)) << "code " << code;
  }
}

TEST(ErrorTexts, NoOtherCodeHasATextOfItsOwn) {
  EXPECT_EQ(ErrorText(0), "");
  for (int32_t code = -1100; code <= 1100; ++code) {
    if (code == 0 || kExpectedUtf8.count(code) != 0) continue;
    ASSERT_EQ(ErrorText(code), kUnknown) << "code " << code;
  }
  for (int32_t code : {26, 115, 2, 87, -1, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(ErrorText(code), kUnknown) << "code " << code;
  }
}

TEST(ErrorTexts, PolishLettersAreWindows1250Bytes) {
  EXPECT_EQ(kUnknown,
            "Nieznany b\xB3\xB9"
            "d (prawdopodobnie systemowy)");
  EXPECT_EQ(ErrorText(219),
            "B\xB3\xEA"
            "dne daty dla raportu okresowego.");
  EXPECT_EQ(ErrorText(222),
            "Niezako\xF1"
            "czony miesi\xB9"
            "c.");
  EXPECT_EQ(ErrorText(5).substr(0, 11), "Niemo\xBFliwe ");
  EXPECT_EQ(ErrorText(225),
            "Bufor wej\x9C"
            "ciowy ma zerow\xB9 d\xB3ugo\x9C\xE6.");
  EXPECT_EQ(ErrorText(206), "Parametr <MP> w ReceiptItem poza zakresem.");
  EXPECT_EQ(ErrorText(208), "Parametr <Cena> w ReceiptItem poza zakresem.");
}

TEST(ErrorTexts, TimeoutTextsKeepTheirLineBreaks) {
  const std::string send = ErrorText(20);
  const std::string receive = ErrorText(21);
  EXPECT_EQ(send.substr(0, 18), "TIMEOUT NADAWANIA:");
  EXPECT_EQ(receive.substr(0, 19), "TIMEOUT ODBIERANIA:");
  for (const std::string& text : {send, receive}) {
    // A blank, then a double break, before the list of causes.
    EXPECT_NE(text.find("fiskalnej \r\rMo\xBFliwe przyczyny b\xB3\xEA"
                        "du:\r\r* "),
              std::string::npos);
    EXPECT_NE(text.find(".\r\rPo sprawdzeniu"), std::string::npos);
    EXPECT_NE(text.find("\r  a\xBF na wy\x9Cwietlaczu"), std::string::npos);
    EXPECT_EQ(text.find('\n'), std::string::npos);
  }
}

TEST(ErrorTexts, LongestTextIsCode20) {
  size_t longest = 0;
  int32_t longestCode = 0;
  for (const auto& entry : kExpectedUtf8) {
    const size_t length = ErrorText(entry.first).size();
    if (length > longest) {
      longest = length;
      longestCode = entry.first;
    }
  }
  EXPECT_EQ(longestCode, 20);
  EXPECT_EQ(longest, 621u);
  EXPECT_EQ(longest, kMaxErrorTextLength);
  EXPECT_LE(kUnknown.size(), kMaxErrorTextLength);
}

TEST(ErrMessage, EmptiesThenAssigns) {
  std::string text = "poprzedni";
  EXPECT_EQ(ErrMessage(0, text), 0);
  EXPECT_EQ(text, "");
  text = "poprzedni";
  EXPECT_EQ(ErrMessage(200, text), 0);
  EXPECT_EQ(text, platform::Cp1250FromUtf8("Paragon rozpoczęty."));
  EXPECT_EQ(ErrMessage(26, text), 0);
  EXPECT_EQ(text, kUnknown);
}

TEST(pErrMessage, NullBufferWritesNothing) { EXPECT_EQ(inner::pErrMessage(20, nullptr), 225); }

TEST(pErrMessage, CopiesTheTextWithItsZero) {
  char buffer[kMaxErrorTextLength + 2];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(inner::pErrMessage(20, buffer), 0);
  EXPECT_EQ(std::string(buffer), ErrorText(20));
  EXPECT_EQ(buffer[kMaxErrorTextLength], '\0');
  EXPECT_EQ(buffer[kMaxErrorTextLength + 1], 'x');

  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(inner::pErrMessage(0, buffer), 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], 'x');

  EXPECT_EQ(inner::pErrMessage(-1, buffer), 0);
  EXPECT_EQ(std::string(buffer), kUnknown);
}

}  // namespace
}  // namespace kavoruw
