#pragma once
// The console driven offscreen against the simulated printer on a
// pseudo-terminal: the printer is reachable as COM<port> in a private port
// folder, message boxes and modal forms are scripted, and the trace records
// tones, boxes, modal forms, the cursor and the progress texts. Later GUI
// tests of the console derive from it.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "operator_console/console_session.h"
#include "operator_console/main_window.h"
#include "tests/forms/gui_fixture.h"
#include "tools/printer_sim/printer_sim.h"

class QAction;

namespace console::testing {

class ConsoleTest : public forms::testing::GuiTest {
 protected:
  // The printer's device kind and the COM number it is reachable under.
  explicit ConsoleTest(uint8_t kind = 3, int port = 1) : sim(kind), simPort(port) {}

  void SetUp() override;
  void TearDown() override;

  // Starts the console as the program does with these arguments (a fresh
  // main window with a fresh session), shows the main window and runs its
  // first activation. False when it found another copy running.
  bool Start(const Arguments& arguments);
  // Only the unit start-up and the forms; no window shown, no activation.
  bool Create(const Arguments& arguments);
  // The first activation (or any later one) of the main window.
  void Activate();

  // A menu item as the operator picks it.
  void Pick(const char* item);
  QAction* Item(const char* name);
  std::string Panel(int index);
  // The boxes shown, as "caption|flags|text".
  std::vector<std::string> Boxes() const;

  // The console's main window and its session, while started.
  std::unique_ptr<TGlowneOkno> console;
  TGlowneOkno* GlowneOkno = nullptr;
  ConsoleSession* session = nullptr;

  // The copies of the console this test counts, apart from any other run.
  std::string instanceScope;
  printer_sim::PrinterSim sim;
  int simPort;
  std::filesystem::path portDir;
  bool started = false;
};

}  // namespace console::testing
