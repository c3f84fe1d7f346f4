#pragma once
// Waiting for the end of a printout as a command: the link check first, then
// the status poll.
#include <cstdint>

#include "driver_types.h"

namespace kavoruw {

// PrintControl without letting the host's events run, for use inside driver
// commands.
int32_t WaitPrintEnd(int32_t mode);

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t PrintControl(int32_t mode);
int32_t PrintResume();
}  // namespace inner

}  // namespace kavoruw
