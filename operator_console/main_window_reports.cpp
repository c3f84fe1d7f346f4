// The report menu, the settlement report, the article-name base.
#include "forms/modal.h"
#include "forms/now.h"
#include "operator_console/console.h"
#include "operator_console/console_dialog.h"
#include "operator_console/console_forms.h"
#include "operator_console/main_window.h"
#include "operator_console/service_steps.h"
#include "operator_console/tf_okresowe_miesieczne.h"
#include "operator_console/tf_okresowe_wg_numerow.h"
#include "operator_console/tf_raporty_okresowe_wg_dat.h"

namespace {

// The common start of a periodic-report item: false when it must end.
bool PeriodicReportAllowed() {
  uint8_t deviceType = 0;
  if (!StandardDeviceCheck(deviceType)) return false;
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

void SetReportKind(uint32_t kind, forms::Form& dialog) {
  console::PeriodReportKind = kind;
  dialog.setWindowTitle(forms::ToQ(console::PeriodReportCaption(kind)));
}

void ByNumbers(uint32_t kind) {
  if (!PeriodicReportAllowed()) return;
  SetReportKind(kind, *fOkresoweWgNumerow);
  fOkresoweWgNumerow->Preset(1, 1);
  AttentionBeep();
  forms::ShowModal(*fOkresoweWgNumerow);
}

void ByDates(uint32_t kind) {
  if (!PeriodicReportAllowed()) return;
  SetReportKind(kind, *fRaportyOkresoweWgDat);
  const QDate today = forms::Now().date();
  fRaportyOkresoweWgDat->Preset(today, today);
  AttentionBeep();
  forms::ShowModal(*fRaportyOkresoweWgDat);
}

void Monthly(uint32_t kind) {
  if (!PeriodicReportAllowed()) return;
  SetReportKind(kind, *fOkresoweMiesieczne);
  fOkresoweMiesieczne->Preset(forms::Now().date());
  AttentionBeep();
  forms::ShowModal(*fOkresoweMiesieczne);
}

// A report without data: device check, clock memory, the report.
void SimpleReport(int32_t (*report)()) {
  uint8_t deviceType = 0;
  if (!StandardDeviceCheck(deviceType)) return;
  if (!CmosIntactForAction()) return;
  const int32_t code = Busy(report);
  if (code != 0) ReportDriverError(code);
}

}  // namespace

void TGlowneOkno::Fiskalnydobowy1Click() {
  uint8_t deviceType = 0;
  if (!StandardDeviceCheck(deviceType)) return;
  SetBusyCursor();
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
      SetBusyCursor();
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
    SetBusyCursor();
    ShowProgressText(Cp("Raport dobowy..."));
    if (int32_t code = kavoruw::DailyReport(1)) ReportDriverError(code);
  }
}

void TGlowneOkno::Stanudrukarki1Click() { SimpleReport(&kavoruw::PrinterStatusReport); }

void TGlowneOkno::Wedugnumerw1Click() { ByNumbers(console::kShortByNumbers); }

void TGlowneOkno::Wedugnumerw2Click() { ByNumbers(console::kDetailedByNumbers); }

void TGlowneOkno::Wedugdat1Click() { ByDates(console::kShortByDates); }

void TGlowneOkno::Wedugdat2Click() { ByDates(console::kDetailedByDates); }

void TGlowneOkno::Miesiczny1Click() { Monthly(console::kShortMonthly); }

void TGlowneOkno::Miesiczny2Click() { Monthly(console::kDetailedMonthly); }

void TGlowneOkno::Nazwtowarwzablokowanych1Click() { SimpleReport(&kavoruw::LockedArticlesReport); }

void TGlowneOkno::Opiswstaych1Click() { SimpleReport(&kavoruw::FixedDescriptionsReport); }

void TGlowneOkno::Kasowaniebuforawycen1Click() {
  uint8_t deviceType = 0;
  if (!StandardDeviceCheck(deviceType)) return;
  if (!CmosIntactForAction()) return;
  SetBusyCursor();
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
  if (!StandardDeviceCheck(deviceType)) return;
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
  const int32_t code = Busy(&kavoruw::RemotePrinterOff);
  // Only a printer that took the command has switched itself off.
  if (code != 0) {
    ReportDriverError(code);
  } else {
    InfoBox(Cp("Drukarka została wyłączona"));
  }
}
