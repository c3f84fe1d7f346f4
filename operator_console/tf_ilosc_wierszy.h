#pragma once
// The dialog of the number of lines to feed.
#include "forms/form.h"

namespace Ui {
class TfIloscWierszy;
}

class TfIloscWierszy : public forms::Form {
  Q_OBJECT

 public:
  explicit TfIloscWierszy(QWidget* parent = nullptr);
  ~TfIloscWierszy() override;

  Ui::TfIloscWierszy* ui = nullptr;
};
