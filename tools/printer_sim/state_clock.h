#pragma once
// What the simulated printer keeps for its clock commands.
#include <cstdint>

namespace printer_sim {

struct ClockState {};

}  // namespace printer_sim
