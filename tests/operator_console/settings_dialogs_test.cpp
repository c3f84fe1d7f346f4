// The settings menu against the simulated printer: register number and
// operator code, lines to feed, rounding, and the about box.
#include <QLabel>
#include <QPushButton>

#include "forms/edit.h"
#include "forms/radio_group.h"
#include "forms/spin_edit.h"
#include "kavoruw_core.h"
#include "operator_console/console_session.h"
#include "operator_console/main_window.h"
#include "operator_console/t_komunikacja.h"
#include "printer_link/api/link_instance.h"
#include "tests/operator_console/console_fixture.h"
#include "tests/operator_console/wire_helpers.h"

namespace {

using console::testing::Bytes;
using console::testing::ConsoleTest;
using console::testing::ReceivedDataOf;
using console::testing::Sent;
using forms::testing::Find;

class SettingsMenu : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    kavoruw::Link().DriverState.PortReadTimeout = 1;
    ASSERT_TRUE(Start({"COM1", "9600"}));
    ClearTrace();
    sim.ClearLog();
  }
  // "&Tak" pressed with Enter in the dialog's first field.
  static void EnterIn(forms::Form& form, const char* field) {
    forms::testing::Focus(Find<QWidget>(&form, field));
    forms::testing::Key(&form, Qt::Key_Return);
  }
};

