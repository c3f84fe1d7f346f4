// The clock menu.
#include "forms/modal.h"
#include "forms/now.h"
#include "operator_console/console.h"
#include "operator_console/console_dialog.h"
#include "operator_console/console_session.h"
#include "operator_console/logic/clock_logic.h"
#include "operator_console/main_window.h"
#include "operator_console/tf_data_godzina.h"
#include "operator_console/tf_przestawianie.h"
#include "operator_console/tf_ustaw_zegar.h"

void TGlowneOkno::Odczytzegara1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  session_->SetBusyCursor();
  bool errorShown = false;
  const bool erased = CheckCmosErased(errorShown);
  if (errorShown) return;
  if (erased) {
    AttentionBeep();
    if (session_->ClockJustInitialised != 0) {
      // The printer refused the date it was given: it keeps its clock erased.
      session_->ClockJustInitialised = 0;
      ErrorBox(Cp("Zegar drukarki fiskalnej nie został zainicjowany.") + "\r" +
               Cp("Najprawdopodobniej data, którą próbowano ustawić nie jest poprawna.") + "\r" +
               Cp("Nie wolno ustawiać daty, która jest wcześniejsza niż data ostatniego") + "\r" +
               Cp("raportu dobowego (jeśli jakiś był już wykonany)."));
    } else {
      ErrorBox(Cp("Skasowana pamięć CMOS. Wejdź do inicjowania zegara."));
    }
    return;
  }
  std::string date;
  std::string time;
  const int32_t code = kavoruw::ReadClock(date, time);
  session_->SetArrowCursor();
  if (code != 0) {
    ReportDriverError(code);
    return;
  }
  session_->fDataGodzina->ShowClock(console::ClockDateLine(date), console::ClockTimeLine(time));
  AttentionBeep();
  forms::ShowModal(*session_->fDataGodzina);
}

void TGlowneOkno::Przestawianiezegara1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  if (!CmosIntactForAction()) return;
  AttentionBeep();
  forms::ShowModal(*session_->fPrzestawianie);
}

void TGlowneOkno::Inicjowaniezegara1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  for (;;) {
    uint32_t count = 0;
    uint8_t s[6] = {};
    if (int32_t code = kavoruw::ReadStatusBytes(count, s[0], s[1], s[2], s[3], s[4], s[5])) {
      ReportDriverError(code);
      break;
    }
    if ((s[1] & kavoruw::status::kCmosErased) == 0) {
      ReportError(Cp("Zainicjowanie zegara drukarki fiskalnej jest niemożliwe.") + "\r" +
                  Cp("               Zegar jest już zainicjowany.             "));
      break;
    }
    if ((s[0] & kavoruw::status::kFiscalMode) == 0 ||
        (s[3] & kavoruw::status::kServiceJumper) != 0) {
      session_->fUstawZegar->Preset(forms::Now());
      AttentionBeep();
      forms::ShowModal(*session_->fUstawZegar);
      break;
    }
    // A question under the error caption, with the stop icon.
    AttentionBeep();
    const int answer =
        ErrorBox(Cp("Zainicjowanie zegara drukarki fiskalnej jest niemożliwe.") + "\r" +
                     Cp("       Zwora serwisowa jest w pozycji normalnej.        ") + "\r" +
                     Cp("       Czy sprawdzić stan zwory ponownie?        "),
                 forms::MB_ICONSTOP | forms::MB_YESNO | forms::MB_TASKMODAL);
    if (answer != forms::IDYES) break;
  }
}
