// The report menu against the simulated printer: the daily report by device
// kind and counter, the simple reports, the three range dialogs with the
// bytes they send and the texts of the printer's verdicts, the settlement-
// range mode, the price buffer and the remote power-off.
#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <set>

#include "forms/modal.h"
#include "forms/spin_edit.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/logic/reports.h"
#include "operator_console/main_window.h"
#include "operator_console/tf_data_i_numer.h"
#include "operator_console/tf_okresowe_miesieczne.h"
#include "operator_console/tf_okresowe_wg_numerow.h"
#include "operator_console/tf_raporty_okresowe_wg_dat.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/port/comm.h"
#include "tests/operator_console/report_test_support.h"
#include "tests/support/scripted_message_boxes.h"

namespace {

using console::testing::MenuTest;
using forms::testing::Find;
using Bytes = std::vector<uint8_t>;

const char kCmosErased[] = "Błąd|2010|Skasowana pamięć CMOS. Wejdź do inicjowania zegara.";
const char kTraining[] =
    "Informacja|2040|Drukarka pracuje w trybie szkoleniowym.\r    Wydruk raportu nie jest możliwy.";

// --- The daily report ----------------------------------------------------------------

class DailyReport : public MenuTest, public ::testing::WithParamInterface<uint8_t> {
 protected:
  DailyReport() : MenuTest(GetParam()) {}
  void Counter(uint16_t n) { sim.State()->receiptCounter = n; }
  bool OlderModel() const {
    return GetParam() == 0 || GetParam() == 1 || GetParam() == 4 || GetParam() == 5;
  }
};

TEST_P(DailyReport, ZeroCounterIsRefusedOnTheOlderModelsAndAskedOnTheOthers) {
  Counter(0);
  if (!OlderModel()) Answer(forms::IDYES);
  Pick("Fiskalnydobowy1");
  if (OlderModel()) {
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Błąd|2010|  Licznik paragonów jest równy 0.   \r"
                                                "Nie można wykonać raportu dobowego."});
    EXPECT_EQ(Frames('%'), 0);
  } else {
    EXPECT_EQ(Boxes(),
              std::vector<std::string>{"Odpowiedz|2024|  Licznik paragonów jest równy 0   \r"
                                       "Czy wykonać raport dobowy?"});
    EXPECT_EQ(Frames('%'), 1);
    EXPECT_EQ(sim.State()->reports.dailyReportNumber, 1);
    EXPECT_EQ(TraceOf("progress Raport dobowy...").size(), 2u);  // the handler's and the driver's
  }
  // One counter read by the handler; the driver does not read it again.
  EXPECT_EQ(Frames('f'), 1);
  EXPECT_EQ(TraceOf("progress").back(), "progress");
  EXPECT_FALSE(GlowneOkno->BusyCursorShown());
}

TEST_P(DailyReport, NonZeroCounterAsksAndYesPrintsTheReport) {
  Counter(3);
  Answer(forms::IDYES);
  Pick("Fiskalnydobowy1");
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Odpowiedz|2024|Czy wykonać raport dobowy?"});
  EXPECT_EQ(Frames('%'), 1);
  EXPECT_EQ(sim.State()->receiptCounter, 0);
  // The older models have the driver read the counter once more itself.
  EXPECT_EQ(Frames('f'), OlderModel() ? 2 : 1);
}

TEST_P(DailyReport, NoSendsNothing) {
  Counter(3);
  Answer(forms::IDNO);
  Pick("Fiskalnydobowy1");
  EXPECT_EQ(Frames('%'), 0);
  EXPECT_EQ(sim.State()->receiptCounter, 3);
}

INSTANTIATE_TEST_SUITE_P(EveryFiscalKind, DailyReport, ::testing::Values(0, 1, 2, 3, 4, 5, 6));

class Reports : public MenuTest {};

