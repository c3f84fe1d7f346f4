// The report menu, the settlement report, the article-name base.
#include "forms/modal.h"
#include "forms/now.h"
#include "operator_console/console.h"
#include "operator_console/console_dialog.h"
#include "operator_console/console_session.h"
#include "operator_console/main_window.h"
#include "operator_console/service_steps.h"
#include "operator_console/tf_okresowe_miesieczne.h"
#include "operator_console/tf_okresowe_wg_numerow.h"
#include "operator_console/tf_raporty_okresowe_wg_dat.h"

namespace {

// The common start of a periodic-report item: false when it must end.
bool PeriodicReportAllowed(ConsoleSession& session) {
  uint8_t deviceType = 0;
  if (!session.StandardDeviceCheck(deviceType)) return false;
  if (!CmosIntactForAction()) return false;
  bool errorShown = false;
  const bool fiscal = CheckFiscalMode(errorShown);
  if (errorShown) return false;
  if (!fiscal) {
    ReportInfo(Cp("Drukarka pracuje w trybie szkoleniowym.") + "\r" +
               Cp("    Wydruk raportu nie jest możliwy."));
    return false;
  }
  return true;
}

// The dialog gets the item's caption and prints the report of its kind.
void RunPeriodicReport(ConsoleSession& session, uint32_t kind, TConsoleDialog& dialog) {
  session.PeriodReportKind = kind;
  dialog.setWindowTitle(forms::ToQ(console::PeriodReportCaption(kind)));
  AttentionBeep();
  dialog.RunReport({session.PeriodReportKind, false});
}

void ByNumbers(ConsoleSession& session, uint32_t kind) {
  if (!PeriodicReportAllowed(session)) return;
  session.fOkresoweWgNumerow->Preset(1, 1);
  RunPeriodicReport(session, kind, *session.fOkresoweWgNumerow);
}

void ByDates(ConsoleSession& session, uint32_t kind) {
  if (!PeriodicReportAllowed(session)) return;
  const QDate today = forms::Now().date();
  session.fRaportyOkresoweWgDat->Preset(today, today);
  RunPeriodicReport(session, kind, *session.fRaportyOkresoweWgDat);
}

void Monthly(ConsoleSession& session, uint32_t kind) {
  if (!PeriodicReportAllowed(session)) return;
  session.fOkresoweMiesieczne->Preset(forms::Now().date());
  RunPeriodicReport(session, kind, *session.fOkresoweMiesieczne);
}

// A report without data: device check, clock memory, the report.
void SimpleReport(ConsoleSession& session, int32_t (*report)()) {
  uint8_t deviceType = 0;
  if (!session.StandardDeviceCheck(deviceType)) return;
  if (!CmosIntactForAction()) return;
  const int32_t code = session.Busy(report);
  if (code != 0) ReportDriverError(code);
}

}  // namespace

void TGlowneOkno::Fiskalnydobowy1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  session_->SetBusyCursor();
  if (!CmosIntactForAction()) return;
  bool errorShown = false;
  const bool readOnly = CheckReadOnlyMode(errorShown);
  if (errorShown) return;
  if (readOnly) {
    ReportError(Cp("Drukarka w trybie TYLKO ODCZYT."));
    return;
  }
  int32_t receipts = 0;
  if (int32_t code = kavoruw::ReceiptNumber(receipts)) {
    ReportDriverError(code);
    return;
  }
  if (receipts != 0) {
    if (Ask(Cp("Czy wykonać raport dobowy?"))) {
      session_->SetBusyCursor();
      if (int32_t code = kavoruw::DailyReport(1)) ReportDriverError(code);
    }
    return;
  }
  // A zero counter: the older models make no empty daily report.
  if (deviceType == 0 || deviceType == 1 || deviceType == 4 || deviceType == 5) {
    ReportError(Cp("  Licznik paragonów jest równy 0.   ") + "\r" +
                Cp("Nie można wykonać raportu dobowego."));
    return;
  }
  if (Ask(Cp("  Licznik paragonów jest równy 0   ") + "\r" + Cp("Czy wykonać raport dobowy?"))) {
    session_->SetBusyCursor();
    ShowProgressText(Cp("Raport dobowy..."));
    if (int32_t code = kavoruw::DailyReport(1)) ReportDriverError(code);
  }
}

void TGlowneOkno::Stanudrukarki1Click() { SimpleReport(*session_, &kavoruw::PrinterStatusReport); }

void TGlowneOkno::Wedugnumerw1Click() { ByNumbers(*session_, console::kShortByNumbers); }

void TGlowneOkno::Wedugnumerw2Click() { ByNumbers(*session_, console::kDetailedByNumbers); }

void TGlowneOkno::Wedugdat1Click() { ByDates(*session_, console::kShortByDates); }

void TGlowneOkno::Wedugdat2Click() { ByDates(*session_, console::kDetailedByDates); }

void TGlowneOkno::Miesiczny1Click() { Monthly(*session_, console::kShortMonthly); }

void TGlowneOkno::Miesiczny2Click() { Monthly(*session_, console::kDetailedMonthly); }

void TGlowneOkno::Nazwtowarwzablokowanych1Click() {
  SimpleReport(*session_, &kavoruw::LockedArticlesReport);
}

void TGlowneOkno::Opiswstaych1Click() {
  SimpleReport(*session_, &kavoruw::FixedDescriptionsReport);
}

void TGlowneOkno::Kasowaniebuforawycen1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  if (!CmosIntactForAction()) return;
  session_->SetBusyCursor();
  uint8_t kind = 0;
  uint32_t version = 0;
  if (int32_t code = kavoruw::ReadDeviceType(kind, version)) {
    ReportDriverError(code);
    return;
  }
  if (kavoruw::IsPharmacyModel(kind)) {
    const int32_t code = kavoruw::ClearPriceBuffer();
    if (code != 0) {
      ReportDriverError(code);
    } else {
      ReportInfo(Cp("Bufor wycen skasowano."));
    }
  } else {
    ReportError(Cp("To nie jest drukarka KAVOR F (apteczna)."));
  }
}

void TGlowneOkno::Zdalnewyaczeniedrukarki1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  uint8_t kind = 0;
  uint32_t version = 0;
  if (int32_t code = kavoruw::ReadDeviceType(kind, version)) {
    ReportDriverError(code);
    return;
  }
  if (!kavoruw::IsSecondGeneration(kind)) {
    ReportError(Cp("Podłączone urządzenie nie jest drukarką drugiej generacji"));
    return;
  }
  const int32_t code = session_->Busy(&kavoruw::RemotePrinterOff);
  // Only a printer that took the command has switched itself off.
  if (code != 0) {
    ReportDriverError(code);
  } else {
    InfoBox(Cp("Drukarka została wyłączona"));
  }
}
