#pragma once
// What the simulated printer keeps for its reports commands.
#include <cstdint>

namespace printer_sim {

struct ReportState {};

}  // namespace printer_sim
