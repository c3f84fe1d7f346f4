#pragma once
// The main window: the operator's whole workplace, a fixed window with the
// menu of printer actions and a two-panel status bar.
#include <QLabel>
#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "forms/actions.h"
#include "forms/application.h"
#include "operator_console/busy_cursor.h"
#include "operator_console/ci_only_one.h"
#include "operator_console/console_state.h"

namespace Ui {
class TGlowneOkno;
}
class QAction;
class ConsoleSession;

class TGlowneOkno : public QMainWindow, public ConsoleWindow {
  Q_OBJECT

 public:
  // The unit's start-up from the arguments, the window, then its session's
  // dialogs. instanceScope: who the copies are counted for (see
  // TCiaOnlyOne::Scope).
  explicit TGlowneOkno(const Arguments& arguments, const std::string& instanceScope = {},
                       QWidget* parent = nullptr);
  ~TGlowneOkno() override;

  // The console's state and dialogs, owned by this window.
  ConsoleSession& Session() const { return *session_; }

  // The menu item (or submenu) of that component name.
  QAction* Item(const char* name) const;
  // The ten items that only a second-generation printer offers.
  void EnableGenerationItems(bool secondGeneration);
  // The switch to fiscal mode, the settlement report and the clock
  // initialisation stay hidden and disabled whatever the device.
  void HideUnreachableItems();
  // DeviceName and the port settings into the status bar (a box when it
  // fails; the panels then keep their texts).
  void ShowDeviceName();
  void ShowDeviceName(const PortSettings& settings) override;
  void ShowConfirmedDevice(const PortSettings& settings) override;
  // The status bar's two panels (Windows-1250).
  void SetPanelText(int panel, const std::string& cp1250Text);
  QString PanelText(int panel) const;

  // The progress text drawn centred on the window; empty erases it.
  void ShowProgressText(const std::string& cp1250Text) override;
  QString ProgressText() const { return progressText_; }
  // Where the text of that size is drawn in a window of that outer size with
  // a status bar of that height.
  static QRect ProgressTextRect(int windowWidth, int windowHeight, int statusBarHeight,
                                int textWidth, int textHeight);

  // Runs the waiting events except user input (the driver's hook).
  void Processmessages();

  // A close of the window asked for while an action ran.
  bool CloseWaiting() const override { return closeWaiting_; }
  void CloseAfterAction() override;

  void ShowBusyCursor() override;
  void ShowArrowCursor() override;
  bool BusyCursorShown() const override { return cursor_->IsBusy(); }
  QWidget& Widget() override { return *this; }

  TCiaOnlyOne* CiaOnlyOne1 = nullptr;
  Ui::TGlowneOkno* ui = nullptr;

  // --- Event handlers --------------------------------------------------------
  void FormCreate();
  // The first activation opens the port or asks for its settings.
  void FormActivate();
  void FormClose();
  // Exceptions that no handler caught.
  void AppException(QObject* sender, std::exception_ptr error);

  // main_window.cpp: the communication settings
  void Parametry1Click();
  // The settings dialog shown; the settings it tried are the console's.
  void AskPortSettings();
  // main_window_reports.cpp: the report menu
  void Fiskalnydobowy1Click();
  void Stanudrukarki1Click();
  void Wedugnumerw1Click();
  void Wedugnumerw2Click();
  void Wedugdat1Click();
  void Wedugdat2Click();
  void Miesiczny1Click();
  void Miesiczny2Click();
  void Nazwtowarwzablokowanych1Click();
  void Opiswstaych1Click();
  void Kasowaniebuforawycen1Click();
  void Zdalnewyaczeniedrukarki1Click();
  // main_window_service.cpp: the settlement report, the article-name base
  void Cao1Click();
  void Wedugdat3Click();
  void Wedugnumerw3Click();
  void Bazanazwitowarw1Click();
  // kind 1 whole memory, 2 by dates, 3 by numbers.
  void RunSettlementReport(uint8_t kind);
  // The date ("20yy.mm.dd") and the number typed in the prompt: 6 when the
  // operator answered "Tak", else 7.
  int AskDateAndNumber(std::string& date, std::string& number);
  // True when the number typed equals the printer's; date and number are
  // those of the last prompt.
  bool ConfirmUniqueNumber(std::string& date, std::string& number);
  // main_window_tests.cpp: the tests menu and the sample printouts
  void Standrukarki1Click();
  void Bajtystatusu1Click();
  void Wy1Click();
  void N41Click();
  void PamicEPROM1Click();
  void Numerunikatowy1Click();
  void Prbnyparagpn1Click();
  void Stankasy1Click();
  void Pokwitowaniewpaty1Click();
  void Pokwitowaniewypaty1Click();
  void Biecyraportkasowy1Click();
  // main_window_clock.cpp: the clock menu
  void Odczytzegara1Click();
  void Przestawianiezegara1Click();
  void Inicjowaniezegara1Click();
  // main_window_vat.cpp: the VAT-rate menu
  void Odczyt1Click();
  void Zapis1Click();
  // main_window_fiscal.cpp: the switch to fiscal mode
  void Przeczeniewtrybfiskalny1Click();
  void SwitchToFiscalMode();
  // main_window_settings.cpp: settings, user data, about box
  void Nrkasyikodobsugujcego1Click();
  void Ilo1Click();
  void Sposbzaokrglania1Click();
  void Oprogramie1Click();
  void Odczytuytkownika1Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A menu action: refused while another one runs; a close asked for
  // meanwhile happens once it is over.
  void RunAction(void (TGlowneOkno::*handler)());
  void Wire(const char* item, void (TGlowneOkno::*handler)());
  void PaintProgressText();

  std::unique_ptr<ConsoleSession> session_;
  std::vector<QLabel*> panels_;
  QString progressText_;
  WindowCursor* cursor_ = nullptr;
  bool closeWaiting_ = false;
};
