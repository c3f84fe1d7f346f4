// The service procedures against the simulated printer: clearing the
// article-name base, the settlement report with its unique-number prompt,
// and the switch to fiscal mode.
#include <QPushButton>
#include <algorithm>

#include "forms/now.h"
#include "forms/text.h"
#include "kavoruw_core.h"
#include "operator_console/console_session.h"
#include "operator_console/logic/vat_rates.h"
#include "operator_console/main_window.h"
#include "operator_console/tf_data_i_numer.h"
#include "operator_console/tf_okresowe_wg_numerow.h"
#include "operator_console/tf_raporty_okresowe_wg_dat.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/port/comm.h"
#include "tests/operator_console/console_fixture.h"
#include "tests/operator_console/console_wire.h"

namespace {

using console::testing::BytesAfter;
using console::testing::CommandCount;
using console::testing::ConsoleTest;
using forms::testing::Find;
using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

std::string U(const std::string& cp1250) { return forms::Utf8(cp1250); }

class Service : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    kavoruw::Link().DriverState.PortReadTimeout = 1;
    forms::SetNow([] { return QDateTime(QDate(2005, 2, 5), QTime(10, 30)); });
    ASSERT_TRUE(Start({"COM1", "9600"}));
    sim.ClearLog();
    ClearTrace();
  }
  void TearDown() override {
    forms::SetNow({});
    kavoruw::SetConsoleHooks({});
    ConsoleTest::TearDown();
  }
  // The read time-out of the port while the printer's printouts are polled.
  void WatchPrintTimeouts() {
    kavoruw::SetConsoleHooks(
        {[this](const std::string& text) { GlowneOkno->ShowProgressText(text); },
         [this] {
           if (kavoruw::Link().CommPort) readTimeoutsWhilePrinting.push_back(ReadTimeoutNow());
         }});
  }
  // Seconds of the read time-out the port applies now.
  static uint32_t ReadTimeoutNow() {
    return kavoruw::Link().CommPort
               ? kavoruw::Link().CommPort->TimeoutsInUse().ReadTotalTimeoutConstant / 1000
               : 0;
  }
  bool RaisedWhilePrinting(uint32_t seconds) const {
    return std::find(readTimeoutsWhilePrinting.begin(), readTimeoutsWhilePrinting.end(), seconds) !=
           readTimeoutsWhilePrinting.end();
  }
  void WaitForPrinter() { ASSERT_TRUE(sim.WaitReceived(sim.Received().size(), 2000)); }

  std::vector<uint32_t> readTimeoutsWhilePrinting;
};

// ---- Article-name base ----------------------------------------------------------

const char kBaseQuestion[] =
    "Odpowiedz|2024|W celu skasowania bazy nazw i towarów po raporcie dobowym\r"
    "należy wykonać wydruk kontrolny bazy nazw i stawek Z PROGRAMU SPRZEDAŻY\r"
    "Czy został wykonany wydruk kontrolny nazw i stawek?";
const char kNotCleared[] =
    "Błąd|2010|Baza nazw i towarów nie została skasowana.\r\rMożliwe przyczyny:\r"
    " - baza nazw i towarów nie jest jeszcze zapełniona,\r"
    " - przed próbą kasowania nie powstał wydruk kontrolny nazw i stawek.";

TEST_F(Service, ArticleBaseIsClearedWithTheSixthAndSeventhDigits) {
  Answer(forms::IDYES);
  Pick("Bazanazwitowarw1");
  EXPECT_EQ(Boxes(),
            (Lines{kBaseQuestion, "Informacja|2040|Baza nazw i towarów została skasowana"}));
  // "ABC 12345678": '6' + '7'.
  EXPECT_EQ(BytesAfter(sim, '\\', 1), Bytes{0x6D});
  EXPECT_EQ(sim.State()->service.articleBaseClears, 1);
}

TEST_F(Service, ArticleBaseByteOfOtherDigits) {
  sim.State()->service.uniqueNumber = "XYZ12345997";
  Answer(forms::IDYES);
  Pick("Bazanazwitowarw1");
  EXPECT_EQ(BytesAfter(sim, '\\', 1), Bytes{0x72});
  sim.State()->service.uniqueNumber = "XYZ12345007";
  Answer(forms::IDYES);
  Pick("Bazanazwitowarw1");
  EXPECT_EQ(BytesAfter(sim, '\\', 1), Bytes{0x60});
}

