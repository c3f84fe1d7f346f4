#pragma once
// The dialog of the periodic report by dates. In settlement-range mode its
// Tak prints nothing: it hands the range back and ends with Yes.
#include "operator_console/console_dialog.h"

namespace Ui {
class TfRaportyOkresoweWgDat;
}

class TfRaportyOkresoweWgDat : public TRangeReportDialog {
  Q_OBJECT

 public:
  explicit TfRaportyOkresoweWgDat(ConsoleState& console, QWidget* parent = nullptr);
  ~TfRaportyOkresoweWgDat() override;

  // The range shown when the dialog opens (the menu items and the
  // settlement report preset today for both).
  void Preset(const QDate& from, const QDate& to);

  Ui::TfRaportyOkresoweWgDat* ui = nullptr;

 protected:
  void FormActivate() override;

 private:
  void Tak() override;
};
