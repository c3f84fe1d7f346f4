#pragma once
// What the simulated printer keeps for its receipt commands.
#include <cstdint>

namespace printer_sim {

struct ReceiptState {};

}  // namespace printer_sim
