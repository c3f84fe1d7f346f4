#pragma once
// The driver's link object: everything the driver keeps between calls, in
// one place. Each layer below is handed the part it needs (the port's, the
// engine's, the device layer's); the link and the commands work on the whole
// object. The API layer binds the exported functions and the C++ facade to
// one instance.
#include "driver_types.h"
#include "printer_link/device/print_end.h"

namespace kavoruw {

struct TPrinterLink : TDeviceLink {
  // The link and receipt state the commands work on.
  TDriverState DriverState;
  // The port object in use was opened for a long report by its caller (the
  // console's report dialogs), not on time-outs of its own.
  bool LongReportPort = false;
};

}  // namespace kavoruw
