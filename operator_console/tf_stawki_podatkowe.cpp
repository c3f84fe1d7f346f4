#include "operator_console/tf_stawki_podatkowe.h"

#include <QKeyEvent>

#include "forms/modal.h"
#include "kavoruw_core.h"
#include "operator_console/console.h"
#include "ui_tf_stawki_podatkowe.h"

TfStawkiPodatkowe::TfStawkiPodatkowe(ConsoleState& console, QWidget* parent)
    : TSettingDialog(console, parent), ui(new Ui::TfStawkiPodatkowe) {
  ui->setupUi(this);
  SetUpSetting(ui->Button1, ui->Button2, nullptr, [this] { Button1Click(); });
  for (int row = 0; row < 7; ++row) {
    forms::Edit* edit = RateEdit(row);
    OnExit(edit, [this, edit] { me1Exit(edit); });
    connect(ReserveBox(row), &QCheckBox::toggled, this, [this, row] { CheckBoxClick(row, true); });
    connect(ExemptBox(row), &QCheckBox::toggled, this, [this, row] { CheckBoxClick(row, false); });
  }
}

TfStawkiPodatkowe::~TfStawkiPodatkowe() { delete ui; }

forms::Edit* TfStawkiPodatkowe::RateEdit(int row) const {
  forms::Edit* const edits[] = {ui->me1, ui->me2, ui->me3, ui->me4, ui->me5, ui->me6, ui->me7};
  return edits[row];
}

QCheckBox* TfStawkiPodatkowe::ReserveBox(int row) const {
  QCheckBox* const boxes[] = {ui->cb1R, ui->cb2R, ui->cb3R, ui->cb4R, ui->cb5R, ui->cb6R, ui->cb7R};
  return boxes[row];
}

QCheckBox* TfStawkiPodatkowe::ExemptBox(int row) const {
  QCheckBox* const boxes[] = {ui->cb1Z, ui->cb2Z, ui->cb3Z, ui->cb4Z, ui->cb5Z, ui->cb6Z, ui->cb7Z};
  return boxes[row];
}

void TfStawkiPodatkowe::Prefill(const console::FiscalVatRateTable& rates) {
  for (int row = 0; row < 7; ++row) {
    const console::VatPrefill prefill = console::VatPrefillFor(rates[static_cast<size_t>(row)]);
    if (prefill.reserve) {
      ReserveBox(row)->setChecked(true);
    } else if (prefill.exempt) {
      ExemptBox(row)->setChecked(true);
    } else {
      RateEdit(row)->setHidden(false);
      RateEdit(row)->setText(forms::ToQ(prefill.editText.value_or("0")));
      ReserveBox(row)->setChecked(false);
      ExemptBox(row)->setChecked(false);
    }
  }
}

int TfStawkiPodatkowe::EditFiscalVatRates() {
  Prefill(console_.FiscalVatRates);
  AttentionBeep();
  console_.FiscalizationInProgress = true;
  const int result = forms::ShowModal(*this);
  console_.FiscalizationInProgress = false;
  return result;
}

void TfStawkiPodatkowe::CheckBoxClick(int row, bool reserveBox) {
  QCheckBox* box = reserveBox ? ReserveBox(row) : ExemptBox(row);
  QCheckBox* partner = reserveBox ? ExemptBox(row) : ReserveBox(row);
  if (box->isChecked()) {
    partner->setChecked(false);
    RateEdit(row)->setHidden(true);
  } else {
    RateEdit(row)->setHidden(false);
  }
}

bool TfStawkiPodatkowe::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    for (int row = 0; row < 7; ++row) {
      if (watched != RateEdit(row)) continue;
      const QString typed = static_cast<QKeyEvent*>(event)->text();
      if (typed.isEmpty()) break;
      const char16_t c = typed.at(0).unicode();
      // Enter, Esc and Tab belong to the form; Delete and keys without a
      // character never reach the filter.
      if (c == '\r' || c == 0x1B || c == '\t' || c == 0x7F) break;
      const char key = c < 0x80 ? static_cast<char>(c) : '\0';
      if (me1KeyPress(RateEdit(row), key)) return true;
      break;
    }
  }
  return forms::Form::eventFilter(watched, event);
}

bool TfStawkiPodatkowe::me1KeyPress(forms::Edit* edit, char key) {
  const std::string text = forms::FromQ(edit->text());
  const int selection = static_cast<int>(edit->selectedText().size());
  const console::VatKeyResult result = console::VatKeyFilter(text, selection, key);
  if (result.clearFirst) {
    edit->clear();
  }
  if (result.maxLength) edit->setTypingLimit(*result.maxLength);
  return !result.accept;
}

void TfStawkiPodatkowe::me1Exit(forms::Edit* edit) {
  const console::VatExitResult result = console::VatExitCheck(forms::FromQ(edit->text()));
  if (edit->text().isEmpty()) edit->setText(forms::ToQ(result.text));
  if (result.error) {
    AttentionBeep();
    ErrorBox(*result.error);
  }
}

void TfStawkiPodatkowe::Button1Click() {
  if (!ui->Button1->isEnabled()) return;
  std::array<console::VatRateRow, 7> rows;
  for (int row = 0; row < 7; ++row) {
    rows[static_cast<size_t>(row)] = {forms::FromQ(RateEdit(row)->text()),
                                      ReserveBox(row)->isChecked(), ExemptBox(row)->isChecked()};
  }
  const console::VatConfirmResult confirmed = console::ConfirmVatRates(rows);
  for (int row = 0; row < 7; ++row) {
    const QString text = forms::ToQ(confirmed.texts[static_cast<size_t>(row)]);
    if (RateEdit(row)->text() != text) RateEdit(row)->setText(text);
  }
  if (!confirmed.ok) {
    AttentionBeep();
    ErrorBox(confirmed.error);
    return;
  }
  if (console_.FiscalizationInProgress) {
    console_.FiscalVatRates = confirmed.values;
    ui->Button1->setEnabled(true);
    SetModalResult(forms::mrYes);
    return;
  }
  ActionScope action(console_);
  ui->Button1->setEnabled(false);
  if (console::VatRatesUnchanged(confirmed.values, console_.VatRates)) {
    ui->Button1->setEnabled(true);
    AttentionBeep();
    InfoBox(Cp("Stawki podatkowe nie uległy zmianie dlatego nie zostaną zapisane."));
    return;
  }
  const auto& v = confirmed.values;
  int32_t count = 7;
  const int32_t code = console_.Busy([&] {
    return kavoruw::SetVAT(count, static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]),
                           static_cast<int32_t>(v[2]), static_cast<int32_t>(v[3]),
                           static_cast<int32_t>(v[4]), static_cast<int32_t>(v[5]),
                           static_cast<int32_t>(v[6]));
  });
  ui->Button1->setEnabled(true);
  if (code != 0) {
    ReportDriverError(code);
    return;
  }
  // The operator sees the rates as the printer now reports them.
  Close();
  if (ReadRates) ReadRates();
}

void TfStawkiPodatkowe::FormActivate() {
  ui->Button1->setEnabled(true);
  if (!ui->me1->isHidden()) {
    ui->me1->setFocus(Qt::OtherFocusReason);
    // As Tab leaves a rate: the whole text selected, so typing replaces it.
    ui->me1->selectAll();
  }
}
