#include "operator_console/tf_okresowe_wg_numerow.h"

#include "operator_console/console.h"
#include "ui_tf_okresowe_wg_numerow.h"

TfOkresoweWgNumerow::TfOkresoweWgNumerow(ConsoleState& console, QWidget* parent)
    : TRangeReportDialog(console, parent), ui(new Ui::TfOkresoweWgNumerow) {
  ui->setupUi(this);
  SetUpRange(ui->Button1, ui->bCofnij, ui->seOd, ui->seDo);
  // The from-number raises the to-number only when the focus leaves it: a
  // range confirmed backwards goes to the printer as typed, and the
  // printer's refusal is shown.
  ui->seDo->SetConfirmationRange(ui->seDo->Minimum(), ui->seDo->Maximum());
  connect(ui->seOd, &forms::SpinEdit::Changed, this, [this] { seOdChange(); });
}

TfOkresoweWgNumerow::~TfOkresoweWgNumerow() { delete ui; }

void TfOkresoweWgNumerow::Preset(int from, int to) {
  ui->seOd->setValue(from);
  ui->seDo->setValue(to);
}

void TfOkresoweWgNumerow::seOdChange() { ui->seDo->setMinimum(ui->seOd->Value()); }

void TfOkresoweWgNumerow::Tak() {
  ui->Button1->setEnabled(false);
  PrepareReport();
  const console::ReportParams block =
      console::PackReportNumbers(ui->seOd->Value(), ui->seDo->Value());
  // The settlement report goes on from here, port and cursor as they are.
  if (HandBackSettlementRange(block)) return;
  const int32_t code = kavoruw::PeriodicReportByKind(
      static_cast<kavoruw::TPeriodReportKind>(Request().PeriodReportKind), block);
  EndReport(code);
}
