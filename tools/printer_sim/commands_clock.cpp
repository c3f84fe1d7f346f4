// Clock: '5' 0x40 read, '4' set, '6' shift.
#include "tools/printer_sim/commands.h"

namespace printer_sim {

void RegisterClockCommands(CommandTable& /*table*/) {}

}  // namespace printer_sim
