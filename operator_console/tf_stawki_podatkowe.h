#pragma once
// The VAT-rate editor: seven rates A..G, each a percent typed with a decimal
// comma, or marked as reserve (REZERWA) or exempt (ZWOLNIONA). From the menu
// it writes a changed set to the printer; for the switch to fiscal mode it
// only checks the rates and hands them back in the session's FiscalVatRates.
#include <QCheckBox>
#include <functional>

#include "forms/edit.h"
#include "operator_console/logic/vat_rates.h"
#include "operator_console/tf_setting_confirm.h"

namespace Ui {
class TfStawkiPodatkowe;
}

class TfStawkiPodatkowe : public TSettingDialog {
  Q_OBJECT

 public:
  explicit TfStawkiPodatkowe(ConsoleState& console, QWidget* parent = nullptr);
  ~TfStawkiPodatkowe() override;

  // The prefill rule: a reserve ticks REZERWA, an exempt rate ZWOLNIONA, any
  // other rate shows its edit with the percent and unticks both boxes.
  void Prefill(const console::FiscalVatRateTable& rates);

  // What a write that went through runs next: the rates read back and shown
  // (the main window's read action).
  std::function<void()> ReadRates;

  // The switch to fiscal mode's use of the editor: prefilled from
  // FiscalVatRates, the tone, then shown with FiscalizationInProgress set.
  // Returns the modal result: 6 (Yes) when "&Tak" accepted all seven rates,
  // which are then in FiscalVatRates; nothing is written to the printer.
  int EditFiscalVatRates();

  // Row 0..6 (A..G).
  forms::Edit* RateEdit(int row) const;
  QCheckBox* ReserveBox(int row) const;
  QCheckBox* ExemptBox(int row) const;

  // "Tak": writes the tax rates.
  void Button1Click();
  // The key filter of the seven edits; true: the key is discarded.
  // The key and exit checks of the seven rate fields (me1 is the first).
  bool me1KeyPress(forms::Edit* edit, char key);
  void me1Exit(forms::Edit* edit);
  // The one rule of the fourteen boxes.
  void CheckBoxClick(int row, bool reserveBox);

  Ui::TfStawkiPodatkowe* ui = nullptr;

 protected:
  void FormActivate() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};
