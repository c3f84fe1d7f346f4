#include "printer_link/device/console_hooks.h"

#include "platform/text/cp1250.h"

namespace kavoruw {

void SetConsoleHooks(ConsoleHooks hooks) { InstalledHooks() = std::move(hooks); }

void ShowProgressText(std::string_view utf8Text) {
  if (InstalledHooks().showProgressText) InstalledHooks().showProgressText(platform::Cp1250FromUtf8(utf8Text));
}

void ProcessMessages() {
  if (InstalledHooks().processMessages) InstalledHooks().processMessages();
}

}  // namespace kavoruw
