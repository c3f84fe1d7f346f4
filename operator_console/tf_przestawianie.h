#pragma once
// The dialog of the clock shift.
#include "forms/form.h"

namespace Ui {
class TfPrzestawianie;
}

class TfPrzestawianie : public forms::Form {
  Q_OBJECT

 public:
  explicit TfPrzestawianie(QWidget* parent = nullptr);
  ~TfPrzestawianie() override;

  Ui::TfPrzestawianie* ui = nullptr;
};
