#pragma once
// The checks that come before a receipt or a periodic report, the fiscal
// mode and whether the printer has VAT rates.
#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t ReceiptConditions(TPrinterLink& link);
int32_t CheckReceiptConditions(TPrinterLink& link);
int32_t CheckPeriodReportConditions(TPrinterLink& link);
int32_t ReadFiscalMode(TPrinterLink& link, int32_t& fiscal);
int32_t CheckVATDefined(TPrinterLink& link, bool& defined);
}  // namespace inner

}  // namespace kavoruw