TEST_F(Reports, DailyReportRefusesReadOnlyAndErasedClockBeforeReadingTheCounter) {
  sim.SetStatus(1, 0x2B | kavoruw::status::kReadOnly);
  Pick("Fiskalnydobowy1");
  sim.SetStatus(1, 0x2B);
  sim.SetStatus(2, kavoruw::status::kCmosErased);
  Pick("Fiskalnydobowy1");
  EXPECT_EQ(Boxes(),
            (std::vector<std::string>{"Błąd|2010|Drukarka w trybie TYLKO ODCZYT.", kCmosErased}));
  EXPECT_EQ(Frames('f'), 0);
  EXPECT_EQ(Frames('%'), 0);
}

TEST_F(Reports, DailyReportFailureShowsTheDriverTextWithTheArrow) {
  sim.State()->receiptCounter = 2;
  sim.Refuse('%', 0x15);
  boxes.onShow = [this](const forms::BoxRecord&) { EXPECT_FALSE(GlowneOkno->BusyCursorShown()); };
  Answer(forms::IDYES);
  Pick("Fiskalnydobowy1");
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(boxes.shown[1].caption, "Błąd");
  EXPECT_EQ(boxes.shown[1].flags, 0x2010u);
  EXPECT_NE(boxes.shown[1].text, "");
}

TEST_F(Reports, SimpleReportsSendTheirCommandAndShowNothingOnSuccess) {
  Pick("Stanudrukarki1");
  Pick("Nazwtowarwzablokowanych1");
  Pick("Opiswstaych1");
  EXPECT_EQ(Frames('"') + Frames('0') + Frames('&'), 3);
  EXPECT_EQ(sim.State()->reports.printed, 3);
  EXPECT_TRUE(Boxes().empty());
  sim.SetStatus(2, kavoruw::status::kCmosErased);
  Pick("Stanudrukarki1");
  EXPECT_EQ(Boxes(), std::vector<std::string>{kCmosErased});
  EXPECT_EQ(sim.State()->reports.printed, 3);
}

// --- The numbers dialog ------------------------------------------------------------------

TEST_F(Reports, NumbersDialogSendsTheRangeLowByteFirstAndCloses) {
  sim.State()->reports.dailyReportNumber = 400;
  OnModal("TfOkresoweWgNumerow", [](forms::Form& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Raport skrócony według numerów...");
    auto* from = Find<forms::SpinEdit>(&dialog, "seOd");
    auto* to = Find<forms::SpinEdit>(&dialog, "seDo");
    EXPECT_EQ(from->Value(), 1);
    EXPECT_EQ(to->Value(), 1);
    EXPECT_TRUE(Find<QPushButton>(&dialog, "Button1")->isEnabled());
    TypeFields(dialog, {"2", "300"});  // each field's text selected as the focus comes
    EXPECT_FALSE(dialog.isVisible());
  });
  Pick("Wedugnumerw1");
  EXPECT_EQ(FrameData('1', 5), (Bytes{4, 2, 0, 0x2C, 0x01}));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(session->PeriodReportKind, console::kShortByNumbers);
  EXPECT_EQ(TraceOf("progress").back(), "progress");
  EXPECT_FALSE(GlowneOkno->BusyCursorShown());
}

TEST_F(Reports, NumbersTypedBeyondTheRangeAreClampedAtConfirmationByEnterOrTheMouse) {
  sim.State()->reports.nextReportResult = 0;
  OnModal("TfOkresoweWgNumerow", [](forms::Form& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Raport szczegółowy według numerów...");
    auto* from = Find<forms::SpinEdit>(&dialog, "seOd");
    from->SetText("70000");
    forms::testing::Focus(from);
    forms::testing::Key(&dialog, Qt::Key_Return);
  });
  Pick("Wedugnumerw2");
  // Enter clamped the from-number to 3000 (0x0BB8); the to-number's range is
  // then 3000..3000, which a spin field never corrects.
  EXPECT_EQ(FrameData('1', 5), (Bytes{1, 0xB8, 0x0B, 1, 0}));

  sim.State()->reports.nextReportResult = 0;
  OnModal("TfOkresoweWgNumerow", [](forms::Form& dialog) {
    auto* from = Find<forms::SpinEdit>(&dialog, "seOd");
    from->SetText("70000");
    forms::testing::Focus(from);
    auto* tak = Find<QPushButton>(&dialog, "Button1");
    forms::testing::Focus(tak, Qt::MouseFocusReason);
    tak->click();
  });
  Pick("Wedugnumerw2");
  EXPECT_EQ(FrameData('1', 5), (Bytes{1, 0xB8, 0x0B, 1, 0}));
}

