#pragma once
// One-shot service and settings commands: drawer, line feed, register number,
// rounding, display and EPROM tests, price buffer, power-off, unique number
// and the user data (receipt header lines).
#include <cstddef>
#include <cstdint>
#include <string>

namespace kavoruw {

// Length of the text pReadUniqueNumber writes.
inline constexpr std::size_t kUniqueNumberLength = 11;

int32_t OpenDrawer(int32_t drawer);
int32_t SetPrinterNumber(const std::string& number, const std::string& code);
int32_t WriteFeedCount(uint32_t n);
int32_t WriteLineFeed(int32_t n);
int32_t SetRoundingType(uint32_t mode);
int32_t DisplayTest(uint32_t step);
int32_t ClearPriceBuffer();
int32_t EpromTest();
int32_t RemotePrinterOff();
int32_t ReadUniqueNumber(std::string& number);
int32_t pReadUniqueNumber(char* buffer);
int32_t ReadUserData(std::string& line1, std::string& line2, std::string& line3,
                     std::string& line4);
int32_t WriteUserData(uint32_t lineNo, uint32_t width, const std::string& text);
int32_t PrintUserDataControl(const std::string& line1, const std::string& line2,
                             const std::string& line3, const std::string& line4);

}  // namespace kavoruw
