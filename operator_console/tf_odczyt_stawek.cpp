#include "operator_console/tf_odczyt_stawek.h"

#include "ui_tf_odczyt_stawek.h"

TfOdczytStawek::TfOdczytStawek(QWidget* parent) : forms::Form(parent), ui(new Ui::TfOdczytStawek) {
  ui->setupUi(this);
  WireControls();
}

TfOdczytStawek::~TfOdczytStawek() { delete ui; }
