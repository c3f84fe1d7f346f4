#include "printer_link/commands/print_control.h"

#include "printer_link/device/print_end.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

// Before a resume a link that went down is set up again, without the test.
int32_t LinkCheckBeforeResume(TPrinterLink& link) { return LinkCheck(link, false); }

// The print-end wait on this link: its check before a resume, its receipt.
TPrintEndWait Wait(TPrinterLink& link, bool pump) {
  return {.pump = pump,
          .checkLink = [&link] { return LinkCheckBeforeResume(link); },
          .receipt = &link.DriverState.Receipt};
}

}  // namespace

int32_t inner::PrintControl(TPrinterLink& link, int32_t mode) {
  ShowPrintModeText(link, mode);
  if (int32_t r = LinkCheck(link, false)) return r;
  return AwaitPrintEnd(link, mode, Wait(link, true));
}

int32_t WaitPrintEnd(TPrinterLink& link, int32_t mode) {
  ShowPrintModeText(link, mode);
  if (int32_t r = LinkCheck(link, false)) return r;
  // Inside a driver command no host event may run, not even while a resumed
  // printout is awaited.
  return AwaitPrintEnd(link, mode, Wait(link, false));
}

int32_t inner::PrintResume(TPrinterLink& link) { return ResumePrintout(link, Wait(link, true)); }

}  // namespace kavoruw
