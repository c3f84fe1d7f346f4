#pragma once
// A single-line edit whose maximum length limits typing only: a text set by
// the program is shown whole, and lowering the limit never cuts the text
// already there (QLineEdit's own limit does both).
#include <QLineEdit>

namespace forms {

class Edit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(int typingLimit READ TypingLimit WRITE setTypingLimit)

 public:
  explicit Edit(QWidget* parent = nullptr);

  // 0: no limit.
  int TypingLimit() const { return limit_; }
  void setTypingLimit(int limit) { limit_ = limit; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The text would grow beyond the limit by inserting `typed`.
  bool Exceeds(const QString& typed) const;

  int limit_ = 0;
};

}  // namespace forms
