#pragma once
// The driver's version and the notice of its makers.
#include <cstdint>
#include <string>

#include "kavoruw_core.h"

namespace kavoruw {

int32_t pDllVersion(char* buffer);
int32_t pDllAuthor(char* buffer);

}  // namespace kavoruw
