#pragma once
// The dialog of the status bytes in plain words.
#include <string>
#include <vector>

#include "operator_console/console_dialog.h"

namespace Ui {
class TfBajtyStatusu;
}

class TfBajtyStatusu : public TConsoleDialog {
  Q_OBJECT

 public:
  explicit TfBajtyStatusu(ConsoleState& console, QWidget* parent = nullptr);
  ~TfBajtyStatusu() override;

  // The memo's lines (Windows-1250), each centred.
  void SetLines(const std::vector<std::string>& cp1250Lines);
  std::vector<std::string> Lines() const;

  void bOKClick();
  // Enter and Esc close the dialog; every other key is swallowed.
  bool mStatusyKeyPress(int key);

  Ui::TfBajtyStatusu* ui = nullptr;

 protected:
  void FormActivate() override;
};
