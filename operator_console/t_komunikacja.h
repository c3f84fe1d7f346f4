#pragma once
// The communication settings dialog: port number and speed, confirmed by
// identifying the printer on them.
#include <optional>

#include "forms/form.h"
#include "operator_console/console_state.h"

namespace Ui {
class TKomunikacja;
}

class TKomunikacja : public forms::Form {
  Q_OBJECT

 public:
  explicit TKomunikacja(ConsoleState& console, QWidget* parent = nullptr);
  ~TKomunikacja() override;

  // Shown modally with these settings. Each Tak tries the settings typed:
  // they are the console's from then on, whether the printer answered on
  // them or not. The settings of the last Tak; nothing when the dialog was
  // left without one.
  std::optional<PortSettings> Ask(const PortSettings& current);

  void Button1Click();
  bool seNumerPortuKeyDown(int key);

  Ui::TKomunikacja* ui = nullptr;

 protected:
  ConsoleState& console_;

  void FormActivate() override;
  void FormClose() override;
  bool FormKeyDown(int key) override;
  // Enter in the port field with port 0 typed is refused here, before the
  // form brings the field into its range (which would make it COM1).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The settings as the controls give them: the port in the dialog's range,
  // the speed index × 9600 + 9600.
  PortSettings Typed() const;
  // The controls show the current settings.
  void ShowSettings();

  PortSettings current_;
  std::optional<PortSettings> tried_;
};
