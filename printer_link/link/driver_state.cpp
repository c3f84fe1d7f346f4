#include "printer_link/link/driver_state.h"

#include "printer_link/port/comm.h"

namespace kavoruw {

// Defined here, before the unit's lifetime object, so that the port is closed
// before the port object itself goes away at exit.
std::unique_ptr<TComm> CommPort;

TDriverState DriverState;

void ResetDriverState() { DriverState = TDriverState{}; }

void ClearPaymentSlots() { DriverState.PaymentSlot.fill(TPaymentSlot{}); }

void ClearTrailerLines() { DriverState.TrailerLine.fill(TTrailerLine{}); }

int32_t ClearReceiptBuffers() {
  ClearPaymentSlots();
  ClearTrailerLines();
  return 0;
}

void InitializeDriverUnit() { ResetDriverState(); }

void FinalizeDriverUnit() {
  // The texts are released with their owners; the port's threads must not
  // run on while the program ends.
  if (CommPort) CommPort->Close();
}

namespace {

// Runs the unit's start-up when the driver is loaded and its clean-up when it
// is unloaded.
struct DriverUnitLifetime {
  DriverUnitLifetime() { InitializeDriverUnit(); }
  ~DriverUnitLifetime() { FinalizeDriverUnit(); }
};
DriverUnitLifetime driverUnitLifetime;

}  // namespace

}  // namespace kavoruw
