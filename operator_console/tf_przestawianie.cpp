#include "operator_console/tf_przestawianie.h"

#include "ui_tf_przestawianie.h"

TfPrzestawianie::TfPrzestawianie(QWidget* parent) : forms::Form(parent), ui(new Ui::TfPrzestawianie) {
  ui->setupUi(this);
  WireControls();
}

TfPrzestawianie::~TfPrzestawianie() { delete ui; }
