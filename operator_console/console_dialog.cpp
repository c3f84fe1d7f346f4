#include "operator_console/console_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

#include "forms/modal.h"
#include "operator_console/console.h"
#include "operator_console/logic/clock_logic.h"

void TConsoleDialog::RunGuarded(QPushButton* button, const std::function<void()>& action) {
  if (running_ || !button->isEnabled()) return;
  running_ = true;
  try {
    action();
  } catch (...) {
    running_ = false;
    throw;
  }
  running_ = false;
}

void TConsoleDialog::CloseUnlessRunning() {
  if (!running_) Close();
}

std::optional<console::ReportParams> TConsoleDialog::RunReport(const ReportRequest& request) {
  request_ = request;
  handedBack_.reset();
  forms::ShowModal(*this);
  std::optional<console::ReportParams> range = handedBack_;
  handedBack_.reset();
  return range;
}

bool TConsoleDialog::HandBackSettlementRange(const console::ReportParams& range) {
  if (!request_.SettlementRangeMode) return false;
  handedBack_ = range;
  SetModalResult(forms::mrYes);
  return true;
}

void TConsoleDialog::FormClose() { console_.ClearProgressText(); }

bool TConsoleDialog::FormKeyDown(int key) {
  if (key != forms::VK_ESCAPE) return false;
  CloseUnlessRunning();
  return true;
}

void TConsoleDialog::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();
    return;
  }
  forms::Form::closeEvent(event);
}

void TConsoleDialog::reject() { CloseUnlessRunning(); }

void TRangeReportDialog::SetUpRange(QPushButton* tak, QPushButton* cofnij, QWidget* from,
                                    QWidget* to) {
  SetUpDialog(tak, cofnij);
  tak_ = tak;
  from_ = from;
  for (QWidget* field : {from, to}) OnKeyDown(field, [this](int key) { return EnterRunsTak(key); });
  connect(tak, &QPushButton::clicked, this, [this] { RunTak(); });
  connect(cofnij, &QPushButton::clicked, this, [this] { CloseUnlessRunning(); });
}

void TRangeReportDialog::FormActivate() {
  tak_->setEnabled(true);
  from_->setFocus(Qt::OtherFocusReason);
}

void TRangeReportDialog::RunTak() {
  RunGuarded(tak_, [this] { Tak(); });
}

bool TRangeReportDialog::EnterRunsTak(int key) {
  if (key != forms::VK_RETURN) return false;
  RunTak();
  return true;
}

void TRangeReportDialog::PrepareReport() {
  console_.ReopenPortForLongReport();
  console_.SetBusyCursor();
}

void TRangeReportDialog::EndReport(int32_t code) {
  if (code != 0) ReportDriverError(code);
  tak_->setEnabled(true);
  Close();
  // A dialog that showed its own busy cursor shows the arrow again.
  if (testAttribute(Qt::WA_SetCursor)) setCursor(Qt::ArrowCursor);
  console_.SetArrowCursor();
}

console::Date DateOf(const QDate& date) { return {date.year(), date.month(), date.day()}; }

TimeFieldFilter::TimeFieldFilter(forms::MaskEdit* field) : QObject(field), field_(field) {
  field->installEventFilter(this);
}

bool TimeFieldFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != field_ || event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  char typed = 0;
  if (key->key() == Qt::Key_Backspace) {
    typed = '\b';
  } else if (key->text().size() == 1 && key->text()[0].unicode() >= 0x20 &&
             key->text()[0].unicode() < 0x7F) {
    typed = static_cast<char>(key->text()[0].unicode());
  } else {
    return false;  // Enter, Esc, arrows and the like are not characters here
  }
  const int caret = field_->hasSelectedText() ? field_->selectionStart() : field_->cursorPosition();
  const std::string shown = field_->displayText().toStdString();
  const console::TimeKeyResult result = console::TimeKeyFilter(shown, caret, typed);
  if (!result.accept) return true;
  if (result.text) {
    field_->setText(QString::fromStdString(*result.text));
    field_->setCursorPosition(caret);
  }
  return false;
}

void CheckTimeFieldOnExit(forms::MaskEdit* field) {
  if (field->IsComplete()) return;
  if (qobject_cast<QPushButton*>(QApplication::focusWidget()) != nullptr) return;
  // After the focus change has finished, not inside it.
  QPointer<forms::MaskEdit> guarded(field);
  QTimer::singleShot(0, field, [guarded] {
    if (!guarded || !guarded->window()->isVisible() || guarded->IsComplete()) return;
    ErrorBox(Cp("Godzina została wprowadzona nieprawidłowo."));
    guarded->setFocus(Qt::OtherFocusReason);
  });
}
