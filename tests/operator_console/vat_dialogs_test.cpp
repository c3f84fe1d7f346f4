// The VAT-rate menu against the simulated printer: the read dialog, the
// editor with its boxes, key filter, exit check and confirmation, the write
// on the wire, and the editor's use by the switch to fiscal mode.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "forms/edit.h"
#include "kavoruw_core.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/logic/vat_rates.h"
#include "operator_console/main_window.h"
#include "operator_console/tf_odczyt_stawek.h"
#include "operator_console/tf_stawki_podatkowe.h"
#include "printer_link/api/link_instance.h"
#include "tests/operator_console/console_fixture.h"
#include "tests/operator_console/wire_helpers.h"

namespace {

using console::testing::Bytes;
using console::testing::ConsoleTest;
using console::testing::ReceivedDataOf;
using console::testing::Sent;
using forms::testing::Find;

constexpr uint16_t kReserveWord = 0x8000;
constexpr uint16_t kExemptWord = 0x4000;

// The rate words of a 7-rate SetVAT, high byte first.
Bytes RateWords(std::initializer_list<uint16_t> words) {
  Bytes bytes;
  for (uint16_t w : words) {
    bytes.push_back(static_cast<uint8_t>(w >> 8));
    bytes.push_back(static_cast<uint8_t>(w & 0xFF));
  }
  return bytes;
}

std::vector<std::string> ShownLines(TfOdczytStawek& dialog) {
  std::vector<std::string> lines;
  for (int i = 0; i < 7; ++i)
    if (!dialog.Line(i)->isHidden()) lines.push_back(dialog.Line(i)->text().toStdString());
  return lines;
}

class VatMenu : public ConsoleTest {
 protected:
  explicit VatMenu(uint8_t kind = 3) : ConsoleTest(kind) {}
  void SetUp() override {
    ConsoleTest::SetUp();
    kavoruw::Link().DriverState.PortReadTimeout = 1;
    ASSERT_TRUE(Start({"COM1", "9600"}));
    ClearTrace();
    sim.ClearLog();
  }
  // Runs the read dialog and notes what it showed.
  void ExpectReadDialog(std::vector<std::string>* seen) {
    OnModal("TfOdczytStawek", [seen](forms::Form& form) {
      *seen = ShownLines(static_cast<TfOdczytStawek&>(form));
      Find<QPushButton>(&form, "Button1")->click();
    });
  }
  static std::string Text(TfStawkiPodatkowe& editor, int row) {
    return editor.RateEdit(row)->text().toStdString();
  }
};

TEST_F(VatMenu, ReadingShowsEveryRateOfASevenRatePrinter) {
  std::vector<std::string> seen;
  ExpectReadDialog(&seen);
  Pick("Odczyt1");
  EXPECT_EQ(seen, (std::vector<std::string>{"Stawka PTU A : 22 %", "Stawka PTU B : 7 %",
                                            "Stawka PTU C : 0 %", "Stawka PTU D : 3 %",
                                            "Stawka PTU E : REZERWA", "Stawka PTU F : REZERWA",
                                            "Stawka PTU G : ZWOLNIONA"}));
  EXPECT_EQ(session->VatRates, (console::VatRateTable{2200, 700, 0, 300, 25500, 25500, 10000}));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(sim.Received().back(), 0xD1);
  // The tone comes right before the dialog; closing it erases the progress text.
  const auto& lines = TraceLines();
  const auto modal = std::find(lines.begin(), lines.end(), "modal TfOdczytStawek");
  ASSERT_NE(modal, lines.end());
  EXPECT_EQ(*(modal - 1), "tone 1000 50");
  EXPECT_EQ(lines.back(), "progress");
}

TEST_F(VatMenu, AFourRatePrinterShowsWholePercentsAndALaterReadShowsAllAgain) {
  sim.SetKind(0);
  sim.State()->vat.fourRates = {22, 8, 0, 255};
  std::vector<std::string> seen;
  ExpectReadDialog(&seen);
  Pick("Odczyt1");
  EXPECT_EQ(seen, (std::vector<std::string>{"Stawka PTU A : 22 %", "Stawka PTU B : 8 %",
                                            "Stawka PTU C : 0 %", "Stawka PTU D : REZERWA"}));
  EXPECT_EQ(session->VatRates, (console::VatRateTable{2200, 800, 0, 25500, 0, 0, 0}));

  sim.SetKind(3);
  sim.State()->vat.sevenRates = {850, 5, 0, 2200, kReserveWord, kReserveWord, kExemptWord};
  ExpectReadDialog(&seen);
  Pick("Odczyt1");
  EXPECT_EQ(seen.size(), 7u);
  EXPECT_EQ(seen[0], "Stawka PTU A : 8,5 %");
  EXPECT_EQ(seen[1], "Stawka PTU B : 0,05 %");
}

TEST_F(VatMenu, AllReservesOpenTheEditorWithTheDefaultsWhichAreWrittenAtOnce) {
  sim.State()->vat.sevenRates.fill(kReserveWord);
  std::vector<std::string> seen;
  OnModal("TfStawkiPodatkowe", [&](forms::Form& form) {
    auto& editor = static_cast<TfStawkiPodatkowe&>(form);
    EXPECT_EQ(Text(editor, 0), "22");
    EXPECT_EQ(Text(editor, 1), "7");
    EXPECT_EQ(Text(editor, 2), "0");
    // The first rate has the focus with its whole text selected: a key typed
    // replaces it.
    EXPECT_EQ(editor.focusWidget(), editor.RateEdit(0));
    EXPECT_EQ(editor.RateEdit(0)->selectedText(), "22");
    for (int row = 0; row < 3; ++row) EXPECT_FALSE(editor.RateEdit(row)->isHidden());
    for (int row = 3; row < 6; ++row) {
      EXPECT_TRUE(editor.ReserveBox(row)->isChecked());
      EXPECT_TRUE(editor.RateEdit(row)->isHidden());
    }
    EXPECT_TRUE(editor.ExemptBox(6)->isChecked());
    EXPECT_FALSE(editor.ReserveBox(6)->isChecked());
    ExpectReadDialog(&seen);
    Find<QPushButton>(&form, "Button1")->click();
  });
  Pick("Zapis1");
  EXPECT_EQ(ReceivedDataOf(sim, 0xD5, 14),
            RateWords({2200, 700, 0, kReserveWord, kReserveWord, kReserveWord, kExemptWord}));
  // The read action runs after the write and shows what the printer now has.
  EXPECT_EQ(seen.front(), "Stawka PTU A : 22 %");
  EXPECT_EQ(TraceOf("modal"),
            (std::vector<std::string>{"modal TfStawkiPodatkowe", "modal TfOdczytStawek"}));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(modals.unscripted.empty());
}

TEST_F(VatMenu, ChangedRatesWithReserveAndExemptMarksAreWritten) {
  std::vector<std::string> seen;
  OnModal("TfStawkiPodatkowe", [&](forms::Form& form) {
    auto& editor = static_cast<TfStawkiPodatkowe&>(form);
    editor.RateEdit(0)->setText("8,5");
    editor.ReserveBox(1)->setChecked(true);
    editor.ExemptBox(2)->setChecked(true);
    editor.RateEdit(3)->setText("99,83");
    // Ticking exempt over reserve unticks reserve; unticking shows the edit.
    editor.ExemptBox(4)->setChecked(true);
    EXPECT_FALSE(editor.ReserveBox(4)->isChecked());
    editor.ExemptBox(4)->setChecked(false);
    EXPECT_FALSE(editor.RateEdit(4)->isHidden());
    editor.RateEdit(4)->setText("");
    ExpectReadDialog(&seen);
    Find<QPushButton>(&form, "Button1")->click();
  });
  Pick("Zapis1");
  EXPECT_EQ(ReceivedDataOf(sim, 0xD5, 14),
            RateWords({850, kReserveWord, kExemptWord, 9983, 0, kReserveWord, kExemptWord}));
  EXPECT_EQ(seen[3], "Stawka PTU D : 99,83 %");
  EXPECT_EQ(Text(*session->fStawkiPodatkowe, 4), "0");  // an empty rate counts as 0 and shows it
}

TEST_F(VatMenu, UnchangedRatesAreNotWritten) {
  OnModal("TfStawkiPodatkowe", [&](forms::Form& form) {
    Find<QPushButton>(&form, "Button1")->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(Find<QPushButton>(&form, "Button1")->isEnabled());
    forms::testing::Key(&form, Qt::Key_Escape);
  });
  Pick("Zapis1");
  EXPECT_EQ(
      Boxes(),
      std::vector<std::string>{
          "Informacja|2040|Stawki podatkowe nie uległy zmianie dlatego nie zostaną zapisane."});
  EXPECT_FALSE(Sent(sim.Received(), 0xD5));
  EXPECT_TRUE(modals.unscripted.empty());
}

TEST_F(VatMenu, AnOutOfRangeRateStopsTheConfirmationAndAPrinterErrorKeepsTheEditorOpen) {
  std::vector<std::string> seen;
  OnModal("TfStawkiPodatkowe", [&](forms::Form& form) {
    auto& editor = static_cast<TfStawkiPodatkowe&>(form);
    editor.RateEdit(0)->setText("99,84");
    editor.RateEdit(1)->setText("");
    Find<QPushButton>(&form, "Button1")->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Text(editor, 1), "") << "rates after the refused one are not examined";

    editor.RateEdit(0)->setText("23");
    sim.Refuse(0xD5, 0x15);
    Find<QPushButton>(&form, "Button1")->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Text(editor, 0), "23");
    EXPECT_EQ(Text(editor, 1), "0");
    sim.ClearRefusals();
    sim.ClearLog();
    ExpectReadDialog(&seen);
    Find<QPushButton>(&form, "Button1")->click();
    EXPECT_FALSE(form.isVisible());
  });
  Pick("Zapis1");
  const auto shown = Boxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "Błąd|2010|Błąd w stawce podatkowej: 99,84 (stawka poza zakresem)");
  EXPECT_EQ(shown[1].substr(0, 12), "Błąd|2010|");
  EXPECT_EQ(ReceivedDataOf(sim, 0xD5, 4), RateWords({2300, 0}));
}

