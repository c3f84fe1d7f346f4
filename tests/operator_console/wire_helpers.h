#pragma once
// What the console's flows sent to the simulated printer.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace console::testing {

using Bytes = std::vector<uint8_t>;

// The n data bytes after the first ESC + command at or after `from`; empty
// when the command is not there.
inline Bytes DataOf(const Bytes& wire, uint8_t command, size_t n, size_t from = 0) {
  const Bytes head{0x1B, command};
  auto at = std::search(wire.begin() + static_cast<std::ptrdiff_t>(std::min(from, wire.size())), wire.end(),
                        head.begin(), head.end());
  if (wire.end() - at < static_cast<std::ptrdiff_t>(2 + n)) return {};
  return Bytes(at + 2, at + 2 + static_cast<std::ptrdiff_t>(n));
}

inline bool Sent(const Bytes& wire, uint8_t command) {
  const Bytes head{0x1B, command};
  return std::search(wire.begin(), wire.end(), head.begin(), head.end()) != wire.end();
}

inline Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace console::testing
