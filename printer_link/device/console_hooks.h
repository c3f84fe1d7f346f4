#pragma once
// The calls the driver makes into a hosting program: a one-line progress
// text at the start of a command, one turn of the host's event loop while a
// printout is awaited, and the wait hook of the byte hand-off. The console installs them; under any
// other caller they do nothing.
#include <functional>
#include <string>
#include <string_view>

#include "driver_types.h"
#include "printer_link/port/comm.h"

namespace kavoruw {

// What the facade's SetConsoleHooks runs: the link keeps the hooks.
void InstallConsoleHooks(TPortLink& link, ConsoleHooks hooks);

// Shows a progress text written in UTF-8 (an empty text erases it).
void ShowProgressText(const TPortLink& link, std::string_view utf8Text);
// Lets the host handle its pending events once.
void ProcessMessages(const TPortLink& link);

}  // namespace kavoruw