TEST_F(Reports, PrinterVerdictsOneToFiveShowTheirTextsAndCloseTheDialog) {
  for (int verdict = 1; verdict <= 5; ++verdict) {
    sim.State()->reports.nextReportResult = verdict;
    OnModal("TfOkresoweWgNumerow", [](forms::Form& dialog) {
      Find<QPushButton>(&dialog, "Button1")->click();
      EXPECT_FALSE(dialog.isVisible());
    });
    Pick("Wedugnumerw1");
  }
  std::vector<std::string> expected;
  for (int code = 219; code <= 223; ++code) expected.push_back("Błąd|2010|" + Text(code));
  EXPECT_EQ(Boxes(), expected);
  EXPECT_EQ(forms::Utf8(kavoruw::ErrorText(220)), "Brak raportów w podanym okresie.");
}

TEST_F(Reports, NieAndEscapeCloseWithoutSending) {
  OnModal("TfOkresoweWgNumerow",
          [](forms::Form& dialog) { Find<QPushButton>(&dialog, "bCofnij")->click(); });
  Pick("Wedugnumerw1");
  OnModal("TfOkresoweMiesieczne", [](forms::Form& dialog) {
    forms::testing::Focus(Find<forms::SpinEdit>(&dialog, "seRok"));
    forms::testing::Key(&dialog, Qt::Key_Escape);
  });
  Pick("Miesiczny1");
  OnModal("TfRaportyOkresoweWgDat", [](forms::Form& dialog) { dialog.close(); });
  Pick("Wedugdat1");
  EXPECT_EQ(Frames('1') + Frames('(') + Frames(')'), 0);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(TraceOf("progress").back(), "progress");
}

TEST_F(Reports, TrainingModeRefusesThePeriodicReports) {
  sim.SetStatus(1, 0x23);
  Pick("Wedugnumerw1");
  Pick("Wedugdat2");
  Pick("Miesiczny2");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{kTraining, kTraining, kTraining}));
  EXPECT_TRUE(TraceOf("modal").empty());
}

// --- The mend: nothing ends a range dialog while its report runs ------------------------

TEST_F(Reports, WhileTheReportRunsTakStaysDisabledAndNothingClosesTheDialog) {
  sim.State()->reports.dailyReportNumber = 5;
  sim.State()->printJobPolls = 4;
  bool probed = false;
  OnModal("TfOkresoweWgNumerow", [&](forms::Form& dialog) {
    auto* tak = Find<QPushButton>(&dialog, "Button1");
    auto* nie = Find<QPushButton>(&dialog, "bCofnij");
    // Runs while the driver lets events through during the printout.
    QTimer::singleShot(0, &dialog, [&, tak, nie] {
      probed = true;
      EXPECT_FALSE(tak->isEnabled());
      nie->click();
      forms::testing::Key(&dialog, Qt::Key_Escape);
      QCloseEvent close;
      QApplication::sendEvent(&dialog, &close);
      forms::testing::Focus(Find<forms::SpinEdit>(&dialog, "seOd"));
      forms::testing::Key(&dialog, Qt::Key_Return);
      EXPECT_TRUE(dialog.isVisible());
    });
    tak->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(tak->isEnabled());
  });
  Pick("Wedugnumerw1");
  EXPECT_TRUE(probed);
  EXPECT_EQ(Frames('1'), 1);
  EXPECT_TRUE(Boxes().empty());
}

