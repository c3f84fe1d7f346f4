// The link test, resuming a printout and the receipt counter.
#include "tools/printer_sim/commands.h"

namespace printer_sim {

namespace {

// Command bytes and their handlers.
constexpr uint8_t kLinkTest = '#';
constexpr uint8_t kResumePrint = '*';
constexpr uint8_t kReceiptCounter = 'f';

void LinkTestCommand(Frame& frame) {
  // '#' also cancels an open receipt (commands_receipt.cpp).
  if (!CancelReceiptOnLinkTest(*frame.State())) return frame.Refuse(kNak);
  frame.Answer({});
}

void ResumePrintCommand(Frame& frame) {
  ResumePrintout(*frame.State());
  frame.Answer({});
}

void ReceiptCounterCommand(Frame& frame) {
  uint16_t counter = frame.State()->receiptCounter;
  frame.Answer({static_cast<uint8_t>(counter & 0xFF), static_cast<uint8_t>(counter >> 8)});
}

}  // namespace

void RegisterPrintingCommands(CommandTable& table) {
  table.Register(kLinkTest, &LinkTestCommand);
  table.Register(kResumePrint, &ResumePrintCommand);
  table.Register(kReceiptCounter, &ReceiptCounterCommand);
}

}  // namespace printer_sim
