#include "printer_link/samples.h"
#include "printer_link/error_codes.h"

namespace kavoruw {

// (being written)
int32_t SamplePrintCashState(const std::string& /*t1*/, const std::string& /*t2*/, const std::string& /*t3*/, const std::string& /*t4*/, const std::string& /*t5*/, const std::string& /*t6*/) { return kErrInternal; }
int32_t SamplePrintCashIn(const std::string& /*t1*/, const std::string& /*t2*/, const std::string& /*t3*/, const std::string& /*t4*/, const std::string& /*t5*/) { return kErrInternal; }
int32_t SamplePrintCashOut(const std::string& /*t1*/, const std::string& /*t2*/, const std::string& /*t3*/, const std::string& /*t4*/, const std::string& /*t5*/) { return kErrInternal; }
int32_t SamplePrintCashReport() { return kErrInternal; }

}  // namespace kavoruw
