#pragma once
// The dialog of the monthly periodic report.
#include "forms/form.h"

namespace Ui {
class TfOkresoweMiesieczne;
}

class TfOkresoweMiesieczne : public forms::Form {
  Q_OBJECT

 public:
  explicit TfOkresoweMiesieczne(QWidget* parent = nullptr);
  ~TfOkresoweMiesieczne() override;

  Ui::TfOkresoweMiesieczne* ui = nullptr;
};
