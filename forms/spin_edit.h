#pragma once
// A spin edit as the windows expect it: only digits can be typed, the value
// is the number as typed, and the range is enforced when the focus moves
// to another control of the form and when the form confirms (Enter, a
// button: see Form) (a field whose minimum equals its maximum is never
// corrected). An empty field (or a text that is no number) is never a
// value: it reads as the value the field held before the operator's editing,
// and leaving the field puts that value back. MaxLength limits typing only; a value set by the
// program is never cut.
#include <QAbstractSpinBox>
#include <optional>
#include <utility>

#include "forms/form.h"

namespace forms {

class SpinEdit : public QAbstractSpinBox, public ClampedAtConfirmation {
  Q_OBJECT
  Q_PROPERTY(int minimum READ Minimum WRITE setMinimum)
  Q_PROPERTY(int maximum READ Maximum WRITE setMaximum)
  Q_PROPERTY(int maxLength READ MaxLength WRITE setMaxLength)
  Q_PROPERTY(int value READ Value WRITE setValue)

 public:
  explicit SpinEdit(QWidget* parent = nullptr);

  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }
  int MaxLength() const { return maxLength_; }
  // The number as typed; the last value held when the text is no number.
  int Value() const;
  void setMinimum(int value) { minimum_ = value; }
  void setMaximum(int value) { maximum_ = value; }
  void setMaxLength(int value) { maxLength_ = value; }
  void setValue(int value);
  // The value brought into the range, an empty field given its last value
  // back (what leaving the field does).
  void Clamp();
  // What confirming the form does: Clamp, into the confirmation range when
  // one is set.
  void ClampAtConfirmation() override;
  // Confirming keeps the value within [low, high] instead of the field's
  // range: a field whose minimum follows another field is raised to it only
  // when the focus leaves it.
  void SetConfirmationRange(int low, int high) { confirmationRange_ = {low, high}; }
  QString Text() const;
  void SetText(const QString& text);

  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString&) const override {}
  void stepBy(int steps) override;

 signals:
  void Changed();

 protected:
  StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int minimum_ = 0;
  int maximum_ = 100;
  int maxLength_ = 0;
  // What the field held as a number before the operator's editing: set by
  // the program, found when the focus came in, or kept when it left.
  int lastValue_ = 0;
  std::optional<std::pair<int, int>> confirmationRange_;

  void ClampInto(int low, int high);
};

}  // namespace forms
