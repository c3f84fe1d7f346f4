#pragma once
// The dialog of the register number and operator code.
#include "forms/form.h"

namespace Ui {
class TfNumerKasy;
}

class TfNumerKasy : public forms::Form {
  Q_OBJECT

 public:
  explicit TfNumerKasy(QWidget* parent = nullptr);
  ~TfNumerKasy() override;

  Ui::TfNumerKasy* ui = nullptr;
};
