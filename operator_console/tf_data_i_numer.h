#pragma once
// The prompt of the settlement report: today's date and the printer's unique
// number. "Tak" answers Yes (6); "Nie", Enter and Esc answer No (7). A number
// that is not complete cannot be used: "Tak", or Enter in a field after some
// digits, says so and the prompt stays open. Tab moves between the fields (not
// through the parts of the date).
#include <QDate>
#include <QString>

#include "forms/form.h"
#include "operator_console/console_state.h"

namespace Ui {
class TfDataINumer;
}

class TfDataINumer : public forms::Form {
  Q_OBJECT

 public:
  explicit TfDataINumer(ConsoleState& console, QWidget* parent = nullptr);
  ~TfDataINumer() override;

  // What the caller presets before showing the prompt and reads afterwards.
  void SetDate(const QDate& date);
  QDate Date() const;
  void SetNumber(const QString& digits);
  // The number field's text as the program reads it (unfilled places blank).
  QString Number() const;

  // "Tak": ends with Yes once the number can be used.
  void Button2Click();
  // "Nie": ends with No.
  void Button1Click();

  Ui::TfDataINumer* ui = nullptr;

 protected:
  ConsoleState& console_;

  // The prompt opens centred on the main window.
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // False, with the reason shown and the focus in the number, when the
  // number is not complete.
  bool NumberUsable();
};
