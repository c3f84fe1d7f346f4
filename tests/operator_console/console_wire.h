#pragma once
// What the console sent the simulated printer, counted by command.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/printer_sim/printer_sim.h"

namespace console::testing {

// How many frames ESC + cmd the driver sent.
inline size_t CommandCount(const printer_sim::PrinterSim& sim, uint8_t cmd) {
  const std::vector<uint8_t> rx = sim.Received();
  size_t n = 0;
  for (size_t i = 0; i + 1 < rx.size(); ++i) {
    if (rx[i] == 0x1B && rx[i + 1] == cmd) ++n;
  }
  return n;
}

// The bytes after the last ESC + cmd (up to count of them).
inline std::vector<uint8_t> BytesAfter(const printer_sim::PrinterSim& sim, uint8_t cmd,
                                       size_t count) {
  const std::vector<uint8_t> rx = sim.Received();
  for (size_t i = rx.size(); i-- > 1;) {
    if (rx[i - 1] == 0x1B && rx[i] == cmd) {
      const size_t end = std::min(rx.size(), i + 1 + count);
      return std::vector<uint8_t>(rx.begin() + static_cast<std::ptrdiff_t>(i + 1),
                                  rx.begin() + static_cast<std::ptrdiff_t>(end));
    }
  }
  return {};
}

}  // namespace console::testing
