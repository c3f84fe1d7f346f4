// The VAT-rate menu and the switch to fiscal mode.
#include <algorithm>
#include <array>

#include "forms/modal.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/logic/vat_rates.h"
#include "operator_console/main_window.h"
#include "operator_console/tf_odczyt_stawek.h"
#include "operator_console/tf_stawki_podatkowe.h"

namespace {

// The checks both VAT actions start with, then the rates as the printer has
// them. False when the action ends (its refusal already shown).
bool ReadRatesForAction(ConsoleSession& session, bool writing, int32_t& count,
                        std::array<int32_t, 7>& rates) {
  uint8_t kind = 0;
  if (!session.StandardDeviceCheck(kind)) return false;
  if (writing && kind != 3 && kind != 6) {
    ReportError(Cp("Podłączone urządzenie nie jest drukarką drugiej generacji."));
    return false;
  }
  if (!CmosIntactForAction()) return false;
  rates.fill(0);
  count = 0;
  session.SetBusyCursor();
  const int32_t code =
      kavoruw::ReadVAT(count, rates[0], rates[1], rates[2], rates[3], rates[4], rates[5], rates[6]);
  if (code != 0) {
    ReportDriverError(code);
    return false;
  }
  return true;
}

}  // namespace

void TGlowneOkno::Odczyt1Click() {
  int32_t count = 0;
  std::array<int32_t, 7> rates{};
  if (!ReadRatesForAction(*session_, false, count, rates)) return;
  session_->VatRates.fill(0);
  session_->SetArrowCursor();
  const std::vector<std::string> lines = console::VatReadLines(count, rates);
  if (lines.empty()) {
    return;
  }
  session_->VatRates = console::VatRatesAfterRead(count, rates);
  session_->fOdczytStawek->ShowLines(lines);
  AttentionBeep();
  forms::ShowModal(*session_->fOdczytStawek);
}

void TGlowneOkno::Zapis1Click() {
  int32_t count = 0;
  std::array<int32_t, 7> rates{};
  if (!ReadRatesForAction(*session_, true, count, rates)) return;
  session_->SetArrowCursor();
  session_->VatRates = console::VatRatesAfterRead(7, rates);
  console::FiscalVatRateTable read{};
  for (size_t i = 0; i < read.size(); ++i) read[i] = static_cast<uint32_t>(std::max(rates[i], 0));
  session_->fStawkiPodatkowe->Prefill(console::RatesOrDefaults(read));
  AttentionBeep();
  forms::ShowModal(*session_->fStawkiPodatkowe);
}
