#pragma once
// The program's windows, its main block and the ways it ends.
#include <functional>
#include <string>

namespace zorvel {

class TRegler;
class TPrze;
class TSce;

// The one instance of each window (null until created).
extern TRegler* Regler;
extern TPrze* Prze;
extern TSce* Sce;

// Ends the program at once: no further handler runs and no edited record is
// posted (the idle limit, the chooser without a register). Tests replace it.
void EndProgramAtOnce();
void SetEndProgramAtOnce(std::function<void()> end);
// Requests the end: the message loop ends when it next runs.
void RequestEnd();

// The core's boxes, tone and pause through the forms layer, and the
// application's default error box for the exceptions of the handlers.
void InstallWindowHooks();
// "Uwaga!   " + short date + ",  " + long time, from forms::Now().
std::string AlertCaptionNow();

// The main block: start-up, the windows in their order, the message loop.
int RunRegisterTool(int argc, char** argv);

}  // namespace zorvel
