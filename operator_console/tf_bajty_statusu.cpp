#include "operator_console/tf_bajty_statusu.h"

#include "ui_tf_bajty_statusu.h"

TfBajtyStatusu::TfBajtyStatusu(QWidget* parent) : forms::Form(parent), ui(new Ui::TfBajtyStatusu) {
  ui->setupUi(this);
  WireControls();
}

TfBajtyStatusu::~TfBajtyStatusu() { delete ui; }
