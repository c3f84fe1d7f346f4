#include "operator_console/tf_data_i_numer.h"

#include <QKeyEvent>

#include "operator_console/console.h"
#include "ui_tf_data_i_numer.h"

TfDataINumer::TfDataINumer(ConsoleState& console, QWidget* parent)
    : forms::Form(parent), ui(new Ui::TfDataINumer), console_(console) {
  ui->setupUi(this);
  setFixedSize(size());
  // "Nie" is both the default and the cancel button.
  SetDefaultButton(ui->Button1);
  SetCancelButton(ui->Button1);
  WireControls();
  connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  // Enter in a field answers "Nie", unless the operator is half-way through
  // the number.
  const auto enterInField = [this](int key) {
    const bool started = !ui->meNumer->Text().trimmed().isEmpty();
    return key == forms::VK_RETURN && started && !NumberUsable();
  };
  OnKeyDown(ui->db, enterInField);
  OnKeyDown(ui->meNumer, enterInField);
}

TfDataINumer::~TfDataINumer() { delete ui; }

void TfDataINumer::showEvent(QShowEvent* event) {
  if (ConsoleWindow* window = console_.Window()) {
    const QWidget& main = window->Widget();
    move(main.x() + (main.width() - width()) / 2, main.y() + (main.height() - height()) / 2);
  }
  forms::Form::showEvent(event);
}

void TfDataINumer::SetDate(const QDate& date) { ui->db->setDate(date); }

QDate TfDataINumer::Date() const { return ui->db->date(); }

void TfDataINumer::SetNumber(const QString& digits) { ui->meNumer->SetText(digits); }

QString TfDataINumer::Number() const { return ui->meNumer->Text(); }

bool TfDataINumer::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      (watched == ui->db || ui->db->isAncestorOf(qobject_cast<QWidget*>(watched)))) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool control = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (!control && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
      // The picker would walk its day, month and year instead.
      focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
      return true;
    }
  }
  return forms::Form::eventFilter(watched, event);
}

bool TfDataINumer::NumberUsable() {
  if (ui->meNumer->IsComplete()) return true;
  ReportError(Cp("Numer unikatowy musi składać się z 8 cyfr."));
  ui->meNumer->setFocus(Qt::OtherFocusReason);
  return false;
}

void TfDataINumer::Button2Click() {
  if (NumberUsable()) SetModalResult(forms::mrYes);
}

void TfDataINumer::Button1Click() { SetModalResult(forms::mrNo); }
