#include "tests/support/scripted_modals.h"

#include <QPointer>
#include <QTimer>

#include "forms/modal.h"

namespace forms {

int ScriptedModals::Run(Form& form) {
  const std::string name = form.metaObject()->className();
  auto found = actions.find(name);
  if (found == actions.end() || found->second.empty())
    found = actions.find(form.objectName().toStdString());
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