TEST_F(Service, ArticleBaseRefusalsComeInTheirOrderAndSendNothing) {
  sim.SetStatus(1, 0x29);  // no user data
  sim.SetStatus(4, 0x48);  // and the service jumper
  sim.State()->receiptCounter = 3;
  Pick("Bazanazwitowarw1");
  sim.SetStatus(1, 0x2B);
  Pick("Bazanazwitowarw1");
  sim.SetStatus(4, 0x08);
  Pick("Bazanazwitowarw1");
  sim.SetStatus(2, 0x10);
  Pick("Bazanazwitowarw1");
  EXPECT_EQ(
      Boxes(),
      (Lines{
          "Błąd|2010|  Brak danych użytkownika w drukarce.  \rNie można skasować bazy nazw i towarów.",
          "Błąd|2010| Zwora serwisowa w pozycji serwisowej. \rNie można skasować bazy nazw i towarów.",
          "Błąd|2010|     Niezerowy licznik paragonów.      \rNie można skasować bazy nazw i towarów.\r"
          " Należy wykonać najpierw raport dobowy.",
          "Błąd|2010|Skasowana pamięć CMOS. Wejdź do inicjowania zegara."}));
  EXPECT_EQ(CommandCount(sim, '\\'), 0u);
  EXPECT_EQ(CommandCount(sim, 'q'), 0u);
}

TEST_F(Service, ArticleBaseNoAtTheQuestionSendsNothing) {
  Answer(forms::IDNO);
  Pick("Bazanazwitowarw1");
  EXPECT_EQ(Boxes(), Lines{kBaseQuestion});
  EXPECT_EQ(CommandCount(sim, 'q'), 1u);
  EXPECT_EQ(CommandCount(sim, '\\'), 0u);
}

TEST_F(Service, ArticleBaseReplies) {
  // A NAK to the command itself.
  sim.Refuse('\\', 0x15);
  Answer(forms::IDYES);
  Pick("Bazanazwitowarw1");
  // A NAK as the confirmation byte.
  sim.ClearFaults();
  sim.State()->service.nextArticleBaseReply = 0x15;
  Answer(forms::IDYES);
  Pick("Bazanazwitowarw1");
  // Any other confirmation byte.
  sim.State()->service.nextArticleBaseReply = 0x07;
  Answer(forms::IDYES);
  Pick("Bazanazwitowarw1");
  // No confirmation at all.
  sim.SetScriptedAnswer('\\', {0x06}, 1);
  Answer(forms::IDYES);
  Pick("Bazanazwitowarw1");
  EXPECT_EQ(Boxes(), (Lines{kBaseQuestion, kNotCleared, kBaseQuestion, kNotCleared, kBaseQuestion,
                            "Błąd|2010|Niepoprawna odpowiedź z drukarki.", kBaseQuestion,
                            "Błąd|2010|" + U(kavoruw::ErrorText(21))}));
  EXPECT_EQ(sim.State()->service.articleBaseClears, 0);
}

// ---- Settlement report ----------------------------------------------------------

const char kFirstWarning[] =
    "Odpowiedz|2134|      Raport rozliczeniowy kończy pracę drukarki fiskalnej.\r"
    "Po wykonaniu tego raportu nie jest możliwe prowadzenie sprzedaży.\r\r"
    "      UWAGA! PO WYKONANIU RAPORTU ROZLICZENIOWEGO \r"
    "       DRUKARKA PRZECHODZI W TRYB \"TYLKO ODCZYT\"! \r\r"
    "              Czy wydrukować raport rozliczeniowy?";
const char kWholeWarning[] =
    "Odpowiedz|2134|Posłanie sekwencji wykonania raportu\rrozliczeniowego z prawidłową bieżącą datą\r"
    "i numerem unikatowym powoduje\rprzejście w tryb \"TYLKO ODCZYT\"\r\r"
    "   Czy przejść w tryb TYLKO ODCZYT? ";
const char kReadOnlyNotice[] = "Informacja|2040|Drukarka w trybie TYLKO ODCZYT.";

class Settlement : public Service {
 protected:
  // The prompt answered with these digits; the date stays yesterday.
  void TypeNumber(const char* digits, bool yes = true) {
    OnModal("TfDataINumer", [this, digits, yes](forms::Form& dialog) {
      auto& prompt = static_cast<TfDataINumer&>(dialog);
      promptDates.push_back(prompt.Date());
      prompt.SetNumber(QString::fromLatin1(digits));
      Find<QPushButton>(&dialog, yes ? "Button2" : "Button1")->click();
    });
  }
  std::vector<QDate> promptDates;
};

