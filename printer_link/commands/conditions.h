#pragma once
// The checks that come before a receipt or a periodic report, the fiscal
// mode and whether the printer has VAT rates.
#include "driver_types.h"

namespace kavoruw {

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t ReceiptConditions();
int32_t CheckReceiptConditions();
int32_t CheckPeriodReportConditions();
int32_t ReadFiscalMode(int32_t& fiscal);
int32_t CheckVATDefined(bool& defined);
}  // namespace inner

}  // namespace kavoruw
