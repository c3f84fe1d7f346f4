// The tests menu, its three information dialogs, the hidden test receipt and
// the sample printouts, against the simulated printer.
#include <QPushButton>
#include <QTextEdit>
#include <QThread>

#include "forms/text.h"
#include "kavoruw_core.h"
#include "operator_console/console_session.h"
#include "operator_console/main_window.h"
#include "operator_console/tf_bajty_statusu.h"
#include "operator_console/tf_numer_unikatowy.h"
#include "operator_console/tf_test_wyswietlacza.h"
#include "printer_link/api/link_instance.h"
#include "tests/operator_console/console_fixture.h"
#include "tests/operator_console/console_wire.h"
#include "tests/support/scripted_message_boxes.h"

namespace {

using console::testing::CommandCount;
using console::testing::ConsoleTest;
using forms::testing::Find;

std::string U(const std::string& cp1250) { return forms::Utf8(cp1250); }

constexpr uint8_t kFiscalStatus = 0x9B;

class TestsMenu : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    kavoruw::Link().DriverState.PortReadTimeout = 1;
    ASSERT_TRUE(Start({"COM1", "9600"}));
    sim.ClearLog();
    ClearTrace();
  }
  // The boxes as UTF-8 "caption|flags|text".
  std::vector<std::string> BoxesUtf8() const { return Boxes(); }
};

// ---- Printer state test ----------------------------------------------------------

struct StateCase {
  const char* name;
  int statusIndex;  // 1..6
  uint8_t value;
  int answer;       // 0: a box without a question
  const char* box;  // UTF-8 "caption|flags|text"; "%s" stands for the driver's text
  int32_t code;
};

class PrinterStateTest : public TestsMenu, public ::testing::WithParamInterface<StateCase> {};

TEST_P(PrinterStateTest, EachStateShowsItsBoxAndStopsOnNo) {
  const StateCase& c = GetParam();
  sim.SetStatus(c.statusIndex, c.value);
  if (c.answer != 0) Answer(c.answer);
  Pick("Standrukarki1");
  std::string expected = c.box;
  const size_t at = expected.find("%s");
  if (at != std::string::npos) expected.replace(at, 2, U(kavoruw::ErrorText(c.code)));
  EXPECT_EQ(BoxesUtf8(), std::vector<std::string>{expected});
  // One pass of the conditions: the fiscal status read once.
  EXPECT_EQ(CommandCount(sim, kFiscalStatus), 1u);
  EXPECT_EQ(TraceOf("cursor").back(), "cursor arrow");
  EXPECT_EQ(TraceOf("progress").back(), "progress");
}

const StateCase kStateCases[] = {
    {"Ready", 1, 0x2B, 0, "Informacja|0040|PARAGON MOŻE ZOSTAĆ WYSTAWIONY", 0},
    {"NoMakerData", 1, 0x2A, 0, "Błąd|2010|Brak danych producenta.\rWymagana interwencja serwisu.",
     100},
    {"ServiceJumper", 4, 0x48, 0,
     "Błąd|2010|   Wystawienie paragonu jest niemożliwe.   \r Zwora serwisowa jest w pozycji serwisowej.",
     101},
    {"NoControllerLink", 2, 0x80, 0, "Błąd|2010| Brak komunikacji z kontrolerem drukarki.", 102},
    {"PrinterFailure", 3, 0x04, forms::IDNO,
     "Błąd|2034| Awaria drukarki.\rProszę sprawdzić czy nic nie zablokowało mechanizmu drukującego.\r"
     "Czy sprawdzić ponownie warunki wystawienia paragonu?",
     103},
    {"NoUserData", 1, 0x29, forms::IDNO,
     "Odpowiedz|2034| Brak danych użytkownika\rCzy przejść do wprowadzania tych danych?", 104},
    {"ReadOnly", 1, 0x2F, 0, "Błąd|2010| Moduł fiskalny znajduje się w trybie \"TYLKO ODCZYT\"",
     105},
    {"NoDisplay", 2, 0x40, forms::IDNO,
     "Błąd|2034|%s\r\r Czy powtórzyć sprawdzenie warunków wystawienia paragonu?", 106},
    {"CmosErased", 2, 0x10, 0, "Błąd|2010| Pamięć CMOS jest skasowana.", 107},
    {"DailyReportDue", 2, 0x08, forms::IDNO,
     "Odpowiedz|2034| Zaległy raport dobowy.\rCzy wykonać raport?", 108},
    {"NoPaper", 3, 0x02, forms::IDNO,
     "Błąd|2034|Brak papieru lub podniesiona głowica mechanizmu drukującego.\r"
     "Należy założyć papier/lub opuścić głowicę mechanizmu.\r"
     "Czy sprawdzić ponownie warunki wystawienia paragonu?",
     109},
};