TEST_F(Settlement, WholeMemoryRecordCarriesNumberPairsAndDate) {
  WatchPrintTimeouts();
  Answer(forms::IDYES);
  TypeNumber("12345678");
  Answer(forms::IDYES);
  GlowneOkno->Cao1Click();
  EXPECT_EQ(Boxes(), (Lines{kFirstWarning, kWholeWarning, kReadOnlyNotice}));
  ASSERT_EQ(promptDates.size(), 1u);
  EXPECT_EQ(promptDates[0], QDate(2005, 2, 4));
  EXPECT_EQ(BytesAfter(sim, '1', 11), (Bytes{0x08, 0x63, 0x67, 0x6B, 0x6F, 0, 5, 0, 2, 0, 4}));
  EXPECT_TRUE(sim.Status(1) & 0x04);
  // The printout was awaited with the long time-out, then the usual one came back.
  EXPECT_TRUE(RaisedWhilePrinting(20));
  EXPECT_EQ(ReadTimeoutNow(), 1);
}

TEST_F(Settlement, ByDatesSendsTheDialogsBlock) {
  Answer(forms::IDYES);
  TypeNumber("12345678");
  Answer(forms::IDYES);
  OnModal("TfRaportyOkresoweWgDat", [](forms::Form& dialog) {
    auto& dates = static_cast<TfRaportyOkresoweWgDat&>(dialog);
    dates.Preset(QDate(2005, 1, 1), QDate(2005, 1, 31));
    Find<QPushButton>(&dialog, "Button1")->click();
  });
  GlowneOkno->Wedugdat3Click();
  WaitForPrinter();
  EXPECT_EQ(BytesAfter(sim, '1', 23), (Bytes{0x06, 0x63, 0x67, 0x6B, 0x6F, 0, 5, 0, 2, 0, 4, 0,
                                             5,    0,    1,    0,    1,    0, 5, 0, 1, 3, 1}));
  EXPECT_EQ(Boxes().back(), kReadOnlyNotice);
  EXPECT_FALSE(session->SettlementRangeMode);
}

TEST_F(Settlement, ByNumbersSendsTheFirstFourBytes) {
  Answer(forms::IDYES);
  TypeNumber("12345678");
  Answer(forms::IDYES);
  OnModal("TfOkresoweWgNumerow", [](forms::Form& dialog) {
    static_cast<TfOkresoweWgNumerow&>(dialog).Preset(10, 20);
    Find<QPushButton>(&dialog, "Button1")->click();
  });
  GlowneOkno->Wedugnumerw3Click();
  WaitForPrinter();
  EXPECT_EQ(BytesAfter(sim, '1', 15),
            (Bytes{0x07, 0x63, 0x67, 0x6B, 0x6F, 0, 5, 0, 2, 0, 4, 0x0A, 0x00, 0x14, 0x00}));
  EXPECT_EQ(Boxes().back(), kReadOnlyNotice);
  EXPECT_FALSE(session->SettlementRangeMode);
  EXPECT_EQ(ReadTimeoutNow(), 1);
}

TEST_F(Settlement, AWrongNumberAsksAgainAndNoSendsNothing) {
  Answer(forms::IDYES);
  TypeNumber("87654321");
  Answer(forms::IDYES);
  TypeNumber("12345670");
  Answer(forms::IDNO);
  GlowneOkno->Cao1Click();
  const std::string retry = "Błąd|2014|Niewłaściwy numer unikatowy\r\r   Czy spróbować ponownie? ";
  EXPECT_EQ(Boxes(), (Lines{kFirstWarning, retry, retry}));
  EXPECT_EQ(CommandCount(sim, '1'), 0u);
  EXPECT_EQ(CommandCount(sim, 'q'), 2u);
}

