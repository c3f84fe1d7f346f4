#pragma once
// A maximum length that limits typing only: a text the program sets is never
// cut (QLineEdit's own maximum length cuts it).
#include <QLineEdit>
#include <QValidator>

namespace forms {

class TypingLimit : public QValidator {
 public:
  TypingLimit(int maxLength, QObject* parent) : QValidator(parent), maxLength_(maxLength) {}
  State validate(QString& input, int&) const override {
    return maxLength_ > 0 && input.size() > maxLength_ ? Invalid : Acceptable;
  }

 private:
  int maxLength_;
};

// Typing in the edit stops at maxLength characters (0: no limit).
inline void SetTypingLimit(QLineEdit* edit, int maxLength) {
  edit->setMaxLength(32767);
  edit->setValidator(maxLength > 0 ? new TypingLimit(maxLength, edit) : nullptr);
}

}  // namespace forms