INSTANTIATE_TEST_SUITE_P(States, PrinterStateTest, ::testing::ValuesIn(kStateCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(TestsMenu, YesChecksAgainUntilThePrinterIsReady) {
  sim.SetStatus(3, 0x04);
  boxes.onShow = [this](const forms::BoxRecord&) { sim.SetStatus(3, 0x00); };
  Answer(forms::IDYES);
  Pick("Standrukarki1");
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1], "Informacja|0040|PARAGON MOŻE ZOSTAĆ WYSTAWIONY");
  EXPECT_EQ(CommandCount(sim, kFiscalStatus), 2u);
}

TEST_F(TestsMenu, MissingUserDataOpensTheUserDataDialogThenChecksAgain) {
  sim.SetStatus(1, 0x29);
  Answer(forms::IDYES);
  OnModal("TfDaneUzytkownika", [this](forms::Form& dialog) {
    sim.SetStatus(1, 0x2B);
    dialog.Close();
  });
  Pick("Standrukarki1");
  EXPECT_EQ(TraceOf("modal"), std::vector<std::string>{"modal TfDaneUzytkownika"});
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1], "Informacja|0040|PARAGON MOŻE ZOSTAĆ WYSTAWIONY");
  EXPECT_EQ(CommandCount(sim, kFiscalStatus), 2u);
  // The dialog comes after its own tone.
  const auto& lines = TraceLines();
  const auto modal = std::find(lines.begin(), lines.end(), "modal TfDaneUzytkownika");
  ASSERT_NE(modal, lines.begin());
  EXPECT_EQ(*(modal - 1), "tone 1000 50");
}

TEST_F(TestsMenu, AnOverdueDailyReportRunsTheDailyReportItemThenChecksAgain) {
  sim.SetStatus(2, 0x08);
  Answer(forms::IDYES);  // run the report
  Answer(forms::IDYES);  // the daily report's own question
  Pick("Standrukarki1");
  ASSERT_GE(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[0], "Odpowiedz|2034| Zaległy raport dobowy.\rCzy wykonać raport?");
  EXPECT_EQ(Boxes().back(), "Informacja|0040|PARAGON MOŻE ZOSTAĆ WYSTAWIONY");
  EXPECT_EQ(CommandCount(sim, '%'), 1u);
  EXPECT_EQ(CommandCount(sim, kFiscalStatus), 2u);
}

TEST_F(TestsMenu, MissingRatesOpenTheRateEditorThenCheckAgain) {
  sim.State()->vat.sevenRates.fill(0x8000);
  Answer(forms::IDYES);
  OnModal("TfStawkiPodatkowe", [this](forms::Form& dialog) {
    sim.State()->vat.sevenRates = {2200, 700, 0, 300, 0x8000, 0x8000, 0x4000};
    dialog.Close();
  });
  Pick("Standrukarki1");
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0],
            "Odpowiedz|2034| Brak stawek podatkowych\rCzy przejść do wprowadzania tych danych?");
  EXPECT_EQ(Boxes()[1], "Informacja|0040|PARAGON MOŻE ZOSTAĆ WYSTAWIONY");
  EXPECT_EQ(TraceOf("modal"), std::vector<std::string>{"modal TfStawkiPodatkowe"});
}

TEST_F(TestsMenu, AnOtherDeviceIsRefusedWithAFullStop) {
  sim.SetKind(7);
  Pick("Standrukarki1");
  EXPECT_EQ(BoxesUtf8(), std::vector<std::string>{
                             "Błąd|2010|Podłączone urządzenie nie jest drukarką fiskalną."});
}

