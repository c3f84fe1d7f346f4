#pragma once
// The program's main block: start-up, its session with the windows in their
// order, the message loop.
#include <string>

namespace zorvel {

// The core's boxes, tone and pause through the forms layer, and the
// application's default error box for the exceptions of the handlers.
void InstallWindowHooks();
// "Uwaga!   " + short date + ",  " + long time, from forms::Now().
std::string AlertCaptionNow();

// The main block: start-up, the windows in their order, the message loop.
int RunRegisterTool(int argc, char** argv);

}  // namespace zorvel
