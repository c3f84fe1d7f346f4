#pragma once
// The printer's clock: read (two text forms), initialised after the CMOS
// memory was erased, and shifted by at most an hour.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavoruw {

// Length of the text pReadClock writes: "YY.MM.DD;HH:MM".
inline constexpr std::size_t kClockTextLength = 14;

// date "20YY.MM.DD"; time "HH:MM", with ":SS" on the models with the long
// clock answer. 23 when an answer byte is not a digit value.
int32_t ReadClock(std::string& date, std::string& time);
// Writes "YY.MM.DD;HH:MM" and its zero (at most kClockTextLength + 1 bytes).
int32_t pReadClock(char* buffer);
// Fields 0..99; 215 for any other value, with nothing sent.
int32_t InitClock(uint8_t yy, uint8_t mm, uint8_t dd, uint8_t hh, int32_t mi);
// direction 0 back, 1 forward; minutes 1..60. 215 otherwise, with nothing sent.
int32_t ShiftClock(uint8_t direction, int32_t minutes);

// Data of the clock setting '4': the tens and units of each field.
std::vector<uint8_t> ClockInitRecord(uint8_t yy, uint8_t mm, uint8_t dd, uint8_t hh, uint8_t mi);
// Data of the clock shift '6': direction, minutes div 10, minutes mod 10.
std::vector<uint8_t> ClockShiftRecord(uint8_t direction, uint8_t minutes);

}  // namespace kavoruw
