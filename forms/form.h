#pragma once
// A dialog form as the programs' windows expect one:
// - modal results are the message boxes' numbers (1 OK, 2 Cancel, 6 Yes, 7 No) and
//   setting one closes the form through its close handler;
// - Esc and the close box take the same close path, so FormClose always runs;
//   a close box pressed while a driver call waits under the form acts once
//   the call has returned;
// - Enter goes to a focused button, else the default button; Esc to the
//   cancel button, else closes the form;
// - with key preview, FormKeyDown sees every key before the control does;
// - Alt+Down and F4 open a date picker's calendar;
// - FormActivate runs when the program's active form changes to this one;
// - it opens centred over its owner (see CentreOverOwner) and its frame has
//   a close box only;
// - exit handlers run only when the focus moves inside the form;
// - confirming (Enter outside a multi-line text, or pressing any button but
//   the cancel button) first brings every spin edit into its range, so a
//   value typed out of range and confirmed without leaving its field is never used.
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <map>

#include "forms/keys.h"

namespace forms {

enum : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

class Form : public QDialog {
  Q_OBJECT

 public:
  explicit Form(QWidget* parent = nullptr);
  ~Form() override;

  int ModalResult() const { return modalResult_; }
  // Closes the form (close handler first) and ends its modal run with `result`.
  void SetModalResult(int result);
  // The path of the close box and Esc: modal result Cancel unless one is set.
  void Close();
  bool Closing() const { return closing_; }

  void SetKeyPreview(bool on) { keyPreview_ = on; }
  void SetDefaultButton(QPushButton* button) { defaultButton_ = button; }
  void SetCancelButton(QPushButton* button) { cancelButton_ = button; }

  // Call once the controls exist (after setupUi): every control gets the
  // form's key routing and exit tracking.
  void WireControls();
  // The usual set-up of a dialog once its controls exist: its size fixed,
  // key preview on, the default and cancel buttons set (nullptr: none) and
  // the controls wired.
  void SetUpDialog(QPushButton* defaultButton, QPushButton* cancelButton = nullptr);
  void OnExit(QWidget* control, std::function<void()> handler);
  // The handler sees the control's keys (after key preview); true: handled.
  void OnKeyDown(QWidget* control, std::function<bool(int key)> handler);

  // Every control of the form that corrects its value at confirmation (the
  // spin edits) brought into its range: what confirming does before any
  // handler reads the values.
  void ClampSpinEdits();

  // Called by the modal runner before each run.
  void PrepareModal();
  // Runs FormActivate now (what the program's activation does).
  void Activate() { FormActivate(); }
  // The whole text of the one-line edit or spin edit that has the form's
  // focus selected, so that typing replaces it: what a field given the focus
  // as the form opens shows.
  void SelectFocusedText();

  void reject() override;
  void accept() override;

 protected:
  virtual void FormActivate() {}
  virtual void FormClose() {}
  // Key preview; true: the key is handled and goes no further.
  virtual bool FormKeyDown(int /*key*/) { return false; }

  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool RouteKey(QWidget* target, QKeyEvent* event);

  int modalResult_ = mrNone;
  bool closing_ = false;
  bool keyPreview_ = false;
  QPointer<QPushButton> defaultButton_;
  QPointer<QPushButton> cancelButton_;
  std::map<QObject*, std::function<void()>> exitHandlers_;
  std::map<QObject*, std::function<bool(int)>> keyHandlers_;
};

// Places a window, before it is shown, with its client area centred over the
// owner's (over the screen's available area without an owner); a window
// never sized yet takes its layout's size first, so its first showing is
// where every later one is.
void CentreOverOwner(QWidget& window, const QWidget* owner);

// True when the focus, leaving `control`, went to another control of the same
// form, and that form is shown and not closing. A message box taking the focus
// or the form closing is not a move inside the form.
bool FocusMovedInsideForm(QWidget* control);

// A control whose value is brought into its range when its form confirms.
class ClampedAtConfirmation {
 public:
  virtual ~ClampedAtConfirmation() = default;
  virtual void ClampAtConfirmation() = 0;
};

}  // namespace forms
