#pragma once
// The prompt of the settlement report: today's date and the printer's unique
// number. "Tak" answers Yes (6); "Nie", Enter and Esc answer No (7).
#include <QDate>
#include <QString>

#include "forms/form.h"

namespace Ui {
class TfDataINumer;
}

class TfDataINumer : public forms::Form {
  Q_OBJECT

 public:
  explicit TfDataINumer(QWidget* parent = nullptr);
  ~TfDataINumer() override;

  // What the caller presets before showing the prompt and reads afterwards.
  void SetDate(const QDate& date);
  QDate Date() const;
  void SetNumber(const QString& digits);
  // The number field's text as the program reads it (unfilled places blank).
  QString Number() const;

  void Button2Click();
  void Button1Click();

  Ui::TfDataINumer* ui = nullptr;

 protected:
  // The prompt opens centred on the main window.
  void showEvent(QShowEvent* event) override;
};
