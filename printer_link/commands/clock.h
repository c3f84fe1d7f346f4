#pragma once
// The printer's clock: read (two text forms), initialised after the CMOS
// memory was erased, and shifted by at most an hour.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// Length of the text pReadClock writes: "YY.MM.DD;HH:MM".
inline constexpr std::size_t kClockTextLength = 14;

// Data of the clock setting '4': the tens and units of each field.
std::vector<uint8_t> ClockInitRecord(uint8_t yy, uint8_t mm, uint8_t dd, uint8_t hh, uint8_t mi);
// Data of the clock shift '6': direction, minutes div 10, minutes mod 10.
std::vector<uint8_t> ClockShiftRecord(uint8_t direction, uint8_t minutes);

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
// Writes "YY.MM.DD;HH:MM" and its zero (at most kClockTextLength + 1 bytes).
int32_t pReadClock(TPrinterLink& link, char* buffer);
int32_t ReadClock(TPrinterLink& link, std::string& date, std::string& time);
int32_t InitClock(TPrinterLink& link, uint8_t yy, uint8_t mm, uint8_t dd, uint8_t hh, int32_t mi);
int32_t ShiftClock(TPrinterLink& link, uint8_t direction, int32_t minutes);
}  // namespace inner

}  // namespace kavoruw
