// The C++ API of the core: every call runs its inner twin inside the one
// frame of the boundary (the call lock and the exception guard), so that
// calls take turns and nothing thrown inside the driver reaches the console.
#include "kavoruw_core.h"
#include "printer_link/api/dll_info.h"
#include "printer_link/api/error_texts.h"
#include "printer_link/api/guard.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/clock.h"
#include "printer_link/commands/conditions.h"
#include "printer_link/commands/link_session.h"
#include "printer_link/commands/print_control.h"
#include "printer_link/commands/receipt.h"
#include "printer_link/commands/receipt_buffers.h"
#include "printer_link/commands/reports.h"
#include "printer_link/commands/samples.h"
#include "printer_link/commands/service.h"
#include "printer_link/commands/status.h"
#include "printer_link/commands/vat.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/link.h"

namespace kavoruw {

#define KAVORUW_CALL(name, params, call)                        \
  int32_t name params {                                         \
    return Guarded([&]() -> decltype(auto) { return (call); }); \
  }
#define KAVORUW_CORE(type, name, params, frame, call)         \
  type name params {                                          \
    return frame([&]() -> decltype(auto) { return (call); }); \
  }
#include "printer_link/api/driver_calls.h"

}  // namespace kavoruw
