#pragma once
// The printer prints in code page 852, the driver's callers write Windows-1250.
// Only the 18 Polish letters are translated; every other byte passes as it is.
#include <cstdint>
#include <string>
#include <string_view>

namespace kavoruw {

uint8_t Cp1250ToCp852(uint8_t c);
uint8_t Cp852ToCp1250(uint8_t c);

// Byte by byte; the length never changes.
std::string ToCp852(std::string_view text);
std::string FromCp852(std::string_view text);

}  // namespace kavoruw
