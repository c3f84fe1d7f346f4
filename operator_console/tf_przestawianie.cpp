#include "operator_console/tf_przestawianie.h"

#include "forms/now.h"
#include "operator_console/console.h"
#include "operator_console/logic/clock_logic.h"
#include "ui_tf_przestawianie.h"

TfPrzestawianie::TfPrzestawianie(ConsoleState& console, QWidget* parent)
    : TConsoleDialog(console, parent), ui(new Ui::TfPrzestawianie) {
  ui->setupUi(this);
  SetUpDialog(nullptr);
  new TimeFieldFilter(ui->meZegar);
  OnKeyDown(ui->meZegar, [this](int key) { return meZegarKeyDown(key); });
  OnExit(ui->meZegar, [this] { CheckTimeFieldOnExit(ui->meZegar); });
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

TfPrzestawianie::~TfPrzestawianie() { delete ui; }

void TfPrzestawianie::showEvent(QShowEvent* event) {
  TConsoleDialog::showEvent(event);
  ui->meZegar->setFocus(Qt::OtherFocusReason);
}

void TfPrzestawianie::FormActivate() {
  ui->Button1->setEnabled(true);
  const QTime now = forms::Now().time();
  ui->meZegar->SetText(QString::fromStdString(console::FormatHourMinute(now.hour(), now.minute())));
  ui->meZegar->setFocus(Qt::OtherFocusReason);
}

bool TfPrzestawianie::meZegarKeyDown(int key) {
  if (key != forms::VK_RETURN) return false;
  Button1Click();
  return true;
}

void TfPrzestawianie::Button2Click() { CloseUnlessRunning(); }

void TfPrzestawianie::Button1Click() {
  RunGuarded(ui->Button1, [this] { Tak(); });
}

void TfPrzestawianie::ShiftFailed(int32_t code) {
  const std::string text = ErrMessageText(code);
  AttentionBeep();
  ErrorBox(Cp("Nie udało się przestawić zegara: ") + "\r" + text);
  ui->Button1->setEnabled(true);
}

void TfPrzestawianie::Tak() {
  const auto typedText = [this] { return ui->meZegar->Text().toStdString(); };
  if (!console::ReadTypedTime(typedText())) {
    ErrorBox(Cp("Godzina została wprowadzona nieprawidłowo."));
    return;
  }
  ui->Button1->setEnabled(false);

  int32_t receipts = 0;
  if (int32_t code = kavoruw::ReceiptNumber(receipts)) return ShiftFailed(code);
  if (receipts != 0) {
    AttentionBeep();
    const int answer =
        ErrorBox(Cp("Niezerowy licznik paragonów.") + "\r" +
                     Cp("Aby przestawić zegar należy wykonać raport fiskalny dobowy.") + "\r" +
                     Cp("Czy wykonać ten raport?"),
                 forms::MB_ICONINFORMATION | forms::MB_YESNO | forms::MB_TASKMODAL);
    if (answer != forms::IDYES) {
      ui->Button1->setEnabled(true);
      return;
    }
    if (int32_t code = kavoruw::DailyReport(0)) return ShiftFailed(code);
  }

  std::string date;
  std::string before;
  if (int32_t code = kavoruw::ReadClock(date, before)) return ShiftFailed(code);
  const console::ShiftPlan plan = console::PlanClockShift(typedText(), before);
  switch (plan.verdict) {
    case console::ShiftVerdict::Shift: break;
    case console::ShiftVerdict::BadTime:
      AttentionBeep();
      ErrorBox(Cp("Czas został wprowadzony niepoprawnie"));
      ui->Button1->setEnabled(true);
      return;
    case console::ShiftVerdict::ZeroMinutes:
      AttentionBeep();
      ErrorBox(Cp("Nie można przestawić zegara o 0 minut"));
      ui->Button1->setEnabled(true);
      return;
    case console::ShiftVerdict::MoreThanAnHour:
      AttentionBeep();
      ErrorBox(Cp("Nie można przestawić zegara o więcej niż 60 minut"));
      ui->Button1->setEnabled(true);
      return;
  }
  if (int32_t code = kavoruw::ShiftClock(static_cast<uint8_t>(plan.direction), plan.minutes)) {
    return ShiftFailed(code);
  }
  std::string after;
  if (int32_t code = kavoruw::ReadClock(date, after)) return ShiftFailed(code);
  if (console::ClockKeptItsTime(before, after)) {
    AttentionBeep();
    ErrorBox(Cp("             Nie udało się przestawić zegara:                ") + "\r" +
             Cp("Nie można przestawiać zegara dwa razy w ciągu tej samej doby."));
    ui->Button1->setEnabled(true);
    return;
  }
  AttentionBeep();
  InfoBox(Cp("Zegar został przestawiony."));
  ui->Button1->setEnabled(true);
  if (ReadClock) ReadClock();
  Close();
}
