#pragma once
// The dialog of the about box.
#include "forms/form.h"

namespace Ui {
class TAboutBox;
}

class TAboutBox : public forms::Form {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  ~TAboutBox() override;

  Ui::TAboutBox* ui = nullptr;
};
