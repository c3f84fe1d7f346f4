#pragma once
// The program's main block: start-up, its session with the windows in their
// order, the message loop.
#include <string>

#include "correspondent_register/core/core_state.h"
#include "forms/application.h"

namespace zorvel {

// The core's boxes, tone and pause through the forms layer, and the
// application's default error box for the exceptions of the handlers; the
// files these boxes name are named through the core's drive map, which must
// outlive them.
void InstallWindowHooks(CoreState& core);
// "Uwaga!   " + short date + ",  " + long time, from forms::Now().
std::string AlertCaptionNow();

// The main block on the program's application (its locale and Qt's texts
// Polish): start-up, the windows in their order, the message loop.
int RunRegisterTool(forms::Application& app);

}  // namespace zorvel
