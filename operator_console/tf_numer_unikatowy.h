#pragma once
// The dialog of the printer's unique number.
#include <string>

#include "operator_console/console_dialog.h"

namespace Ui {
class TfNumerUnikatowy;
}

class TfNumerUnikatowy : public TConsoleDialog {
  Q_OBJECT

 public:
  explicit TfNumerUnikatowy(ConsoleState& console, QWidget* parent = nullptr);
  ~TfNumerUnikatowy() override;

  // The lNumerUnikatowy text (Windows-1250, "\r" between lines).
  void SetText(const std::string& cp1250Text);
  std::string Text() const;

  // Closes the dialog by its own close step (modal result Cancel).
  // "OK": closes the dialog.
  void Button1Click();

  Ui::TfNumerUnikatowy* ui = nullptr;

 protected:
  void FormActivate() override;
};
