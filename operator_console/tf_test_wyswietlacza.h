#pragma once
// The dialog of the customer display test.
#include "forms/form.h"

namespace Ui {
class TfTestWyswietlacza;
}

class TfTestWyswietlacza : public forms::Form {
  Q_OBJECT

 public:
  explicit TfTestWyswietlacza(QWidget* parent = nullptr);
  ~TfTestWyswietlacza() override;

  Ui::TfTestWyswietlacza* ui = nullptr;
};
