#include "printer_link/print_control.h"

#include "printer_link/console_hooks.h"
#include "printer_link/device.h"
#include "printer_link/driver_state.h"
#include "printer_link/engine.h"
#include "printer_link/error_codes.h"
#include "printer_link/link.h"

namespace kavoruw {

namespace {

// Number of PrintResume calls under way. Inside one, the poll sends '*' again
// itself instead of starting another nested poll.
int resumeDepth = 0;

void ShowModeText(int32_t mode) {
  if (mode == kCheckMode) ShowProgressText("Trwa kontrola wydruku...");
  else if (mode == kPrintoutMode) ShowProgressText("Trwa wydruk...");
}

// The status read and '*' of PrintResume, without its wait for the printout.
int32_t SendResume() {
  if (ReceiptOpen) return kErrReceiptOpen;
  uint8_t s3 = 0;
  if (int32_t r = ReadShortStatus(kPrintStatus, s3)) return r;
  if (s3 & status::kNoPaper) return kErrNoPaper;
  return SendCommand('*', 1);
}

int32_t Poll(int32_t mode, bool pump) {
  auto pumpMessages = [pump] {
    if (pump) ProcessMessages();
  };
  uint8_t s = 0;
  pumpMessages();
  if (int32_t r = ReadShortStatus(kPrintStatus, s)) return r;
  if (s & status::kNoPaper) return kErrNoPaper;
  for (;;) {
    pumpMessages();
    if (int32_t r = ReadShortStatus(kPrintStatus, s)) return r;
    if (s & status::kPrintNoControllerLink) return kErrNoControllerLink;
    if (s & status::kPrinterFailure) return kErrPrinterFailure;

    uint8_t s2 = 0, s3 = 0;
    int32_t r = ReadShortStatus(kPrinterStatus, s2);
    pumpMessages();
    if (r != 0) return r;
    r = ReadShortStatus(kPrintStatus, s3);
    pumpMessages();
    if (r != 0) return r;

    const bool document = s2 & status::kDocumentPending;
    const bool printing = s3 & status::kPrinting;
    const bool stopped = s3 & status::kStoppedForPaper;
    if (!document && !printing && !stopped) return 0;

    const bool documentOnly = document && !printing && !stopped;
    if ((printing && !stopped) || (documentOnly && mode == kPrintoutMode)) {
      pumpMessages();
      if (int32_t c = ReadShortStatus(kPrintStatus, s)) return c;
      if (s & status::kNoPaper) return kErrNoPaper;
    }
    if ((printing && stopped) || (documentOnly && mode == kCheckMode)) {
      if (resumeDepth == 0) PrintResume();
      else SendResume();
    }
  }
}

}  // namespace

int32_t PrintControl(int32_t mode) {
  ShowModeText(mode);
  try {
    if (int32_t r = LinkCheck(false)) return r;
    return Poll(mode, true);
  } catch (...) {
    return kErrInternal;
  }
}

int32_t WaitPrintEnd(int32_t mode) {
  ShowModeText(mode);
  if (int32_t r = LinkCheck(false)) return r;
  return Poll(mode, false);
}

int32_t PrintEndOnOpenedLink() {
  ShowModeText(kPrintoutMode);
  return Poll(kPrintoutMode, true);
}

int32_t PrintResume() {
  ShowProgressText("Wznawianie wydruku...");
  struct Depth {
    Depth() { ++resumeDepth; }
    ~Depth() { --resumeDepth; }
  };
  try {
    Depth depth;
    if (int32_t r = LinkCheck(false)) return r;
    if (int32_t r = SendResume()) return r;
    return PrintControl(kPrintoutMode);
  } catch (...) {
    return kErrInternal;
  }
}

}  // namespace kavoruw
