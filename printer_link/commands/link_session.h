#pragma once
// The link as a point-of-sale program sees it: its start with the stored
// port, speed and time-out, its end, and the name of the connected device.
#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t pDeviceName(TPrinterLink& link, char* buffer);
int32_t DeviceName(TPrinterLink& link, std::string& name);
int32_t CommunicationInit(TPrinterLink& link, int32_t port, int32_t baud, int32_t timeoutSec);
int32_t CommunicationEnd(TPrinterLink& link);
}  // namespace inner

}  // namespace kavoruw
