#include "tools/printer_sim/commands.h"

namespace printer_sim {

CommandTable BuildCommandTable() {
  CommandTable table;
  RegisterIdentificationCommands(table);
  RegisterStatusCommands(table);
  RegisterListCommands(table);
  RegisterPrintingCommands(table);
  RegisterVatCommands(table);
  RegisterClockCommands(table);
  RegisterReportCommands(table);
  RegisterServiceCommands(table);
  RegisterReceiptCommands(table);
  return table;
}

}  // namespace printer_sim
