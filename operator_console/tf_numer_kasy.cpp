#include "operator_console/tf_numer_kasy.h"

#include "ui_tf_numer_kasy.h"

TfNumerKasy::TfNumerKasy(QWidget* parent) : forms::Form(parent), ui(new Ui::TfNumerKasy) {
  ui->setupUi(this);
  WireControls();
}

TfNumerKasy::~TfNumerKasy() { delete ui; }
