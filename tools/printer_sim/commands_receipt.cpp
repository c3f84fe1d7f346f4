// Receipts: '!' 0x06 0x17 0x80 0x1B 0x07 0x81 0x82 0x09 '$', totals 0xDA, sample printouts 's'.
#include "tools/printer_sim/commands.h"

namespace printer_sim {

void RegisterReceiptCommands(CommandTable& /*table*/) {}

}  // namespace printer_sim
