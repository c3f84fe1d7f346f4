// Service and settings: 'W' 'X' 'Y' 'C' 'F' 't' '2' 'w' apostrophe 0xFD 'q', user data 0x9C 0x9D 0x9E '3'.
#include "tools/printer_sim/commands.h"

namespace printer_sim {

void RegisterServiceCommands(CommandTable& /*table*/) {}

}  // namespace printer_sim