TEST_F(SettingsMenu, TheRegisterDialogShowsThePrintersNumberAndPadsWhatItSends) {
  sim.State()->service.printerNumber = {'1', '2', 'X', 'Y'};
  OnModal("TfNumerKasy", [](forms::Form& form) {
    EXPECT_EQ(Find<forms::SpinEdit>(&form, "seNrKasy")->Value(), 12);
    EXPECT_EQ(Find<forms::Edit>(&form, "eKod")->text(), "XY");
    Find<forms::Edit>(&form, "eKod")->setText("");
    forms::testing::Flush();
    forms::testing::Type(&form, "5");  // over the number, selected as the dialog opens
    forms::testing::Key(&form, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
  });
  Pick("Nrkasyikodobsugujcego1");
  EXPECT_EQ(ReceivedDataOf(sim, 'C', 4), (Bytes{'0', '5', ' ', ' '}));

  sim.ClearLog();
  OnModal("TfNumerKasy", [](forms::Form& form) {
    EXPECT_EQ(Find<forms::SpinEdit>(&form, "seNrKasy")->Value(), 5);
    Find<forms::SpinEdit>(&form, "seNrKasy")->setValue(42);
    Find<forms::Edit>(&form, "eKod")->setText("A");
    Find<QPushButton>(&form, "Button1")->click();
  });
  Pick("Nrkasyikodobsugujcego1");
  EXPECT_EQ(ReceivedDataOf(sim, 'C', 4), (Bytes{'4', '2', ' ', 'A'}));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(modals.unscripted.empty());
}

TEST_F(SettingsMenu, NumbersTypedOutsideTheRangesAreClampedWhenConfirmed) {
  OnModal("TfNumerKasy", [](forms::Form& form) {
    Find<forms::SpinEdit>(&form, "seNrKasy")->SetText("150");
    EnterIn(form, "seNrKasy");
  });
  Pick("Nrkasyikodobsugujcego1");
  EXPECT_EQ(ReceivedDataOf(sim, 'C', 2), (Bytes{'9', '9'}));

  sim.ClearLog();
  OnModal("TfIloscWierszy", [](forms::Form& form) {
    forms::testing::Flush();
    forms::testing::Type(&form, "1");  // over the 3, selected as the dialog opens
    forms::testing::Key(&form, Qt::Key_Return);
  });
  Pick("Ilo1");
  EXPECT_EQ(ReceivedDataOf(sim, 'F', 1), Bytes{3});
  // Opened again, the dialog shows what was written.
  OnModal("TfIloscWierszy", [](forms::Form& form) {
    EXPECT_EQ(Find<forms::SpinEdit>(&form, "seIloscWierszy")->Text(), "3");
    forms::testing::Key(&form, Qt::Key_Escape);
  });
  Pick("Ilo1");

  sim.ClearLog();
  OnModal("TfIloscWierszy", [](forms::Form& form) {
    Find<forms::SpinEdit>(&form, "seIloscWierszy")->SetText("99");
    EnterIn(form, "seIloscWierszy");
  });
  Pick("Ilo1");
  EXPECT_EQ(ReceivedDataOf(sim, 'F', 1), Bytes{30});
  EXPECT_EQ(sim.State()->service.feedCount, 30);
}

// Nothing that was not typed is sent: letters are refused as they are typed,
// and an emptied field sends what it held before.
TEST_F(SettingsMenu, LettersInASpinFieldAreRefusedAndAnEmptiedOneSendsWhatItHeld) {
  sim.State()->service.printerNumber = {'1', '2', ' ', ' '};
  OnModal("TfNumerKasy", [](forms::Form& form) {
    auto* number = Find<forms::SpinEdit>(&form, "seNrKasy");
    forms::testing::Focus(number);
    number->selectAll();
    forms::testing::Type(number, "x5");
    EXPECT_EQ(number->Text(), "5");
    EnterIn(form, "seNrKasy");
  });
  Pick("Nrkasyikodobsugujcego1");
  EXPECT_EQ(ReceivedDataOf(sim, 'C', 2), (Bytes{'0', '5'}));

  for (const char* typed : {"x7", ""}) {
    sim.ClearLog();
    OnModal("TfIloscWierszy", [typed](forms::Form& form) {
      auto* lines = Find<forms::SpinEdit>(&form, "seIloscWierszy");
      lines->setValue(7);
      forms::testing::Focus(lines);
      lines->selectAll();
      if (*typed != 0) {
        forms::testing::Type(lines, typed);
      } else {
        forms::testing::Key(lines, Qt::Key_Delete);
      }
      EXPECT_EQ(lines->Text().toStdString(), *typed != 0 ? "7" : "");
      EnterIn(form, "seIloscWierszy");
    });
    Pick("Ilo1");
    EXPECT_EQ(ReceivedDataOf(sim, 'F', 1), Bytes{7}) << "typed: " << typed;
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SettingsMenu, TheLineAndRoundingDialogsKeepWhatWasLastLeftInThem) {
  OnModal("TfIloscWierszy", [](forms::Form& form) {
    EXPECT_EQ(Find<forms::SpinEdit>(&form, "seIloscWierszy")->Value(), 3);
    Find<forms::SpinEdit>(&form, "seIloscWierszy")->setValue(12);
    Find<QPushButton>(&form, "Button2")->click();
  });
  Pick("Ilo1");
  EXPECT_FALSE(Sent(sim.Received(), 'F'));
  OnModal("TfIloscWierszy", [](forms::Form& form) {
    EXPECT_EQ(Find<forms::SpinEdit>(&form, "seIloscWierszy")->Value(), 12);
    forms::testing::Key(&form, Qt::Key_Escape);
  });
  Pick("Ilo1");

  for (int mode : {2, 1, 0}) {
    sim.ClearLog();
    OnModal("TfSposobZaokraglania", [mode](forms::Form& form) {
      Find<forms::RadioGroup>(&form, "rgZaokraglanie")->setItemIndex(mode);
      Find<QPushButton>(&form, "Button1")->click();
    });
    Pick("Sposbzaokrglania1");
    EXPECT_EQ(ReceivedDataOf(sim, 't', 1), Bytes{static_cast<uint8_t>('0' + mode)});
  }
  OnModal("TfSposobZaokraglania", [](forms::Form& form) {
    auto* group = Find<forms::RadioGroup>(&form, "rgZaokraglanie");
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_EQ(group->Items(),
              (QStringList{"jednostki groszy", "dziesiątki groszy", "jednostki złotych"}));
    Find<QPushButton>(&form, "Button2")->click();
  });
  Pick("Sposbzaokrglania1");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(modals.unscripted.empty());
}

TEST_F(SettingsMenu, APrinterErrorKeepsTheDialogOpenForAnotherTry) {
  sim.Refuse('F', 0x15);
  OnModal("TfIloscWierszy", [this](forms::Form& form) {
    Find<forms::SpinEdit>(&form, "seIloscWierszy")->setValue(7);
    auto* yes = Find<QPushButton>(&form, "Button1");
    yes->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(yes->isEnabled());
    EXPECT_EQ(Find<forms::SpinEdit>(&form, "seIloscWierszy")->Value(), 7);
    sim.ClearRefusals();
    yes->click();
    EXPECT_FALSE(form.isVisible());
  });
  Pick("Ilo1");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Błąd");
  EXPECT_EQ(boxes.shown[0].flags, 0x2010u);
  // The accepted command's data byte may still be on its way to the simulator.
  for (int i = 0; i < 200 && sim.State()->service.feedCount != 7; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(sim.State()->service.feedCount, 7);
}

TEST_F(SettingsMenu, AnErasedClockMemoryOpensNoDialog) {
  sim.SetStatus(2, 0x10);
  Pick("Nrkasyikodobsugujcego1");
  Pick("Ilo1");
  Pick("Sposbzaokrglania1");
  const std::string refusal = "Błąd|2010|Skasowana pamięć CMOS. Wejdź do inicjowania zegara.";
  EXPECT_EQ(Boxes(), (std::vector<std::string>{refusal, refusal, refusal}));
  EXPECT_TRUE(TraceOf("modal").empty());
}

class AboutBoxTest : public ConsoleTest {};

TEST_F(AboutBoxTest, TheAboutBoxNeedsNoPrinter) {
  sim.SetPowerOff(true);
  OnModal("TKomunikacja", [](forms::Form& form) { form.Close(); });
  ASSERT_TRUE(Start({}));
  ClearTrace();
  sim.ClearLog();
  OnModal("TAboutBox", [](forms::Form& form) {
    EXPECT_EQ(form.windowTitle(), "O programie");
    EXPECT_EQ(Find<QLabel>(&form, "lWersja")->text(), "WERSJA 2.00 z dnia 04.02.2005r.");
    EXPECT_EQ(Find<QLabel>(&form, "ProductName")->text(), "Program użytkownika drukarek");
    // OK is the box's only control and has the focus.
    forms::testing::Focus(Find<QPushButton>(&form, "OKButton"));
    forms::testing::Key(&form, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
  });
  Pick("Oprogramie1");
  EXPECT_EQ(TraceLines().at(0), "tone 1000 50");
  EXPECT_EQ(TraceLines().at(1), "modal TAboutBox");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(sim.Received().empty());
  EXPECT_TRUE(modals.unscripted.empty());
}

}  // namespace
