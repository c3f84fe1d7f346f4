#pragma once
// Opening and closing the printer link, and re-initialising it from the
// values a point-of-sale program stored.
#include <cstdint>

#include "kavoruw_core.h"

namespace kavoruw {

// Closes and reopens the link with the stored values; with check, asks the
// printer ('#'), waits for a running printout and identifies the device.
int32_t EnsureLink(int32_t port, bool check);
// The step every command takes first: EnsureLink while the link is not up.
int32_t LinkCheck(bool check);

}  // namespace kavoruw
