// Reports and counters: '%' '"' '0' '&' '(' ')' '1', 0xD9 0xD8.
#include "tools/printer_sim/commands.h"

namespace printer_sim {

void RegisterReportCommands(CommandTable& /*table*/) {}

}  // namespace printer_sim
