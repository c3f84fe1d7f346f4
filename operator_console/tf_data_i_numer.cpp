#include "operator_console/tf_data_i_numer.h"

#include "ui_tf_data_i_numer.h"

TfDataINumer::TfDataINumer(QWidget* parent) : forms::Form(parent), ui(new Ui::TfDataINumer) {
  ui->setupUi(this);
  WireControls();
}

TfDataINumer::~TfDataINumer() { delete ui; }
