#pragma once
// The dialog of the rounding mode.
#include "forms/form.h"

namespace Ui {
class TfSposobZaokraglania;
}

class TfSposobZaokraglania : public forms::Form {
  Q_OBJECT

 public:
  explicit TfSposobZaokraglania(QWidget* parent = nullptr);
  ~TfSposobZaokraglania() override;

  Ui::TfSposobZaokraglania* ui = nullptr;
};
