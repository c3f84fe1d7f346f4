#pragma once
// The link as a point-of-sale program sees it, and the checks that come
// before a receipt or a periodic report.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kavoruw_core.h"

namespace kavoruw {

int32_t pDeviceName(char* buffer);

}  // namespace kavoruw
