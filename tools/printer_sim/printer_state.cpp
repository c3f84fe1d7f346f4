#include "tools/printer_sim/printer_state.h"
#include "tools/printer_sim/status_bits.h"

#include <algorithm>

namespace printer_sim {

uint8_t TypeByte(uint8_t kind) {
  switch (kind) {
    case 0: return 2;
    case 1: return 17;
    case 2:
    case 3: return 44;
    case 4: return 5;
    case 5:
    case 6: return 18;
    default: return 99;
  }
}

bool AnswersVersionQuery(uint8_t kind) { return kind == 3 || kind == 6 || kind >= kKindOther; }

bool HasSixStatusBytes(const PrinterState& state) {
  return (state.kind == 3 && state.version >= 3) || (state.kind == 6 && state.version >= 6) ||
         state.kind >= kKindOther;
}

namespace {

bool HaltedForPaper(const PrinterState::PrintJob& job) {
  return job.documentPolls == 0 && job.printingPolls > 0 && job.resumesNeeded > 0;
}

}  // namespace

void StartPrintout(PrinterState& state) {
  state.job.documentPolls = 0;
  state.job.printingPolls = state.printJobPolls;
  state.job.resumesNeeded = state.paperStopResumes;
  state.job.paperOutAfterPolls = 0;
}

void ResumePrintout(PrinterState& state) {
  if (state.job.resumesNeeded > 0 && !(state.status[status::kPrint] & status::kNoPaper))
    --state.job.resumesNeeded;
}

uint8_t ReadStatusByte(PrinterState& state, size_t index) {
  PrinterState::PrintJob& job = state.job;
  uint8_t value = state.status[index];
  if (index == status::kPrinter && job.documentPolls > 0) value |= status::kDocumentPending;
  if (index == status::kPrint) {
    if (job.documentPolls == 0 && job.printingPolls > 0) value |= status::kPrinting;
    if (HaltedForPaper(job)) value |= status::kStoppedForPaper;
    if (job.documentPolls > 0) {
      --job.documentPolls;
    } else if (job.printingPolls > 0 && !HaltedForPaper(job)) {
      --job.printingPolls;
      if (job.paperOutAfterPolls > 0 && --job.paperOutAfterPolls == 0 && job.printingPolls > 0) {
        state.status[status::kPrint] |= status::kNoPaper;
        job.resumesNeeded = std::max(job.resumesNeeded, 1);
      }
    }
  }
  return value;
}

}  // namespace printer_sim
