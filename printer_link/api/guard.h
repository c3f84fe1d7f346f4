#pragma once
// The exception guard of the driver's routines: whatever is thrown inside
// becomes 999, so that nothing escapes into the calling program. Also the
// range test of the checks that stand in for the original's range errors.
#include <cstdint>

#include "kavoruw_codes.h"

namespace kavoruw {

template <typename Body>
int32_t Guarded(Body&& body) {
  try {
    return body();
  } catch (...) {
    return kErrInternal;
  }
}

inline bool InRange(int32_t value, int32_t low, int32_t high) {
  return value >= low && value <= high;
}

}  // namespace kavoruw
