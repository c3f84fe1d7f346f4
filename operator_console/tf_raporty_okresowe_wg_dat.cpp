#include "operator_console/tf_raporty_okresowe_wg_dat.h"

#include "operator_console/console.h"
#include "ui_tf_raporty_okresowe_wg_dat.h"

TfRaportyOkresoweWgDat::TfRaportyOkresoweWgDat(ConsoleState& console, QWidget* parent)
    : TRangeReportDialog(console, parent), ui(new Ui::TfRaportyOkresoweWgDat) {
  ui->setupUi(this);
  SetUpRange(ui->Button1, ui->bCofnij, ui->dtOd, ui->dtDo);
}

TfRaportyOkresoweWgDat::~TfRaportyOkresoweWgDat() { delete ui; }

void TfRaportyOkresoweWgDat::Preset(const QDate& from, const QDate& to) {
  ui->dtOd->setDate(from);
  ui->dtDo->setDate(to);
}

void TfRaportyOkresoweWgDat::FormActivate() {
  TRangeReportDialog::FormActivate();
  setCursor(Qt::ArrowCursor);
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
    EndReport(code);
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
  EndReport(code);
}
