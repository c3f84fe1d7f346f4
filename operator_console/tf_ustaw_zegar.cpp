#include "operator_console/tf_ustaw_zegar.h"

#include "ui_tf_ustaw_zegar.h"

TfUstawZegar::TfUstawZegar(QWidget* parent) : forms::Form(parent), ui(new Ui::TfUstawZegar) {
  ui->setupUi(this);
  WireControls();
}

TfUstawZegar::~TfUstawZegar() { delete ui; }
