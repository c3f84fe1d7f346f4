// The clock menu against the simulated printer: the clock read in both
// answer forms, the shift with its refusals and its check of the second
// reading, the time key filter, and the hidden initialisation.
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>

#include "forms/mask_edit.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/logic/clock_logic.h"
#include "operator_console/main_window.h"
#include "tests/operator_console/report_test_support.h"
#include "tests/support/scripted_message_boxes.h"

namespace {

using console::testing::MenuTest;
using forms::testing::Find;
using Bytes = std::vector<uint8_t>;

const char kBadTime[] = "Błąd|2010|Godzina została wprowadzona nieprawidłowo.";

forms::MaskEdit* TimeField(forms::Form& dialog) {
  return Find<forms::MaskEdit>(&dialog, "meZegar");
}

class Clock : public MenuTest {
 protected:
  explicit Clock(uint8_t kind = 3) : MenuTest(kind) {}
  void SetPrinterTime(uint8_t hour, uint8_t minute) {
    auto state = sim.State();
    state->clock.now[3] = hour;
    state->clock.now[4] = minute;
  }
  std::array<uint8_t, 6> PrinterClock() { return sim.State()->clock.now; }
  // The clock dialog that a successful shift or initialisation opens.
  void ExpectClockShown(const std::string& time) {
    OnModal("TfDataGodzina", [time](forms::Form& dialog) {
      EXPECT_EQ(Find<QLabel>(&dialog, "lCzas")->text().toStdString(), "Godzina:     " + time);
      Find<QPushButton>(&dialog, "Button1")->click();
    });
  }
  // Types the time over the field and runs Tak; the dialog's state after it.
  void ShiftTo(const QString& typed, bool closes) {
    OnModal("TfPrzestawianie", [typed, closes](forms::Form& dialog) {
      TimeField(dialog)->SetText(typed);
      Find<QPushButton>(&dialog, "Button1")->click();
      EXPECT_EQ(dialog.isVisible(), !closes);
      EXPECT_TRUE(Find<QPushButton>(&dialog, "Button1")->isEnabled());
      if (!closes) Find<QPushButton>(&dialog, "Button2")->click();
    });
    Pick("Przestawianiezegara1");
  }
};

// --- Reading the clock -------------------------------------------------------------------------

TEST_F(Clock, ReadShowsDateAndTimeWithSecondsOnTheSecondGeneration) {
  OnModal("TfDataGodzina", [](forms::Form& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Data i godzina z drukarki fiskalnej...");
    EXPECT_EQ(Find<QLabel>(&dialog, "lData")->text().toStdString(), "Data   :     2005.02.04");
    EXPECT_EQ(Find<QLabel>(&dialog, "lCzas")->text().toStdString(), "Godzina:     14:05:09");
    forms::testing::Focus(Find<QPushButton>(&dialog, "Button1"));
    forms::testing::Key(&dialog, Qt::Key_Escape);
  });
  Pick("Odczytzegara1");
  EXPECT_EQ(Frames(0x40), 1);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(TraceOf("progress").back(), "progress");
  EXPECT_FALSE(GlowneOkno->BusyCursorShown());
}

class FirstGenerationClock : public Clock {
 protected:
  FirstGenerationClock() : Clock(2) {}
};

TEST_F(FirstGenerationClock, ReadShowsHoursAndMinutesOnly) {
  OnModal("TfDataGodzina", [](forms::Form& dialog) {
    EXPECT_EQ(Find<QLabel>(&dialog, "lCzas")->text().toStdString(), "Godzina:     14:05");
    dialog.Close();
  });
  Pick("Odczytzegara1");
  EXPECT_EQ(Frames('5'), 1);
}

TEST_F(Clock, ReadWithErasedClockMemoryExplainsOnceAfterAnInitialisation) {
  sim.SetStatus(2, kavoruw::status::kCmosErased);
  session->ClockJustInitialised = 1;
  Pick("Odczytzegara1");
  Pick("Odczytzegara1");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Błąd|2010|Zegar drukarki fiskalnej nie został zainicjowany.\r"
                         "Najprawdopodobniej data, którą próbowano ustawić nie jest poprawna.\r"
                         "Nie wolno ustawiać daty, która jest wcześniejsza niż data ostatniego\r"
                         "raportu dobowego (jeśli jakiś był już wykonany).",
                         "Błąd|2010|Skasowana pamięć CMOS. Wejdź do inicjowania zegara."}));
  EXPECT_EQ(session->ClockJustInitialised, 0);
  EXPECT_EQ(Frames(0x40), 0);
}

