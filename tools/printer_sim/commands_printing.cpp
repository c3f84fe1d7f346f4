// The link test, resuming a printout and the receipt counter.
#include "tools/printer_sim/commands.h"

namespace printer_sim {

void RegisterPrintingCommands(CommandTable& table) {
  table.Register('#', [](Frame& frame) { frame.Answer({}); });
  table.Register('*', [](Frame& frame) {
    {
      StateRef state = frame.State();
      if (state->job.resumesNeeded > 0) --state->job.resumesNeeded;
    }
    frame.Answer({});
  });
  table.Register('f', [](Frame& frame) {
    uint16_t counter = frame.State()->receiptCounter;
    frame.Answer({static_cast<uint8_t>(counter & 0xFF), static_cast<uint8_t>(counter >> 8)});
  });
}

}  // namespace printer_sim
