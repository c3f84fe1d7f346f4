#include "operator_console/tf_okresowe_miesieczne.h"

#include "ui_tf_okresowe_miesieczne.h"

TfOkresoweMiesieczne::TfOkresoweMiesieczne(QWidget* parent) : forms::Form(parent), ui(new Ui::TfOkresoweMiesieczne) {
  ui->setupUi(this);
  WireControls();
}

TfOkresoweMiesieczne::~TfOkresoweMiesieczne() { delete ui; }
