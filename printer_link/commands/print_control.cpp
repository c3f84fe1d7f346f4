#include "printer_link/commands/print_control.h"

#include "printer_link/device/print_end.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

// Before a resume a link that went down is set up again, without the test.
int32_t LinkCheckBeforeResume() { return LinkCheck(false); }

// The print-end wait on this link: its check before a resume, its receipt flag.
TPrintEndWait Wait(bool pump) {
  return {.pump = pump,
          .checkLink = &LinkCheckBeforeResume,
          .receiptOpen = &Link().DriverState.ReceiptOpen};
}

}  // namespace

int32_t inner::PrintControl(int32_t mode) {
  ShowPrintModeText(mode);
  if (int32_t r = LinkCheck(false)) return r;
  return AwaitPrintEnd(mode, Wait(true));
}

int32_t WaitPrintEnd(int32_t mode) {
  ShowPrintModeText(mode);
  if (int32_t r = LinkCheck(false)) return r;
  // Inside a driver command no host event may run, not even while a resumed
  // printout is awaited.
  return AwaitPrintEnd(mode, Wait(false));
}

int32_t inner::PrintResume() { return ResumePrintout(Wait(true)); }

}  // namespace kavoruw
