#include "printer_link/device/print_end.h"

#include "kavoruw_codes.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"

namespace kavoruw {

namespace {

int32_t CheckLink(const TPrintEndWait& how) { return how.checkLink ? how.checkLink() : kOk; }

// The receipt check, the paper check and '*' of a resume.
int32_t SendResume(TDeviceLink& link, const TPrintEndWait& how) {
  if (how.receipt && how.receipt->Open()) return kErrReceiptOpen;
  uint8_t s3 = 0;
  if (int32_t r = ReadStatusByte(link, kPrintStatus, s3)) return r;
  if (s3 & status::kNoPaper) return kErrNoPaper;
  return ExecuteSequence(link, '*', 1);
}

}  // namespace

void ShowPrintModeText(const TPortLink& link, int32_t mode) {
  if (mode == kCheckMode) ShowProgressText(link, "Trwa kontrola wydruku...");
  else if (mode == kPrintoutMode) ShowProgressText(link, "Trwa wydruk...");
}

// PrintResume's steps; its result is a code the poll does not look at.
int32_t ResumePrintout(TDeviceLink& link, const TPrintEndWait& how) {
  ShowProgressText(link, "Wznawianie wydruku...");
  if (link.PrintEndDepth > 0) {
    // Already inside a resume's poll: it goes on after this '*'.
    int32_t r = SendResume(link, how);
    if (r == 0) ShowPrintModeText(link, kPrintoutMode);
    return r;
  }
  struct Depth {
    explicit Depth(int& depth) : depth_(depth) { ++depth_; }
    ~Depth() { --depth_; }
    int& depth_;
  } depth(link.PrintEndDepth);
  if (int32_t r = CheckLink(how)) return r;
  if (int32_t r = SendResume(link, how)) return r;
  ShowPrintModeText(link, kPrintoutMode);
  return AwaitPrintEnd(link, kPrintoutMode, how);
}

int32_t AwaitPrintEnd(TDeviceLink& link, int32_t mode, const TPrintEndWait& how) {
  auto pumpMessages = [&link, &how] {
    if (how.pump) ProcessMessages(link);
  };
  uint8_t s = 0;
  pumpMessages();
  if (int32_t r = ReadStatusByte(link, kPrintStatus, s)) return r;
  if (s & status::kNoPaper) return kErrNoPaper;
  for (;;) {
    pumpMessages();
    if (int32_t r = ReadStatusByte(link, kPrintStatus, s)) return r;
    if (s & status::kPrintNoControllerLink) return kErrNoControllerLink;
    if (s & status::kPrinterFailure) return kErrPrinterFailure;

    uint8_t s2 = 0, s3 = 0;
    int32_t r = ReadStatusByte(link, kPrinterStatus, s2);
    pumpMessages();
    if (r != 0) return r;
    r = ReadStatusByte(link, kPrintStatus, s3);
    pumpMessages();
    if (r != 0) return r;

    const bool document = s2 & status::kDocumentPending;
    const bool printing = s3 & status::kPrinting;
    const bool stopped = s3 & status::kStoppedForPaper;
    if (!document && !printing && !stopped) return 0;

    const bool documentOnly = document && !printing && !stopped;
    if ((printing && !stopped) || (documentOnly && mode == kPrintoutMode)) {
      pumpMessages();
      if (int32_t c = ReadStatusByte(link, kPrintStatus, s)) return c;
      if (s & status::kNoPaper) return kErrNoPaper;
    }
    if ((printing && stopped) || (documentOnly && mode == kCheckMode)) {
      // A failed resume is not reported: the next status read tells.
      ResumePrintout(link, how);
    }
  }
}

int32_t PrintEndOnOpenedLink(TDeviceLink& link) {
  ShowPrintModeText(link, kPrintoutMode);
  return AwaitPrintEnd(link, kPrintoutMode, {.pump = true, .checkLink = {}});
}

}  // namespace kavoruw
