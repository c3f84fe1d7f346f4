#include "operator_console/main_window.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>

#include "forms/activation.h"
#include "forms/form.h"
#include "forms/modal.h"
#include "forms/trace.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/t_komunikacja.h"
#include "operator_console/tf_przestawianie.h"
#include "operator_console/tf_stawki_podatkowe.h"
#include "operator_console/tf_ustaw_zegar.h"
#include "ui_main_window.h"

namespace {

const char* const kGenerationItems[] = {
    "Odczytuytkownika1",
    "Miesiczny1",
    "Miesiczny2",
    "Wedugnumerw1",
    "Wedugnumerw2",
    "Opiswstaych1",
    "Zdalnewyaczeniedrukarki1",
    "Wy1",
    "N41",
    "Zapis1",
};

// The progress text's fill and frame: the grey of an active window's border.
const QColor kActiveBorder(180, 180, 180);

}  // namespace

TGlowneOkno::TGlowneOkno(const Arguments& arguments, const std::string& instanceScope,
                         QWidget* parent)
    : QMainWindow(parent),
      ui(new Ui::TGlowneOkno),
      session_(std::make_unique<ConsoleSession>(*this)) {
  InitializeConsoleUnit(*session_, arguments);
  ui->setupUi(this);
  // A submenu's item carries the submenu's component name, so every item of
  // the tree is found the same way.
  for (QMenu* menu : findChildren<QMenu*>()) menu->menuAction()->setObjectName(menu->objectName());
  setFixedSize(602, 414);
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);
  // In the centre of the desktop from the start, so that a dialog of the
  // first activation is centred over where the window really is.
  forms::CentreOverOwner(*this, nullptr);
  QFont font = this->font();
  font.setPointSize(12);
  setFont(font);
  // The menu keeps the desktop's menu font.
  ui->menuGlowne->setFont(QApplication::font("QMenuBar"));
  for (QMenu* menu : findChildren<QMenu*>()) menu->setFont(QApplication::font("QMenu"));
  setWindowIconText(forms::ToQ(forms::ApplicationTitle()));

  // The status bar: 40 pixels high, two centred panels.
  ui->sb->setFixedHeight(40);
  ui->sb->setSizeGripEnabled(false);
  QFont panelFont = ui->sb->font();
  panelFont.setPixelSize(19);
  // The panels sit side by side with a two-pixel gap; the status bar's own
  // spacing would push the second one out.
  auto* strip = new QWidget(ui->sb);
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  for (int width : {384, 210}) {
    auto* panel = new QLabel(strip);
    panel->setObjectName(QString("sbPanel%1").arg(panels_.size()));
    panel->setFixedWidth(width);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFont(panelFont);
    row->addWidget(panel);
    panels_.push_back(panel);
  }
  row->addStretch(1);
  ui->sb->addWidget(strip, 1);

  // The sample printouts are out of reach: their menu item is hidden and off.
  Item("Prbnewydruki1")->setEnabled(false);
  Item("Prbnewydruki1")->setVisible(false);

  cursor_ = new WindowCursor(this, &session_->BusyCursor);
  ui->centralwidget->installEventFilter(this);

  CiaOnlyOne1 = new TCiaOnlyOne(this);
  CiaOnlyOne1->setObjectName("CiaOnlyOne1");
  CiaOnlyOne1->Unique = "KavorUW123";
  CiaOnlyOne1->Scope = instanceScope;
  CiaOnlyOne1->RestoreRequested = [this] {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
  };
  CiaOnlyOne1->Loaded();

  forms::RegisterForm(this, [this] { FormActivate(); });
  Wire("Parametry1", &TGlowneOkno::Parametry1Click);
  Wire("Fiskalnydobowy1", &TGlowneOkno::Fiskalnydobowy1Click);
  Wire("Stanudrukarki1", &TGlowneOkno::Stanudrukarki1Click);
  Wire("Wedugnumerw1", &TGlowneOkno::Wedugnumerw1Click);
  Wire("Wedugnumerw2", &TGlowneOkno::Wedugnumerw2Click);
  Wire("Wedugdat1", &TGlowneOkno::Wedugdat1Click);
  Wire("Wedugdat2", &TGlowneOkno::Wedugdat2Click);
  Wire("Miesiczny1", &TGlowneOkno::Miesiczny1Click);
  Wire("Miesiczny2", &TGlowneOkno::Miesiczny2Click);
  Wire("Nazwtowarwzablokowanych1", &TGlowneOkno::Nazwtowarwzablokowanych1Click);
  Wire("Opiswstaych1", &TGlowneOkno::Opiswstaych1Click);
  Wire("Kasowaniebuforawycen1", &TGlowneOkno::Kasowaniebuforawycen1Click);
  Wire("Zdalnewyaczeniedrukarki1", &TGlowneOkno::Zdalnewyaczeniedrukarki1Click);
  Wire("Cao1", &TGlowneOkno::Cao1Click);
  Wire("Wedugdat3", &TGlowneOkno::Wedugdat3Click);
  Wire("Wedugnumerw3", &TGlowneOkno::Wedugnumerw3Click);
  Wire("Bazanazwitowarw1", &TGlowneOkno::Bazanazwitowarw1Click);
  Wire("Standrukarki1", &TGlowneOkno::Standrukarki1Click);
  Wire("Bajtystatusu1", &TGlowneOkno::Bajtystatusu1Click);
  Wire("Wy1", &TGlowneOkno::Wy1Click);
  Wire("N41", &TGlowneOkno::N41Click);
  Wire("PamicEPROM1", &TGlowneOkno::PamicEPROM1Click);
  Wire("Numerunikatowy1", &TGlowneOkno::Numerunikatowy1Click);
  Wire("Prbnyparagpn1", &TGlowneOkno::Prbnyparagpn1Click);
  Wire("Stankasy1", &TGlowneOkno::Stankasy1Click);
  Wire("Pokwitowaniewpaty1", &TGlowneOkno::Pokwitowaniewpaty1Click);
  Wire("Pokwitowaniewypaty1", &TGlowneOkno::Pokwitowaniewypaty1Click);
  Wire("Biecyraportkasowy1", &TGlowneOkno::Biecyraportkasowy1Click);
  Wire("Odczytzegara1", &TGlowneOkno::Odczytzegara1Click);
  Wire("Przestawianiezegara1", &TGlowneOkno::Przestawianiezegara1Click);
  Wire("Inicjowaniezegara1", &TGlowneOkno::Inicjowaniezegara1Click);
  Wire("Odczyt1", &TGlowneOkno::Odczyt1Click);
  Wire("Zapis1", &TGlowneOkno::Zapis1Click);
  Wire("Przeczeniewtrybfiskalny1", &TGlowneOkno::Przeczeniewtrybfiskalny1Click);
  Wire("Nrkasyikodobsugujcego1", &TGlowneOkno::Nrkasyikodobsugujcego1Click);
  Wire("Ilo1", &TGlowneOkno::Ilo1Click);
  Wire("Sposbzaokrglania1", &TGlowneOkno::Sposbzaokrglania1Click);
  Wire("Oprogramie1", &TGlowneOkno::Oprogramie1Click);
  Wire("Odczytuytkownika1", &TGlowneOkno::Odczytuytkownika1Click);
  FormCreate();

  // The dialogs, in their order, and what they run next.
  session_->CreateForms();
  session_->fStawkiPodatkowe->ReadRates = [this] { Odczyt1Click(); };
  session_->fUstawZegar->ReadClock = [this] { Odczytzegara1Click(); };
  session_->fPrzestawianie->ReadClock = [this] { Odczytzegara1Click(); };
}

