#include "operator_console/tf_ilosc_wierszy.h"

#include "kavoruw_core.h"
#include "operator_console/logic/settings.h"
#include "operator_console/tf_setting_confirm.h"
#include "ui_tf_ilosc_wierszy.h"

TfIloscWierszy::TfIloscWierszy(ConsoleState& console, QWidget* parent)
    : TSettingDialog(console, parent), ui(new Ui::TfIloscWierszy) {
  ui->setupUi(this);
  SetUpSetting(ui->Button1, ui->Button2, ui->seIloscWierszy, [this] { Button1Click(); });
}

TfIloscWierszy::~TfIloscWierszy() { delete ui; }

void TfIloscWierszy::Button1Click() {
  // Within 3..30: the form has clamped the field at confirmation, so it shows
  // what is written, also when the dialog opens next time.
  const uint8_t count = console::ClampFeedCount(ui->seIloscWierszy->Value());
  ConfirmSetting(*ui->Button1, [&] { return kavoruw::WriteFeedCount(count); });
}

void TfIloscWierszy::FormActivate() { ui->seIloscWierszy->setFocus(Qt::OtherFocusReason); }
