#include "forms/message_box.h"

#include "forms/process_state.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "forms/activation.h"
#include "forms/actions.h"
#include "forms/form.h"
#include "forms/text.h"
#include "forms/trace.h"

namespace forms {

namespace {

MessageBoxHandler*& Installed() { return Process().messageBoxHandler; }

std::function<void()>& BeforeBox() { return Process().beforeBoxHook; }

// What the title bar needs to show the whole caption: its text in the
// desktop's title font, and room for the window icon and three title bar
// buttons, each as wide as the bar is high.
int CaptionWidth(const QWidget& box) {
  const QFontMetrics metrics(QFontDatabase::systemFont(QFontDatabase::TitleFont));
  const int bar = std::max(box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box),
                           metrics.height() + 8);
  return metrics.horizontalAdvance(box.windowTitle()) + 4 * bar + 2 * metrics.averageCharWidth();
}

// A line wider than `width` broken at its blanks, which the break takes;
// a word wider than that (a path) stays whole, and leading blanks stay with
// the first piece.
QString WrapAtBlanks(const QString& text, const QFontMetrics& metrics, int width) {
  QStringList lines;
  for (const QString& line : text.split(QChar('\n'))) {
    if (metrics.horizontalAdvance(line) <= width) {
      lines << line;
      continue;
    }
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n && line[i] == QChar(' ')) ++i;
    QString piece = line.left(i);
    while (i < n) {
      qsizetype word = i;
      while (word < n && line[word] == QChar(' ')) ++word;
      qsizetype end = word;
      while (end < n && line[end] != QChar(' ')) ++end;
      const QString next = line.mid(i, end - i);
      if (!piece.trimmed().isEmpty() && metrics.horizontalAdvance(piece + next) > width) {
        lines << piece;
        piece = line.mid(word, end - word);
      } else {
        piece += next;
      }
      i = end;
    }
    lines << piece;
  }
  return lines.join(QChar('\n'));
}

// Qt wraps a box's text beyond about 500 pixels; the texts here are laid out
// line by line (centring blanks included), so a line of about a hundred
// characters never wraps (every laid-out line is shorter). A longer line is
// running text: it is broken at its blanks to that readable width instead of
// stretching the box across the screen. The box is also as wide as its
// caption needs (a path in the caption is often the only place it shows in
// full), up to the screen's width.
class UnwrappedMessageBox : public QMessageBox {
 public:
  explicit UnwrappedMessageBox(const QWidget* owner) : owner_(owner) {}

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    FitText();
  }
  // Qt sizes the box again on every layout request, wrapping the text at its
  // own width; the box keeps its fitted size instead.
  bool event(QEvent* event) override {
    if (event->type() != QEvent::LayoutRequest) return QMessageBox::event(event);
    const bool handled = QDialog::event(event);
    if (isVisible()) FitText();
    return handled;
  }

 private:
  void FitText() {
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr || layout() == nullptr) return;
    if (unwrappedWidth_ < 0) {
      label->setWordWrap(false);
      const QFontMetrics metrics = label->fontMetrics();
      label->setText(
          WrapAtBlanks(label->text(), metrics, kReadableCharacters * metrics.averageCharWidth()));
      layout()->activate();
      unwrappedWidth_ = layout()->totalMinimumSize().width();
    }
    const int limit = screen() ? screen()->availableGeometry().width() : unwrappedWidth_;
    // Unchanged after the first fit, so a refit asks for no further layout.
    label->setWordWrap(unwrappedWidth_ > limit);
    const int width = std::min(std::max(unwrappedWidth_, CaptionWidth(*this)), limit);
    layout()->activate();
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width)
                                                     : layout()->totalMinimumSize().height();
    setFixedSize(width, height);
    if (!placed_) {
      // Fitted before it maps: centred over its window, not the screen.
      placed_ = true;
      CentreOverOwner(*this, owner_);
    }
  }

  static constexpr int kReadableCharacters = 105;

  QPointer<const QWidget> owner_;
  int unwrappedWidth_ = -1;  // the text's layout width on one line each
  bool placed_ = false;
};

QString BoxText(const std::string& cp1250) {
  QString text = ToQ(cp1250);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  return text;
}

