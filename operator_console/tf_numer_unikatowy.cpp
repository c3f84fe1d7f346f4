#include "operator_console/tf_numer_unikatowy.h"

#include "forms/text.h"
#include "operator_console/console.h"
#include "operator_console/info_dialog.h"
#include "ui_tf_numer_unikatowy.h"

TfNumerUnikatowy::TfNumerUnikatowy(ConsoleState& console, QWidget* parent)
    : TConsoleDialog(console, parent), ui(new Ui::TfNumerUnikatowy) {
  ui->setupUi(this);
  SetUpDialog(ui->Button1);
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TfNumerUnikatowy::~TfNumerUnikatowy() { delete ui; }

void TfNumerUnikatowy::SetText(const std::string& cp1250Text) {
  ui->lNumerUnikatowy->setText(LabelText(cp1250Text));
}

std::string TfNumerUnikatowy::Text() const { return ShownText(*ui->lNumerUnikatowy); }

void TfNumerUnikatowy::Button1Click() { Close(); }

void TfNumerUnikatowy::FormActivate() { ui->Button1->setFocus(Qt::OtherFocusReason); }
