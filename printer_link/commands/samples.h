#pragma once
// Sample cash printouts of second-generation printers, printed from templates
// stored in the printer.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// The data of command 's', exactly as they go to the printer: the printout
// number, the line records (a text cut to 28 characters, code page 852,
// control bytes as blanks, LF; a record whose text is empty left out) and
// ESC 'Q'.
std::vector<uint8_t> CashStateData(const std::array<std::string, 6>& texts);
std::vector<uint8_t> CashInData(const std::array<std::string, 5>& texts);
std::vector<uint8_t> CashOutData(const std::array<std::string, 5>& texts);
std::vector<uint8_t> CashReportData();

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t SamplePrintCashState(TPrinterLink& link, const std::string& t1, const std::string& t2,
                             const std::string& t3, const std::string& t4, const std::string& t5,
                             const std::string& t6);
int32_t SamplePrintCashIn(TPrinterLink& link, const std::string& t1, const std::string& t2,
                          const std::string& t3, const std::string& t4, const std::string& t5);
int32_t SamplePrintCashOut(TPrinterLink& link, const std::string& t1, const std::string& t2,
                           const std::string& t3, const std::string& t4, const std::string& t5);
int32_t SamplePrintCashReport(TPrinterLink& link);
}  // namespace inner

}  // namespace kavoruw
