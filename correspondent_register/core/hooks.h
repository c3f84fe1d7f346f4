#pragma once
// What the tool's core asks of its windows. The program sets these hooks
// once, before start-up; tests set recorders. Every text is Windows-1250.
// A hook left empty falls back to a quiet stand-in (boxes go to standard
// error, the delay sleeps, the tone is silent), so scripts can use the core.
#include <functional>
#include <string>

#include "platform/box_flags.h"

namespace zorvel {

// The message-box flags that the core passes to ShowMessageBox.
inline constexpr int kMbOk = platform::box_flags::MB_OK;
inline constexpr int kMbIconError = platform::box_flags::MB_ICONSTOP;
inline constexpr int kMbIconQuestion = platform::box_flags::MB_ICONQUESTION;
inline constexpr int kMbIconWarning = platform::box_flags::MB_ICONEXCLAMATION;
inline constexpr int kMbIconInformation = platform::box_flags::MB_ICONINFORMATION;

struct RegisterToolHooks {
  // The system's default sound.
  std::function<void()> beep;
  // Blocks the calling thread for the given number of seconds.
  std::function<void(int seconds)> delaySeconds;
  // Modal box, OK button, error icon, caption "Uwaga!   " + date + ",  " +
  // time (see AlertCaption). Returns when dismissed.
  std::function<void(const std::string& text)> showAlert;
  // The application's modal message box with Windows flags; no answer.
  std::function<void(const std::string& text, int flags, const std::string& caption)>
      showMessageBox;
  // The application's default error box for an error that stopped an
  // operation (the message of the exception).
  std::function<void(const std::string& message)> showErrorBox;
  // Tests stop an add or a deletion after one of its steps (a simulated
  // kill): runs after each folder or marker made or removed and after each
  // table write of a deletion. Empty in the program.
  std::function<void()> stepDone;

  // What the core calls: the hook, or its stand-in when it is empty.
  void Beep() const;
  void DelaySeconds(int seconds) const;
  void ShowAlert(const std::string& text) const;
  void ShowMessageBox(const std::string& text, int flags, const std::string& caption) const;
  void ShowErrorBox(const std::string& message) const;
  void StepDone() const;
};

}  // namespace zorvel
