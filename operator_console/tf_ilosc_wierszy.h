#pragma once
// The number of lines the printer feeds out, confirmed by writing it.
#include "operator_console/tf_setting_confirm.h"

namespace Ui {
class TfIloscWierszy;
}

class TfIloscWierszy : public TSettingDialog {
  Q_OBJECT

 public:
  explicit TfIloscWierszy(ConsoleState& console, QWidget* parent = nullptr);
  ~TfIloscWierszy() override;

  // "Tak": writes the feed count.
  void Button1Click();

  Ui::TfIloscWierszy* ui = nullptr;

 protected:
  void FormActivate() override;
};
