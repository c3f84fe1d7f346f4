#pragma once
// The dialog of the printer's unique number.
#include "forms/form.h"

namespace Ui {
class TfNumerUnikatowy;
}

class TfNumerUnikatowy : public forms::Form {
  Q_OBJECT

 public:
  explicit TfNumerUnikatowy(QWidget* parent = nullptr);
  ~TfNumerUnikatowy() override;

  Ui::TfNumerUnikatowy* ui = nullptr;
};
