#pragma once
// State of the driver shared by its commands. It belongs to the thread that
// runs the commands (one at a time): no lock.
#include <array>
#include <cstdint>
#include <string>

namespace kavoruw {

// The link is initialised; while false each command first re-initialises it.
extern bool LinkUp;
// Port, speed and time-out (seconds, both directions) for re-initialisation.
extern int32_t StoredPort;
extern int32_t StoredBaud;
extern int32_t StoredTimeout;
// Time-outs (seconds) of the console's opens and of the long reports.
extern int32_t PortWriteTimeout;
extern int32_t PortReadTimeout;
// Kind of the connected device, 0..7 (7 = other device).
extern uint8_t DeviceKind;
// A receipt has been begun and not yet ended, cancelled or found annulled.
extern bool ReceiptOpen;
// Per-rate totals (grosze) of the open receipt, rates A..G.
extern std::array<uint32_t, 7> VatTotals;

// Date and time formats for the programs built on the driver.
struct TFormatSettings {
  std::string LongDateFormat;
  std::string ShortDateFormat;
  std::string LongTimeFormat;
  std::string ShortTimeFormat;
};
extern TFormatSettings FormatSettings;

// Start-up values of all of the above; runs when the driver is loaded.
void InitializeDriverUnit();
// Releases the driver's texts and closes a port left open, so that no thread
// of the link outlives the program.
void FinalizeDriverUnit();

}  // namespace kavoruw
