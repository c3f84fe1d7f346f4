#include <gtest/gtest.h>

#include "operator_console/logic/status_view.h"
#include "test_text.h"

namespace console {
namespace {

StatusBytes Bytes(int32_t count, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, uint8_t b5 = 0,
                  uint8_t b6 = 0) {
  return StatusBytes{count, {b1, b2, b3, b4, b5, b6}};
}

TEST(StatusTexts, TableHoldsThirtyFiveEntriesWithEmptyGap) {
  const auto& t = StatusTexts();
  EXPECT_EQ(t[0], W("Wpisane dane o producencie"));
  EXPECT_EQ(t[16], W("Trwa drukowanie dokumentu (w buforze drukarki są znaki do wydrukowania)"));
  for (int i = 23; i <= 26; ++i) EXPECT_EQ(t[i], "") << i;
  EXPECT_EQ(t[27], W("Wyświetlacz klienta nieznanego typu"));
  EXPECT_EQ(t[34], W("Przyczyna ostatniego unieważnienia paragonu: "));
}

TEST(StatusLines, PlainTrainingPrinterWithClosedDrawer) {
  // Maker and user data, training mode, version 3, drawer closed.
  const auto lines = BuildStatusLines(Bytes(4, 0x33, 0x00, 0x00, 0x08));
  const std::vector<std::string> expected = {
      W("Wpisane dane o producencie"), W("Wpisane dane o użytkowniku"),
      W("Moduł w trybie szkoleniowym"), W("Wersja oprogramowania w module : 03"),
      W("Szuflada zamknięta lub niepodłączona")};
  EXPECT_EQ(lines, expected);
}

TEST(StatusLines, VersionHasAtLeastTwoDigits) {
  EXPECT_EQ(BuildStatusLines(Bytes(4, 0xC0, 0, 0, 0))[3], W("Wersja oprogramowania w module : 12"));
  EXPECT_EQ(BuildStatusLines(Bytes(4, 0x0F, 0, 0, 0))[4], W("Wersja oprogramowania w module : 00"));
}

TEST(StatusLines, ReadOnlyFiscalAndEveryPrinterBitInOrder) {
  const auto lines = BuildStatusLines(Bytes(4, 0x0C, 0x7F, 0x7F, 0x48));
  const auto& t = StatusTexts();
  std::vector<std::string> expected = {t[1], t[3], t[4], t[6], t[7] + "00"};
  for (int i = 8; i <= 14; ++i) expected.push_back(t[i]);
  for (int i = 16; i <= 22; ++i) expected.push_back(t[i]);
  expected.push_back(t[29]);
  expected.push_back(t[28]);
  EXPECT_EQ(lines, expected);
}

TEST(StatusLines, LostControllerHidesPrintAndServiceBytes) {
  const auto lines = BuildStatusLines(Bytes(6, 0x01, 0x80, 0x7F, 0x48, 0x02, 0x41));
  const auto& t = StatusTexts();
  const std::vector<std::string> expected = {t[0],  t[3],  t[5],       t[7] + "00",
                                             t[15], t[33], t[34] + "A"};
  EXPECT_EQ(lines, expected);
}

TEST(StatusLines, MainsAndAnnulmentNeedTheirBytes) {
  const auto& t = StatusTexts();
  // Four bytes: bytes 5 and 6 are not looked at.
  auto lines = BuildStatusLines(Bytes(4, 0, 0, 0, 0, 0x02, 0x41));
  EXPECT_EQ(lines.back(), t[30]);
  // Five bytes: the mains line, but no annulment reason.
  lines = BuildStatusLines(Bytes(5, 0, 0, 0, 0, 0x02, 0x41));
  EXPECT_EQ(lines.back(), t[33]);
  // The reason's range ends.
  EXPECT_EQ(BuildStatusLines(Bytes(6, 0, 0, 0, 0, 0, 0x21)).back(), t[34] + "!");
  EXPECT_EQ(BuildStatusLines(Bytes(6, 0, 0, 0, 0, 0, 0x90)).back(), t[34] + "\x90");
  EXPECT_EQ(BuildStatusLines(Bytes(6, 0, 0, 0, 0, 0, 0x20)).back(), t[30]);
  EXPECT_EQ(BuildStatusLines(Bytes(6, 0, 0, 0, 0, 0, 0x91)).back(), t[30]);
}

TEST(ReceiptConditions, EachCodeHasItsBoxAndNextStep) {
  struct Case {
    int32_t code;
    std::string caption;
    uint32_t flags;
    std::string text;
    ConditionNext next;
  };
  const std::string err = W("Błąd");
  const std::string ask = W("Odpowiedz");
  const Case cases[] = {
      {0, "Informacja", 0x40, W("PARAGON MOŻE ZOSTAĆ WYSTAWIONY"), ConditionNext::Stop},
      {100, err, 0x2010, W("Brak danych producenta.\rWymagana interwencja serwisu."),
       ConditionNext::Stop},
      {101, err, 0x2010,
       W("   Wystawienie paragonu jest niemożliwe.   \r Zwora serwisowa jest w pozycji "
         "serwisowej."),
       ConditionNext::Stop},
      {102, err, 0x2010, W(" Brak komunikacji z kontrolerem drukarki."), ConditionNext::Stop},
      {103, err, 0x2034,
       W(" Awaria drukarki.\rProszę sprawdzić czy nic nie zablokowało mechanizmu drukującego.\r"
         "Czy sprawdzić ponownie warunki wystawienia paragonu?"),
       ConditionNext::RepeatOnYes},
      {104, ask, 0x2034, W(" Brak danych użytkownika\rCzy przejść do wprowadzania tych danych?"),
       ConditionNext::UserDataOnYes},
      {105, err, 0x2010, W(" Moduł fiskalny znajduje się w trybie \"TYLKO ODCZYT\""),
       ConditionNext::Stop},
      {107, err, 0x2010, W(" Pamięć CMOS jest skasowana."), ConditionNext::LeaveAtOnce},
      {108, ask, 0x2034, W(" Zaległy raport dobowy.\rCzy wykonać raport?"),
       ConditionNext::DailyReportOnYes},
      {109, err, 0x2034,
       W("Brak papieru lub podniesiona głowica mechanizmu drukującego.\rNależy założyć "
         "papier/lub opuścić głowicę mechanizmu.\rCzy sprawdzić ponownie warunki wystawienia "
         "paragonu?"),
       ConditionNext::RepeatOnYes},
      {112, ask, 0x2034, W("Wydruk zatrzymany z powodu braku papieru.\rCzy wznowić wydruk?"),
       ConditionNext::ResumeOnYes},
      {113, ask, 0x2034, W(" Brak stawek podatkowych\rCzy przejść do wprowadzania tych danych?"),
       ConditionNext::VatRatesOnYes},
  };
  for (const Case& c : cases) {
    const ConditionStep step = ReceiptConditionStep(c.code, "unused");
    EXPECT_EQ(step.caption, c.caption) << c.code;
    EXPECT_EQ(step.flags, c.flags) << c.code;
    EXPECT_EQ(step.text, c.text) << c.code;
    EXPECT_EQ(step.next, c.next) << c.code;
  }
  EXPECT_TRUE(ReceiptConditionStep(0, "").plainBox);
  EXPECT_FALSE(ReceiptConditionStep(108, "").plainBox);
}

TEST(ReceiptConditions, OtherCodesAskToCheckAgainUnderTheirErrorText) {
  for (int32_t code : {106, 110, 111, 114, 200, 21}) {
    const ConditionStep step = ReceiptConditionStep(code, "Tekst");
    EXPECT_EQ(step.caption, W("Błąd"));
    EXPECT_EQ(step.flags, 0x2034u);
    EXPECT_EQ(step.text, W("Tekst\r\r Czy powtórzyć sprawdzenie warunków wystawienia paragonu?"));
    EXPECT_EQ(step.next, ConditionNext::RepeatOnYes);
    EXPECT_TRUE(step.arrowFirst);
  }
}

TEST(TestsMenuTexts, DisplayPromptsAndUniqueNumber) {
  EXPECT_EQ(DisplayTestLabel(1),
            W("Test powinien spowodować zapalenie segmentów\rwyświetlacza jak pokazano niżej:    "
              "        \r                                            \r             RAZEM        "
              "                            \r                                            \r     "
              "          8.8.8.8.8.8.8.8.8.                     "));
  EXPECT_NE(DisplayTestLabel(2).find("                                RESZTA                \r"),
            std::string::npos);
  EXPECT_EQ(UniqueNumberLabel("ABC 12345678"), "Numer unikatowy drukarki: ABC 12345678");
}

TEST(TestReceipt, ExemptRateIsTheLastOrGOnSmallPrinters) {
  EXPECT_EQ(ExemptRateIndex(7, {2200, 10000, 0, 10000, 25500, 25500, 700}), 4);
  EXPECT_EQ(ExemptRateIndex(7, {2200, 700, 0, 25500, 25500, 25500, 25500}), 0);
  EXPECT_EQ(ExemptRateIndex(4, {2200, 700, 0, 500, 0, 0, 0}), 7);
  EXPECT_EQ(ExemptRateIndex(6, {}), 7);
}

}  // namespace
}  // namespace console
