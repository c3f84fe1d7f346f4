#include "printer_link/vat.h"
#include "printer_link/error_codes.h"

namespace kavoruw {

// (being written)
int32_t ReadVAT(int32_t& /*count*/, int32_t& /*r1*/, int32_t& /*r2*/, int32_t& /*r3*/, int32_t& /*r4*/, int32_t& /*r5*/, int32_t& /*r6*/, int32_t& /*r7*/) { return kErrInternal; }
int32_t SetVAT(int32_t& /*count*/, int32_t /*r1*/, int32_t /*r2*/, int32_t /*r3*/, int32_t /*r4*/, int32_t /*r5*/, int32_t /*r6*/, int32_t /*r7*/) { return kErrInternal; }

}  // namespace kavoruw
