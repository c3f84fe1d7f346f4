// The VAT-rate menu and the switch to fiscal mode.
#include <algorithm>
#include <array>

#include "forms/modal.h"
#include "operator_console/console.h"
#include "operator_console/console_forms.h"
#include "operator_console/logic/vat_rates.h"
#include "operator_console/main_window.h"
#include "operator_console/tf_odczyt_stawek.h"
#include "operator_console/tf_stawki_podatkowe.h"

namespace {

// The checks both VAT actions start with, then the rates as the printer has
// them. False when the action ends (its refusal already shown).
bool ReadRatesForAction(bool writing, int32_t& count, std::array<int32_t, 7>& rates) {
  uint8_t kind = 0;
  if (!StandardDeviceCheck(kind)) return false;
  if (writing && kind != 3 && kind != 6) {
    ReportError(Cp("Podłączone urządzenie nie jest drukarką drugiej generacji."));
    return false;
  }
  if (!CmosIntactForAction()) return false;
  rates.fill(0);
  count = 0;
  SetBusyCursor();
  const int32_t code = kavoruw::ReadVAT(count, rates[0], rates[1], rates[2], rates[3], rates[4],
                                        rates[5], rates[6]);
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
  if (!ReadRatesForAction(false, count, rates)) return;
  console::VatRates.fill(0);
  SetArrowCursor();
  const std::vector<std::string> lines = console::VatReadLines(count, rates);
  if (lines.empty()) {
    return;
  }
  console::VatRates = console::VatRatesAfterRead(count, rates);
  fOdczytStawek->ShowLines(lines);
  AttentionBeep();
  forms::ShowModal(*fOdczytStawek);
}

void TGlowneOkno::Zapis1Click() {
  int32_t count = 0;
  std::array<int32_t, 7> rates{};
  if (!ReadRatesForAction(true, count, rates)) return;
  SetArrowCursor();
  console::VatRates = console::VatRatesAfterRead(7, rates);
  console::FiscalVatRateTable read{};
  for (size_t i = 0; i < read.size(); ++i) read[i] = static_cast<uint32_t>(std::max(rates[i], 0));
  fStawkiPodatkowe->Prefill(console::RatesOrDefaults(read));
  AttentionBeep();
  forms::ShowModal(*fStawkiPodatkowe);
}
