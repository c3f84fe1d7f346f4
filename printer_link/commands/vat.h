#pragma once
// VAT rates on the printer: read and written as hundredths of a percent
// (10000 exempt, 25500 undefined), whatever the printer's wire form.
#include <array>
#include <cstdint>
#include <vector>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// The rates in the printer's wire form: 7 words (0xD1), 6 words (0xD0) or 4
// bytes of whole percents ('p').
struct TVatWords {
  int32_t count = 0;
  bool wholePercentBytes = false;
  std::array<uint16_t, 7> words{};
};
// Asks the newest read command first and falls back on a refusal (NAK).
int32_t ReadVatWords(TPrinterLink& link, TVatWords& words);
// Some rate is not marked undefined.
bool AnyVatRateDefined(const TVatWords& words);

// Data of the write command for this kind ('D', 0xD4 or 0xD5): the first
// VatRateCount(kind) rates, each of which must fit.
std::vector<uint8_t> VatRecord(uint8_t kind, const VatRates& rates);

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t ReadVAT(TPrinterLink& link, int32_t& count, int32_t& r1, int32_t& r2, int32_t& r3,
                int32_t& r4, int32_t& r5, int32_t& r6, int32_t& r7);
int32_t SetVAT(TPrinterLink& link, int32_t& count, int32_t r1, int32_t r2, int32_t r3, int32_t r4,
               int32_t r5, int32_t r6, int32_t r7);
}  // namespace inner

}  // namespace kavoruw