// --- Shifting the clock -------------------------------------------------------------------------

TEST_F(Clock, ShiftPresetsThePcTimeAndMovesThePrinterClockForward) {
  ExpectClockShown("14:35:09");
  OnModal("TfPrzestawianie", [](forms::Form& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Przestawianie zegara w drukarce fiskalnej");
    EXPECT_EQ(TimeField(dialog)->Text().toStdString(), "14:05");
    TypeFields(dialog, {"1435"});  // over the selected time
    EXPECT_FALSE(dialog.isVisible());
  });
  Pick("Przestawianiezegara1");
  EXPECT_EQ(FrameData('6', 3), (Bytes{1, 3, 0}));
  EXPECT_EQ(PrinterClock()[4], 35);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Informacja|2040|Zegar został przestawiony."});
}

TEST_F(Clock, ShiftByExactlySixtyMinutesBackIsSent) {
  ExpectClockShown("13:05:09");
  ShiftTo("13:05", true);
  EXPECT_EQ(FrameData('6', 3), (Bytes{0, 6, 0}));
  EXPECT_EQ(PrinterClock()[3], 13);
}

TEST_F(Clock, ZeroAndMoreThanAnHourAreRefusedWithoutWrapAtMidnight) {
  ShiftTo("14:05", false);
  ShiftTo("15:06", false);
  SetPrinterTime(23, 50);
  ShiftTo("00:10", false);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Błąd|2010|Nie można przestawić zegara o 0 minut",
                         "Błąd|2010|Nie można przestawić zegara o więcej niż 60 minut",
                         "Błąd|2010|Nie można przestawić zegara o więcej niż 60 minut"}));
  EXPECT_EQ(Frames('6'), 0);
}

TEST_F(Clock, NonZeroCounterNoKeepsTheDialogAndYesPrintsTheDailyReportFirst) {
  sim.State()->receiptCounter = 4;
  Answer(forms::IDNO);
  ShiftTo("14:20", false);
  EXPECT_EQ(Frames('%'), 0);
  EXPECT_EQ(Frames('6'), 0);

  Answer(forms::IDYES);
  ExpectClockShown("14:20:09");
  ShiftTo("14:20", true);
  EXPECT_EQ(Frames('%'), 1);
  EXPECT_EQ(FrameData('6', 3), (Bytes{1, 1, 5}));
  const std::string question =
      "Błąd|2044|Niezerowy licznik paragonów.\r"
      "Aby przestawić zegar należy wykonać raport fiskalny dobowy.\r"
      "Czy wykonać ten raport?";
  EXPECT_EQ(Boxes(), (std::vector<std::string>{question, question,
                                               "Informacja|2040|Zegar został przestawiony."}));
}

TEST_F(Clock, APrinterThatKeepsItsTimeMeansASecondShiftTheSameDay) {
  // The printer takes the command and its data but leaves the clock.
  sim.SetScriptedAnswer('6', {0x06}, 3);
  ShiftTo("14:25", false);
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "Błąd|2010|             Nie udało się przestawić zegara:                \r"
                         "Nie można przestawiać zegara dwa razy w ciągu tej samej doby."});
  EXPECT_EQ(Frames(0x40), 2);
}

