#pragma once
// The about box: the program's name, the printers it serves and its version.
#include "forms/form.h"
#include "operator_console/console_state.h"

namespace Ui {
class TAboutBox;
}

class TAboutBox : public forms::Form {
  Q_OBJECT

 public:
  explicit TAboutBox(ConsoleState& console, QWidget* parent = nullptr);
  ~TAboutBox() override;

  void FormCreate();
  void OKButtonClick();

  Ui::TAboutBox* ui = nullptr;

 protected:
  ConsoleState& console_;

  bool FormKeyDown(int key) override;
};
