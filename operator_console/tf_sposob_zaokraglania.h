#pragma once
// The rounding of amounts, confirmed by writing it.
#include "forms/form.h"

namespace Ui {
class TfSposobZaokraglania;
}

class TfSposobZaokraglania : public forms::Form {
  Q_OBJECT

 public:
  explicit TfSposobZaokraglania(QWidget* parent = nullptr);
  ~TfSposobZaokraglania() override;

  void Button1Click();
  void Button2Click();

  Ui::TfSposobZaokraglania* ui = nullptr;

 protected:
  void FormActivate() override;
  void FormClose() override;
  bool FormKeyDown(int key) override;
};
