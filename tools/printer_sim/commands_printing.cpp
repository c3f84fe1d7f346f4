// The link test, resuming a printout and the receipt counter.
#include "tools/printer_sim/commands.h"

namespace printer_sim {

void RegisterPrintingCommands(CommandTable& table) {
  table.Register('#', [](Frame& frame) {
    // '#' also cancels an open receipt (commands_receipt.cpp).
    if (!CancelReceiptOnLinkTest(*frame.State())) return frame.Refuse(kNak);
    frame.Answer({});
  });
  table.Register('*', [](Frame& frame) {
    ResumePrintout(*frame.State());
    frame.Answer({});
  });
  table.Register('f', [](Frame& frame) {
    uint16_t counter = frame.State()->receiptCounter;
    frame.Answer({static_cast<uint8_t>(counter & 0xFF), static_cast<uint8_t>(counter >> 8)});
  });
}

}  // namespace printer_sim
