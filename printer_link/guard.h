#pragma once
// The exception guard of the driver's routines: whatever is thrown inside
// becomes 999, so that nothing escapes into the calling program.
#include <cstdint>

#include "printer_link/error_codes.h"

namespace kavoruw {

template <typename Body>
int32_t Guarded(Body&& body) {
  try {
    return body();
  } catch (...) {
    return kErrInternal;
  }
}

}  // namespace kavoruw
