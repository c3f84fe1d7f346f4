#include "printer_link/lifecycle.h"
#include "printer_link/error_codes.h"

namespace kavoruw {

// (being written)
int32_t CommunicationInit(int32_t /*port*/, int32_t /*baud*/, int32_t /*timeoutSec*/) { return kErrInternal; }
int32_t CommunicationEnd() { return kErrInternal; }
int32_t DeviceName(std::string& /*name*/) { return kErrInternal; }
int32_t pDeviceName(char* /*buffer*/) { return kErrInternal; }
int32_t ReceiptConditions() { return kErrInternal; }
int32_t CheckReceiptConditions() { return kErrInternal; }
int32_t CheckPeriodReportConditions() { return kErrInternal; }
int32_t ReadFiscalMode(int32_t& /*fiscal*/) { return kErrInternal; }
int32_t CheckVATDefined(bool& /*defined*/) { return kErrInternal; }

}  // namespace kavoruw
