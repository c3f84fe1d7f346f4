#pragma once
// What the console's flows sent to the simulated printer.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "tools/printer_sim/printer_sim.h"

namespace console::testing {

using Bytes = std::vector<uint8_t>;

// The n data bytes after the first ESC + command at or after `from`; empty
// when the command is not there.
inline Bytes DataOf(const Bytes& wire, uint8_t command, size_t n, size_t from = 0) {
  const Bytes head{0x1B, command};
  auto at = std::search(wire.begin() + static_cast<std::ptrdiff_t>(std::min(from, wire.size())),
                        wire.end(), head.begin(), head.end());
  if (wire.end() - at < static_cast<std::ptrdiff_t>(2 + n)) return {};
  return Bytes(at + 2, at + 2 + static_cast<std::ptrdiff_t>(n));
}

// DataOf on what the simulator has received: a command's last data bytes
// may still be on their way when the driver call returns, so this waits for
// them (up to two seconds) and for the simulator to have acted on them.
inline Bytes ReceivedDataOf(const printer_sim::PrinterSim& sim, uint8_t command, size_t n) {
  for (int i = 0; i < 200; ++i) {
    Bytes data = DataOf(sim.Received(), command, n);
    if (!data.empty()) {
      sim.WaitReceived(sim.Received().size(), 2000);
      return data;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return {};
}

inline bool Sent(const Bytes& wire, uint8_t command) {
  const Bytes head{0x1B, command};
  return std::search(wire.begin(), wire.end(), head.begin(), head.end()) != wire.end();
}

inline Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace console::testing
