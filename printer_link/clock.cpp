#include "printer_link/clock.h"
#include "printer_link/error_codes.h"

namespace kavoruw {

// (being written)
int32_t ReadClock(std::string& /*date*/, std::string& /*time*/) { return kErrInternal; }
int32_t pReadClock(char* /*buffer*/) { return kErrInternal; }
int32_t InitClock(uint8_t /*yy*/, uint8_t /*mm*/, uint8_t /*dd*/, uint8_t /*hh*/, int32_t /*mi*/) { return kErrInternal; }
int32_t ShiftClock(uint8_t /*direction*/, int32_t /*minutes*/) { return kErrInternal; }

}  // namespace kavoruw
