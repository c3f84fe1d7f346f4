#pragma once
// Texts of the driver's result codes, as Windows-1250 bytes. A carriage return
// (13) breaks the lines of a text, as the message box expects.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kavoruw {

// Length of the longest text (code 20), without the terminating zero: a
// pErrMessage caller's buffer must hold this plus one.
inline constexpr std::size_t kMaxErrorTextLength = 621;

// Empty for 0; the default text for every code without one of its own.
std::string ErrorText(int32_t code);

// Empties text, then assigns the text of code. 0, or 999 on an exception.
int32_t ErrMessage(int32_t code, std::string& text);

// Copies the text and its terminating zero into buffer, which has no size:
// it must hold kMaxErrorTextLength + 1 bytes. A null buffer gives 225.
int32_t pErrMessage(int32_t code, char* buffer);

}  // namespace kavoruw
