#pragma once
// What the console's report and clock dialogs share: Esc, the progress text
// erased on closing, and a guard around the driver call of their action
// button: while it runs, the button stays
// disabled and neither Esc, "Nie" nor the close box ends the dialog.
#include <QDate>
#include <QObject>
#include <QPushButton>
#include <cstdint>
#include <functional>
#include <optional>

#include "forms/form.h"
#include "forms/mask_edit.h"
#include "operator_console/console_state.h"
#include "operator_console/logic/reports.h"

// What a report dialog's Tak does: print the periodic report of that kind,
// or, in settlement-range mode, print nothing and hand its range back.
struct ReportRequest {
  uint32_t PeriodReportKind = 0;
  bool SettlementRangeMode = false;
};

class TConsoleDialog : public forms::Form {
  Q_OBJECT

 public:
  explicit TConsoleDialog(ConsoleState& console, QWidget* parent = nullptr)
      : forms::Form(parent), console_(console) {}

  // Shown modally for the request. The range its Tak handed back in
  // settlement-range mode (the dialog then ended with Yes); nothing when it
  // printed or was left.
  std::optional<console::ReportParams> RunReport(const ReportRequest& request);

  // The action button's driver call is under way.
  bool Running() const { return running_; }

 protected:
  // Runs the action while `button` is enabled and no action runs.
  void RunGuarded(QPushButton* button, const std::function<void()>& action);
  // Closes the dialog unless its action runs.
  void CloseUnlessRunning();
  // The settlement report asks for a range: it is handed back and the
  // dialog ends with mrYes (true). False: the dialog prints the report itself.
  bool HandBackSettlementRange(const console::ReportParams& range);
  // The request the dialog was shown for.
  const ReportRequest& Request() const { return request_; }

  void FormClose() override;
  bool FormKeyDown(int key) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

  ConsoleState& console_;

 private:
  bool running_ = false;
  ReportRequest request_;
  std::optional<console::ReportParams> handedBack_;
};

// The three periodic-report dialogs: Tak (the default button) runs the
// report under the guard, Cofnij (the cancel button) closes the dialog, and
// Enter in one of the range fields runs Tak without moving the focus.
class TRangeReportDialog : public TConsoleDialog {
  Q_OBJECT

 public:
  using TConsoleDialog::TConsoleDialog;

 protected:
  // Sets the dialog up (after setupUi): Tak and Cofnij clicked, Enter in
  // either range field.
  void SetUpRange(QPushButton* tak, QPushButton* cofnij, QWidget* from, QWidget* to);
  // Tak under the guard; what the Tak button's click does.
  void RunTak();
  // Enter runs Tak (the form has clamped the fields); other keys go on.
  bool EnterRunsTak(int key);
  // The port reopened with the long read time-out (the printer may take long
  // to prepare a report; whether it opened shows in the report call) and
  // the busy cursor.
  void PrepareReport();
  // The report's end: a failure reported, Tak enabled again, the dialog
  // closed and the arrow cursor back.
  void EndReport(int32_t code);

  virtual void Tak() = 0;
  // Tak enabled and the focus in the first range field.
  void FormActivate() override;

 private:
  QPushButton* tak_ = nullptr;
  QWidget* from_ = nullptr;
};

// The calendar date of a picker.
console::Date DateOf(const QDate& date);

// The key filter of the "hh:mm" time field of the clock dialogs: drops what
// cannot stand at the caret and blanks an hour units digit that a '2' typed
// as the hour's tens would turn into an hour above 23.
class TimeFieldFilter : public QObject {
  Q_OBJECT

 public:
  explicit TimeFieldFilter(forms::MaskEdit* field);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  forms::MaskEdit* field_;
};

// An incomplete time left by moving the focus to another field: the box
// "Godzina została wprowadzona nieprawidłowo." and the focus back in the
// field. Moving to a button is not checked here: Tak checks the time itself.
void CheckTimeFieldOnExit(forms::MaskEdit* field);
