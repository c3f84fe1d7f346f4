#pragma once
// Per-thread "last error" value, as the port layer's callers expect it: every
// platform call that fails leaves a Windows error number here.
#include <cstdint>

namespace platform {

uint32_t GetLastError();
void SetLastError(uint32_t code);

}  // namespace platform
