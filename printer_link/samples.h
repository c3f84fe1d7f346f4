#pragma once
// Sample cash printouts of second-generation printers, printed from templates
// stored in the printer.
#include <cstdint>
#include <string>

namespace kavoruw {

int32_t SamplePrintCashState(const std::string& t1, const std::string& t2, const std::string& t3,
                             const std::string& t4, const std::string& t5, const std::string& t6);
int32_t SamplePrintCashIn(const std::string& t1, const std::string& t2, const std::string& t3,
                          const std::string& t4, const std::string& t5);
int32_t SamplePrintCashOut(const std::string& t1, const std::string& t2, const std::string& t3,
                           const std::string& t4, const std::string& t5);
int32_t SamplePrintCashReport();

}  // namespace kavoruw
