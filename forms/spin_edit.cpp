#include "forms/spin_edit.h"

#include <QLineEdit>
#include <algorithm>
#include <limits>

namespace forms {

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  setKeyboardTracking(true);
  setValue(0);
  connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit Changed(); });
}

namespace {

bool DigitsOnly(const QString& text) {
  for (QChar c : text) {
    if (c < QChar('0') || c > QChar('9')) return false;
  }
  return true;
}

}  // namespace

int SpinEdit::Value() const {
  const QString text = lineEdit()->text().trimmed();
  bool ok = false;
  const qlonglong number = DigitsOnly(text) ? text.toLongLong(&ok) : 0;
  if (!ok) return lastValue_;
  // A number beyond the integer range is no number the field can hold.
  if (number > std::numeric_limits<int>::max() || number < std::numeric_limits<int>::min()) {
    return number > 0 ? maximum_ : minimum_;
  }
  return static_cast<int>(number);
}

void SpinEdit::setValue(int value) {
  lastValue_ = value;
  lineEdit()->setText(QString::number(value));
}

QString SpinEdit::Text() const { return lineEdit()->text(); }

void SpinEdit::SetText(const QString& text) { lineEdit()->setText(text); }

void SpinEdit::Clamp() { ClampInto(minimum_, maximum_); }

void SpinEdit::ClampAtConfirmation() {
  if (confirmationRange_) {
    ClampInto(confirmationRange_->first, confirmationRange_->second);
  } else {
    Clamp();
  }
}

void SpinEdit::ClampInto(int low, int high) {
  if (low == high) return;
  const int value = Value();
  const int clamped = std::clamp(value, std::min(low, high), std::max(low, high));
  if (clamped != value || lineEdit()->text() != QString::number(value)) {
    setValue(clamped);
  } else {
    lastValue_ = value;
  }
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
  // Digits only, an empty field included while it is being typed in; the
  // length limits typing.
  if (!DigitsOnly(input)) return QValidator::Invalid;
  if (maxLength_ > 0 && input.size() > maxLength_) return QValidator::Invalid;
  return QValidator::Acceptable;
}

void SpinEdit::stepBy(int steps) {
  long long next = static_cast<long long>(Value()) + steps;
  if (minimum_ != maximum_) {
    next = std::clamp<long long>(next, std::min(minimum_, maximum_), std::max(minimum_, maximum_));
  }
  setValue(static_cast<int>(next));
  selectAll();
}

void SpinEdit::focusInEvent(QFocusEvent* event) {
  bool ok = false;
  const QString text = lineEdit()->text().trimmed();
  const int number = DigitsOnly(text) ? text.toInt(&ok) : 0;
  if (ok) lastValue_ = number;
  QAbstractSpinBox::focusInEvent(event);
}

void SpinEdit::focusOutEvent(QFocusEvent* event) {
  if (FocusMovedInsideForm(this)) Clamp();
  QAbstractSpinBox::focusOutEvent(event);
}

}  // namespace forms
