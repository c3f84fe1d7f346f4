#pragma once
// The printer's clock: read (two text forms), initialised after the CMOS
// memory was erased, and shifted by at most an hour.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kavoruw {

// Length of the text pReadClock writes: "YY.MM.DD;HH:MM".
inline constexpr std::size_t kClockTextLength = 14;

int32_t ReadClock(std::string& date, std::string& time);
int32_t pReadClock(char* buffer);
int32_t InitClock(uint8_t yy, uint8_t mm, uint8_t dd, uint8_t hh, int32_t mi);
// direction 0 back, 1 forward.
int32_t ShiftClock(uint8_t direction, int32_t minutes);

}  // namespace kavoruw
