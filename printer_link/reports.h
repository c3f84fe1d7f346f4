#pragma once
// Reports the printer prints by itself, and the counters that go with them.
#include <array>
#include <cstdint>
#include <string>

namespace kavoruw {

// 0 detailed by dates, 1 detailed by numbers, 2 detailed monthly,
// 3 short by dates, 4 short by numbers, 5 short monthly.
using TPeriodReportKind = uint8_t;
// Dates and months as digit values, report numbers as little-endian words.
using ReportParams = std::array<uint8_t, 12>;

int32_t DailyReport(int32_t flag);
int32_t LockedArticlesReport();
int32_t FixedDescriptionsReport();
int32_t PrinterStatusReport();
// kind 1 detailed, 0 short.
int32_t PeriodReport(int32_t kind, int32_t y1, int32_t m1, int32_t d1, int32_t y2, int32_t m2,
                     int32_t d2);
int32_t MonthlyReport(int32_t kind, int32_t year, int32_t month);
int32_t NumberReport(int32_t kind, int32_t from, int32_t to);
int32_t PeriodicReportByKind(TPeriodReportKind kind, const ReportParams& params);
int32_t ReceiptNumber(int32_t& n);
int32_t DailyReportNumber(int32_t& n);
int32_t PrinterNumber(int32_t& number, std::string& code);

}  // namespace kavoruw
