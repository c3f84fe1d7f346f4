#include "operator_console/t_about_box.h"

#include <QApplication>
#include <QStyle>

#include "operator_console/logic/settings.h"
#include "operator_console/tf_setting_confirm.h"
#include "ui_t_about_box.h"

TAboutBox::TAboutBox(ConsoleState& console, QWidget* parent)
    : forms::Form(parent), ui(new Ui::TAboutBox), console_(console) {
  ui->setupUi(this);
  SetUpDialog(ui->OKButton);
  for (QLabel* blue : {ui->lWersja, ui->Label1}) {
    QPalette palette = blue->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    blue->setPalette(palette);
  }
  connect(ui->OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  FormCreate();
}

TAboutBox::~TAboutBox() { delete ui; }

void TAboutBox::FormCreate() {
  ui->ProgramIcon->setPixmap(
      QApplication::style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
  ui->lWersja->setText(forms::ToQ(console::AboutVersionText()));
  ui->ProductName->setText(forms::ToQ(console::AboutProductName()));
}

void TAboutBox::OKButtonClick() {
  console_.ClearProgressText();
  SetModalResult(forms::mrOk);
}

bool TAboutBox::FormKeyDown(int key) {
  if (key != forms::VK_ESCAPE) return false;
  Close();
  return true;
}
