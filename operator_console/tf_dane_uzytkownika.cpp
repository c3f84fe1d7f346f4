#include "operator_console/tf_dane_uzytkownika.h"

#include "ui_tf_dane_uzytkownika.h"

TfDaneUzytkownika::TfDaneUzytkownika(QWidget* parent) : forms::Form(parent), ui(new Ui::TfDaneUzytkownika) {
  ui->setupUi(this);
  WireControls();
}

TfDaneUzytkownika::~TfDaneUzytkownika() { delete ui; }
