#include "operator_console/tf_stawki_podatkowe.h"

#include "ui_tf_stawki_podatkowe.h"

TfStawkiPodatkowe::TfStawkiPodatkowe(QWidget* parent) : forms::Form(parent), ui(new Ui::TfStawkiPodatkowe) {
  ui->setupUi(this);
  WireControls();
}

TfStawkiPodatkowe::~TfStawkiPodatkowe() { delete ui; }
