#include "operator_console/tf_test_wyswietlacza.h"

#include "forms/text.h"
#include "operator_console/console.h"
#include "operator_console/info_dialog.h"
#include "ui_tf_test_wyswietlacza.h"

TfTestWyswietlacza::TfTestWyswietlacza(ConsoleState& console, QWidget* parent)
    : TConsoleDialog(console, parent), ui(new Ui::TfTestWyswietlacza) {
  ui->setupUi(this);
  SetUpDialog(ui->bOK);
  connect(ui->bOK, &QPushButton::clicked, this, [this] { bOKClick(); });
}

TfTestWyswietlacza::~TfTestWyswietlacza() { delete ui; }

void TfTestWyswietlacza::SetText(const std::string& cp1250Text) {
  ui->Label1->setText(LabelText(cp1250Text));
}

std::string TfTestWyswietlacza::Text() const { return ShownText(*ui->Label1); }

void TfTestWyswietlacza::bOKClick() { Close(); }

void TfTestWyswietlacza::FormActivate() { ui->bOK->setFocus(Qt::OtherFocusReason); }
