#include "printer_link/device/console_hooks.h"

#include "platform/text/cp1250.h"

namespace kavoruw {

void InstallConsoleHooks(TPortLink& link, ConsoleHooks hooks) {
  // Member by member: the port object reads the wait hook where it lies.
  link.Hooks.showProgressText = std::move(hooks.showProgressText);
  link.Hooks.processMessages = std::move(hooks.processMessages);
  link.Hooks.whileWaiting = std::move(hooks.whileWaiting);
}

void ShowProgressText(const TPortLink& link, std::string_view utf8Text) {
  if (link.Hooks.showProgressText) link.Hooks.showProgressText(platform::Cp1250FromUtf8(utf8Text));
}

void ProcessMessages(const TPortLink& link) {
  if (link.Hooks.processMessages) link.Hooks.processMessages();
}

}  // namespace kavoruw
