#include "printer_link/link/driver_state.h"

#include "printer_link/link/link_object.h"

namespace kavoruw {

void ResetDriverState() { Link().DriverState = TDriverState{}; }

void ClearPaymentSlots() { Link().DriverState.PaymentSlot.fill(TPaymentSlot{}); }

void ClearTrailerLines() { Link().DriverState.TrailerLine.fill(TTrailerLine{}); }

int32_t ClearReceiptBuffers() {
  ClearPaymentSlots();
  ClearTrailerLines();
  return 0;
}

void InitializeDriverUnit() { ResetDriverState(); }

void FinalizeDriverUnit() {
  // The port's threads must not run on while the program ends.
  if (CommPort()) CommPort()->Close();
}

}  // namespace kavoruw
