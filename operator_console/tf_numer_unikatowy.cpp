#include "operator_console/tf_numer_unikatowy.h"

#include "ui_tf_numer_unikatowy.h"

TfNumerUnikatowy::TfNumerUnikatowy(QWidget* parent) : forms::Form(parent), ui(new Ui::TfNumerUnikatowy) {
  ui->setupUi(this);
  WireControls();
}

TfNumerUnikatowy::~TfNumerUnikatowy() { delete ui; }
