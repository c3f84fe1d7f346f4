#pragma once
// What the simulated printer keeps for its VAT-rate commands: the rates in
// the wire form of the printer's generation. A printer of a given kind uses
// only its own set; the others keep their values when the kind changes.
#include <array>
#include <cstdint>

namespace printer_sim {

struct VatState {
  // Kinds 3, 6 and 7: words of hundredths of a percent; 0x8000 undefined,
  // 0x4000 exempt.
  std::array<uint16_t, 7> sevenRates{2200, 700, 0, 300, 0x8000, 0x8000, 0x4000};
  // Kinds 1, 2 and 5: words of hundredths of a percent; 0xFF00 undefined,
  // the exempt rate as 10000.
  std::array<uint16_t, 6> sixRates{2200, 700, 0, 300, 10000, 0xFF00};
  // Kinds 0 and 4: bytes of whole percent; 255 undefined, exempt as 100.
  std::array<uint8_t, 4> fourRates{22, 7, 0, 255};
};

}  // namespace printer_sim
