#pragma once
// Status commands as a program asks them: the status bytes with the link
// check, and the receipt counter.
#include <cstdint>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

int32_t ReadReceiptCounter(TPrinterLink& link, int32_t& counter);

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t ReadStatusBytes(TPrinterLink& link, uint32_t& count, uint8_t& s1, uint8_t& s2, uint8_t& s3,
                        uint8_t& s4, uint8_t& s5, uint8_t& s6);
}  // namespace inner

}  // namespace kavoruw
