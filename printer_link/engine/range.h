#pragma once
// The range test of the argument checks:
// a value out of range is refused explicitly, never wrapped.
#include <cstdint>

namespace kavoruw {

inline bool InRange(int32_t value, int32_t low, int32_t high) {
  return value >= low && value <= high;
}

}  // namespace kavoruw
