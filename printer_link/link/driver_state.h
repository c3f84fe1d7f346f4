#pragma once
// The driver's state is one record, DriverState, declared with the API; this
// header adds the unit's start-up and end.
#include "kavoruw_core.h"

namespace kavoruw {

// Empty the payment slots, the trailer lines, or both; the link
// initialisation starts every session with both.
void ClearPaymentSlots();
void ClearTrailerLines();
int32_t ClearReceiptBuffers();

// Start-up values of the whole record; runs when the driver is loaded.
void InitializeDriverUnit();
// Closes a port left open, so that no thread of the link outlives the
// program.
void FinalizeDriverUnit();

}  // namespace kavoruw
