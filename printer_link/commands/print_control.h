#pragma once
// Waiting for the end of a printout as a command: the link check first, then
// the status poll.
#include <cstdint>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// PrintControl without letting the host's events run, for use inside driver
// commands.
int32_t WaitPrintEnd(TPrinterLink& link, int32_t mode);

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t PrintControl(TPrinterLink& link, int32_t mode);
int32_t PrintResume(TPrinterLink& link);
}  // namespace inner

}  // namespace kavoruw
