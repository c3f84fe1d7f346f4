#include "printer_link/link/driver_state.h"

#include "printer_link/link/link_object.h"

namespace kavoruw {

void ResetDriverState(TPrinterLink& link) { link.DriverState = TDriverState{}; }

void ClearPaymentSlots(TPrinterLink& link) { link.DriverState.PaymentSlot.fill(TPaymentSlot{}); }

void ClearTrailerLines(TPrinterLink& link) { link.DriverState.TrailerLine.fill(TTrailerLine{}); }

int32_t ClearReceiptBuffers(TPrinterLink& link) {
  ClearPaymentSlots(link);
  ClearTrailerLines(link);
  return 0;
}

void InitializeDriverUnit(TPrinterLink& link) { ResetDriverState(link); }

void FinalizeDriverUnit(TPrinterLink& link) {
  // The port's threads must not run on while the program ends.
  if (link.CommPort) link.CommPort->Close();
}

}  // namespace kavoruw
