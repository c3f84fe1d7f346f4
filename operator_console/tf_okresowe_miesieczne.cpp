#include "operator_console/tf_okresowe_miesieczne.h"

#include "operator_console/console.h"
#include "ui_tf_okresowe_miesieczne.h"

TfOkresoweMiesieczne::TfOkresoweMiesieczne(ConsoleState& console, QWidget* parent)
    : TRangeReportDialog(console, parent), ui(new Ui::TfOkresoweMiesieczne) {
  ui->setupUi(this);
  SetUpRange(ui->Button1, ui->bCofnij, ui->seRok, ui->seMiesiac);
}

TfOkresoweMiesieczne::~TfOkresoweMiesieczne() { delete ui; }

void TfOkresoweMiesieczne::Preset(const QDate& today) {
  const console::Date month = console::PreviousMonth(DateOf(today));
  ui->seRok->setValue(month.year);
  ui->seMiesiac->setValue(month.month);
}

void TfOkresoweMiesieczne::Tak() {
  ui->Button1->setEnabled(false);
  PrepareReport();
  const std::optional<console::ReportParams> block =
      console::PackReportMonth(ui->seRok->Value(), ui->seMiesiac->Value());
  // A negative year or month typed from the keyboard is no month: refused
  // as the printer refuses bad dates, nothing sent.
  const int32_t code =
      block ? kavoruw::PeriodicReportByKind(
                  static_cast<kavoruw::TPeriodReportKind>(Request().PeriodReportKind), *block)
            : kavoruw::kErrReportDates;
  EndReport(code);
}
