#include "forms/form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QTextEdit>
#include <QTimer>

#include "forms/activation.h"
#include "forms/actions.h"
#include "forms/spin_edit.h"

namespace forms {

Form::Form(QWidget* parent) : QDialog(parent) {
  // A dialog's frame: a title and a close box, no minimise or maximise.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  RegisterForm(this, [this] { FormActivate(); });
}

Form::~Form() { UnregisterForm(this); }

void Form::PrepareModal() {
  modalResult_ = mrNone;
  closing_ = false;
}

void Form::SetModalResult(int result) {
  if (closing_) return;
  modalResult_ = result;
  closing_ = true;
  FormClose();
  closing_ = false;
  QDialog::done(modalResult_);
}

void Form::Close() { SetModalResult(modalResult_ == mrNone ? mrCancel : modalResult_); }

void Form::reject() { Close(); }

void Form::accept() { SetModalResult(mrOk); }

void Form::closeEvent(QCloseEvent* event) {
  // The close box: the same path as Esc; the window hides through done().
  event->ignore();
  if (InsideWait()) {
    // A driver call is waiting under this form: the close comes after it.
    QPointer<Form> self(this);
    QTimer::singleShot(0, this, [self] {
      if (self && self->isVisible()) self->close();
    });
    return;
  }
  if (isVisible()) Close();
}

void Form::SetUpDialog(QPushButton* defaultButton, QPushButton* cancelButton) {
  setFixedSize(size());
  SetKeyPreview(true);
  SetDefaultButton(defaultButton);
  SetCancelButton(cancelButton);
  WireControls();
}

void Form::WireControls() {
  for (QWidget* child : findChildren<QWidget*>()) {
    child->installEventFilter(this);
    if (auto* button = qobject_cast<QPushButton*>(child)) {
      // Enter is routed by the form, never by Qt's own default-button logic.
      button->setAutoDefault(false);
      button->setDefault(false);
      // Pressed comes before clicked, so the values are in range when the
      // button's own handler reads them.
      connect(button, &QPushButton::pressed, this, [this, button] {
        if (button != cancelButton_) ClampSpinEdits();
      });
    }
  }
}

void Form::OnExit(QWidget* control, std::function<void()> handler) {
  exitHandlers_[control] = std::move(handler);
  control->installEventFilter(this);
}

void Form::OnKeyDown(QWidget* control, std::function<bool(int key)> handler) {
  keyHandlers_[control] = std::move(handler);
  control->installEventFilter(this);
}

void Form::SelectFocusedText() {
  QWidget* field = focusWidget();
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  if (auto* spin = qobject_cast<SpinEdit*>(field)) spin->selectAll();
}

void Form::ClampSpinEdits() {
  for (QWidget* control : findChildren<QWidget*>()) {
    if (auto* clamped = dynamic_cast<ClampedAtConfirmation*>(control))
      clamped->ClampAtConfirmation();
  }
}

namespace {
bool MultiLineText(const QWidget* widget) {
  return qobject_cast<const QPlainTextEdit*>(widget) != nullptr ||
         qobject_cast<const QTextEdit*>(widget) != nullptr;
}

// Alt+Down and F4 open a date picker's calendar, as a click on its arrow
// does (Qt opens it from the mouse only); false: not a picker with one.
bool DropDownCalendar(QWidget* target, const QKeyEvent& key) {
  const bool opens = (key.key() == Qt::Key_F4 && key.modifiers() == Qt::NoModifier) ||
                     (key.key() == Qt::Key_Down && key.modifiers() == Qt::AltModifier);
  auto* picker = qobject_cast<QDateTimeEdit*>(target);
  if (!opens || picker == nullptr || !picker->calendarPopup()) return false;
  QStyleOptionComboBox option;
  option.initFrom(picker);
  option.editable = true;
  option.subControls = QStyle::SC_All;
  const QPoint arrow =
      picker->style()
          ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, picker)
          .center();
  QMouseEvent press(QEvent::MouseButtonPress, arrow, picker->mapToGlobal(arrow), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(picker, &press);
  return true;
}
}  // namespace

bool Form::RouteKey(QWidget* target, QKeyEvent* event) {
  const int key = VirtualKey(*event);
  // Enter confirms, whichever handler takes it (key preview, the control's
  // own, the default button).
  if (key == VK_RETURN && event->modifiers() == Qt::NoModifier && !MultiLineText(target)) {
    ClampSpinEdits();
  }
  if (keyPreview_ && FormKeyDown(key)) return true;
  if (!isVisible() || closing_) return true;
  for (QObject* o = target; o != nullptr && o != this; o = o->parent()) {
    auto found = keyHandlers_.find(o);
    if (found != keyHandlers_.end()) {
      if (found->second(key)) return true;
      break;
    }
  }
  if (!isVisible()) return true;
  if (DropDownCalendar(target, *event)) return true;
  if (key == VK_RETURN && event->modifiers() == Qt::NoModifier) {
    if (MultiLineText(target)) return false;
    if (auto* button = qobject_cast<QPushButton*>(target); button && button->isEnabled()) {
      button->click();
      return true;
    }
    if (defaultButton_ && defaultButton_->isEnabled() && defaultButton_->isVisible()) {
      defaultButton_->click();
      return true;
    }
    return false;
  }
  if (key == VK_ESCAPE) {
    if (cancelButton_ && cancelButton_->isEnabled() && cancelButton_->isVisible()) {
      cancelButton_->click();
    } else {
      Close();
    }
    return true;
  }
  return false;
}

void Form::keyPressEvent(QKeyEvent* event) {
  // Keys of a focused control were routed by the filter already.
  QWidget* focus = QApplication::focusWidget();
  const bool routed = focus != nullptr && focus != this && isAncestorOf(focus);
  if (routed || !RouteKey(this, event)) QDialog::keyPressEvent(event);
}

bool Form::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget()) {
    if (RouteKey(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event))) return true;
  }
  if (event->type() == QEvent::FocusOut) {
    auto found = exitHandlers_.find(watched);
    if (found != exitHandlers_.end() && FocusMovedInsideForm(static_cast<QWidget*>(watched))) {
      found->second();
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CentreOverOwner(QWidget& window, const QWidget* owner) {
  window.ensurePolished();
  if (!window.testAttribute(Qt::WA_Resized)) window.adjustSize();
  QRect area;
  if (owner != nullptr && owner->isVisible()) {
    area = owner->geometry();
  } else if (QScreen* screen = owner != nullptr ? owner->screen() : window.screen()) {
    area = screen->availableGeometry();
  } else {
    return;
  }
  // The client area is placed, not the frame: where the window system puts
  // the frame is then its own affair, at the first showing as at any later.
  const QSize size = window.size();
  window.setGeometry(area.x() + (area.width() - size.width()) / 2,
                     area.y() + (area.height() - size.height()) / 2, size.width(), size.height());
}

bool FocusMovedInsideForm(QWidget* control) {
  QWidget* window = control->window();
  QWidget* now = QApplication::focusWidget();
  if (now == nullptr || now == control || now->window() != window || !window->isVisible()) {
    return false;
  }
  if (auto* form = qobject_cast<Form*>(window); form && form->Closing()) return false;
  return true;
}

}  // namespace forms
