#pragma once
// The predictions window: the free texts of PRZEPO.DBF in a formatted-text
// field, a navigator and an OK button that shows the countdown. It closes
// itself 330 seconds after it opened; while it is open the register
// window's idle count stands still.
#include <QTimer>
#include <memory>
#include <string>

#include "correspondent_register/database.h"
#include "correspondent_register/state.h"
#include "dbase/dbase.h"
#include "forms/data/data_source.h"
#include "forms/form.h"

namespace Ui {
class TPrze;
}

namespace zorvel {

class TPrze : public forms::Form {
  Q_OBJECT

 public:
  explicit TPrze(RegisterState& session, QWidget* parent = nullptr);
  ~TPrze() override;

  dbase::Table Przq;
  Database BazaPrz;
  forms::DataSource Dostep;
  // Ticks once a second: counts down to the window closing itself.
  QTimer TimerPrz;

  // Closes the table and points the connection at a register folder.
  void PointAt(const std::string& dataDir);
  // The register window's "Nowa przepowiednia": the table opened from the
  // folder and the window shown; an open window is only raised, so that a
  // text being edited is kept.
  void OpenFrom(const std::string& dataDir);

  void FormShow();
  void TimerPrzTimer();
  void zamClick();

  Ui::TPrze* ui() const { return ui_.get(); }

 signals:
  void Shown();
  void Closed();

 protected:
  void FormClose() override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  RegisterState& session_;
  std::unique_ptr<Ui::TPrze> ui_;
};

}  // namespace zorvel
