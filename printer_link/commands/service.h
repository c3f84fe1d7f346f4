#pragma once
// One-shot service and settings commands: drawer, line feed, register number,
// rounding, display and EPROM tests, price buffer, power-off, unique number
// and the user data (receipt header lines).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// Records sent to the printer. Each is empty when its arguments cannot be sent.

// 'C': the number's first two characters, then the code's first two; empty
// when either text is shorter than 2.
std::vector<uint8_t> PrinterNumberRecord(const std::string& number, const std::string& code);
// 0x9C: line number, width flag, then the first 20 characters of the text for
// flag 1, else the first 40, in code page 852; empty when the number or the
// flag does not fit a byte or the text is shorter than its width.
std::vector<uint8_t> UserDataLineRecord(uint32_t lineNo, uint32_t width, const std::string& text);
// '3': for each line a width byte (1 for 20, 0 for 40 characters) and its
// characters in code page 852, then a closing 0x00; empty when a line has
// neither 20 nor 40 characters.
std::vector<uint8_t> UserDataControlRecord(const std::string& line1, const std::string& line2,
                                           const std::string& line3, const std::string& line4);

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t pReadUniqueNumber(TPrinterLink& link, char* buffer);
int32_t OpenDrawer(TPrinterLink& link, int32_t drawer);
int32_t SetPrinterNumber(TPrinterLink& link, const std::string& number, const std::string& code);
int32_t WriteFeedCount(TPrinterLink& link, uint32_t n);
int32_t WriteLineFeed(TPrinterLink& link, int32_t n);
int32_t SetRoundingType(TPrinterLink& link, uint32_t mode);
int32_t DisplayTest(TPrinterLink& link, uint32_t step);
int32_t ClearPriceBuffer(TPrinterLink& link);
int32_t EpromTest(TPrinterLink& link);
int32_t RemotePrinterOff(TPrinterLink& link);
int32_t ReadUniqueNumber(TPrinterLink& link, std::string& number);
int32_t ReadUserData(TPrinterLink& link, std::string& line1, std::string& line2, std::string& line3,
                     std::string& line4);
int32_t WriteUserData(TPrinterLink& link, uint32_t lineNo, uint32_t width, const std::string& text);
int32_t PrintUserDataControl(TPrinterLink& link, const std::string& line1, const std::string& line2,
                             const std::string& line3, const std::string& line4);
}  // namespace inner

}  // namespace kavoruw
