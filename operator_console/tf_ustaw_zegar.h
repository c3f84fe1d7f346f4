#pragma once
// The dialog of the initialisation of an erased printer clock.
#include "forms/form.h"

namespace Ui {
class TfUstawZegar;
}

class TfUstawZegar : public forms::Form {
  Q_OBJECT

 public:
  explicit TfUstawZegar(QWidget* parent = nullptr);
  ~TfUstawZegar() override;

  Ui::TfUstawZegar* ui = nullptr;
};
