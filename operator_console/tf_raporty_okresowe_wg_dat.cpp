#include "operator_console/tf_raporty_okresowe_wg_dat.h"

#include "ui_tf_raporty_okresowe_wg_dat.h"

TfRaportyOkresoweWgDat::TfRaportyOkresoweWgDat(QWidget* parent) : forms::Form(parent), ui(new Ui::TfRaportyOkresoweWgDat) {
  ui->setupUi(this);
  WireControls();
}

TfRaportyOkresoweWgDat::~TfRaportyOkresoweWgDat() { delete ui; }
