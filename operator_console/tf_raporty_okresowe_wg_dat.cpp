#include "operator_console/tf_raporty_okresowe_wg_dat.h"

#include "operator_console/console.h"
#include "ui_tf_raporty_okresowe_wg_dat.h"

TfRaportyOkresoweWgDat::TfRaportyOkresoweWgDat(ConsoleState& console, QWidget* parent)
    : TConsoleDialog(console, parent), ui(new Ui::TfRaportyOkresoweWgDat) {
  ui->setupUi(this);
  setFixedSize(size());
  SetKeyPreview(true);
  SetDefaultButton(ui->Button1);
  SetCancelButton(ui->bCofnij);
  WireControls();
  OnKeyDown(ui->dtOd, [this](int key) { return dtOdKeyPress(key); });
  OnKeyDown(ui->dtDo, [this](int key) { return dtDoKeyDown(key); });
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(ui->bCofnij, &QPushButton::clicked, this, [this] { bCofnijClick(); });
}

TfRaportyOkresoweWgDat::~TfRaportyOkresoweWgDat() { delete ui; }

void TfRaportyOkresoweWgDat::Preset(const QDate& from, const QDate& to) {
  ui->dtOd->setDate(from);
  ui->dtDo->setDate(to);
}

void TfRaportyOkresoweWgDat::FormActivate() {
  ui->Button1->setEnabled(true);
  ui->dtOd->setFocus(Qt::OtherFocusReason);
  setCursor(Qt::ArrowCursor);
}

bool TfRaportyOkresoweWgDat::dtOdKeyPress(int key) {
  if (key != forms::VK_RETURN) return false;
  Button1Click();
  return true;
}

bool TfRaportyOkresoweWgDat::dtDoKeyDown(int key) { return dtOdKeyPress(key); }

void TfRaportyOkresoweWgDat::bCofnijClick() { CloseUnlessRunning(); }

void TfRaportyOkresoweWgDat::Button1Click() {
  RunGuarded(ui->Button1, [this] { Tak(); });
}

void TfRaportyOkresoweWgDat::Finish() {
  Close();
  setCursor(Qt::ArrowCursor);
  console_.SetArrowCursor();
}

void TfRaportyOkresoweWgDat::Tak() {
  ui->Button1->setEnabled(false);
  const console::ReportParams block =
      console::PackReportDates(DateOf(ui->dtOd->date()), DateOf(ui->dtDo->date()));
  if (HandBackSettlementRange(block)) return;
  setCursor(Qt::BusyCursor);
  console_.SetBusyCursor();
  uint32_t version = 0;
  int32_t code = kavoruw::IdentifyDevice(version);
  if (code != 0) {
    ReportDriverError(code);
    ui->Button1->setEnabled(true);
    Finish();
    return;
  }
  const uint32_t kind = Request().PeriodReportKind;
  if (kavoruw::IsSecondGeneration(kavoruw::LinkState().DeviceKind)) {
    code = kavoruw::PeriodicReportByKind(static_cast<kavoruw::TPeriodReportKind>(kind), block);
  } else {
    // The first generation takes the dates as numbers, years 0..99.
    const std::array<int32_t, 6> n = console::ReportDateNumbers(block);
    code = kavoruw::PeriodReport(console::PeriodReportFullFlag(kind), n[0], n[1], n[2], n[3], n[4],
                                 n[5]);
  }
  if (code != 0) ReportDriverError(code);
  ui->Button1->setEnabled(true);
  Finish();
}
