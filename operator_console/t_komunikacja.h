#pragma once
// The communication settings dialog: port number and speed, confirmed by
// identifying the printer on them.
#include "forms/form.h"

namespace Ui {
class TKomunikacja;
}

class TKomunikacja : public forms::Form {
  Q_OBJECT

 public:
  explicit TKomunikacja(QWidget* parent = nullptr);
  ~TKomunikacja() override;

  // The port number as the controls give it, in the dialog's range.
  uint8_t PortFromControls() const;
  // The speed as the controls give it (index × 9600 + 9600).
  uint16_t BaudFromControls() const;
  // The controls show ComPortNumber and ComBaudRate.
  void ShowSettings();

  void Button1Click();
  bool seNumerPortuKeyDown(int key);

  Ui::TKomunikacja* ui = nullptr;

 protected:
  void FormActivate() override;
  void FormClose() override;
  bool FormKeyDown(int key) override;
};
