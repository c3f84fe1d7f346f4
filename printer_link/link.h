#pragma once
// Opening and closing the printer link, and re-initialising it from the
// values a point-of-sale program stored.
#include <cstdint>

namespace kavoruw {

// Opens a new port object; 5 while the current one is open, else 0 or the
// Windows error of the failing step.
int32_t DoOpenPort(uint8_t port, int32_t baud, uint16_t writeSec, uint16_t readSec);
// The same for callers outside the driver: 999 for a port outside 0..255, a
// negative speed or a time-out outside 0..65535.
int32_t OpenPort(int32_t port, int32_t baud, int32_t writeSec, int32_t readSec);
int32_t ClosePortObject();
int32_t ClosePort();
// New time-outs on the open port; false when it is closed.
bool SetPortTimeouts(uint16_t writeSec, uint16_t readSec);
// Closes and reopens the link with the stored values; with check, asks the
// printer ('#'), waits for a running printout and identifies the device.
int32_t EnsureLink(int32_t port, bool check);
// The step every command takes first: EnsureLink while the link is not up.
int32_t LinkCheck(bool check);

}  // namespace kavoruw
