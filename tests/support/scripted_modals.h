#pragma once
// The modal-runner double of the GUI tests: each form run by the action
// scripted for it, installed in place of the real runner through
// forms::SetModalRunner.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "forms/form.h"

namespace forms {

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
