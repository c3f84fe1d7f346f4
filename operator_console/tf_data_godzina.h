#pragma once
// The dialog of the printer's date and time.
#include "forms/form.h"

namespace Ui {
class TfDataGodzina;
}

class TfDataGodzina : public forms::Form {
  Q_OBJECT

 public:
  explicit TfDataGodzina(QWidget* parent = nullptr);
  ~TfDataGodzina() override;

  Ui::TfDataGodzina* ui = nullptr;
};
