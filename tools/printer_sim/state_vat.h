#pragma once
// What the simulated printer keeps for its vat commands.
#include <cstdint>

namespace printer_sim {

struct VatState {};

}  // namespace printer_sim
