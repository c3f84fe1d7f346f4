#pragma once
// The VAT rates read from the printer, one line per rate (read only).
#include <string>
#include <vector>

#include "forms/form.h"
#include "operator_console/console_state.h"

class QLabel;

namespace Ui {
class TfOdczytStawek;
}

class TfOdczytStawek : public forms::Form {
  Q_OBJECT

 public:
  explicit TfOdczytStawek(ConsoleState& console, QWidget* parent = nullptr);
  ~TfOdczytStawek() override;

  // Line n into Label(n + 1), shown; the labels of rates not reported hidden.
  void ShowLines(const std::vector<std::string>& cp1250Lines);
  QLabel* Line(int index) const;

  // "OK": closes the dialog.
  void Button1Click();

  Ui::TfOdczytStawek* ui = nullptr;

 protected:
  ConsoleState& console_;

  void FormActivate() override;
  void FormClose() override;
  bool FormKeyDown(int key) override;
};