struct ButtonSpec {
  QMessageBox::StandardButton button;
  int id;
  const char* caption;  // UTF-8
};

std::vector<ButtonSpec> Buttons(unsigned flags) {
  const ButtonSpec ok{QMessageBox::Ok, IDOK, "OK"};
  const ButtonSpec cancel{QMessageBox::Cancel, IDCANCEL, "Anuluj"};
  const ButtonSpec yes{QMessageBox::Yes, IDYES, "&Tak"};
  const ButtonSpec no{QMessageBox::No, IDNO, "&Nie"};
  const ButtonSpec abort{QMessageBox::Abort, IDABORT, "&Przerwij"};
  const ButtonSpec retry{QMessageBox::Retry, IDRETRY, "Ponów &próbę"};
  const ButtonSpec ignore{QMessageBox::Ignore, IDIGNORE, "&Ignoruj"};
  switch (flags & 0x0F) {
    case MB_OKCANCEL: return {ok, cancel};
    case MB_ABORTRETRYIGNORE: return {abort, retry, ignore};
    case MB_YESNOCANCEL: return {yes, no, cancel};
    case MB_YESNO: return {yes, no};
    case MB_RETRYCANCEL: return {retry, cancel};
    default: return {ok};
  }
}

}  // namespace

const QWidget* BoxOwner() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  QWidget* form = ActiveForm();
  return form != nullptr && form->isVisible() ? form : nullptr;
}

std::unique_ptr<QMessageBox> BuildMessageBox(const std::string& cp1250Text,
                                             const std::string& cp1250Caption, unsigned flags,
                                             const QWidget* owner) {
  auto built = std::make_unique<UnwrappedMessageBox>(owner);
  QMessageBox& box = *built;
  box.setWindowTitle(ToQ(cp1250Caption));
  box.setTextFormat(Qt::PlainText);
  box.setText(BoxText(cp1250Text));
  switch (flags & 0xF0) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  const std::vector<ButtonSpec> buttonDefs = Buttons(flags);
  std::vector<QPushButton*> buttons;
  for (const ButtonSpec& def : buttonDefs) {
    QPushButton* button = box.addButton(def.button);
    button->setText(QString::fromUtf8(def.caption));
    buttons.push_back(button);
  }
  const size_t defaultIndex = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
  if (defaultIndex < buttons.size()) {
    box.setDefaultButton(buttons[defaultIndex]);
  }
  const int escape = EscapeAnswer(flags);
  for (size_t i = 0; i < buttonDefs.size(); ++i) {
    if (buttonDefs[i].id == escape) box.setEscapeButton(buttons[i]);
  }
  box.setWindowModality(Qt::ApplicationModal);
  return built;
}

namespace {

int ShowReal(const std::string& cp1250Text, const std::string& cp1250Caption, unsigned flags) {
  const std::unique_ptr<QMessageBox> box =
      BuildMessageBox(cp1250Text, cp1250Caption, flags, BoxOwner());
  box->exec();
  QAbstractButton* clicked = box->clickedButton();
  const std::vector<ButtonSpec> buttonDefs = Buttons(flags);
  for (size_t i = 0; i < buttonDefs.size(); ++i) {
    if (box->button(buttonDefs[i].button) == clicked) return buttonDefs[i].id;
  }
  return EscapeAnswer(flags);
}

}  // namespace

int EscapeAnswer(unsigned flags) {
  switch (flags & 0x0F) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO: return IDNO;
    default: return IDOK;
  }
}

void SetMessageBoxHandler(MessageBoxHandler* handler) { Installed() = handler; }

void SetBeforeBoxHook(std::function<void()> hook) { BeforeBox() = std::move(hook); }

int MessageBox(const std::string& cp1250Text, const std::string& cp1250Caption, unsigned flags) {
  if (BeforeBox()) BeforeBox()();
  if (Tracing()) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", flags);
    Trace("box " + Utf8(cp1250Caption) + " " + hex + " " + Utf8(cp1250Text));
  }
  if (Installed()) return Installed()->Show(cp1250Text, cp1250Caption, flags);
  TakeHeldCloseRequests();
  return ShowReal(cp1250Text, cp1250Caption, flags);
}

}  // namespace forms
