#include "correspondent_register/core/hooks.h"

#include <chrono>
#include <iostream>
#include <thread>
#include <utility>

#include "correspondent_register/core/core_state.h"
#include "platform/text/cp1250.h"

namespace zorvel {

CoreState& Core() {
  static CoreState state;
  return state;
}

namespace {

RegisterToolHooks& Installed() { return Core().hooks; }

void PrintBox(const std::string& caption, const std::string& text) {
  std::cerr << "zorvel: " << platform::Utf8FromCp1250(caption) << ": "
            << platform::Utf8FromCp1250(text) << '\n';
}

}  // namespace

void SetRegisterToolHooks(RegisterToolHooks hooks) { Installed() = std::move(hooks); }

void Beep() {
  if (Installed().beep) Installed().beep();
}

void DelaySeconds(int seconds) {
  if (Installed().delaySeconds) {
    Installed().delaySeconds(seconds);
  } else if (seconds > 0) {
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
  }
}

void ShowAlert(const std::string& text) {
  if (Installed().showAlert) {
    Installed().showAlert(text);
  } else {
    PrintBox("Uwaga!", text);
  }
}

void ShowMessageBox(const std::string& text, int flags, const std::string& caption) {
  if (Installed().showMessageBox) {
    Installed().showMessageBox(text, flags, caption);
  } else {
    PrintBox(caption, text);
  }
}

void ShowErrorBox(const std::string& message) {
  if (Installed().showErrorBox) {
    Installed().showErrorBox(message);
  } else {
    PrintBox("Error", message);
  }
}

}  // namespace zorvel
