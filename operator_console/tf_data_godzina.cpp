#include "operator_console/tf_data_godzina.h"

#include "ui_tf_data_godzina.h"

TfDataGodzina::TfDataGodzina(QWidget* parent) : forms::Form(parent), ui(new Ui::TfDataGodzina) {
  ui->setupUi(this);
  WireControls();
}

TfDataGodzina::~TfDataGodzina() { delete ui; }