TEST_F(Settlement, RefusalsByStateInTheirOrder) {
  const struct {
    int index;
    uint8_t value;
  } states[] = {{1, 0x2A}, {2, 0x80}, {3, 0x04}, {2, 0x10}, {1, 0x29}, {1, 0x23}};
  for (const auto& state : states) {
    sim.SetStatus(1, 0x2B);
    sim.SetStatus(2, 0x00);
    sim.SetStatus(3, 0x00);
    sim.SetStatus(state.index, state.value);
    GlowneOkno->Cao1Click();
  }
  sim.SetStatus(1, 0x2B);
  sim.SetKind(2);
  GlowneOkno->Cao1Click();
  EXPECT_EQ(
      Boxes(),
      (Lines{
          "Błąd|2010|Brak danych producenta w drukarce.\r     Wykonanie raportu rozliczeniowego jest niemożliwe.     ",
          "Błąd|2010|     Brak komunikacji z kontrolerem drukarki.\rWykonanie raportu rozliczeniowego jest niemożliwe.",
          "Błąd|2010|                 Awaria drukarki.\rWykonanie raportu rozliczeniowego jest niemożliwe.",
          "Błąd|2010|              Skasowana pamięć CMOS.\rWykonanie raportu rozliczeniowego jest niemożliwe.",
          "Błąd|2010|             Brak danych użytkownika.\rWykonanie raportu rozliczeniowego jest niemożliwe.",
          "Błąd|2010|      Drukarka pracuje w trybie szkoleniowym.\rWykonanie raportu rozliczeniowego jest niemożliwe.",
          "Informacja|2040|Podłączone urządzenie nie jest drukarką drugiej generacji"}));
  EXPECT_EQ(CommandCount(sim, '1'), 0u);
}

TEST_F(Settlement, ARefusedDailyReportOfferEndsTheRun) {
  sim.State()->receiptCounter = 3;
  Answer(forms::IDNO);
  GlowneOkno->Cao1Click();
  EXPECT_EQ(Boxes(),
            Lines{"Odpowiedz|2024|Niezerowy licznik paragonów.\r\r Czy wykonać raport dobowy?"});
  EXPECT_EQ(CommandCount(sim, '%'), 0u);
  EXPECT_EQ(CommandCount(sim, '1'), 0u);
}

TEST_F(Settlement, ResultBytesShowTheirTextsThenTheReadOnlyCheck) {
  const struct {
    int result;
    const char* box;
  } cases[] = {
      {7, "Błąd|2010|  Licznik paragonów jest niezerowy.\rNależy wykonać fiskalny raport dobowy."},
      {1, "Błąd|2010|Nie wykonano raportu rozliczeniowego.\rPodano błędne daty raportów dobowych"},
      // A byte the printer does not define is reported, not passed over.
      {9, "Błąd|2010|Niepoprawna odpowiedź z drukarki."},
  };
  for (const auto& c : cases) {
    boxes.shown.clear();
    sim.ClearLog();
    sim.State()->reports.nextReportResult = c.result;
    Answer(forms::IDYES);
    TypeNumber("12345678");
    Answer(forms::IDYES);
    GlowneOkno->Cao1Click();
    EXPECT_EQ(Boxes(), (Lines{kFirstWarning, kWholeWarning, c.box})) << c.result;
    // The read-only check ran after the text (silent: the printer is not read-only).
    EXPECT_EQ(CommandCount(sim, kavoruw::kFiscalStatusLong), 3u) << c.result;
  }
}

TEST_F(Settlement, AReadOnlyPrinterAsksOnlyForDateAndNumber) {
  sim.SetStatus(1, 0x2F);
  TypeNumber("12345678");
  GlowneOkno->Cao1Click();
  WaitForPrinter();
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(CommandCount(sim, '1'), 1u);
  EXPECT_EQ(CommandCount(sim, 'f'), 0u);
}

// ---- Switch to fiscal mode ------------------------------------------------------

const char kIrreversible[] = "Fiskalizacja drukarki jest operacją nieodwracalną.";
const char kPrinterKind[] =
    "Odpowiedz|2124|Do komputera podłączona jest drukarka VELTA KAVOR.\r"
    "    Jest ona przeznaczona wyłącznie do sklepów.\r"
    "         NIE WOLNO używać jej w aptekach.\r\r"
    "                      Czy kontynuować?";
const char kHeaderNotice[] =
    "Informacja|0040|W drukarce są wpisane dane użytkownika.\rw celu ich weryfikacji zostanie wykonany\r"
    "kontrolny wydruk nagłówka.\rNależy sprawdzić poprawność danych ponieważ\r"
    "po fiskalizacji NIE MOŻNA ZMIENIć numeru NIP";
const char kHeaderQuestion[] =
    "Odpowiedz|0024|Czy otrzymano poprawny wydruk kontrolny nagłówka paragonu?";
