#pragma once
// What the simulated printer keeps for its service commands.
#include <cstdint>

namespace printer_sim {

struct ServiceState {};

}  // namespace printer_sim
