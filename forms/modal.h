#pragma once
// Every modal form is shown through one runner, which tests replace.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "forms/form.h"

namespace forms {

using ModalRunner = std::function<int(Form& form)>;

// Shows the form modally and returns its modal result. Records
// "modal <form class>" in the trace.
int ShowModal(Form& form);
// An empty runner brings the real one back.
void SetModalRunner(ModalRunner runner);
// The real run: centred over its owner (the parent, else the form that was
// active), shown, activated, its own event loop until it closes; the
// form that was active before is active again afterwards.
int RunModal(Form& form);

// Runs each form with the next action scripted for its class (or object
// name): the action runs inside the form's real modal loop and should close
// it. A form nobody scripted is not shown and answers Cancel; it and a form
// left open by its action are noted in `unscripted`.
class ScriptedModals {
 public:
  using Action = std::function<void(Form& form)>;
  void Script(const std::string& formName, Action action) {
    actions[formName].push_back(std::move(action));
  }
  int Run(Form& form);
  // Installs this runner.
  void Install();

  std::map<std::string, std::deque<Action>> actions;
  std::vector<std::string> shown;
  std::vector<std::string> unscripted;
};

}  // namespace forms
