#pragma once
// Payments and trailer lines that a point-of-sale program registers before the
// end of a receipt. They are only stored here; the end of the receipt sends
// them (converted to code page 852) and empties each slot it has sent.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
// A null name is the empty name.
int32_t pFillPayment(TPrinterLink& link, int32_t slot, const char* name, int32_t amount,
                     int32_t amount2);
// A null text is the empty text.
int32_t pFillLines(TPrinterLink& link, int32_t code, const char* text, int32_t* freeSlots);
int32_t FillPayment(TPrinterLink& link, int32_t slot, const std::string& name, int32_t amount,
                    int32_t amount2);
int32_t FillLines(TPrinterLink& link, int32_t code, const std::string& text, int32_t* freeSlots);
int32_t ErasePayments(TPrinterLink& link);
int32_t EraseLines(TPrinterLink& link);
}  // namespace inner

}  // namespace kavoruw
