#include "operator_console/tf_sposob_zaokraglania.h"

#include "kavoruw_core.h"
#include "operator_console/logic/settings.h"
#include "operator_console/tf_setting_confirm.h"
#include "ui_tf_sposob_zaokraglania.h"

TfSposobZaokraglania::TfSposobZaokraglania(ConsoleState& console, QWidget* parent)
    : TSettingDialog(console, parent), ui(new Ui::TfSposobZaokraglania) {
  ui->setupUi(this);
  SetUpSetting(ui->Button1, ui->Button2, nullptr, [this] { Button1Click(); });
}

TfSposobZaokraglania::~TfSposobZaokraglania() { delete ui; }

void TfSposobZaokraglania::Button1Click() {
  const uint8_t mode = console::RoundingModeFor(ui->rgZaokraglanie->ItemIndex());
  ConfirmSetting(*ui->Button1, [&] { return kavoruw::SetRoundingType(mode); });
}

void TfSposobZaokraglania::FormActivate() { ui->rgZaokraglanie->setFocus(Qt::OtherFocusReason); }
