#pragma once
// The dialog of the VAT-rate editor.
#include "forms/form.h"

namespace Ui {
class TfStawkiPodatkowe;
}

class TfStawkiPodatkowe : public forms::Form {
  Q_OBJECT

 public:
  explicit TfStawkiPodatkowe(QWidget* parent = nullptr);
  ~TfStawkiPodatkowe() override;

  Ui::TfStawkiPodatkowe* ui = nullptr;
};
