#pragma once
// What the simulated printer keeps for its receipt commands: the open
// receipt with a log of what it received, the per-rate totals of the
// receipts ended so far, and the sample printouts it printed.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace printer_sim {

struct PrinterState;

// Reasons the printer gives (s6) for annulling a receipt itself.
inline constexpr uint8_t kAnnulledWrongTotal = 'S';
inline constexpr uint8_t kAnnulledBadRecord = 'R';

struct ItemRecord {
  bool sale = true;
  std::string name;       // 28 bytes, code page 852
  uint8_t message = '0';  // byte 29 of the 49-byte form; '0' in the 51-byte form
  uint32_t qty = 0;
  uint8_t qtyDecimals = 0;
  std::string unit;  // 4 bytes
  uint32_t price = 0;
  uint8_t vatCode = 0;  // 1..7 as received
  uint32_t value = 0;
  size_t length = 0;  // 49 or 51
};

struct PackageRecord {
  std::vector<uint8_t> data;  // the 10 bytes
};

struct PaymentRecord {
  uint8_t command = 0;  // 0x81 or 0x82
  uint8_t slot = 0;
  std::string name;  // 13 bytes, code page 852
  uint32_t amount = 0;
};

struct TrailerLineRecord {
  uint8_t code = 0;  // 0..15
  std::string text;  // code page 852, without the LF
};

struct SampleLine {
  std::string code;  // two characters
  std::optional<std::string> text;
};

struct SamplePrintout {
  std::string number;  // "10" cash state, "20" cash in, "30" cash out, "40" cash report
  std::vector<SampleLine> lines;
};

struct ReceiptState {
  bool open = false;
  // Fault knob: '$' is acknowledged, but the receipt is annulled (as after a
  // print fault) instead of being ended.
  bool annulAtEnd = false;
  // What the current (or last) receipt received; cleared by '!'.
  std::vector<ItemRecord> items;
  std::vector<PackageRecord> packages;
  int subtotals = 0;
  uint8_t discount = 0;
  std::optional<uint32_t> total;
  std::vector<PaymentRecord> payments;
  std::vector<TrailerLineRecord> lines;
  // Sums of the open receipt's items, rates A..G.
  std::array<uint64_t, 7> rateSums{};
  // Per-rate totals of the receipts ended so far (answer of 0xDA), rates A..G.
  std::array<uint64_t, 7> totals{};
  int ended = 0;
  int cancelled = 0;
  // Items and totals that came while no receipt was open: a printer refuses
  // them (nothing is booked), and a driver should never send them.
  int outsideReceipt = 0;
  std::vector<SamplePrintout> samples;
};

// '#' on a printer with a receipt open cancels it: with items the
// cancellation is printed and true (ACK) is returned; an empty receipt is
// dropped and false (NAK) is returned. Without a receipt: true. Called under
// the state lock by the '#' handler.
bool CancelReceiptOnLinkTest(PrinterState& state);

}  // namespace printer_sim
