#include "operator_console/tf_okresowe_wg_numerow.h"

#include "operator_console/console.h"
#include "ui_tf_okresowe_wg_numerow.h"

TfOkresoweWgNumerow::TfOkresoweWgNumerow(ConsoleState& console, QWidget* parent)
    : TConsoleDialog(console, parent), ui(new Ui::TfOkresoweWgNumerow) {
  ui->setupUi(this);
  setFixedSize(size());
  SetKeyPreview(true);
  SetDefaultButton(ui->Button1);
  SetCancelButton(ui->bCofnij);
  WireControls();
  OnKeyDown(ui->seOd, [this](int key) { return seOdKeyDown(key); });
  OnKeyDown(ui->seDo, [this](int key) { return seDoKeyDown(key); });
  connect(ui->seOd, &forms::SpinEdit::Changed, this, [this] { seOdChange(); });
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(ui->bCofnij, &QPushButton::clicked, this, [this] { bCofnijClick(); });
}

TfOkresoweWgNumerow::~TfOkresoweWgNumerow() { delete ui; }

void TfOkresoweWgNumerow::Preset(int from, int to) {
  ui->seOd->setValue(from);
  ui->seDo->setValue(to);
}

void TfOkresoweWgNumerow::FormActivate() {
  ui->Button1->setEnabled(true);
  ui->seOd->setFocus(Qt::OtherFocusReason);
}

void TfOkresoweWgNumerow::seOdChange() { ui->seDo->setMinimum(ui->seOd->Value()); }

// Enter runs Tak without moving the focus; the form has clamped both fields.
bool TfOkresoweWgNumerow::seOdKeyDown(int key) {
  if (key != forms::VK_RETURN) return false;
  Button1Click();
  return true;
}

bool TfOkresoweWgNumerow::seDoKeyDown(int key) { return seOdKeyDown(key); }

void TfOkresoweWgNumerow::bCofnijClick() { CloseUnlessRunning(); }

void TfOkresoweWgNumerow::Button1Click() {
  RunGuarded(ui->Button1, [this] { Tak(); });
}

void TfOkresoweWgNumerow::Tak() {
  ui->Button1->setEnabled(false);
  // The printer may take long to prepare the report. Whether the port opened
  // shows in the report call.
  console_.ReopenPort(kavoruw::kLongReportReadTimeout);
  console_.SetBusyCursor();
  const console::ReportParams block =
      console::PackReportNumbers(ui->seOd->Value(), ui->seDo->Value());
  // The settlement report goes on from here, port and cursor as they are.
  if (HandBackSettlementRange(block)) return;
  const int32_t code = kavoruw::PeriodicReportByKind(
      static_cast<kavoruw::TPeriodReportKind>(Request().PeriodReportKind), block);
  if (code != 0) ReportDriverError(code);
  ui->Button1->setEnabled(true);
  Close();
  console_.SetArrowCursor();
}