TGlowneOkno::~TGlowneOkno() {
  forms::UnregisterForm(this);
  // The dialogs go first, the window last.
  session_.reset();
  delete ui;
}

QAction* TGlowneOkno::Item(const char* name) const {
  return findChild<QAction*>(QString::fromLatin1(name));
}

void TGlowneOkno::Wire(const char* item, void (TGlowneOkno::*handler)()) {
  connect(Item(item), &QAction::triggered, this, [this, handler] { RunAction(handler); });
}

void TGlowneOkno::RunAction(void (TGlowneOkno::*handler)()) {
  if (forms::Busy()) {
    forms::Trace("refused");
    return;
  }
  ActionScope action(*session_);
  (this->*handler)();
}

void TGlowneOkno::CloseAfterAction() {
  QTimer::singleShot(0, this, [this] {
    if (!forms::Busy()) close();
  });
}

void TGlowneOkno::FormCreate() {
  forms::Application::SetExceptionHandler(
      [this](QObject* sender, std::exception_ptr error) { AppException(sender, error); });
  setWindowTitle(
      QString::fromUtf8("Program użytkownika drukarek fiskalnych VELTA Kavor i Kavor F"));
  HideUnreachableItems();
}

void TGlowneOkno::HideUnreachableItems() {
  for (const char* name :
       {"Przeczeniewtrybfiskalny1", "Raportrozliczeniowy1", "Inicjowaniezegara1"}) {
    Item(name)->setVisible(false);
    Item(name)->setEnabled(false);
  }
}

