#include "operator_console/tf_odczyt_stawek.h"

#include "operator_console/console.h"
#include "ui_tf_odczyt_stawek.h"

TfOdczytStawek::TfOdczytStawek(ConsoleState& console, QWidget* parent)
    : forms::Form(parent), ui(new Ui::TfOdczytStawek), console_(console) {
  ui->setupUi(this);
  setFixedSize(size());
  for (int i = 0; i < 7; ++i) {
    QFont font = Line(i)->font();
    font.setFamilies({"MS Sans Serif", "Sans Serif"});
    font.setPixelSize(16);
    Line(i)->setFont(font);
  }
  SetKeyPreview(true);
  SetDefaultButton(ui->Button1);
  WireControls();
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TfOdczytStawek::~TfOdczytStawek() { delete ui; }

QLabel* TfOdczytStawek::Line(int index) const {
  QLabel* const lines[] = {ui->Label1, ui->Label2, ui->Label3, ui->Label4,
                           ui->Label5, ui->Label6, ui->Label7};
  return lines[index];
}

void TfOdczytStawek::ShowLines(const std::vector<std::string>& cp1250Lines) {
  for (int i = 0; i < 7; ++i) {
    const bool reported = static_cast<size_t>(i) < cp1250Lines.size();
    if (reported) Line(i)->setText(forms::ToQ(cp1250Lines[static_cast<size_t>(i)]));
    Line(i)->setHidden(!reported);
  }
}

void TfOdczytStawek::FormActivate() {
  if (ConsoleWindow* window = console_.Window()) {
    const QWidget& main = window->Widget();
    move(main.x() + (main.width() - width()) / 2, main.y() + (main.height() - height()) / 2);
  }
}

void TfOdczytStawek::FormClose() { console_.ClearProgressText(); }

bool TfOdczytStawek::FormKeyDown(int key) {
  if (key != forms::VK_ESCAPE) return false;
  Close();
  return true;
}

void TfOdczytStawek::Button1Click() { Close(); }