class FirstGenerationVat : public VatMenu {
 protected:
  FirstGenerationVat() : VatMenu(2) {}
};

TEST_F(FirstGenerationVat, WritingIsRefusedAndReadingWorks) {
  GlowneOkno->Zapis1Click();
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "Błąd|2010|Podłączone urządzenie nie jest drukarką drugiej generacji."});
  EXPECT_FALSE(Sent(sim.Received(), 0xD1));
  EXPECT_TRUE(TraceOf("modal").empty());

  std::vector<std::string> seen;
  ExpectReadDialog(&seen);
  Pick("Odczyt1");
  EXPECT_EQ(seen.size(), 6u);
}

TEST_F(VatMenu, AnErasedClockMemoryRefusesBothActions) {
  sim.SetStatus(2, 0x10);
  Pick("Odczyt1");
  Pick("Zapis1");
  const std::string refusal = "Błąd|2010|Skasowana pamięć CMOS. Wejdź do inicjowania zegara.";
  EXPECT_EQ(Boxes(), (std::vector<std::string>{refusal, refusal}));
  EXPECT_TRUE(TraceOf("modal").empty());
}

// --- The editor's own rules ------------------------------------------------------------

class RateEditor : public VatMenu {
 protected:
  void SetUp() override {
    VatMenu::SetUp();
    editor = session->fStawkiPodatkowe.get();
    editor->Prefill(console::kDefaultVatRates);
    editor->show();
    forms::testing::Flush();
  }
  void TearDown() override {
    editor->hide();
    VatMenu::TearDown();
  }
  // Types into an edit whose whole text is selected first (as on entering).
  std::string TypeInto(int row, const QString& keys, bool selectAll = true) {
    forms::Edit* edit = editor->RateEdit(row);
    forms::testing::Focus(edit);
    if (selectAll) {
      edit->selectAll();
    } else {
      edit->end(false);
    }
    forms::testing::Type(edit, keys);
    return edit->text().toStdString();
  }
  TfStawkiPodatkowe* editor = nullptr;
};

