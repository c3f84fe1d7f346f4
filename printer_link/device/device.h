#pragma once
// What is connected and in what state: device kinds, status bytes and their
// bits, identification, the status read and the receipt counter.
#include <cstdint>
#include <string>

#include "kavoruw_core.h"

namespace kavoruw {

// Reads one status byte with its short command; the engine's code.
int32_t ReadShortStatus(uint8_t command, uint8_t& value);

// The gate of commands that need a working printer: the printer status read
// (its engine error), then 107 for CMOS erased and 102 for no controller link.
int32_t StatusGate();

int32_t ReadReceiptCounter(int32_t& counter);

}  // namespace kavoruw
