// The driver's exported functions, made from the rows of driver_calls.h: thin
// frames around the internal routines. Each one holds the driver's call lock
// for its whole duration and (but the two article-name counters) catches
// every exception and turns it into 999, so that nothing escapes into the
// calling program; a null pointer where an integer variable is expected is
// refused the same way, before anything is sent.
#include "kavoruw.h"

#include "kavoruw_codes.h"
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
#include "printer_link/commands/service.h"
#include "printer_link/commands/vat.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/link.h"

namespace {

static_assert(KAVORUW_ERRMESSAGE_SIZE == kavoruw::kMaxErrorTextLength + 1);
static_assert(KAVORUW_DEVICENAME_SIZE == kavoruw::kMaxDeviceNameLength + 1);
static_assert(KAVORUW_CLOCK_SIZE == kavoruw::kClockTextLength + 1);
static_assert(KAVORUW_UNIQUENUMBER_SIZE == kavoruw::kUniqueNumberLength + 1);
static_assert(KAVORUW_TOTAL_SIZE == kavoruw::kMaxTotalTextLength + 1);
static_assert(KAVORUW_VERSION_SIZE == sizeof kavoruw::kDllVersion);
static_assert(KAVORUW_AUTHOR_SIZE == sizeof kavoruw::kDllAuthor);

}  // namespace

// Each one in the form kavoruw.h declares (a test holds the header to the
// table), with C linkage and default visibility.
#define KAVORUW_CALL(name, params, call)                        \
  extern "C" KAVORUW_API int32_t name params {                  \
    using namespace kavoruw;                                    \
    return Guarded([&]() -> decltype(auto) { return (call); }); \
  }
#define KAVORUW_EXPORT(name, params, frame, call)             \
  extern "C" KAVORUW_API int32_t name params {                \
    using namespace kavoruw;                                  \
    return frame([&]() -> decltype(auto) { return (call); }); \
  }
#include "printer_link/api/driver_calls.h"
