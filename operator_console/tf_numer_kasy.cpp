#include "operator_console/tf_numer_kasy.h"

#include "kavoruw_core.h"
#include "operator_console/logic/settings.h"
#include "operator_console/tf_setting_confirm.h"
#include "ui_tf_numer_kasy.h"

TfNumerKasy::TfNumerKasy(ConsoleState& console, QWidget* parent)
    : TSettingDialog(console, parent), ui(new Ui::TfNumerKasy) {
  ui->setupUi(this);
  SetUpSetting(ui->Button1, ui->Button2, ui->seNrKasy, [this] { Button1Click(); });
}

TfNumerKasy::~TfNumerKasy() { delete ui; }

void TfNumerKasy::Button1Click() {
  // The form has clamped the field at confirmation: the number goes out
  // within 1..99, and the field shows it.
  const std::string code = console::OperatorCodeText(forms::FromQ(ui->eKod->text()));
  const std::string number = console::RegisterNumberText(ui->seNrKasy->Value());
  ConfirmSetting(*ui->Button1, [&] { return kavoruw::SetPrinterNumber(number, code); });
}

void TfNumerKasy::FormActivate() { ui->seNrKasy->setFocus(Qt::OtherFocusReason); }
