#include "operator_console/tf_test_wyswietlacza.h"

#include "ui_tf_test_wyswietlacza.h"

TfTestWyswietlacza::TfTestWyswietlacza(QWidget* parent) : forms::Form(parent), ui(new Ui::TfTestWyswietlacza) {
  ui->setupUi(this);
  WireControls();
}

TfTestWyswietlacza::~TfTestWyswietlacza() { delete ui; }