// The printer is switched off once the printout of an accepted report has
// begun (its first print-status read). The wait for the end of the printout
// then runs out on the normal read time-out (1 s here), never on the 90 s of
// the report command: a wait on 90 s is cut short by a status byte that ends
// the poll (print fault), so the test fails at once instead of hanging.
TEST_F(Reports, APrinterSwitchedOffDuringAnyReportGivesTheTimeOutBoxOnTheNormalReadTimeOut) {
  sim.State()->reports.dailyReportNumber = 5;
  sim.State()->printJobPolls = 1000;
  for (auto [item, form] : {std::pair{"Wedugnumerw1", "TfOkresoweWgNumerow"},
                            std::pair{"Miesiczny2", "TfOkresoweMiesieczne"},
                            std::pair{"Wedugdat1", "TfRaportyOkresoweWgDat"}}) {
    SCOPED_TRACE(item);
    std::set<uint32_t> timeoutsWhileOff;
    bool off = false;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
      if (!off) {
        const Bytes got = sim.Received();
        const Bytes report{0x1B, '1'}, poll{0x1B, 0x95};
        auto at = std::search(got.begin(), got.end(), report.begin(), report.end());
        if (at == got.end() || std::search(at, got.end(), poll.begin(), poll.end()) == got.end())
          return;
        sim.SetPowerOff(true);
        off = true;
      }
      const uint32_t seconds =
          kavoruw::Link().CommPort->TimeoutsInUse().ReadTotalTimeoutConstant / 1000;
      timeoutsWhileOff.insert(seconds);
      if (seconds == kavoruw::kLongReportReadTimeout) sim.InjectToHost({0x80});
    });
    OnModal(form, [&](forms::Form& dialog) {
      sim.ClearLog();
      probe.start();
      Find<QPushButton>(&dialog, "Button1")->click();
      probe.stop();
    });
    boxes.shown.clear();
    Pick(item);
    EXPECT_TRUE(off) << "the printout began";
    EXPECT_EQ(timeoutsWhileOff, std::set<uint32_t>{1});
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Błąd|2010|" + Text(kavoruw::kErrReceive)});
    sim.SetPowerOff(false);
  }
}

// --- The dates dialog --------------------------------------------------------------------

