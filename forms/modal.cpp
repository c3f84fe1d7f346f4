#include "forms/modal.h"

#include "forms/process_state.h"

#include <QPointer>

#include "forms/activation.h"
#include "forms/actions.h"
#include "forms/trace.h"

namespace forms {

namespace {
ModalRunner& Runner() { return Process().modalRunner; }

std::string FormName(const Form& form) { return form.metaObject()->className(); }
}  // namespace

int ShowModal(Form& form) {
  Trace("modal " + FormName(form));
  if (Runner()) return Runner()(form);
  TakeHeldCloseRequests();
  return RunModal(form);
}

void SetModalRunner(ModalRunner runner) { Runner() = std::move(runner); }

int RunModal(Form& form) {
  QPointer<QWidget> previous = ActiveForm();
  form.PrepareModal();
  // The owner: the parent's window, else the form that was active.
  const QWidget* owner =
      form.parentWidget() != nullptr ? form.parentWidget()->window() : previous.data();
  if (owner == &form) owner = nullptr;
  CentreOverOwner(form, owner);
  form.setWindowModality(Qt::ApplicationModal);
  form.show();
  form.raise();
  form.activateWindow();
  NoteActivated(&form);
  form.SelectFocusedText();
  // The activation handler may have closed the form already.
  if (form.isVisible()) form.exec();
  const int result = form.ModalResult() == mrNone ? mrCancel : form.ModalResult();
  if (previous && previous->isVisible()) NoteActivated(previous);
  return result;
}

}  // namespace forms
