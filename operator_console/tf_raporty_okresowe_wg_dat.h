#pragma once
// The dialog of the periodic report by dates.
#include "forms/form.h"

namespace Ui {
class TfRaportyOkresoweWgDat;
}

class TfRaportyOkresoweWgDat : public forms::Form {
  Q_OBJECT

 public:
  explicit TfRaportyOkresoweWgDat(QWidget* parent = nullptr);
  ~TfRaportyOkresoweWgDat() override;

  Ui::TfRaportyOkresoweWgDat* ui = nullptr;
};
