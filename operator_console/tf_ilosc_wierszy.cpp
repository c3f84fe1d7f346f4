#include "operator_console/tf_ilosc_wierszy.h"

#include "ui_tf_ilosc_wierszy.h"

TfIloscWierszy::TfIloscWierszy(QWidget* parent) : forms::Form(parent), ui(new Ui::TfIloscWierszy) {
  ui->setupUi(this);
  WireControls();
}

TfIloscWierszy::~TfIloscWierszy() { delete ui; }
