#pragma once
// The user data: the receipt header's three free lines and the NIP line,
// edited here, written to and read from the printer, printed as a control
// copy, and saved to or loaded from a text file.
#include <QCheckBox>
#include <functional>
#include <string>

#include "forms/edit.h"
#include "forms/file_dialog.h"
#include "forms/form.h"
#include "forms/radio_group.h"
#include "operator_console/console_state.h"

namespace Ui {
class TfDaneUzytkownika;
}

class TfDaneUzytkownika : public forms::Form {
  Q_OBJECT

 public:
  explicit TfDaneUzytkownika(ConsoleState& console, QWidget* parent = nullptr);
  ~TfDaneUzytkownika() override;

  // Line 0..3 (the NIP line is 3).
  forms::Edit* LineEdit(int line) const;
  // Width of lines 0..2: item 0 = 40 characters, item 1 = 20.
  forms::RadioGroup* WidthGroup(int line) const;
  QCheckBox* CentreBox(int line) const;
  // 40 or 20; the NIP line is always 40.
  int LineWidth(int line) const;

  // "Zapis do drukarki": writes the four lines to the printer.
  void Button2Click();
  // "Odczyt z drukarki": reads the lines from the printer.
  void Button3Click();
  void bWydrKontrClick();
  void bZapisPlikClick();
  void bOdczytPlikClick();
  void rgClick(int line);
  void cbClick(int line);

  forms::FileDialog* zPlik = nullptr;
  forms::FileDialog* oPlik = nullptr;
  Ui::TfDaneUzytkownika* ui = nullptr;

 protected:
  ConsoleState& console_;

  void FormActivate() override;
  void FormClose() override;
  bool FormKeyDown(int key) override;

 private:
  // The refusal texts of the checks before a printer action.
  struct CheckTexts {
    std::string notFiscal;
    std::string cmosErased;
    int cmosTones = 1;
    std::string notSecondGeneration;
  };
  // Device, CMOS, generation and fiscal mode; false when the action ends
  // (refusal shown, `reenable` already run).
  bool PrinterChecks(const CheckTexts& texts, const std::function<void()>& reenable, bool& fiscal);
  // The checks' texts of the read and the control printout.
  static CheckTexts ReadingChecks();
  // Reads the four lines into the edits (the read button's work).
  void ReadFromPrinter();
  // Line formatted by its "Centruj" box and width, put back into its edit.
  void FormatLine(int line);
  // The NIP verdict's box; true when the action goes on.
  bool NipVerdictAccepted(uint8_t verdict);
  void SetButtonsEnabled(bool enabled);
  void SetDialogCursor(bool busy);

  bool running_ = false;
};
