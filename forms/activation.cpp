#include "forms/activation.h"

#include "forms/process_state.h"

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

QObject* Watch() {
  ProcessState& state = Process();
  if (!state.activationWatch) state.activationWatch = std::make_unique<ActivationWatch>();
  return state.activationWatch.get();
}

}  // namespace

void RegisterForm(QWidget* form, std::function<void()> onActivate) {
  Process().formActivations[form] = std::move(onActivate);
  form->installEventFilter(Watch());
}

void UnregisterForm(QWidget* form) {
  Process().formActivations.erase(form);
  form->removeEventFilter(Watch());
  if (Process().activeForm == form) Process().activeForm = nullptr;
}

void NoteActivated(QWidget* form) {
  ProcessState& state = Process();
  auto found = state.formActivations.find(form);
  if (found == state.formActivations.end() || state.activeForm == form) return;
  state.activeForm = form;
  if (found->second) found->second();
}

QWidget* ActiveForm() { return Process().activeForm; }

void ResetActiveForm() { Process().activeForm = nullptr; }

}  // namespace forms