// ---- Status bytes ----------------------------------------------------------------

TEST_F(TestsMenu, StatusBytesShowThePrintersLinesInTheDialog) {
  sim.SetStatus(1, 0x3B);  // version 3, maker and user data, fiscal
  sim.SetStatus(2, 0x08);
  sim.SetStatus(4, 0x48);
  std::vector<std::string> shown;
  OnModal("TfBajtyStatusu", [&](forms::Form& dialog) {
    shown = static_cast<TfBajtyStatusu&>(dialog).Lines();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Informacja...");
    Find<QPushButton>(&dialog, "bOK")->click();
  });
  Pick("Bajtystatusu1");
  std::vector<std::string> utf8;
  for (const auto& line : shown) utf8.push_back(U(line));
  EXPECT_EQ(utf8,
            (std::vector<std::string>{
                "Wpisane dane o producencie", "Wpisane dane o użytkowniku",
                "Moduł w trybie fiskalnym", "Wersja oprogramowania w module : 03",
                "Nie został wykonany raport dobowy za poprzedni dzień sprzedaży",
                "Zwora serwisowa w pozycji serwisowej", "Szuflada zamknięta lub niepodłączona"}));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(session->fBajtyStatusu->ModalResult(), forms::mrCancel);
}

TEST_F(TestsMenu, TheStatusMemoTakesNoTypingAndEnterCloses) {
  OnModal("TfBajtyStatusu", [](forms::Form& dialog) {
    auto* memo = Find<QTextEdit>(&dialog, "mStatusy");
    forms::testing::Focus(memo);
    const QString before = memo->toPlainText();
    forms::testing::Type(memo, "xyz");
    EXPECT_EQ(memo->toPlainText(), before);
    forms::testing::Key(memo, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
  });
  Pick("Bajtystatusu1");
  EXPECT_EQ(session->fBajtyStatusu->ModalResult(), forms::mrCancel);
}

// ---- Display, drawer, EPROM, unique number ---------------------------------------

TEST_F(TestsMenu, DisplayTestRunsItsThreeStepsAndGoesOnAfterANak) {
  std::vector<std::string> prompts;
  OnModal("TfTestWyswietlacza", [&](forms::Form& dialog) {
    prompts.push_back(static_cast<TfTestWyswietlacza&>(dialog).Text());
    sim.Refuse('2', 0x15);  // the next step is refused
    Find<QPushButton>(&dialog, "bOK")->click();
  });
  OnModal("TfTestWyswietlacza", [&](forms::Form& dialog) {
    prompts.push_back(static_cast<TfTestWyswietlacza&>(dialog).Text());
    sim.ClearRefusals();
    forms::testing::Key(&dialog, Qt::Key_Escape);
  });
  Pick("Wy1");
  ASSERT_EQ(prompts.size(), 2u);
  EXPECT_NE(U(prompts[0]).find("             RAZEM"), std::string::npos);
  EXPECT_NE(U(prompts[1]).find("                                RESZTA"), std::string::npos);
  EXPECT_EQ(U(prompts[0]).rfind("Test powinien spowodować zapalenie segmentów\r", 0), 0u);
  // Step 1 was refused and shown; step 2 still ran.
  EXPECT_EQ(BoxesUtf8(), std::vector<std::string>{"Błąd|2010|" + U(kavoruw::ErrorText(24))});
  EXPECT_EQ(CommandCount(sim, '2'), 3u);
  // The printer takes the step's data byte after its ACK has gone.
  for (int i = 0; i < 200 && sim.State()->service.displayStep != 2; ++i) QThread::msleep(10);
  EXPECT_EQ(sim.State()->service.displayStep, 2);
}

TEST_F(TestsMenu, DisplayTestEndsWhenItsFirstStepFails) {
  sim.Refuse('2', 0x15);
  Pick("Wy1");
  EXPECT_EQ(BoxesUtf8(), std::vector<std::string>{"Błąd|2010|" + U(kavoruw::ErrorText(24))});
  EXPECT_TRUE(TraceOf("modal").empty());
  EXPECT_EQ(CommandCount(sim, '2'), 1u);
}

TEST_F(TestsMenu, DrawerOpensOnASecondGenerationPrinterOnly) {
  Pick("N41");
  EXPECT_EQ(BoxesUtf8(),
            std::vector<std::string>{
                "Informacja|2040|Rozkaz otwarcia szuflady został wysłany do drukarki fiskalnej"});
  EXPECT_EQ(CommandCount(sim, 'W'), 1u);

  boxes.shown.clear();
  sim.ClearLog();
  sim.SetKind(2);
  GlowneOkno->N41Click();  // disabled in the menu for this printer
  EXPECT_EQ(BoxesUtf8(),
            std::vector<std::string>{
                "Błąd|2010|Podłączone urządzenie nie jest drukarką drugiej generacji."});
  EXPECT_EQ(CommandCount(sim, 'W'), 0u);
}

TEST_F(TestsMenu, EpromTestAsksFirstAndNoSendsNothing) {
  Answer(forms::IDNO);
  Pick("PamicEPROM1");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Odpowiedz");
  EXPECT_EQ(boxes.shown[0].flags, 0x2014u);
  EXPECT_EQ(boxes.shown[0].text.rfind("Test powoduje zapis do pamięci drukarki fiskalnej.\r", 0),
            0u);
  EXPECT_EQ(CommandCount(sim, '\''), 0u);

  Answer(forms::IDYES);
  Pick("PamicEPROM1");
  EXPECT_EQ(CommandCount(sim, '\''), 1u);
  EXPECT_EQ(sim.State()->service.epromTests, 1);
  EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(TestsMenu, EpromTestRefusesAnErasedClockMemory) {
  sim.SetStatus(2, 0x10);
  Pick("PamicEPROM1");
  EXPECT_EQ(BoxesUtf8(), std::vector<std::string>{"Błąd|2010|Skasowana pamięć CMOS."});
}

TEST_F(TestsMenu, UniqueNumberIsShownInItsDialog) {
  std::string label;
  OnModal("TfNumerUnikatowy", [&](forms::Form& dialog) {
    label = static_cast<TfNumerUnikatowy&>(dialog).Text();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Informacja...");
    forms::testing::Key(&dialog, Qt::Key_Return);
  });
  Pick("Numerunikatowy1");
  EXPECT_EQ(label, "Numer unikatowy drukarki: ABC 12345678");
  EXPECT_EQ(session->fNumerUnikatowy->ModalResult(), forms::mrCancel);
  EXPECT_EQ(CommandCount(sim, 'q'), 1u);

  sim.SetStatus(2, 0x10);
  Pick("Numerunikatowy1");
  EXPECT_EQ(BoxesUtf8(), std::vector<std::string>{
                             "Błąd|2010|Skasowana pamięć CMOS. Wejdź do inicjowania zegara."});
}

// ---- Test receipt ------------------------------------------------------------------

TEST_F(TestsMenu, TestReceiptSellsOneGroszAtTheExemptRate) {
  Answer(forms::IDYES);
  GlowneOkno->Prbnyparagpn1Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text,
            "Czy wykonać próbny paragon na kwotę 1 grosz w stawce zwolnionej?");
  EXPECT_EQ(boxes.shown[0].flags, 0x2014u);
  auto state = sim.State();
  ASSERT_EQ(state->receipt.items.size(), 1u);
  const auto& item = state->receipt.items[0];
  EXPECT_EQ(item.name.substr(0, 27), "Test z programu serwisowego");
  EXPECT_EQ(item.vatCode, 5);  // G, the exempt rate, travels as code 5
  EXPECT_EQ(item.price, 1u);
  EXPECT_EQ(item.qty, 1u);
  EXPECT_EQ(item.unit, "szt.");
  EXPECT_EQ(state->receipt.ended, 1);
  EXPECT_FALSE(kavoruw::Link().DriverState.Receipt.Open());
}

TEST_F(TestsMenu, TestReceiptIsRefusedWithoutAnExemptRate) {
  sim.State()->vat.sevenRates[6] = 500;
  Answer(forms::IDYES);
  GlowneOkno->Prbnyparagpn1Click();
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(
      Boxes()[1],
      "Błąd|2010|W drukarce fiskalnej brak stawki ZWOLNIONEJ \rPróbny paragon nie zostanie wydrukowany");
  EXPECT_EQ(CommandCount(sim, '!'), 0u);
}

TEST_F(TestsMenu, AFailedEndCancelsTheTestReceipt) {
  sim.SetScriptedAnswer('$', {});  // the end gets no answer
  Answer(forms::IDYES);
  GlowneOkno->Prbnyparagpn1Click();
  EXPECT_EQ(BoxesUtf8().back(), "Błąd|2010|" + U(kavoruw::ErrorText(21)));
  EXPECT_EQ(CommandCount(sim, '#'), 1u);
  EXPECT_EQ(sim.State()->receipt.cancelled, 1);
  EXPECT_FALSE(sim.State()->receipt.open);
  EXPECT_FALSE(kavoruw::Link().DriverState.Receipt.Open());
  // The next action is not refused because of an open receipt.
  sim.ClearFaults();
  boxes.shown.clear();
  Pick("N41");
  EXPECT_EQ(BoxesUtf8(),
            std::vector<std::string>{
                "Informacja|2040|Rozkaz otwarcia szuflady został wysłany do drukarki fiskalnej"});
}

TEST_F(TestsMenu, TestReceiptStopsAtAFailedCondition) {
  sim.SetStatus(3, 0x02);
  GlowneOkno->Prbnyparagpn1Click();
  EXPECT_EQ(BoxesUtf8(), std::vector<std::string>{"Błąd|2010|" + U(kavoruw::ErrorText(109))});
  // This box alone comes without the tone.
  EXPECT_TRUE(TraceOf("tone").empty());
}

// ---- Sample printouts ----------------------------------------------------------------

struct SampleCase {
  const char* handler;
  void (TGlowneOkno::*click)();
  const char* question;
  const char* number;
  size_t texts;
};

class SamplePrintouts : public TestsMenu, public ::testing::WithParamInterface<SampleCase> {};

TEST_P(SamplePrintouts, AskThenPrintWithTheirPlaceholders) {
  const SampleCase& c = GetParam();
  TGlowneOkno& window = *GlowneOkno;
  Answer(forms::IDNO);
  (window.*c.click)();
  EXPECT_EQ(BoxesUtf8(), std::vector<std::string>{std::string("Odpowiedz|2024|") + c.question});
  EXPECT_EQ(CommandCount(sim, 's'), 0u);

  Answer(forms::IDYES);
  (window.*c.click)();
  EXPECT_EQ(Boxes().size(), 2u);
  auto state = sim.State();
  ASSERT_EQ(state->receipt.samples.size(), 1u);
  EXPECT_EQ(state->receipt.samples[0].number, c.number);
  size_t placeholders = 0;
  for (const auto& line : state->receipt.samples[0].lines) {
    if (line.text && line.text->find(std::string(20, '$')) != std::string::npos) ++placeholders;
  }
  EXPECT_EQ(placeholders, c.texts);
}

TEST_P(SamplePrintouts, FirstGenerationPrintersAreRefusedBeforeAnyQuestion) {
  sim.SetKind(2);
  TGlowneOkno& window = *GlowneOkno;
  (window.*GetParam().click)();
  EXPECT_EQ(BoxesUtf8(),
            std::vector<std::string>{
                "Błąd|2010|Podłączone urządzenie nie jest drukarką drugiej generacji."});
}

const SampleCase kSamples[] = {
    {"CashState", &TGlowneOkno::Stankasy1Click, "Czy wydrukować STAN KASY?", "10", 6},
    {"CashIn", &TGlowneOkno::Pokwitowaniewpaty1Click, "Czy wydrukować POKWITOWANIE WPŁATY?", "20",
     5},
    {"CashOut", &TGlowneOkno::Pokwitowaniewypaty1Click, "Czy wydrukować POKWITOWANIE WYPŁATY?",
     "30", 5},
    {"CashReport", &TGlowneOkno::Biecyraportkasowy1Click, "Czy wydrukować BIEŻĄCY RAPROT KASOWY?",
     "40", 0},
};

INSTANTIATE_TEST_SUITE_P(Items, SamplePrintouts, ::testing::ValuesIn(kSamples),
                         [](const auto& test) { return std::string(test.param.handler); });

}  // namespace
