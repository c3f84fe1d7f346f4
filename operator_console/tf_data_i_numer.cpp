#include "operator_console/tf_data_i_numer.h"

#include "operator_console/console_forms.h"
#include "operator_console/main_window.h"
#include "ui_tf_data_i_numer.h"

TfDataINumer::TfDataINumer(QWidget* parent) : forms::Form(parent), ui(new Ui::TfDataINumer) {
  ui->setupUi(this);
  setFixedSize(size());
  // "Nie" is both the default and the cancel button.
  SetDefaultButton(ui->Button1);
  SetCancelButton(ui->Button1);
  WireControls();
  connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TfDataINumer::~TfDataINumer() { delete ui; }

void TfDataINumer::showEvent(QShowEvent* event) {
  if (GlowneOkno != nullptr) {
    move(GlowneOkno->x() + (GlowneOkno->width() - width()) / 2,
         GlowneOkno->y() + (GlowneOkno->height() - height()) / 2);
  }
  forms::Form::showEvent(event);
}

void TfDataINumer::SetDate(const QDate& date) { ui->db->setDate(date); }

QDate TfDataINumer::Date() const { return ui->db->date(); }

void TfDataINumer::SetNumber(const QString& digits) { ui->meNumer->SetText(digits); }

QString TfDataINumer::Number() const { return ui->meNumer->Text(); }

void TfDataINumer::Button2Click() { SetModalResult(forms::mrYes); }

void TfDataINumer::Button1Click() { SetModalResult(forms::mrNo); }
