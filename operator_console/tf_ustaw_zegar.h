#pragma once
// The dialog that initialises an erased printer clock.
#include <QDateTime>
#include <functional>

#include "operator_console/console_dialog.h"

namespace Ui {
class TfUstawZegar;
}

class TfUstawZegar : public TConsoleDialog {
  Q_OBJECT

 public:
  explicit TfUstawZegar(ConsoleState& console, QWidget* parent = nullptr);
  ~TfUstawZegar() override;

  // What a successful Tak runs next: the clock read and shown (the main
  // window's clock read).
  std::function<void()> ReadClock;

  // dtDate := the date of `now` (the nearer limit of the picker's range when
  // it lies outside), meZegar := its "hh:mm", Tak enabled.
  void Preset(const QDateTime& now);

  // "Tak": sets the clock; "Nie" (Button2) ends with No.
  void Button1Click();
  void Button2Click();
  bool meZegarKeyDown(int key);
  bool dtDateKeyDown(int key);

  Ui::TfUstawZegar* ui = nullptr;

 protected:
  void FormActivate() override;

 private:
  void Tak();
};
