#pragma once
// The dialog of the periodic report by report numbers.
#include "forms/form.h"

namespace Ui {
class TfOkresoweWgNumerow;
}

class TfOkresoweWgNumerow : public forms::Form {
  Q_OBJECT

 public:
  explicit TfOkresoweWgNumerow(QWidget* parent = nullptr);
  ~TfOkresoweWgNumerow() override;

  Ui::TfOkresoweWgNumerow* ui = nullptr;
};
