#pragma once
// VAT rates on the printer: read and written as hundredths of a percent
// (10000 exempt, 25500 undefined), whatever the printer's wire form.
#include <cstdint>

namespace kavoruw {

inline constexpr int32_t kVatExempt = 10000;
inline constexpr int32_t kVatUndefined = 25500;

// count := 7, 6 or 4; r1..r(count) receive the rates, the others are untouched.
int32_t ReadVAT(int32_t& count, int32_t& r1, int32_t& r2, int32_t& r3, int32_t& r4, int32_t& r5,
                int32_t& r6, int32_t& r7);
// Writes the rates the connected printer takes (count := 4, 6 or 7) and
// verifies them by reading them back.
int32_t SetVAT(int32_t& count, int32_t r1, int32_t r2, int32_t r3, int32_t r4, int32_t r5,
               int32_t r6, int32_t r7);

}  // namespace kavoruw
