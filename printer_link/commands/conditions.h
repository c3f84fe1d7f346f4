#pragma once
// The checks that come before a receipt or a periodic report, the fiscal
// mode and whether the printer has VAT rates.
#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// Whether the printer could begin a receipt now, whatever it holds: its
// status bytes meet the receipt conditions (the VAT rates aside) and no
// printout is pending. 0 or the code of the first condition that fails. A
// printer that refuses '!' after this holds a receipt: it refuses for no
// other reason it can report.
int32_t ReadyForReceipt(TPrinterLink& link);

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t ReceiptConditions(TPrinterLink& link);
int32_t CheckReceiptConditions(TPrinterLink& link);
int32_t CheckPeriodReportConditions(TPrinterLink& link);
int32_t ReadFiscalMode(TPrinterLink& link, int32_t& fiscal);
int32_t CheckVATDefined(TPrinterLink& link, bool& defined);
}  // namespace inner

}  // namespace kavoruw
