#pragma once
// Windows-1250 <-> UTF-8. Inside the programs every text is a string of
// Windows-1250 bytes; Polish literals are written in UTF-8 and converted once.
#include <string>
#include <string_view>

namespace platform {

// Characters that Windows-1250 cannot hold become '?'.
std::string Cp1250FromUtf8(std::string_view utf8);
// Unassigned Windows-1250 bytes become '?'.
std::string Utf8FromCp1250(std::string_view text);
// A UTF-8 literal of the source as the program's Windows-1250 text.
inline std::string Cp(std::string_view utf8) { return Cp1250FromUtf8(utf8); }

}  // namespace platform
