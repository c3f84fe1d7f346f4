#include "printer_link/device/print_end.h"

#include "kavoruw_codes.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"

namespace kavoruw {

namespace {

int32_t CheckLink(const TPrintEndWait& how) { return how.checkLink ? how.checkLink() : kOk; }

// The receipt check, the paper check and '*' of a resume.
int32_t SendResume(const TPrintEndWait& how) {
  if (how.receiptOpen && *how.receiptOpen) return kErrReceiptOpen;
  uint8_t s3 = 0;
  if (int32_t r = ReadStatusByte(kPrintStatus, s3)) return r;
  if (s3 & status::kNoPaper) return kErrNoPaper;
  return ExecuteSequence('*', 1);
}

}  // namespace

void ShowPrintModeText(int32_t mode) {
  if (mode == kCheckMode) ShowProgressText("Trwa kontrola wydruku...");
  else if (mode == kPrintoutMode) ShowProgressText("Trwa wydruk...");
}

// PrintResume's steps; its result is a code the poll does not look at.
int32_t ResumePrintout(const TPrintEndWait& how) {
  ShowProgressText("Wznawianie wydruku...");
  if (PrintEndDepth() > 0) {
    // Already inside a resume's poll: it goes on after this '*'.
    int32_t r = SendResume(how);
    if (r == 0) ShowPrintModeText(kPrintoutMode);
    return r;
  }
  struct Depth {
    Depth() { ++PrintEndDepth(); }
    ~Depth() { --PrintEndDepth(); }
  } depth;
  if (int32_t r = CheckLink(how)) return r;
  if (int32_t r = SendResume(how)) return r;
  ShowPrintModeText(kPrintoutMode);
  return AwaitPrintEnd(kPrintoutMode, how);
}

int32_t AwaitPrintEnd(int32_t mode, const TPrintEndWait& how) {
  auto pumpMessages = [&how] {
    if (how.pump) ProcessMessages();
  };
  uint8_t s = 0;
  pumpMessages();
  if (int32_t r = ReadStatusByte(kPrintStatus, s)) return r;
  if (s & status::kNoPaper) return kErrNoPaper;
  for (;;) {
    pumpMessages();
    if (int32_t r = ReadStatusByte(kPrintStatus, s)) return r;
    if (s & status::kPrintNoControllerLink) return kErrNoControllerLink;
    if (s & status::kPrinterFailure) return kErrPrinterFailure;

    uint8_t s2 = 0, s3 = 0;
    int32_t r = ReadStatusByte(kPrinterStatus, s2);
    pumpMessages();
    if (r != 0) return r;
    r = ReadStatusByte(kPrintStatus, s3);
    pumpMessages();
    if (r != 0) return r;

    const bool document = s2 & status::kDocumentPending;
    const bool printing = s3 & status::kPrinting;
    const bool stopped = s3 & status::kStoppedForPaper;
    if (!document && !printing && !stopped) return 0;

    const bool documentOnly = document && !printing && !stopped;
    if ((printing && !stopped) || (documentOnly && mode == kPrintoutMode)) {
      pumpMessages();
      if (int32_t c = ReadStatusByte(kPrintStatus, s)) return c;
      if (s & status::kNoPaper) return kErrNoPaper;
    }
    if ((printing && stopped) || (documentOnly && mode == kCheckMode)) {
      // A failed resume is not reported: the next status read tells.
      ResumePrintout(how);
    }
  }
}

int32_t PrintEndOnOpenedLink() {
  ShowPrintModeText(kPrintoutMode);
  return AwaitPrintEnd(kPrintoutMode, {.pump = true, .checkLink = nullptr});
}

}  // namespace kavoruw
