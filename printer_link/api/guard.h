#pragma once
// The frame of every driver call at the boundary: the one lock of the
// driver's calls, held for the whole call, and the exception guard, which
// turns whatever is thrown inside into 999, so that nothing escapes into the
// calling program. Also the range test of the argument checks
// (printer_link/engine/range.h).
#include <cstdint>
#include <mutex>
#include <stdexcept>

#include "kavoruw_codes.h"
#include "printer_link/engine/range.h"

namespace kavoruw {

// Calls from several threads take turns on it, so the printer only ever sees
// whole commands. It is recursive: the host's hooks run on the calling
// thread inside a call and may call the driver again.
inline std::recursive_mutex& DriverCallLock() {
  static std::recursive_mutex lock;
  return lock;
}

template <typename Body>
decltype(auto) Locked(Body&& body) {
  std::lock_guard<std::recursive_mutex> lock(DriverCallLock());
  return body();
}

template <typename Body>
int32_t Guarded(Body&& body) {
  try {
    return Locked(body);
  } catch (...) {
    return kErrInternal;
  }
}

// The same for the few calls whose result is a flag: false on an exception.
template <typename Body>
bool GuardedFlag(Body&& body) {
  try {
    return Locked(body);
  } catch (...) {
    return false;
  }
}

// The variable an exported function's pointer argument stands for. A null
// pointer throws, which the guard turns into 999 before the call begins.
template <typename T>
T& Ref(T* pointer) {
  if (pointer == nullptr) throw std::invalid_argument("null variable");
  return *pointer;
}

}  // namespace kavoruw