TEST_F(Clock, ARefusedShiftShowsTheDriverText) {
  sim.State()->clock.lastShiftDay = std::array<uint8_t, 3>{5, 2, 4};
  ShiftTo("14:25", false);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].rfind("Błąd|2010|Nie udało się przestawić zegara: \r", 0), 0u) << Boxes()[0];
  EXPECT_GT(Boxes()[0].size(), std::string("Błąd|2010|Nie udało się przestawić zegara: \r").size());
}

// The mend: an incomplete time is the operator's mistake, never the end of
// the program; the dialog stays open to put it right.
TEST_F(Clock, AnIncompleteTimeIsRefusedWithoutTheToneAndTheDialogStays) {
  OnModal("TfPrzestawianie", [](forms::Form& dialog) {
    TimeField(dialog)->SetText("1");
    Find<QPushButton>(&dialog, "Button1")->click();
    EXPECT_TRUE(dialog.isVisible());
    forms::testing::Focus(TimeField(dialog));
    forms::testing::Key(&dialog, Qt::Key_Escape);
  });
  Pick("Przestawianiezegara1");
  EXPECT_EQ(Boxes(), std::vector<std::string>{kBadTime});
  EXPECT_EQ(Frames('f'), 0);
  // Only the tone before the dialog itself.
  EXPECT_EQ(TraceOf("tone").size(), 1u);
}

TEST_F(Clock, TheTimeKeyFilterKeepsTheHourAndTheMinuteTensInRange) {
  OnModal("TfPrzestawianie", [](forms::Form& dialog) {
    forms::MaskEdit* field = TimeField(dialog);
    forms::testing::Focus(field);
    field->SetText("09:00");
    field->setCursorPosition(0);
    forms::testing::Type(field, "3");  // dropped
    EXPECT_EQ(field->displayText().toStdString(), "09:00");
    forms::testing::Type(field, "2");  // 29 cannot stand: the 9 is cleared
    EXPECT_EQ(field->displayText().toStdString(), "2_:00");
    EXPECT_EQ(field->cursorPosition(), 1);
    forms::testing::Type(field, "7");  // after a 2 only 0..3
    EXPECT_EQ(field->displayText().toStdString(), "2_:00");
    forms::testing::Type(field, "3");
    EXPECT_EQ(field->displayText().toStdString(), "23:00");
    field->setCursorPosition(3);
    forms::testing::Type(field, "6");  // minute tens only 0..5
    EXPECT_EQ(field->displayText().toStdString(), "23:00");
    forms::testing::Type(field, "5");
    EXPECT_EQ(field->displayText().toStdString(), "23:50");
    dialog.Close();
  });
  Pick("Przestawianiezegara1");
}

// --- The hidden initialisation ------------------------------------------------------------------

TEST_F(Clock, InitialisationRefusesAClockThatRuns) {
  GlowneOkno->Inicjowaniezegara1Click();
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "Błąd|2010|Zainicjowanie zegara drukarki fiskalnej jest niemożliwe.\r"
                         "               Zegar jest już zainicjowany.             "});
  EXPECT_TRUE(TraceOf("modal").empty());
}

TEST_F(Clock, InitialisationAsksForTheJumperThenSetsTheClock) {
  sim.SetStatus(2, kavoruw::status::kCmosErased);
  // The technician moves the jumper while the question is up.
  boxes.onShow = [this](const forms::BoxRecord&) {
    sim.SetStatus(4, 0x08 | kavoruw::status::kServiceJumper);
  };
  Answer(forms::IDYES);
  ExpectClockShown("09:07:00");
  OnModal("TfUstawZegar", [](forms::Form& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Inicjowanie zegara drukarki fiskalnej ");
    auto* date = Find<QDateEdit>(&dialog, "dtDate");
    EXPECT_EQ(date->date(), QDate(2026, 12, 8));
    EXPECT_EQ(date->text().toStdString(), "08 grudnia 2026");
    EXPECT_EQ(TimeField(dialog)->Text().toStdString(), "14:05");
    TimeField(dialog)->SetText("09:07");
    Find<QPushButton>(&dialog, "Button1")->click();
    EXPECT_FALSE(dialog.isVisible());
  });
  GlowneOkno->Inicjowaniezegara1Click();
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "Błąd|2014|Zainicjowanie zegara drukarki fiskalnej jest niemożliwe.\r"
                         "       Zwora serwisowa jest w pozycji normalnej.        \r"
                         "       Czy sprawdzić stan zwory ponownie?        "});
  EXPECT_EQ(FrameData('4', 10), (Bytes{2, 6, 1, 2, 0, 8, 0, 9, 0, 7}));
  EXPECT_EQ(session->ClockJustInitialised, 1);
}

