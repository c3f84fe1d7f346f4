#include "operator_console/tf_ustaw_zegar.h"

#include "operator_console/console.h"
#include "operator_console/logic/clock_logic.h"
#include "ui_tf_ustaw_zegar.h"

namespace {

QDate ToQDate(const console::Date& date) { return QDate(date.year, date.month, date.day); }

}  // namespace

TfUstawZegar::TfUstawZegar(ConsoleState& console, QWidget* parent)
    : TConsoleDialog(console, parent), ui(new Ui::TfUstawZegar) {
  ui->setupUi(this);
  setFixedSize(size());
  SetKeyPreview(true);
  // The printer takes a two-digit year: nothing past 2099 can be set.
  ui->dtDate->setDateRange(ToQDate(console::kInitClockFirstDate),
                           ToQDate(console::kInitClockLastDate));
  ui->dtDate->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
  WireControls();
  new TimeFieldFilter(ui->meZegar);
  OnKeyDown(ui->meZegar, [this](int key) { return meZegarKeyDown(key); });
  OnKeyDown(ui->dtDate, [this](int key) { return dtDateKeyDown(key); });
  OnExit(ui->meZegar, [this] { CheckTimeFieldOnExit(ui->meZegar); });
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

TfUstawZegar::~TfUstawZegar() { delete ui; }

void TfUstawZegar::Preset(const QDateTime& now) {
  ui->dtDate->setDate(ToQDate(console::ClampInitClockDate(DateOf(now.date()))));
  ui->meZegar->SetText(
      QString::fromStdString(console::FormatHourMinute(now.time().hour(), now.time().minute())));
  ui->Button1->setEnabled(true);
}

void TfUstawZegar::FormActivate() { ui->meZegar->setFocus(Qt::OtherFocusReason); }

bool TfUstawZegar::meZegarKeyDown(int key) {
  if (key != forms::VK_RETURN) return false;
  if (ui->Button1->isEnabled()) ui->Button1->click();
  return true;
}

bool TfUstawZegar::dtDateKeyDown(int key) { return meZegarKeyDown(key); }

void TfUstawZegar::Button2Click() {
  if (!Running()) SetModalResult(forms::mrNo);
}

void TfUstawZegar::Button1Click() {
  RunGuarded(ui->Button1, [this] { Tak(); });
}

void TfUstawZegar::Tak() {
  console_.ClockJustInitialised = 0;
  const std::optional<console::ClockTime> time =
      console::ReadTypedTime(ui->meZegar->Text().toStdString());
  if (!time) {
    // The dialog stays open for the time to be put right.
    ErrorBox(Cp("Godzina została wprowadzona nieprawidłowo."));
    return;
  }
  console_.SetBusyCursor();
  const std::optional<console::InitClockDate> date =
      console::InitClockFields(DateOf(ui->dtDate->date()));
  ui->Button1->setEnabled(false);
  const int32_t code =
      date ? kavoruw::InitClock(static_cast<uint8_t>(date->year), static_cast<uint8_t>(date->month),
                                static_cast<uint8_t>(date->day), static_cast<uint8_t>(time->hour),
                                time->minute)
           : kavoruw::kErrParameterRange;
  if (code != 0) {
    ReportDriverError(code);
  } else {
    console_.ClockJustInitialised = 1;
    if (ReadClock) ReadClock();
  }
  ui->Button1->setEnabled(true);
  console_.SetArrowCursor();
  SetModalResult(forms::mrYes);
}
