#pragma once
// The dialog of the date and unique number prompt of the settlement report.
#include "forms/form.h"

namespace Ui {
class TfDataINumer;
}

class TfDataINumer : public forms::Form {
  Q_OBJECT

 public:
  explicit TfDataINumer(QWidget* parent = nullptr);
  ~TfDataINumer() override;

  Ui::TfDataINumer* ui = nullptr;
};
