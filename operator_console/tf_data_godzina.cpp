#include "operator_console/tf_data_godzina.h"

#include "forms/text.h"
#include "ui_tf_data_godzina.h"

TfDataGodzina::TfDataGodzina(ConsoleState& console, QWidget* parent)
    : TConsoleDialog(console, parent), ui(new Ui::TfDataGodzina) {
  ui->setupUi(this);
  SetUpDialog(ui->Button1);
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TfDataGodzina::~TfDataGodzina() { delete ui; }

void TfDataGodzina::ShowClock(const std::string& dateLine, const std::string& timeLine) {
  ui->lData->setText(forms::ToQ(dateLine));
  ui->lCzas->setText(forms::ToQ(timeLine));
}

void TfDataGodzina::FormActivate() { ui->Button1->setFocus(Qt::OtherFocusReason); }

void TfDataGodzina::Button1Click() { Close(); }
