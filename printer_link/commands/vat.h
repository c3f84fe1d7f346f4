#pragma once
// VAT rates on the printer: read and written as hundredths of a percent
// (10000 exempt, 25500 undefined), whatever the printer's wire form.
#include <array>
#include <cstdint>
#include <vector>

#include "kavoruw_core.h"

namespace kavoruw {

// Data of the write command for this kind ('D', 0xD4 or 0xD5): the first
// VatRateCount(kind) rates, each of which must fit.
std::vector<uint8_t> VatRecord(uint8_t kind, const VatRates& rates);

}  // namespace kavoruw
