#include "printer_link/device/print_control.h"

#include "printer_link/commands/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/engine/engine.h"
#include "kavoruw_codes.h"
#include "printer_link/link/link.h"

namespace kavoruw {

namespace {

// How a poll runs: whether the host's events run between the status reads,
// and whether a link that is down may be re-initialised on the way (not while
// EnsureLink itself is setting the link up).
struct PollContext {
  bool pump;
  bool linkCheck;
};

// Resumes under way. Inside one, a further resume sends '*' from the running
// poll instead of nesting another poll, so the nesting stays one level deep.
int resumeDepth = 0;

void ShowModeText(int32_t mode) {
  if (mode == kCheckMode) ShowProgressText("Trwa kontrola wydruku...");
  else if (mode == kPrintoutMode) ShowProgressText("Trwa wydruk...");
}

int32_t CheckLink(const PollContext& how) { return how.linkCheck ? LinkCheck(false) : kOk; }

// The receipt check, the paper check and '*' of a resume.
int32_t SendResume() {
  if (DriverState.ReceiptOpen) return kErrReceiptOpen;
  uint8_t s3 = 0;
  if (int32_t r = ReadShortStatus(kPrintStatus, s3)) return r;
  if (s3 & status::kNoPaper) return kErrNoPaper;
  return ExecuteSequence('*', 1);
}

int32_t Poll(int32_t mode, const PollContext& how);

// PrintResume's steps; its result is a code the poll does not look at.
int32_t Resume(const PollContext& how) {
  ShowProgressText("Wznawianie wydruku...");
  try {
    if (resumeDepth > 0) {
      // Already inside a resume's poll: it goes on after this '*'.
      int32_t r = SendResume();
      if (r == 0) ShowModeText(kPrintoutMode);
      return r;
    }
    struct Depth {
      Depth() { ++resumeDepth; }
      ~Depth() { --resumeDepth; }
    } depth;
    if (int32_t r = CheckLink(how)) return r;
    if (int32_t r = SendResume()) return r;
    ShowModeText(kPrintoutMode);
    return Poll(kPrintoutMode, how);
  } catch (...) {
    return kErrInternal;
  }
}

int32_t Poll(int32_t mode, const PollContext& how) {
  auto pumpMessages = [&how] {
    if (how.pump) ProcessMessages();
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
      // A failed resume is not reported: the next status read tells.
      Resume(how);
    }
  }
}

}  // namespace

int32_t PrintControl(int32_t mode) {
  ShowModeText(mode);
  try {
    if (int32_t r = LinkCheck(false)) return r;
    return Poll(mode, {.pump = true, .linkCheck = true});
  } catch (...) {
    return kErrInternal;
  }
}

int32_t WaitPrintEnd(int32_t mode) {
  ShowModeText(mode);
  if (int32_t r = LinkCheck(false)) return r;
  // Inside a driver command no host event may run, not even while a resumed
  // printout is awaited.
  return Poll(mode, {.pump = false, .linkCheck = true});
}

int32_t PrintEndOnOpenedLink() {
  ShowModeText(kPrintoutMode);
  return Poll(kPrintoutMode, {.pump = true, .linkCheck = false});
}

int32_t PrintResume() { return Resume({.pump = true, .linkCheck = true}); }

}  // namespace kavoruw
