#include "forms/modal.h"

#include <QPointer>
#include <QTimer>

#include "forms/activation.h"
#include "forms/trace.h"

namespace forms {

namespace {
ModalRunner& Runner() {
  static ModalRunner runner;
  return runner;
}

std::string FormName(const Form& form) { return form.metaObject()->className(); }
}  // namespace

int ShowModal(Form& form) {
  Trace("modal " + FormName(form));
  if (Runner()) return Runner()(form);
  return RunModal(form);
}

void SetModalRunner(ModalRunner runner) { Runner() = std::move(runner); }

int RunModal(Form& form) {
  QPointer<QWidget> previous = ActiveForm();
  form.PrepareModal();
  // The owner: the parent's window, else the form that was active.
  const QWidget* owner = form.parentWidget() != nullptr ? form.parentWidget()->window() : previous.data();
  if (owner == &form) owner = nullptr;
  CentreOverOwner(form, owner);
  form.setWindowModality(Qt::ApplicationModal);
  form.show();
  form.raise();
  form.activateWindow();
  NoteActivated(&form);
  // The activation handler may have closed the form already.
  if (form.isVisible()) form.exec();
  const int result = form.ModalResult() == mrNone ? mrCancel : form.ModalResult();
  if (previous && previous->isVisible()) NoteActivated(previous);
  return result;
}

int ScriptedModals::Run(Form& form) {
  const std::string name = FormName(form);
  auto found = actions.find(name);
  if (found == actions.end() || found->second.empty()) found = actions.find(form.objectName().toStdString());
  shown.push_back(name);
  if (found == actions.end() || found->second.empty()) {
    unscripted.push_back(name);
    return mrCancel;
  }
  Action action = std::move(found->second.front());
  found->second.pop_front();
  QPointer<Form> guarded(&form);
  QTimer::singleShot(0, &form, [this, guarded, action, name] {
    if (!guarded) return;
    action(*guarded);
    if (guarded && guarded->isVisible()) {
      unscripted.push_back(name + " left open");
      guarded->Close();
    }
  });
  return RunModal(form);
}

void ScriptedModals::Install() {
  SetModalRunner([this](Form& form) { return Run(form); });
}

}  // namespace forms
