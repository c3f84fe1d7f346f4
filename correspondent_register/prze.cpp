#include "correspondent_register/prze.h"

#include <QCloseEvent>
#include <QShowEvent>

#include "correspondent_register/core/hooks.h"
#include "correspondent_register/core/register_tables.h"
#include "ui_prze.h"

namespace zorvel {

TPrze::TPrze(RegisterState& session, QWidget* parent)
    : Form(parent), session_(session), ui_(std::make_unique<Ui::TPrze>()) {
  ui_->setupUi(this);
  setObjectName("TPrze");
  move(61, 100);
  BazaPrz.DatabaseName = "Przepo";
  Dostep.setObjectName("Dostep");
  Dostep.SetTable(&Przq);
  ui_->Poledoed->SetDataSource(&Dostep, "TRESC");
  ui_->DBNavigator1->SetDataSource(&Dostep);
  ui_->DBNavigator1->SetVisibleButtons({forms::NavButton::First, forms::NavButton::Prior,
                                        forms::NavButton::Next, forms::NavButton::Last,
                                        forms::NavButton::Insert, forms::NavButton::Delete,
                                        forms::NavButton::Edit});
  connect(ui_->zam, &QPushButton::clicked, this, [this] { zamClick(); });
  WireControls();
  SetCancelButton(ui_->zam);

  TimerPrz.setObjectName("TimerPrz");
  TimerPrz.setInterval(1000);
  connect(&TimerPrz, &QTimer::timeout, this, [this] { TimerPrzTimer(); });
  TimerPrz.start();
}

TPrze::~TPrze() { Dostep.SetTable(nullptr); }

void TPrze::PointAt(const std::string& dataDir) {
  Przq.Close();
  BazaPrz.Disconnect();
  BazaPrz.SetParams(dataDir);
}

void TPrze::OpenFrom(const std::string& dataDir) {
  if (isVisible()) {
    raise();
    activateWindow();
    return;
  }
  PointAt(dataDir);
  BazaPrz.Connect();
  Przq.Open(BazaPrz.TableHostPath(session_.Core.Drives, kPrzepoFile));
  show();
}

void TPrze::showEvent(QShowEvent* event) {
  Form::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TPrze::FormShow() {
  session_.PredictionCountdown = kPredictionSeconds;
  emit Shown();
}

void TPrze::TimerPrzTimer() {
  if (session_.PredictionCountdown > 0) {
    --session_.PredictionCountdown;
    if (session_.PredictionCountdown < 300)
      ui_->zam->setText(QString::number(session_.PredictionCountdown));
  }
  if (session_.PredictionCountdown == 1) zamClick();
}

void TPrze::zamClick() {
  // A text being edited is posted before the window goes; when it cannot be,
  // the window stays open with the error shown and its countdown restarted.
  try {
    if (Przq.Active()) Przq.Post();
  } catch (const std::exception& e) {
    session_.PredictionCountdown = kPredictionSeconds;
    session_.Core.Hooks.ShowErrorBox(e.what());
    return;
  }
  Close();
}

void TPrze::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (isVisible()) zamClick();
}

void TPrze::FormClose() {
  Przq.Close();
  BazaPrz.Disconnect();
  session_.PredictionCountdown = 0;
  emit Closed();
}

}  // namespace zorvel
