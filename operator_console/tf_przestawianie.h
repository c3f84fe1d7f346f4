#pragma once
// The dialog of the clock shift: the operator types the time the printer's
// clock should show; the printer takes one shift of 1..60 minutes a day.
#include <functional>

#include "operator_console/console_dialog.h"

namespace Ui {
class TfPrzestawianie;
}

class TfPrzestawianie : public TConsoleDialog {
  Q_OBJECT

 public:
  explicit TfPrzestawianie(ConsoleState& console, QWidget* parent = nullptr);
  ~TfPrzestawianie() override;

  // What a successful Tak runs next: the clock read and shown (the main
  // window's clock read).
  std::function<void()> ReadClock;

  // "Tak": shifts the clock; "Nie" (Button2) closes the dialog.
  void Button1Click();
  void Button2Click();
  bool meZegarKeyDown(int key);

  Ui::TfPrzestawianie* ui = nullptr;

 protected:
  void FormActivate() override;
  void showEvent(QShowEvent* event) override;

 private:
  void Tak();
  // Step F: a driver call failed.
  void ShiftFailed(int32_t code);
};
