#pragma once
// The driver as C++ programs built on it see it: the operator console and the
// tools include this header (with driver_types.h and kavoruw_codes.h, which it
// includes) and nothing else of the driver; inside the driver only api/
// includes it. Every function here catches what is thrown inside it and
// returns 999 instead; none shows anything to the user.
//
// Texts are std::string of Windows-1250 bytes. Each call runs on the thread
// that makes it, against the driver's one link, holding the driver's one
// lock for its whole duration (the exported functions take the same lock):
// calls from other threads wait their turn. The host's hooks (progress text,
// event pump, wait hook) run on the calling thread inside that lock; the lock
// is recursive, so a hook may call the driver again without a deadlock, and
// the call it makes runs whole between the commands of the waiting one. The
// helpers that only compute from their arguments (DeviceKindName, ErrorText,
// VatRateCount, VatRateFits, CharsInArticleName) touch no state and take no
// lock.
#include <cstdint>
#include <string>

#include "driver_types.h"

namespace kavoruw {

// The calls, with what each one does, are listed in driver_calls.h.
#define KAVORUW_CALL(name, params, call) int32_t name params;
#define KAVORUW_CORE(type, name, params, frame, call) type name params;
#define KAVORUW_HELPER(type, name, params) type name params;
#include "driver_calls.h"

}  // namespace kavoruw