TEST_F(Reports, DatesDialogPresetsTodayAndSendsTheDigitsOnTheSecondGeneration) {
  OnModal("TfRaportyOkresoweWgDat", [](forms::Form& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Raport szczegółowy według dat...");
    auto* from = Find<QDateEdit>(&dialog, "dtOd");
    EXPECT_EQ(from->date(), QDate(2026, 12, 8));
    EXPECT_EQ(Find<QDateEdit>(&dialog, "dtDo")->date(), QDate(2026, 12, 8));
    EXPECT_EQ(from->text().toStdString(), "08.12.2026") << "the Polish short date";
    from->setDate(QDate(2025, 1, 31));
    forms::testing::Focus(from);
    forms::testing::Key(&dialog, Qt::Key_Return);
  });
  Pick("Wedugdat2");
  EXPECT_EQ(FrameData('1', 13), (Bytes{0, 2, 5, 0, 1, 3, 1, 2, 6, 1, 2, 0, 8}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Reports, RangesTypedBackwardsReachThePrinterAndItsRefusalIsShown) {
  OnModal("TfRaportyOkresoweWgDat", [](forms::Form& dialog) {
    Find<QDateEdit>(&dialog, "dtOd")->setDate(QDate(2026, 12, 9));
    Find<QPushButton>(&dialog, "Button1")->click();
  });
  Pick("Wedugdat1");
  EXPECT_EQ(FrameData('1', 13), (Bytes{3, 2, 6, 1, 2, 0, 9, 2, 6, 1, 2, 0, 8}));
  // Enter in the to-number: it is not raised to the from-number.
  OnModal("TfOkresoweWgNumerow", [](forms::Form& dialog) { TypeFields(dialog, {"5", "2"}); });
  Pick("Wedugnumerw1");
  EXPECT_EQ(FrameData('1', 5), (Bytes{4, 5, 0, 2, 0}));
  EXPECT_EQ(Boxes(),
            (std::vector<std::string>{"Błąd|2010|" + Text(219), "Błąd|2010|" + Text(221)}));
}

// F4 and Alt+Down open a picker's calendar; Up there goes a week back, and
// Enter picks the day.
TEST_F(Reports, DatePickersOpenTheirCalendarFromTheKeyboard) {
  OnModal("TfRaportyOkresoweWgDat", [](forms::Form& dialog) {
    forms::testing::Flush();
    for (Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::AltModifier}) {
      forms::testing::Key(&dialog, modifier == Qt::AltModifier ? Qt::Key_Down : Qt::Key_F4,
                          modifier);
      EXPECT_NE(QApplication::activePopupWidget(), nullptr);
      forms::testing::Key(&dialog, Qt::Key_Up);
      forms::testing::Key(&dialog, Qt::Key_Return);
    }
    forms::testing::Key(&dialog, Qt::Key_Return);
  });
  Pick("Wedugdat2");
  EXPECT_EQ(FrameData('1', 13), (Bytes{0, 2, 6, 1, 1, 2, 4, 2, 6, 1, 2, 0, 8}));
}

class FirstGenerationReports : public MenuTest {
 protected:
  FirstGenerationReports() : MenuTest(2) {}
};

TEST_F(FirstGenerationReports, DatesGoAsThePeriodReportOfTheOlderPrinters) {
  OnModal("TfRaportyOkresoweWgDat", [](forms::Form& dialog) {
    Find<QDateEdit>(&dialog, "dtOd")->setDate(QDate(2026, 11, 1));
    Find<QPushButton>(&dialog, "Button1")->click();
  });
  Pick("Wedugdat2");
  OnModal("TfRaportyOkresoweWgDat",
          [](forms::Form& dialog) { Find<QPushButton>(&dialog, "Button1")->click(); });
  Pick("Wedugdat1");
  // '(' detailed, ')' short: the same digits.
  EXPECT_EQ(FrameData('(', 12), (Bytes{2, 6, 1, 1, 0, 1, 2, 6, 1, 2, 0, 8}));
  EXPECT_EQ(FrameData(')', 12), (Bytes{2, 6, 1, 2, 0, 8, 2, 6, 1, 2, 0, 8}));
  EXPECT_EQ(Frames('1'), 0);
  EXPECT_TRUE(Boxes().empty());
}

// --- The monthly dialog ---------------------------------------------------------------------

TEST_F(Reports, MonthlyDialogPresetsThePreviousMonthAndSendsItsDigits) {
  OnModal("TfOkresoweMiesieczne", [](forms::Form& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Raport skrócony miesięczny...");
    EXPECT_EQ(Find<forms::SpinEdit>(&dialog, "seRok")->Value(), 2026);
    EXPECT_EQ(Find<forms::SpinEdit>(&dialog, "seMiesiac")->Value(), 11);
    TypeFields(dialog, {"2025"});
  });
  Pick("Miesiczny1");
  EXPECT_EQ(FrameData('1', 5), (Bytes{5, 2, 5, 1, 1}));

  now = QDateTime(QDate(2027, 1, 15), QTime(8, 0));
  OnModal("TfOkresoweMiesieczne", [](forms::Form& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Raport szczegółowy miesięczny...");
    EXPECT_EQ(Find<forms::SpinEdit>(&dialog, "seRok")->Value(), 2026);
    EXPECT_EQ(Find<forms::SpinEdit>(&dialog, "seMiesiac")->Value(), 12);
    Find<QPushButton>(&dialog, "Button1")->click();
  });
  Pick("Miesiczny2");
  EXPECT_EQ(FrameData('1', 5), (Bytes{2, 2, 6, 1, 2}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Reports, MonthlyDialogSendsNoMonthOutsideItsRange) {
  OnModal("TfOkresoweMiesieczne", [](forms::Form& dialog) {
    auto* month = Find<forms::SpinEdit>(&dialog, "seMiesiac");
    forms::testing::Focus(month);
    month->selectAll();
    forms::testing::Type(month, "-3");
    EXPECT_EQ(month->Text(), "3") << "a spin field takes digits only";
    forms::testing::Key(&dialog, Qt::Key_Return);
  });
  Pick("Miesiczny1");
  EXPECT_EQ(Frames('1'), 1);
  EXPECT_EQ(FrameData('1', 5), (Bytes{5, 2, 6, 0, 3}));

  // Month 0 confirmed with Enter inside its field, and a year never left:
  // both are brought into their ranges (1..12, 2001..2050) before sending.
  OnModal("TfOkresoweMiesieczne", [](forms::Form& dialog) {
    Find<forms::SpinEdit>(&dialog, "seRok")->SetText("1999");
    auto* month = Find<forms::SpinEdit>(&dialog, "seMiesiac");
    forms::testing::Focus(month);
    month->selectAll();
    forms::testing::Type(month, "0");
    forms::testing::Key(&dialog, Qt::Key_Return);
    EXPECT_EQ(month->Text(), "1");
  });
  Pick("Miesiczny1");
  EXPECT_EQ(Frames('1'), 2);
  EXPECT_EQ(FrameData('1', 5), (Bytes{5, 0, 1, 0, 1}));
  EXPECT_TRUE(Boxes().empty());
}

// --- Settlement-range mode --------------------------------------------------------------------

TEST_F(Reports, SettlementRangeModeHandsTheRangeBackAndPrintsNothing) {
  const ReportRequest settlement{console::kDetailedByNumbers, true};
  session->fOkresoweWgNumerow->Preset(1, 1);
  OnModal("TfOkresoweWgNumerow", [](forms::Form& dialog) {
    Find<forms::SpinEdit>(&dialog, "seOd")->SetText("7");
    Find<forms::SpinEdit>(&dialog, "seDo")->SetText("260");
    Find<QPushButton>(&dialog, "Button1")->click();
  });
  EXPECT_EQ(session->fOkresoweWgNumerow->RunReport(settlement),
            (console::ReportParams{7, 0, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(session->fOkresoweWgNumerow->ModalResult(), forms::mrYes);
  // The port is reopened for the long answer and the busy cursor stays on.
  EXPECT_TRUE(GlowneOkno->BusyCursorShown());

  session->fRaportyOkresoweWgDat->Preset(QDate(2026, 12, 1), QDate(2026, 12, 8));
  OnModal("TfRaportyOkresoweWgDat",
          [](forms::Form& dialog) { Find<QPushButton>(&dialog, "Button1")->click(); });
  EXPECT_EQ(session->fRaportyOkresoweWgDat->RunReport(settlement),
            (console::ReportParams{2, 6, 1, 2, 0, 1, 2, 6, 1, 2, 0, 8}));

  // Nie hands nothing back.
  OnModal("TfRaportyOkresoweWgDat",
          [](forms::Form& dialog) { Find<QPushButton>(&dialog, "bCofnij")->click(); });
  session->fRaportyOkresoweWgDat->Preset(QDate(2020, 1, 1), QDate(2020, 1, 1));
  EXPECT_EQ(session->fRaportyOkresoweWgDat->RunReport(settlement), std::nullopt);
  EXPECT_NE(session->fRaportyOkresoweWgDat->ModalResult(), forms::mrYes);
  EXPECT_EQ(Frames('1'), 0);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Reports, DateAndNumberPromptAnswersNoToEnterAndEscapeAndTakesOnlyACompleteNumber) {
  session->fDataINumer->SetDate(QDate(2026, 12, 7));
  session->fDataINumer->SetNumber("");
  OnModal("TfDataINumer",
          [](forms::Form& dialog) { forms::testing::Key(&dialog, Qt::Key_Return); });
  EXPECT_EQ(forms::ShowModal(*session->fDataINumer), forms::mrNo);
  OnModal("TfDataINumer",
          [](forms::Form& dialog) { forms::testing::Key(&dialog, Qt::Key_Escape); });
  EXPECT_EQ(forms::ShowModal(*session->fDataINumer), forms::mrNo);
  const std::string incomplete = "Błąd|2010|Numer unikatowy musi składać się z 8 cyfr.";
  OnModal("TfDataINumer", [&](forms::Form& dialog) {
    // Tab goes from the date to the number, not through the date's parts.
    auto* date = Find<QWidget>(&dialog, "db");
    auto* number = Find<forms::MaskEdit>(&dialog, "meNumer");
    forms::testing::Focus(date);
    forms::testing::Key(date, Qt::Key_Tab);
    EXPECT_EQ(dialog.focusWidget(), number);
    forms::testing::Key(number, Qt::Key_Backtab);
    EXPECT_EQ(dialog.focusWidget(), date);
    // "Tak" with no number, and Enter half-way through it, say why and keep
    // the prompt open.
    Find<QPushButton>(&dialog, "Button2")->click();
    EXPECT_EQ(Boxes(), std::vector<std::string>{incomplete});
    forms::testing::Focus(number);
    number->setCursorPosition(0);
    forms::testing::Type(number, "1234");
    forms::testing::Key(number, Qt::Key_Return);
    forms::testing::Focus(date);
    forms::testing::Key(date, Qt::Key_Return);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{incomplete, incomplete, incomplete}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), number);
    forms::testing::Type(number, "5678");
    Find<QPushButton>(&dialog, "Button2")->click();
  });
  EXPECT_EQ(forms::ShowModal(*session->fDataINumer), forms::mrYes);
  EXPECT_EQ(session->fDataINumer->Number().toStdString(), "12345678");
  EXPECT_EQ(session->fDataINumer->Date(), QDate(2026, 12, 7));
  EXPECT_EQ(session->fDataINumer->windowTitle().toStdString(),
            "Podaj datę i numer unikatowy urządzenia");
}

// --- Price buffer and power-off --------------------------------------------------------------

class ServiceItems : public MenuTest, public ::testing::WithParamInterface<uint8_t> {
 protected:
  ServiceItems() : MenuTest(GetParam()) {}
};

TEST_P(ServiceItems, PriceBufferOnlyOnThePharmacyModels) {
  Pick("Kasowaniebuforawycen1");
  if (kavoruw::IsPharmacyModel(GetParam())) {
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Informacja|2040|Bufor wycen skasowano."});
    EXPECT_EQ(sim.State()->service.priceBufferClears, 1);
  } else {
    EXPECT_EQ(Boxes(),
              std::vector<std::string>{"Błąd|2010|To nie jest drukarka KAVOR F (apteczna)."});
    EXPECT_EQ(Frames('w'), 0);
  }
}

TEST_P(ServiceItems, PowerOffOnlyOnTheSecondGeneration) {
  // The item is disabled for the first generation; its handler refuses too.
  GlowneOkno->Zdalnewyaczeniedrukarki1Click();
  if (kavoruw::IsSecondGeneration(GetParam())) {
    // The data follows the printer's ACK: wait until it has all come.
    for (int i = 0; i < 200 && sim.Notes().empty(); ++i) QThread::msleep(10);
    EXPECT_EQ(FrameData(0xFD, 5), (Bytes{'0', '0', '0', '0', '0'}));
    EXPECT_EQ(sim.Notes(), std::vector<std::string>{"0xFD: power off"});
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Informacja|2040|Drukarka została wyłączona"});
  } else {
    EXPECT_EQ(Boxes(), std::vector<std::string>{
                           "Błąd|2010|Podłączone urządzenie nie jest drukarką drugiej generacji"});
    EXPECT_EQ(Frames(0xFD), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFiscalKind, ServiceItems, ::testing::Values(0, 1, 2, 3, 4, 5, 6));

TEST_F(Reports, FailedPowerOffShowsTheErrorOnlyNeverThatThePrinterIsOff) {
  sim.Refuse(0xFD, 0x15);
  Pick("Zdalnewyaczeniedrukarki1");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Błąd");
  EXPECT_EQ(boxes.shown[0].text.find("wyłączona"), std::string::npos);
}

}  // namespace
