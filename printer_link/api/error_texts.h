#pragma once
// Texts of the driver's result codes, as Windows-1250 bytes. A carriage return
// (13) breaks the lines of a text, as the message box expects.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kavoruw_core.h"

namespace kavoruw {

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
// Copies the text and its terminating zero into buffer, which has no size:
// it must hold kMaxErrorTextLength + 1 bytes. A null buffer gives 225.
int32_t pErrMessage(int32_t code, char* buffer);
int32_t ErrMessage(int32_t code, std::string& text);
}  // namespace inner

}  // namespace kavoruw
