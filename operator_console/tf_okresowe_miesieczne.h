#pragma once
// The dialog of the monthly periodic report.
#include "operator_console/console_dialog.h"

namespace Ui {
class TfOkresoweMiesieczne;
}

class TfOkresoweMiesieczne : public TRangeReportDialog {
  Q_OBJECT

 public:
  explicit TfOkresoweMiesieczne(ConsoleState& console, QWidget* parent = nullptr);
  ~TfOkresoweMiesieczne() override;

  // The month shown when the dialog opens: the one before today's.
  void Preset(const QDate& today);

  Ui::TfOkresoweMiesieczne* ui = nullptr;

 private:
  void Tak() override;
};
