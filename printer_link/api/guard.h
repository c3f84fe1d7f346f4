#pragma once
// The exception guard of the driver's routines: whatever is thrown inside
// becomes 999, so that nothing escapes into the calling program. Also the
// range test of the argument checks (printer_link/engine/range.h).
#include <cstdint>

#include "kavoruw_codes.h"
#include "printer_link/engine/range.h"

namespace kavoruw {

template <typename Body>
int32_t Guarded(Body&& body) {
  try {
    return body();
  } catch (...) {
    return kErrInternal;
  }
}

// The same for the few calls whose result is a flag: false on an exception.
template <typename Body>
bool GuardedFlag(Body&& body) {
  try {
    return body();
  } catch (...) {
    return false;
  }
}

}  // namespace kavoruw
