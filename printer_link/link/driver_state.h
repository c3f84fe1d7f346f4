#pragma once
// The receipt buffers of the link's state, and the state's start-up and end.
#include <cstdint>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// Empty the payment slots, the trailer lines, or both; the link
// initialisation starts every session with both.
void ClearPaymentSlots(TPrinterLink& link);
void ClearTrailerLines(TPrinterLink& link);
int32_t ClearReceiptBuffers(TPrinterLink& link);

// Puts every field of the link's DriverState back to its start-up value. The
// port is not touched.
void ResetDriverState(TPrinterLink& link);
// Start-up values of the whole record.
void InitializeDriverUnit(TPrinterLink& link);
// Closes a port left open, so that no thread of the link outlives the
// program.
void FinalizeDriverUnit(TPrinterLink& link);

}  // namespace kavoruw