TEST_F(Clock, AnInitialisationThePrinterIgnoresIsExplainedByTheClockRead) {
  sim.SetStatus(1, 0x23);  // training mode: no jumper needed
  sim.SetStatus(2, kavoruw::status::kCmosErased);
  sim.SetScriptedAnswer('4', {0x06}, 10);
  OnModal("TfUstawZegar",
          [](forms::Form& dialog) { Find<QPushButton>(&dialog, "Button1")->click(); });
  GlowneOkno->Inicjowaniezegara1Click();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].rfind("Błąd|2010|Zegar drukarki fiskalnej nie został zainicjowany.\r", 0),
            0u);
  EXPECT_EQ(session->ClockJustInitialised, 0);
}

// The mend: the wire carries two-digit years, so the picker ends with 2099
// and its preset is brought into the range.
TEST_F(Clock, InitialisationDateStaysWithinTwoDigitYears) {
  sim.SetStatus(1, 0x23);
  sim.SetStatus(2, kavoruw::status::kCmosErased);
  now = QDateTime(QDate(2101, 3, 1), QTime(7, 30));
  ExpectClockShown("07:30:00");
  OnModal("TfUstawZegar", [](forms::Form& dialog) {
    auto* date = Find<QDateEdit>(&dialog, "dtDate");
    EXPECT_EQ(date->date(), QDate(2099, 12, 31));
    EXPECT_EQ(date->maximumDate(), QDate(2099, 12, 31));
    EXPECT_EQ(date->minimumDate(), QDate(2004, 1, 1));
    Find<QPushButton>(&dialog, "Button1")->click();
  });
  GlowneOkno->Inicjowaniezegara1Click();
  EXPECT_EQ(FrameData('4', 10), (Bytes{9, 9, 1, 2, 3, 1, 0, 7, 3, 0}));

  sim.SetStatus(2, kavoruw::status::kCmosErased);
  now = QDateTime(QDate(2001, 5, 5), QTime(7, 30));
  OnModal("TfUstawZegar", [](forms::Form& dialog) {
    EXPECT_EQ(Find<QDateEdit>(&dialog, "dtDate")->date(), QDate(2004, 1, 1));
    Find<QPushButton>(&dialog, "Button2")->click();
  });
  GlowneOkno->Inicjowaniezegara1Click();
  EXPECT_EQ(Frames('4'), 1);
}

TEST_F(Clock, InitialisationWithAnIncompleteTimeStaysOpenAndSendsNothing) {
  sim.SetStatus(1, 0x23);
  sim.SetStatus(2, kavoruw::status::kCmosErased);
  OnModal("TfUstawZegar", [](forms::Form& dialog) {
    TimeField(dialog)->SetText("");
    forms::testing::Focus(TimeField(dialog));
    // Leaving the field for the date picker reports it and keeps the focus.
    forms::testing::Focus(Find<QDateEdit>(&dialog, "dtDate"), Qt::TabFocusReason);
    forms::testing::Flush();
    EXPECT_EQ(QApplication::focusWidget(), TimeField(dialog));
    Find<QPushButton>(&dialog, "Button1")->click();
    EXPECT_TRUE(dialog.isVisible());
    Find<QPushButton>(&dialog, "Button2")->click();
  });
  GlowneOkno->Inicjowaniezegara1Click();
  EXPECT_EQ(Boxes(), (std::vector<std::string>{kBadTime, kBadTime}));
  EXPECT_EQ(Frames('4'), 0);
}

}  // namespace
