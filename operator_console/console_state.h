#pragma once
// The console's state under the names the program uses, held by the session
// that the main window owns (console_session.h), and what the windows do
// through it: the main window's progress text and cursor, the port settings,
// the device check and the guard of an action. Windows get this part of the
// session passed in; nothing here is a global and nothing is ever saved.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/actions.h"
#include "operator_console/busy_cursor.h"
#include "operator_console/logic/reports.h"
#include "operator_console/logic/vat_rates.h"

// The arguments after the program path.
using Arguments = std::vector<std::string>;

// Port number and line speed as the communication settings dialog confirms
// them.
struct PortSettings {
  uint8_t ComPortNumber = 0;
  uint16_t ComBaudRate = 0;
  bool operator==(const PortSettings&) const = default;
};

// The main window as the other windows and the actions use it.
class ConsoleWindow {
 public:
  // The progress text drawn centred on the window; empty erases it.
  virtual void ShowProgressText(const std::string& cp1250Text) = 0;
  virtual void ShowBusyCursor() = 0;
  virtual void ShowArrowCursor() = 0;
  virtual bool BusyCursorShown() const = 0;
  // The device's name and these settings in the status bar.
  virtual void ShowDeviceName(const PortSettings& settings) = 0;
  // A device confirmed by the settings dialog: the menu follows its
  // generation, the status bar shows it.
  virtual void ShowConfirmedDevice(const PortSettings& settings) = 0;
  // A close asked for while an action ran happens once it is over.
  virtual bool CloseWaiting() const = 0;
  virtual void CloseAfterAction() = 0;
  // The window the dialogs centre over.
  virtual QWidget& Widget() = 0;

 protected:
  ~ConsoleWindow() = default;
};

class ConsoleState {
 public:
  explicit ConsoleState(ConsoleWindow* window = nullptr) : window_(window) {}
  ConsoleState(const ConsoleState&) = delete;
  ConsoleState& operator=(const ConsoleState&) = delete;

  // COM port number; 0 = not chosen yet.
  uint8_t ComPortNumber = 0;
  // Line speed, 9600 or 19200; 0 = not chosen yet.
  uint16_t ComBaudRate = 0;
  // The main window has not been activated yet.
  bool FirstActivation = true;
  // The settlement report asks a range dialog for its range: the dialog
  // hands it back instead of printing.
  bool SettlementRangeMode = false;
  // The VAT-rate dialog was opened by the switch to fiscal mode.
  bool FiscalizationInProgress = false;
  // The kind of the periodic report the menu asked for last.
  uint32_t PeriodReportKind = 0;
  // The range the settlement report was handed back.
  console::ReportParams SettlementRange{};
  // The rates last read by the read or write action (A first).
  console::VatRateTable VatRates{};
  // The rates of the switch to fiscal mode, as the editor confirmed them.
  console::FiscalVatRateTable FiscalVatRates = console::kAllReserveVatRates;
  // Set by an accepted clock initialisation, cleared by the next
  // initialisation and by a clock read that still finds the clock memory
  // erased.
  uint8_t ClockJustInitialised = 0;
  // The animated busy cursor read at start; none: the standard one.
  std::optional<AnimatedCursorData> BusyCursor;

  // The main window (null before it is there).
  ConsoleWindow* Window() const { return window_; }

  // The progress text on the main window; empty erases it.
  void ShowProgressText(const std::string& cp1250Text);
  void ClearProgressText();
  // The main window's own cursor around driver calls.
  void SetBusyCursor();
  void SetArrowCursor();
  // What comes before every box: the arrow cursor and the progress text erased.
  void ClearForBox();
  // A driver call under the busy cursor; the arrow comes back after it.
  int32_t Busy(const std::function<int32_t()>& call);

  // The settings as the settings dialog shows them: no port chosen shows as
  // COM1, any speed but 19200 as 9600.
  PortSettings ShownPortSettings() const;
  // The port closed and opened again with these settings (the session's
  // when left out) and the driver's time-outs. The driver's result of the
  // opening.
  int32_t ReopenPort();
  int32_t ReopenPort(const PortSettings& settings);
  // The same on the session's settings for a long report about to run: the
  // driver opens it with the long read time-out and gives it the normal
  // time-outs back after the report.
  int32_t ReopenPortForLongReport();
  // Takes the settings as the settings dialog shows them, reopens the port
  // on them and identifies the device. True when a fiscal printer (kind
  // 0..6) answered, the status bar showing it. False with errorShown false:
  // another device (kind 7) answered. False with errorShown true: the check
  // showed its error box itself. The progress text stays on.
  bool CheckConnectedDevice(uint8_t& deviceType, bool& errorShown);
  // The same on the settings the dialog is confirming.
  bool CheckConnectedDevice(const PortSettings& settings, uint8_t& deviceType, bool& errorShown);
  // The device check as every menu action starts: false (with the refusal
  // shown and the progress text cleared) when the action must end.
  bool StandardDeviceCheck(uint8_t& deviceType);

 private:
  ConsoleWindow* window_;
};

// An action of the console that must not be entered twice (menu items, the
// first activation, the dialog's confirmation): while one runs, menu items
// are refused and a close of the main window waits until it is over. It owns
// the busy cursor and the progress text: however the action ends, the arrow
// comes back and the progress text is erased (and every box erases it first,
// see ClearForBox).
class ActionScope {
 public:
  explicit ActionScope(ConsoleState& console);
  ~ActionScope();
  ActionScope(const ActionScope&) = delete;
  ActionScope& operator=(const ActionScope&) = delete;

 private:
  ConsoleState& console_;
  bool outermost_;
  forms::BusyScope busy_;
};

// The first argument "COM1".."COM9" (ASCII letters in any case) gives the
// port; 0 when none does.
uint8_t ParsePortArgument(const Arguments& arguments);
// The first argument that is exactly "9600" or "19200" gives the speed; 0
// when none does.
uint16_t ParseBaudArgument(const Arguments& arguments);

// The unit's start-up: flags, the animated busy cursor from the current
// folder, then port and speed from the command line.
void InitializeConsoleUnit(ConsoleState& console, const Arguments& arguments);
