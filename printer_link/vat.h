#pragma once
// VAT rates on the printer: read and written as hundredths of a percent
// (10000 exempt, 25500 undefined), whatever the printer's wire form.
#include <array>
#include <cstdint>
#include <vector>

namespace kavoruw {

inline constexpr int32_t kVatExempt = 10000;
inline constexpr int32_t kVatUndefined = 25500;

// Rates A..G as hundredths of a percent.
using VatRates = std::array<int32_t, 7>;

// count := 7, 6 or 4; r1..r(count) receive the rates, the others are untouched.
int32_t ReadVAT(int32_t& count, int32_t& r1, int32_t& r2, int32_t& r3, int32_t& r4, int32_t& r5,
                int32_t& r6, int32_t& r7);
// Writes the rates the connected printer takes (count := 4, 6 or 7) and
// verifies them by reading them back. A rate the printer's wire form cannot
// carry exactly gives 217 with nothing written.
int32_t SetVAT(int32_t& count, int32_t r1, int32_t r2, int32_t r3, int32_t r4, int32_t r5,
               int32_t r6, int32_t r7);

// Number of rates a device kind holds: 4, 6 or 7.
int32_t VatRateCount(uint8_t kind);
// The rate travels to a printer of this kind and reads back unchanged.
bool VatRateFits(uint8_t kind, int32_t rate);
// Data of the write command for this kind ('D', 0xD4 or 0xD5): the first
// VatRateCount(kind) rates, each of which must fit.
std::vector<uint8_t> VatRecord(uint8_t kind, const VatRates& rates);

}  // namespace kavoruw
