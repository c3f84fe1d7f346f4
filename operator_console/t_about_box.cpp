#include "operator_console/t_about_box.h"

#include "ui_t_about_box.h"

TAboutBox::TAboutBox(QWidget* parent) : forms::Form(parent), ui(new Ui::TAboutBox) {
  ui->setupUi(this);
  WireControls();
}

TAboutBox::~TAboutBox() { delete ui; }
