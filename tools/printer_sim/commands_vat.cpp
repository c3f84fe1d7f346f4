// VAT rates: 0xD1 0xD0 'p' read, 0xD5 0xD4 'D' write.
#include "tools/printer_sim/commands.h"

namespace printer_sim {

void RegisterVatCommands(CommandTable& /*table*/) {}

}  // namespace printer_sim
