#include "operator_console/tf_okresowe_wg_numerow.h"

#include "ui_tf_okresowe_wg_numerow.h"

TfOkresoweWgNumerow::TfOkresoweWgNumerow(QWidget* parent) : forms::Form(parent), ui(new Ui::TfOkresoweWgNumerow) {
  ui->setupUi(this);
  WireControls();
}

TfOkresoweWgNumerow::~TfOkresoweWgNumerow() { delete ui; }
