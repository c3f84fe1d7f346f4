#include "correspondent_register/core/hooks.h"

#include <chrono>
#include <iostream>
#include <thread>

#include "platform/text/cp1250.h"

namespace zorvel {

namespace {

void PrintBox(const std::string& caption, const std::string& text) {
  std::cerr << "zorvel: " << platform::Utf8FromCp1250(caption) << ": "
            << platform::Utf8FromCp1250(text) << '\n';
}

}  // namespace

void RegisterToolHooks::Beep() const {
  if (beep) beep();
}

void RegisterToolHooks::DelaySeconds(int seconds) const {
  if (delaySeconds) {
    delaySeconds(seconds);
  } else if (seconds > 0) {
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
  }
}

void RegisterToolHooks::ShowAlert(const std::string& text) const {
  if (showAlert) {
    showAlert(text);
  } else {
    PrintBox("Uwaga!", text);
  }
}

void RegisterToolHooks::ShowMessageBox(const std::string& text, int flags,
                                       const std::string& caption) const {
  if (showMessageBox) {
    showMessageBox(text, flags, caption);
  } else {
    PrintBox(caption, text);
  }
}

void RegisterToolHooks::ShowErrorBox(const std::string& message) const {
  if (showErrorBox) {
    showErrorBox(message);
  } else {
    PrintBox("Error", message);
  }
}

void RegisterToolHooks::StepDone() const {
  if (stepDone) stepDone();
}

}  // namespace zorvel
