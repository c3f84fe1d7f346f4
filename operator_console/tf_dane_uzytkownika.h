#pragma once
// The dialog of the user data (receipt header lines).
#include "forms/form.h"

namespace Ui {
class TfDaneUzytkownika;
}

class TfDaneUzytkownika : public forms::Form {
  Q_OBJECT

 public:
  explicit TfDaneUzytkownika(QWidget* parent = nullptr);
  ~TfDaneUzytkownika() override;

  Ui::TfDaneUzytkownika* ui = nullptr;
};