const char kSwitchQuestion[] = "Odpowiedz|0124|Czy dokonać przełączenia w tryb fiskalny?";

class FiscalSwitch : public Service {
 protected:
  void SetUp() override {
    Service::SetUp();
    sim.SetStatus(1, 0x23);  // maker and user data, training mode
    sim.SetStatus(4, 0x48);  // service jumper set
    std::string nip = "NIP 526-000-12-46";
    nip.resize(40, ' ');
    sim.State()->service.userData[3].text = nip;
  }
  // Every question up to the editor answered Yes; the editor accepts.
  void AcceptAll() {
    Answer(forms::IDYES);  // irreversible
    Answer(forms::IDYES);  // the printer's kind
    Answer(forms::IDYES);  // control printout good
    OnModal("TfStawkiPodatkowe", [this](forms::Form& dialog) {
      editorInProgress = session->FiscalizationInProgress;
      Find<QPushButton>(&dialog, "Button1")->click();
    });
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& box : Boxes()) texts.push_back(box);
    return texts;
  }
  bool editorInProgress = false;
};

TEST_F(FiscalSwitch, DefaultRatesGoIntoTheRecordAndThePrinterTurnsFiscal) {
  sim.State()->vat.sevenRates.fill(0x8000);
  session->FiscalVatRates = {100, 200, 300, 400, 500, 600, 700};  // an earlier run's
  WatchPrintTimeouts();
  AcceptAll();
  Answer(forms::IDYES);  // switch
  GlowneOkno->Przeczeniewtrybfiskalny1Click();
  WaitForPrinter();
  const Lines shown = Boxes();
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown[0].rfind(std::string("Odpowiedz|2024|") + kIrreversible, 0), 0u);
  EXPECT_EQ(shown[1], kPrinterKind);
  EXPECT_EQ(shown[2], kHeaderNotice);
  EXPECT_EQ(shown[3], kHeaderQuestion);
  EXPECT_EQ(shown[4], kSwitchQuestion);
  EXPECT_EQ(shown[5], "Informacja|2040|Drukarka została sfiskalizowana.");
  EXPECT_TRUE(editorInProgress);
  EXPECT_FALSE(session->FiscalizationInProgress);
  EXPECT_EQ(sim.State()->service.controlPrintouts, 1);
  EXPECT_EQ(sim.State()->service.fiscalizationRecord,
            (Bytes{0,    0,    0,    0,    0,    0,    0x08, 0x98, 0x02, 0xBC,
                   0x00, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00, 0x40, 0x00}));
  // Sent without waiting for an acknowledgement: the command and its 20 bytes.
  EXPECT_EQ(BytesAfter(sim, 0x72, 20).size(), 20u);
  EXPECT_TRUE(sim.Status(1) & 0x08);
  EXPECT_TRUE(RaisedWhilePrinting(10));
  EXPECT_EQ(ReadTimeoutNow(), 1);
}

TEST_F(FiscalSwitch, ThePrintersOwnRatesArePrefilledAndSent) {
  session->FiscalVatRates = {100, 200, 300, 400, 500, 600, 700};  // an earlier run's
  AcceptAll();
  Answer(forms::IDYES);
  GlowneOkno->Przeczeniewtrybfiskalny1Click();
  // 22, 7, 0, 3 %, two reserves, exempt.
  EXPECT_EQ(sim.State()->service.fiscalizationRecord,
            (Bytes{0,    0,    0,    0,    0,    0,    0x08, 0x98, 0x02, 0xBC,
                   0x00, 0x00, 0x01, 0x2C, 0x80, 0x00, 0x80, 0x00, 0x40, 0x00}));
}