TEST_F(RateEditor, TheKeyFilterAdmitsTwoDigitsACommaAndTwoDecimals) {
  EXPECT_EQ(TypeInto(0, "222"), "22");
  EXPECT_EQ(TypeInto(0, "22,501"), "22,50");
  EXPECT_EQ(TypeInto(0, ",5"), "5");
  EXPECT_EQ(TypeInto(0, "8,,5"), "8,5");
  EXPECT_EQ(TypeInto(0, "1.5-"), "15");
  // The whole text selected: the key replaces it and the rules start again.
  EXPECT_EQ(TypeInto(0, "7"), "7");
  EXPECT_EQ(TypeInto(0, "5", false), "75");
}

TEST_F(RateEditor, LeavingAnEditChecksItsRateAndOnlyWarns) {
  forms::Edit* me1 = editor->RateEdit(0);
  forms::testing::Focus(me1);
  me1->setText("");
  forms::testing::Focus(editor->ReserveBox(0), Qt::TabFocusReason);
  EXPECT_EQ(me1->text(), "0");
  EXPECT_TRUE(Boxes().empty());

  forms::testing::Focus(me1);
  me1->setText("99,9");
  forms::testing::Focus(editor->ReserveBox(0), Qt::TabFocusReason);
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "Błąd|2010|Błąd w stawce podatkowej: 99,9 (stawka poza zakresem)"});
  EXPECT_EQ(me1->text(), "99,9");
}

TEST_F(RateEditor, TheSwitchToFiscalModeGetsTheRatesBackAndNothingIsWritten) {
  editor->hide();
  session->FiscalVatRates = {2300, 800, 500, 0, 25500, 25500, 10000};
  OnModal("TfStawkiPodatkowe", [&](forms::Form& form) {
    EXPECT_TRUE(session->FiscalizationInProgress);
    EXPECT_EQ(Text(*editor, 0), "23");
    EXPECT_TRUE(editor->ReserveBox(4)->isChecked());
    editor->RateEdit(1)->setText("8,5");
    Find<QPushButton>(&form, "Button1")->click();
  });
  EXPECT_EQ(editor->EditFiscalVatRates(), forms::mrYes);
  EXPECT_FALSE(session->FiscalizationInProgress);
  EXPECT_EQ(session->FiscalVatRates,
            (console::FiscalVatRateTable{2300, 850, 500, 0, 25500, 25500, 10000}));
  EXPECT_TRUE(sim.Received().empty());
  EXPECT_EQ(TraceLines().front(), "tone 1000 50");

  OnModal("TfStawkiPodatkowe",
          [](forms::Form& form) { forms::testing::Key(&form, Qt::Key_Escape); });
  EXPECT_EQ(editor->EditFiscalVatRates(), forms::mrCancel);
}

}  // namespace
