#pragma once
// The dialog of the VAT rates read from the printer.
#include "forms/form.h"

namespace Ui {
class TfOdczytStawek;
}

class TfOdczytStawek : public forms::Form {
  Q_OBJECT

 public:
  explicit TfOdczytStawek(QWidget* parent = nullptr);
  ~TfOdczytStawek() override;

  Ui::TfOdczytStawek* ui = nullptr;
};
