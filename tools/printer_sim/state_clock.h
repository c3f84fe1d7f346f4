#pragma once
// What the simulated printer keeps for its clock commands. The clock does not
// run by itself: tests set it.
#include <array>
#include <cstdint>
#include <optional>

namespace printer_sim {

struct ClockState {
  // yy mm dd hh mi ss, two-digit year (20yy).
  std::array<uint8_t, 6> now{5, 2, 4, 14, 5, 9};
  // yy mm dd of the day the clock was last shifted to: one shift a day.
  std::optional<std::array<uint8_t, 3>> lastShiftDay;
};

}  // namespace printer_sim
