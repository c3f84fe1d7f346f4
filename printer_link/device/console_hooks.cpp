#include "printer_link/device/console_hooks.h"

#include "platform/text/cp1250.h"
#include "printer_link/port/hand_off.h"

namespace kavoruw {

namespace {
ConsoleHooks installed;
}

void SetConsoleHooks(ConsoleHooks hooks) {
  installed = std::move(hooks);
  SetTransferWaitHook(installed.whileWaiting);
}

void ShowProgressText(std::string_view utf8Text) {
  if (installed.showProgressText) installed.showProgressText(platform::Cp1250FromUtf8(utf8Text));
}

void ProcessMessages() {
  if (installed.processMessages) installed.processMessages();
}

}  // namespace kavoruw