TEST_F(FiscalSwitch, RefusalsByStateInTheirOrder) {
  const struct {
    uint8_t s1, s2, s4;
  } states[] = {{0x2A, 0x10, 0x08},
                {0x2B, 0x10, 0x48},
                {0x23, 0x10, 0x08},
                {0x23, 0x00, 0x08},
                {0x21, 0x00, 0x48}};
  for (const auto& state : states) {
    sim.SetStatus(1, state.s1);
    sim.SetStatus(2, state.s2);
    sim.SetStatus(4, state.s4);
    GlowneOkno->Przeczeniewtrybfiskalny1Click();
  }
  EXPECT_EQ(
      Texts(),
      (Lines{
          "Błąd|2010|Brak danych producenta w drukarce.\r     Wykonanie fiskalizacji drukarki jest niemożliwe.     ",
          "Informacja|2040|Drukarka pracuje już w trybie fiskalnym.",
          "Błąd|2010|              Skasowana pamięć CMOS.  \rWykonanie fiskalizacji drukarki jest niemożliwe.",
          "Informacja|2040|      Zwora serwisowa w pozycji normalnej.\rWykonanie fiskalizacji drukarki jest niemożliwe.",
          "Błąd|2010|  Brak danych użytkownika w drukarce.  \rWykonanie fiskalizacji drukarki jest niemożliwe.."}));
  EXPECT_EQ(CommandCount(sim, 'f'), 0u);
  EXPECT_EQ(sim.State()->service.controlPrintouts, 0);
}

TEST_F(FiscalSwitch, ARefusedDailyReportEndsBeforeTheControlPrintout) {
  sim.State()->receiptCounter = 2;
  Answer(forms::IDNO);
  GlowneOkno->Przeczeniewtrybfiskalny1Click();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].rfind("Odpowiedz|2024|              Niezerowy licznik paragonów.\r", 0), 0u);
  EXPECT_EQ(CommandCount(sim, '%'), 0u);
  EXPECT_EQ(sim.State()->service.controlPrintouts, 0);
}

TEST_F(FiscalSwitch, ABadNipChecksumMayBeOverriddenButNoDigitsCannot) {
  std::string nip = "NIP 526-000-12-47";
  nip.resize(40, ' ');
  sim.State()->service.userData[3].text = nip;
  Answer(forms::IDYES);
  Answer(forms::IDYES);
  Answer(forms::IDNO);  // leave at the checksum question
  GlowneOkno->Przeczeniewtrybfiskalny1Click();
  ASSERT_EQ(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[2].rfind("Odpowiedz|0034|NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r", 0), 0u);

  boxes.shown.clear();
  nip = "NIP";
  nip.resize(40, ' ');
  sim.State()->service.userData[3].text = nip;
  Answer(forms::IDYES);
  Answer(forms::IDYES);
  GlowneOkno->Przeczeniewtrybfiskalny1Click();
  ASSERT_EQ(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[2],
            "Błąd|0010|NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r"
            "                      Brak cyfr w ciągu znaków.         ");
  EXPECT_EQ(sim.State()->service.controlPrintouts, 0);
}

TEST_F(FiscalSwitch, ClosingTheEditorSendsNoRecord) {
  Answer(forms::IDYES);
  Answer(forms::IDYES);
  Answer(forms::IDYES);
  OnModal("TfStawkiPodatkowe",
          [](forms::Form& dialog) { Find<QPushButton>(&dialog, "Button2")->click(); });
  GlowneOkno->Przeczeniewtrybfiskalny1Click();
  EXPECT_EQ(CommandCount(sim, 0x72), 0u);
  EXPECT_EQ(Boxes().size(), 4u);
}

TEST_F(FiscalSwitch, RepliesOtherThanAckAndAPrinterStillInTraining) {
  // NAK: the time-outs were never touched.
  sim.State()->service.nextFiscalizationReply = 0x15;
  AcceptAll();
  Answer(forms::IDYES);
  GlowneOkno->Przeczeniewtrybfiskalny1Click();
  EXPECT_EQ(Boxes().back(), "Błąd|2010|Drukarka nie została sfiskalizowana.");
  EXPECT_EQ(ReadTimeoutNow(), 1);
  // Any other byte.
  sim.State()->service.nextFiscalizationReply = 0x41;
  AcceptAll();
  Answer(forms::IDYES);
  GlowneOkno->Przeczeniewtrybfiskalny1Click();
  EXPECT_EQ(Boxes().back(), "Błąd|2010|Niepoprawna odpowiedź z drukarki.");
  // An ACK from a printer that stays in training mode is not believed.
  sim.State()->service.nextFiscalizationReply = 0x06;
  AcceptAll();
  Answer(forms::IDYES);
  GlowneOkno->Przeczeniewtrybfiskalny1Click();
  EXPECT_EQ(Boxes().back(), "Błąd|2010|Drukarka nie została sfiskalizowana.");
  EXPECT_FALSE(sim.Status(1) & 0x08);
  EXPECT_EQ(ReadTimeoutNow(), 1);
}

}  // namespace
