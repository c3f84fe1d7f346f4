#pragma once
// The dialog of the periodic report by report numbers. In settlement-range
// mode its Tak prints nothing: it hands the range back and ends with Yes,
// the port left open with the long read time-out.
#include "operator_console/console_dialog.h"

namespace Ui {
class TfOkresoweWgNumerow;
}

class TfOkresoweWgNumerow : public TRangeReportDialog {
  Q_OBJECT

 public:
  explicit TfOkresoweWgNumerow(ConsoleState& console, QWidget* parent = nullptr);
  ~TfOkresoweWgNumerow() override;

  // The range shown when the dialog opens (the menu items and the
  // settlement report preset 1 and 1).
  void Preset(int from, int to);

  // The end of the range never goes below its start.
  void seOdChange();

  Ui::TfOkresoweWgNumerow* ui = nullptr;

 private:
  void Tak() override;
};
