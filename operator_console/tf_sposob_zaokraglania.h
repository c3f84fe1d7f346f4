#pragma once
// The rounding of amounts, confirmed by writing it.
#include "operator_console/tf_setting_confirm.h"

namespace Ui {
class TfSposobZaokraglania;
}

class TfSposobZaokraglania : public TSettingDialog {
  Q_OBJECT

 public:
  explicit TfSposobZaokraglania(ConsoleState& console, QWidget* parent = nullptr);
  ~TfSposobZaokraglania() override;

  // "Tak": writes the rounding mode.
  void Button1Click();

  Ui::TfSposobZaokraglania* ui = nullptr;

 protected:
  void FormActivate() override;
};
