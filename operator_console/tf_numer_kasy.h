#pragma once
// The register number with the operator code, confirmed by writing them.
#include "operator_console/tf_setting_confirm.h"

namespace Ui {
class TfNumerKasy;
}

class TfNumerKasy : public TSettingDialog {
  Q_OBJECT

 public:
  explicit TfNumerKasy(ConsoleState& console, QWidget* parent = nullptr);
  ~TfNumerKasy() override;

  // "Tak": writes the register number and operator code.
  void Button1Click();

  Ui::TfNumerKasy* ui = nullptr;

 protected:
  void FormActivate() override;
};
