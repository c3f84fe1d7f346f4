#pragma once
// What the report and clock suites share: the console started on the
// simulated printer with port and speed on the command line, "now" fixed, and
// the frames the driver sent, picked out of the simulator's log.
#include <QDateTime>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "forms/now.h"
#include "forms/text.h"
#include "kavoruw_core.h"
#include "operator_console/logic/clock_logic.h"
#include "operator_console/logic/reports.h"
#include "printer_link/api/link_instance.h"
#include "tests/operator_console/console_fixture.h"

namespace console::testing {

class MenuTest : public ConsoleTest {
 protected:
  explicit MenuTest(uint8_t kind = 3) : ConsoleTest(kind) {}

  void SetUp() override {
    ConsoleTest::SetUp();
    kavoruw::Link().DriverState.PortReadTimeout = 1;
    forms::SetNow([this] { return now; });
    ASSERT_TRUE(Start({"COM1", "9600"}));
    sim.ClearLog();
    ClearTrace();
  }
  void TearDown() override {
    forms::SetNow({});
    ConsoleTest::TearDown();
  }

  // How many frames of this command (ESC, command byte) the printer got.
  int Frames(uint8_t command) const {
    const std::vector<uint8_t> got = sim.Received();
    int n = 0;
    for (size_t i = 0; i + 1 < got.size(); ++i)
      n += got[i] == 0x1B && got[i + 1] == command ? 1 : 0;
    return n;
  }
  // The `count` bytes that followed the last ESC `command` to the printer.
  std::vector<uint8_t> FrameData(uint8_t command, size_t count) const {
    const std::vector<uint8_t> got = sim.Received();
    for (size_t i = got.size(); i-- > 1;) {
      if (got[i - 1] == 0x1B && got[i] == command) {
        const size_t end = std::min(got.size(), i + 1 + count);
        return {got.begin() + static_cast<std::ptrdiff_t>(i + 1),
                got.begin() + static_cast<std::ptrdiff_t>(end)};
      }
    }
    return {};
  }
  static std::string Text(int32_t code) { return forms::Utf8(kavoruw::ErrorText(code)); }
  // What the operator types once the dialog is up: each text into the field
  // that has the focus, Tab between them, then Enter.
  static void TypeFields(forms::Form& dialog, const QStringList& texts) {
    forms::testing::Flush();
    for (qsizetype i = 0; i < texts.size(); ++i) {
      if (i > 0) forms::testing::Key(&dialog, Qt::Key_Tab);
      forms::testing::Type(&dialog, texts[i]);
    }
    forms::testing::Key(&dialog, Qt::Key_Return);
  }

  QDateTime now{QDate(2026, 12, 8), QTime(14, 5, 0)};
};

}  // namespace console::testing