void TGlowneOkno::EnableGenerationItems(bool secondGeneration) {
  for (const char* name : kGenerationItems) Item(name)->setEnabled(secondGeneration);
}

void TGlowneOkno::SetPanelText(int panel, const std::string& cp1250Text) {
  panels_.at(static_cast<size_t>(panel))->setText(forms::ToQ(cp1250Text));
}

QString TGlowneOkno::PanelText(int panel) const {
  return panels_.at(static_cast<size_t>(panel))->text();
}

void TGlowneOkno::ShowDeviceName() {
  ShowDeviceName({session_->ComPortNumber, session_->ComBaudRate});
}

void TGlowneOkno::ShowConfirmedDevice(const PortSettings& settings) {
  HideUnreachableItems();
  EnableGenerationItems(kavoruw::IsSecondGeneration(kavoruw::LinkState().DeviceKind));
  ShowDeviceName(settings);
}

void TGlowneOkno::ShowDeviceName(const PortSettings& settings) {
  std::string name;
  const int32_t code = kavoruw::DeviceName(name);
  if (code != 0) {
    AttentionBeep();
    ErrorBox(ErrMessageText(code));
    return;
  }
  SetPanelText(0, forms::FromQ(forms::ToQ(name).toUpper()));
  SetPanelText(1, "COM" + std::to_string(settings.ComPortNumber) + ", " +
                      std::to_string(settings.ComBaudRate) + " b/s");
}

void TGlowneOkno::AppException(QObject* sender, std::exception_ptr error) {
  for (QObject* o = sender; o != nullptr; o = o->parent()) {
    if (o->objectName() == "meZegar") {
      ErrorBox(Cp("Godzina została wprowadzona nieprawidłowo."));
      return;
    }
  }
  forms::Application::DefaultExceptionHandler(sender, error);
}

void TGlowneOkno::Processmessages() { forms::ProcessMessages(); }

void TGlowneOkno::ShowBusyCursor() {
  forms::Trace("cursor busy");
  cursor_->ShowBusy();
}

void TGlowneOkno::ShowArrowCursor() {
  forms::Trace("cursor arrow");
  cursor_->ShowArrow();
}

// --- Progress text --------------------------------------------------------------

QRect TGlowneOkno::ProgressTextRect(int windowWidth, int windowHeight, int statusBarHeight,
                                    int textWidth, int textHeight) {
  // Integer division rounds toward zero: an odd difference puts the text a
  // pixel to the left and up.
  const int left = (windowWidth - textWidth) / 2 - 2;
  const int right = left + textWidth + 2;
  const int top = (windowHeight - statusBarHeight - textHeight) / 2 - 2;
  const int bottom = top + textHeight + 2;
  return QRect(QPoint(left, top), QPoint(right, bottom));
}

