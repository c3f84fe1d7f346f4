#include "printer_link/device/console_hooks.h"

#include "platform/text/cp1250.h"
#include "printer_link/port/hand_off.h"

namespace kavoruw {

void InstallConsoleHooks(ConsoleHooks hooks) {
  InstalledHooks() = std::move(hooks);
  SetTransferWaitHook(InstalledHooks().whileWaiting);
}

void ShowProgressText(std::string_view utf8Text) {
  const ConsoleHooks& hooks = InstalledHooks();
  if (hooks.showProgressText) hooks.showProgressText(platform::Cp1250FromUtf8(utf8Text));
}

void ProcessMessages() {
  const ConsoleHooks& hooks = InstalledHooks();
  if (hooks.processMessages) hooks.processMessages();
}

}  // namespace kavoruw
