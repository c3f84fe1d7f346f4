#pragma once
// The dialog of the customer display test.
#include <string>

#include "operator_console/console_dialog.h"

namespace Ui {
class TfTestWyswietlacza;
}

class TfTestWyswietlacza : public TConsoleDialog {
  Q_OBJECT

 public:
  explicit TfTestWyswietlacza(ConsoleState& console, QWidget* parent = nullptr);
  ~TfTestWyswietlacza() override;

  // The Label1 text (Windows-1250, "\r" between lines).
  void SetText(const std::string& cp1250Text);
  std::string Text() const;

  // Closes the dialog by its own close step (modal result Cancel).
  void bOKClick();

  Ui::TfTestWyswietlacza* ui = nullptr;

 protected:
  void FormActivate() override;
};
