// Settings, user data, about box.
#include "forms/modal.h"
#include "forms/spin_edit.h"
#include "kavoruw_core.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/main_window.h"
#include "operator_console/service_steps.h"
#include "operator_console/t_about_box.h"
#include "operator_console/tf_dane_uzytkownika.h"
#include "operator_console/tf_ilosc_wierszy.h"
#include "operator_console/tf_numer_kasy.h"
#include "operator_console/tf_sposob_zaokraglania.h"
#include "ui_tf_numer_kasy.h"

namespace {

// The checks the three settings actions start with; false when the action
// ends (its refusal shown).
bool SettingsEntryChecks(ConsoleSession& session) {
  uint8_t kind = 0;
  if (!session.StandardDeviceCheck(kind)) return false;
  return CmosIntactForAction();
}

void ShowSettingDialog(forms::Form& dialog) {
  AttentionBeep();
  forms::ShowModal(dialog);
}

}  // namespace

void TGlowneOkno::Nrkasyikodobsugujcego1Click() {
  if (!SettingsEntryChecks(*session_)) return;
  int32_t number = 0;
  std::string code;
  const int32_t result = session_->Busy([&] { return kavoruw::PrinterNumber(number, code); });
  if (result != 0) {
    ReportDriverError(result);
    return;
  }
  session_->fNumerKasy->ui->eKod->setText(forms::ToQ(code));
  session_->fNumerKasy->ui->seNrKasy->setValue(number);
  ShowSettingDialog(*session_->fNumerKasy);
}

void TGlowneOkno::Ilo1Click() {
  // Nothing is read first: the field keeps what was last left in it.
  if (SettingsEntryChecks(*session_)) ShowSettingDialog(*session_->fIloscWierszy);
}

void TGlowneOkno::Sposbzaokrglania1Click() {
  if (SettingsEntryChecks(*session_)) ShowSettingDialog(*session_->fSposobZaokraglania);
}

void TGlowneOkno::Oprogramie1Click() {
  // No printer needed.
  AttentionBeep();
  forms::ShowModal(*session_->AboutBox);
}

void TGlowneOkno::Odczytuytkownika1Click() {
  // Only to see whether the printer answers at all: without one the lines can
  // still be prepared and kept in a file.
  session_->ReopenPort();
  std::string date, time;
  session_->SetBusyCursor();
  const int32_t clock = kavoruw::ReadClock(date, time);
  if (clock == kavoruw::kErrTransmit || clock == kavoruw::kErrReceive ||
      clock == kavoruw::kErrBadAnswer) {
    if (Ask(Cp(
            "Brak komunikacji z drukarką fiskalną (niewłaściwie ustawione parametry komunikacji).         "
            "         Czy przejść do edycji danych użytkownika?"))) {
      AttentionBeep();
      forms::ShowModal(*session_->fDaneUzytkownika);
    }
    return;
  }
  uint8_t kind = 0;
  if (!session_->StandardDeviceCheck(kind)) return;
  bool errorShown = false;
  if (CheckCmosErased(errorShown)) {
    AttentionBeep();
    ReportError(Cp("Skasowana pamięć CMOS."));
    return;
  }
  if (errorShown) {
    return;
  }
  uint32_t version = 0;
  const int32_t code = kavoruw::IdentifyDevice(version);
  if (code != 0) {
    ReportDriverError(code);
    return;
  }
  if (!kavoruw::IsSecondGeneration(kavoruw::LinkState().DeviceKind)) {
    ReportError(Cp("Podłączone urządzenie nie jest drukarką drugiej generacji"));
    return;
  }
  AttentionBeep();
  forms::ShowModal(*session_->fDaneUzytkownika);
}
