#include "forms/edit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace forms {

Edit::Edit(QWidget* parent) : QLineEdit(parent) {}

bool Edit::Exceeds(const QString& typed) const {
  if (limit_ <= 0 || typed.isEmpty()) return false;
  const qsizetype after = text().size() - selectedText().size() + typed.size();
  return after > limit_ && after > text().size();
}

void Edit::keyPressEvent(QKeyEvent* event) {
  QString typed;
  if (event->matches(QKeySequence::Paste)) {
    typed = QApplication::clipboard()->text().section('\n', 0, 0);
  } else if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
    typed = event->text();
  }
  if (Exceeds(typed)) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

}  // namespace forms
