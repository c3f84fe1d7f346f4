#pragma once
// Reports the printer prints by itself, and the counters that go with them.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// Data records of the report commands, for arguments already checked.
// '(' / ')': the two dates as 12 digit values.
std::vector<uint8_t> PeriodReportRecord(int32_t y1, int32_t m1, int32_t d1, int32_t y2, int32_t m2,
                                        int32_t d2);
// '1': sub-code 2 (detailed, kind 1) or 5 (short), year and month digits.
std::vector<uint8_t> MonthlyReportRecord(int32_t kind, int32_t year, int32_t month);
// '1': sub-code 1 (detailed, kind 1) or 4 (short), both numbers low byte first.
std::vector<uint8_t> NumberReportRecord(int32_t kind, int32_t from, int32_t to);
// '1': the kind, then 12 bytes of params for kinds 0 and 3, 4 for kinds 1, 2,
// 4 and 5, none for any other kind.
std::vector<uint8_t> PeriodicReportRecord(TPeriodReportKind kind, const ReportParams& params);

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t DailyReport(TPrinterLink& link, int32_t flag);
int32_t LockedArticlesReport(TPrinterLink& link);
int32_t FixedDescriptionsReport(TPrinterLink& link);
int32_t PrinterStatusReport(TPrinterLink& link);
int32_t PeriodReport(TPrinterLink& link, int32_t kind, int32_t y1, int32_t m1, int32_t d1,
                     int32_t y2, int32_t m2, int32_t d2);
int32_t MonthlyReport(TPrinterLink& link, int32_t kind, int32_t year, int32_t month);
int32_t NumberReport(TPrinterLink& link, int32_t kind, int32_t from, int32_t to);
int32_t PeriodicReportByKind(TPrinterLink& link, TPeriodReportKind kind,
                             const ReportParams& params);
int32_t ReceiptNumber(TPrinterLink& link, int32_t& n);
int32_t DailyReportNumber(TPrinterLink& link, int32_t& n);
int32_t PrinterNumber(TPrinterLink& link, int32_t& number, std::string& code);
}  // namespace inner

}  // namespace kavoruw
