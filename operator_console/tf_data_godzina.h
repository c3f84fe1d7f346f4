#pragma once
// The dialog of the printer's date and time.
#include <string>

#include "operator_console/console_dialog.h"

namespace Ui {
class TfDataGodzina;
}

class TfDataGodzina : public TConsoleDialog {
  Q_OBJECT

 public:
  explicit TfDataGodzina(ConsoleState& console, QWidget* parent = nullptr);
  ~TfDataGodzina() override;

  // lData and lCzas (Windows-1250).
  void ShowClock(const std::string& dateLine, const std::string& timeLine);

  // "OK": closes the dialog.
  void Button1Click();

  Ui::TfDataGodzina* ui = nullptr;

 protected:
  void FormActivate() override;
};
