#include "printer_link/reports.h"
#include "printer_link/error_codes.h"

namespace kavoruw {

// (being written)
int32_t DailyReport(int32_t /*flag*/) { return kErrInternal; }
int32_t LockedArticlesReport() { return kErrInternal; }
int32_t FixedDescriptionsReport() { return kErrInternal; }
int32_t PrinterStatusReport() { return kErrInternal; }
int32_t PeriodReport(int32_t /*kind*/, int32_t /*y1*/, int32_t /*m1*/, int32_t /*d1*/, int32_t /*y2*/, int32_t /*m2*/, int32_t /*d2*/) { return kErrInternal; }
int32_t MonthlyReport(int32_t /*kind*/, int32_t /*year*/, int32_t /*month*/) { return kErrInternal; }
int32_t NumberReport(int32_t /*kind*/, int32_t /*from*/, int32_t /*to*/) { return kErrInternal; }
int32_t PeriodicReportByKind(TPeriodReportKind /*kind*/, const ReportParams& /*params*/) { return kErrInternal; }
int32_t ReceiptNumber(int32_t& /*n*/) { return kErrInternal; }
int32_t DailyReportNumber(int32_t& /*n*/) { return kErrInternal; }
int32_t PrinterNumber(int32_t& /*number*/, std::string& /*code*/) { return kErrInternal; }

}  // namespace kavoruw