void TGlowneOkno::ShowProgressText(const std::string& cp1250Text) {
  QFont font = this->font();
  font.setPointSize(12);
  setFont(font);
  progressText_ = forms::ToQ(cp1250Text);
  forms::Trace(cp1250Text.empty() ? "progress" : "progress " + forms::Utf8(cp1250Text));
  ui->centralwidget->repaint();
}

void TGlowneOkno::PaintProgressText() {
  if (progressText_.isEmpty()) return;
  QPainter painter(ui->centralwidget);
  painter.setFont(font());
  const QFontMetrics metrics(font());
  const QRect frame = frameGeometry();
  // The rectangle's right and bottom edges are exclusive: the fill stops one
  // pixel short of them.
  const QRect r = ProgressTextRect(frame.width(), frame.height(), ui->sb->height(),
                                   metrics.horizontalAdvance(progressText_), metrics.height());
  const QRect fill(r.left(), r.top(), r.width() - 1, r.height() - 1);
  painter.fillRect(fill, kActiveBorder);
  painter.setClipRect(fill);
  painter.setPen(Qt::black);
  painter.drawText(QPoint(r.left(), r.top() + metrics.ascent()), progressText_);
  painter.setClipping(false);
  painter.setPen(kActiveBorder);
  painter.drawRect(fill.adjusted(0, 0, -1, -1));
}

bool TGlowneOkno::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->centralwidget && event->type() == QEvent::Paint) {
    PaintProgressText();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

// --- Activation and closing ---------------------------------------------------

void TGlowneOkno::FormActivate() {
  ConsoleSession& session = *session_;
  if (!session.FirstActivation) {
    session.ShowProgressText("");
    return;
  }
  session.FirstActivation = false;
  // Erases the progress text however the activation ends.
  ActionScope action(session);
  if (session.ComPortNumber == 0 || session.ComBaudRate == 0) {
    AttentionBeep();
    AskPortSettings();
    return;
  }
  repaint();
  const int32_t opened = session.ReopenPort();
  if (opened != 0) {
    AttentionBeep();
    ErrorBox(OpenPortErrorText(opened, session.ComPortNumber));
    AttentionBeep();
    AskPortSettings();
    return;
  }
  uint8_t deviceType = 0;
  bool errorShown = false;
  if (!session.CheckConnectedDevice(deviceType, errorShown)) {
    if (!errorShown) {
      ReportError(Cp("Podłączone urządzenie nie jest drukarką fiskalną"));
    } else {
      AttentionBeep();
      AskPortSettings();
    }
    return;
  }
  uint32_t version = 0;
  const int32_t identified = kavoruw::IdentifyDevice(version);
  if (identified != 0) {
    ReportDriverError(identified);
  } else {
    EnableGenerationItems(kavoruw::IsSecondGeneration(kavoruw::LinkState().DeviceKind));
    ShowDeviceName();
  }
}

void TGlowneOkno::FormClose() { kavoruw::ClosePortObject(); }

void TGlowneOkno::closeEvent(QCloseEvent* event) {
  if (forms::Busy()) {
    // The driver call under way finishes first; the window closes after it.
    closeWaiting_ = true;
    event->ignore();
    return;
  }
  closeWaiting_ = false;
  FormClose();
  event->accept();
}

// --- The communication settings ---------------------------------------------------

void TGlowneOkno::Parametry1Click() {
  AttentionBeep();
  AskPortSettings();
}

void TGlowneOkno::AskPortSettings() {
  ConsoleSession& session = *session_;
  if (const std::optional<PortSettings> tried =
          session.Komunikacja->Ask({session.ComPortNumber, session.ComBaudRate})) {
    session.ComPortNumber = tried->ComPortNumber;
    session.ComBaudRate = tried->ComBaudRate;
  }
}
