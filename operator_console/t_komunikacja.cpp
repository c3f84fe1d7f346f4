#include "operator_console/t_komunikacja.h"

#include <QKeyEvent>

#include "forms/application.h"
#include "forms/modal.h"
#include "operator_console/console.h"
#include "ui_t_komunikacja.h"

TKomunikacja::TKomunikacja(ConsoleState& console, QWidget* parent)
    : forms::Form(parent), ui(new Ui::TKomunikacja), console_(console) {
  ui->setupUi(this);
  setFixedSize(size());
  SetKeyPreview(true);
  SetDefaultButton(ui->Button1);
  WireControls();
  OnKeyDown(ui->seNumerPortu, [this](int key) { return seNumerPortuKeyDown(key); });
  connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  // Tab goes port, speed, Zatwierdź (the speed's items come with its texts,
  // after the button).
  QWidget::setTabOrder(ui->seNumerPortu, ui->rgPredkosc->Button(0));
  QWidget::setTabOrder(ui->rgPredkosc->Button(0), ui->rgPredkosc->Button(1));
  QWidget::setTabOrder(ui->rgPredkosc->Button(1), ui->Button1);
}

TKomunikacja::~TKomunikacja() { delete ui; }

std::optional<PortSettings> TKomunikacja::Ask(const PortSettings& current) {
  current_ = current;
  tried_.reset();
  forms::ShowModal(*this);
  return tried_;
}

PortSettings TKomunikacja::Typed() const {
  const int index = ui->rgPredkosc->ItemIndex() == 1 ? 1 : 0;
  return {ClampPortNumber(ui->seNumerPortu->Value()), static_cast<uint16_t>(index * 9600 + 9600)};
}

void TKomunikacja::ShowSettings() {
  ui->seNumerPortu->setValue(current_.ComPortNumber == 0 ? ui->seNumerPortu->Minimum()
                                                         : current_.ComPortNumber);
  ui->rgPredkosc->setItemIndex(current_.ComBaudRate == 19200 ? 1 : 0);
}

void TKomunikacja::FormActivate() {
  ui->Button1->setEnabled(true);
  ui->seNumerPortu->setFocus(Qt::OtherFocusReason);
  ShowSettings();
  ui->seNumerPortu->selectAll();
}

void TKomunikacja::FormClose() {
  if (ConsoleWindow* window = console_.Window()) window->Widget().setEnabled(true);
  // What was typed and not confirmed does not stay behind for the next check.
  ShowSettings();
  console_.ClearProgressText();
}

bool TKomunikacja::FormKeyDown(int key) {
  if (key != forms::VK_ESCAPE) return false;
  Close();
  return true;
}

bool TKomunikacja::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->seNumerPortu && event->type() == QEvent::KeyPress &&
      ui->seNumerPortu->Value() == 0 && ui->Button1->isEnabled()) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (forms::VirtualKey(key) == forms::VK_RETURN && key.modifiers() == Qt::NoModifier) {
      // Port 0 is no port: refused as one the system does not have, and
      // nothing is closed or opened.
      AttentionBeep();
      ErrorBox(OpenPortErrorText(kavoruw::kErrNoSuchPort, 0));
      return true;
    }
  }
  return forms::Form::eventFilter(watched, event);
}

bool TKomunikacja::seNumerPortuKeyDown(int key) {
  if (key != forms::VK_RETURN) return false;
  ui->Button1->click();
  return true;
}

void TKomunikacja::Button1Click() {
  if (!ui->Button1->isEnabled()) return;
  ActionScope action(console_);
  ui->Button1->setEnabled(false);
  const PortSettings typed = Typed();
  // Tried settings stay, whatever the printer answers.
  current_ = typed;
  tried_ = typed;
  const int32_t opened = console_.ReopenPort(typed);
  if (opened != 0) {
    ui->Button1->setEnabled(true);
    AttentionBeep();
    ErrorBox(OpenPortErrorText(opened, typed.ComPortNumber));
    return;
  }
  uint8_t deviceType = 0;
  bool errorShown = false;
  if (!console_.CheckConnectedDevice(typed, deviceType, errorShown)) {
    ui->Button1->setEnabled(true);
    if (!errorShown) {
      AttentionBeep();
      ErrorBox(Cp("Podłączone urządzenie nie jest drukarką fiskalną"));
    }
    return;
  }
  uint32_t version = 0;
  const int32_t identified = kavoruw::IdentifyDevice(version);
  if (identified != 0) {
    ui->Button1->setEnabled(true);
    const std::string text = ErrMessageText(identified);
    AttentionBeep();
    ErrorBox(text);
    SetModalResult(forms::mrOk);
    return;
  }
  ui->Button1->setEnabled(true);
  if (ConsoleWindow* window = console_.Window()) window->ShowConfirmedDevice(typed);
  SetModalResult(forms::mrOk);
}
