// The driver's exported functions: thin frames around the internal routines.
// Each one catches every exception and turns it into 999, so that nothing
// escapes into the calling program.
#include "kavoruw.h"

#include "printer_link/engine.h"

namespace {

template <typename F>
int32_t Guarded(F&& body) {
  try {
    return body();
  } catch (...) {
    return 999;
  }
}

}  // namespace

extern "C" {

KAVORUW_API int32_t RSSequence(int32_t cmd, int32_t answerLen, int32_t dataLen, uint8_t* answer,
                               const uint8_t* data) {
  return Guarded([&] { return kavoruw::RSSequence(cmd, answerLen, dataLen, answer, data); });
}

}  // extern "C"
