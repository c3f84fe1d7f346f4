#pragma once
// What the settings dialogs share: Esc and the closing, and the confirmation
// of the three single-setting dialogs.
#include <QPushButton>
#include <functional>

#include "forms/form.h"
#include "forms/keys.h"
#include "operator_console/console.h"
#include "operator_console/console_state.h"

// A settings dialog: Esc closes it, and closing erases the progress text.
class TSettingDialog : public forms::Form {
 public:
  explicit TSettingDialog(ConsoleState& console, QWidget* parent = nullptr)
      : forms::Form(parent), console_(console) {}

 protected:
  void FormClose() override { console_.ClearProgressText(); }
  bool FormKeyDown(int key) override {
    if (key != forms::VK_ESCAPE) return false;
    Close();
    return true;
  }

  // Sets the dialog up (after setupUi): `confirm` runs when Tak is clicked,
  // Nie closes the dialog, Enter in `field` (if any) clicks Tak.
  void SetUpSetting(QPushButton* tak, QPushButton* nie, QWidget* field,
                    std::function<void()> confirm) {
    SetUpDialog(tak, nie);
    if (field != nullptr)
      OnKeyDown(field, [this, tak](int key) { return ConfirmOnEnter(key, *tak); });
    connect(tak, &QPushButton::clicked, this, std::move(confirm));
    connect(nie, &QPushButton::clicked, this, [this] { Close(); });
  }

  // Enter in the setting's field confirms it as the button does.
  bool ConfirmOnEnter(int key, QPushButton& button) {
    if (key != forms::VK_RETURN) return false;
    button.click();
    return true;
  }

  // One driver call with the busy cursor and the button disabled; an error
  // keeps the dialog open with the operator's input, success closes it.
  void ConfirmSetting(QPushButton& button, const std::function<int32_t()>& command) {
    if (!button.isEnabled()) return;
    ActionScope action(console_);
    button.setEnabled(false);
    const int32_t code = console_.Busy(command);
    button.setEnabled(true);
    if (code != 0) {
      ReportDriverError(code);
      return;
    }
    SetModalResult(forms::mrOk);
  }

  ConsoleState& console_;
};
