#include "tests/operator_console/console_fixture.h"
#include "tests/support/scripted_message_boxes.h"

#include <unistd.h>

#include <QAction>
#include <cstdio>
#include <cstdlib>

#include "forms/activation.h"
#include "kavoruw_core.h"
#include "operator_console/startup.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/port/comm.h"

namespace console::testing {

void ConsoleTest::SetUp() {
  GuiTest::SetUp();
  // Opening a pseudo-terminal needs no time to settle.
  kavoruw::Link().ConnectSettleMs = 0;
  kavoruw::ResetDriverState(kavoruw::Link());
  static int serial = 0;
  instanceScope = "test-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
  portDir = std::filesystem::temp_directory_path() /
            ("kavoruw-console-" + std::to_string(::getpid()) + "-" + std::to_string(serial));
  std::filesystem::create_directories(portDir);
  setenv("KAVORUW_PORT_DIR", portDir.c_str(), 1);
  ASSERT_TRUE(sim.Start());
  ASSERT_TRUE(sim.LinkPort(portDir.string(), simPort));
}

void ConsoleTest::TearDown() {
  // Whatever the test did: every box came after the progress text was erased.
  if (started) {
    const std::vector<std::string>& lines = TraceLines();
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind("box ", 0) != 0) continue;
      EXPECT_TRUE(i > 0 && lines[i - 1] == "progress")
          << "no erased progress text before " << lines[i];
    }
  }
  if (started) StopConsole(console);
  started = false;
  GlowneOkno = nullptr;
  session = nullptr;
  sim.Stop();
  unsetenv("KAVORUW_PORT_DIR");
  std::filesystem::remove_all(portDir);
  GuiTest::TearDown();
}

bool ConsoleTest::Create(const Arguments& arguments) {
  started = true;
  console = StartConsole(arguments, instanceScope);
  GlowneOkno = console.get();
  session = &console->Session();
  return FirstCopy(*console);
}

bool ConsoleTest::Start(const Arguments& arguments) {
  if (!Create(arguments)) return false;
  GlowneOkno->show();
  Activate();
  return true;
}

void ConsoleTest::Activate() {
  forms::ResetActiveForm();
  forms::NoteActivated(GlowneOkno);
}

QAction* ConsoleTest::Item(const char* name) {
  QAction* item = GlowneOkno->Item(name);
  if (item == nullptr) ADD_FAILURE() << "no menu item " << name;
  return item;
}

void ConsoleTest::Pick(const char* item) {
  QAction* action = Item(item);
  if (action) action->trigger();
}

std::string ConsoleTest::Panel(int index) { return GlowneOkno->PanelText(index).toStdString(); }

std::vector<std::string> ConsoleTest::Boxes() const {
  std::vector<std::string> shown;
  for (const forms::BoxRecord& box : boxes.shown) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "%04X", box.flags);
    shown.push_back(box.caption + "|" + flags + "|" + box.text);
  }
  return shown;
}

}  // namespace console::testing
