#include "operator_console/tf_sposob_zaokraglania.h"

#include "ui_tf_sposob_zaokraglania.h"

TfSposobZaokraglania::TfSposobZaokraglania(QWidget* parent) : forms::Form(parent), ui(new Ui::TfSposobZaokraglania) {
  ui->setupUi(this);
  WireControls();
}

TfSposobZaokraglania::~TfSposobZaokraglania() { delete ui; }
