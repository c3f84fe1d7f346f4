#include "operator_console/tf_okresowe_miesieczne.h"

#include "operator_console/console.h"
#include "ui_tf_okresowe_miesieczne.h"

TfOkresoweMiesieczne::TfOkresoweMiesieczne(ConsoleState& console, QWidget* parent)
    : TConsoleDialog(console, parent), ui(new Ui::TfOkresoweMiesieczne) {
  ui->setupUi(this);
  setFixedSize(size());
  SetKeyPreview(true);
  SetDefaultButton(ui->Button1);
  SetCancelButton(ui->bCofnij);
  WireControls();
  OnKeyDown(ui->seRok, [this](int key) { return seRokKeyDown(key); });
  OnKeyDown(ui->seMiesiac, [this](int key) { return seMiesiacKeyDown(key); });
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(ui->bCofnij, &QPushButton::clicked, this, [this] { bCofnijClick(); });
}

TfOkresoweMiesieczne::~TfOkresoweMiesieczne() { delete ui; }

void TfOkresoweMiesieczne::Preset(const QDate& today) {
  const console::Date month = console::PreviousMonth(DateOf(today));
  ui->seRok->setValue(month.year);
  ui->seMiesiac->setValue(month.month);
}

void TfOkresoweMiesieczne::FormActivate() {
  ui->Button1->setEnabled(true);
  ui->seRok->setFocus(Qt::OtherFocusReason);
}

bool TfOkresoweMiesieczne::seRokKeyDown(int key) {
  if (key != forms::VK_RETURN) return false;
  Button1Click();
  return true;
}

bool TfOkresoweMiesieczne::seMiesiacKeyDown(int key) { return seRokKeyDown(key); }

void TfOkresoweMiesieczne::bCofnijClick() { CloseUnlessRunning(); }

void TfOkresoweMiesieczne::Button1Click() {
  RunGuarded(ui->Button1, [this] { Tak(); });
}

void TfOkresoweMiesieczne::Tak() {
  ui->Button1->setEnabled(false);
  // Whether the port opened shows in the report call.
  console_.ReopenPort(kavoruw::kLongReportReadTimeout);
  console_.SetBusyCursor();
  const std::optional<console::ReportParams> block =
      console::PackReportMonth(ui->seRok->Value(), ui->seMiesiac->Value());
  // A negative year or month typed from the keyboard is no month: refused
  // as the printer refuses bad dates, nothing sent.
  const int32_t code =
      block ? kavoruw::PeriodicReportByKind(
                  static_cast<kavoruw::TPeriodReportKind>(Request().PeriodReportKind), *block)
            : kavoruw::kErrReportDates;
  if (code != 0) ReportDriverError(code);
  ui->Button1->setEnabled(true);
  Close();
  console_.SetArrowCursor();
}
