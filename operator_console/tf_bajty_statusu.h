#pragma once
// The dialog of the status bytes in plain words.
#include "forms/form.h"

namespace Ui {
class TfBajtyStatusu;
}

class TfBajtyStatusu : public forms::Form {
  Q_OBJECT

 public:
  explicit TfBajtyStatusu(QWidget* parent = nullptr);
  ~TfBajtyStatusu() override;

  Ui::TfBajtyStatusu* ui = nullptr;
};
