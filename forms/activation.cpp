#include "forms/activation.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <map>

namespace forms {

namespace {

class ActivationWatch : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
      auto* widget = static_cast<QWidget*>(watched);
      // A late activation of a form that has closed meanwhile is stale.
      if (!widget->isVisible()) return false;
      // While a modal form runs, only that form can become active.
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == widget) NoteActivated(widget);
    }
    return false;
  }
};

struct Registry {
  std::map<QWidget*, std::function<void()>> handlers;
  QPointer<QWidget> active;
  ActivationWatch watch;
};

Registry& Forms() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterForm(QWidget* form, std::function<void()> onActivate) {
  Forms().handlers[form] = std::move(onActivate);
  form->installEventFilter(&Forms().watch);
}

void UnregisterForm(QWidget* form) {
  Forms().handlers.erase(form);
  form->removeEventFilter(&Forms().watch);
  if (Forms().active == form) Forms().active = nullptr;
}

void NoteActivated(QWidget* form) {
  Registry& registry = Forms();
  auto found = registry.handlers.find(form);
  if (found == registry.handlers.end() || registry.active == form) return;
  registry.active = form;
  if (found->second) found->second();
}

QWidget* ActiveForm() { return Forms().active; }

void ResetActiveForm() { Forms().active = nullptr; }

}  // namespace forms
