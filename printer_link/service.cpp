#include "printer_link/service.h"
#include "printer_link/error_codes.h"

namespace kavoruw {

// (being written)
int32_t OpenDrawer(int32_t /*drawer*/) { return kErrInternal; }
int32_t SetPrinterNumber(const std::string& /*number*/, const std::string& /*code*/) { return kErrInternal; }
int32_t WriteFeedCount(uint32_t /*n*/) { return kErrInternal; }
int32_t WriteLineFeed(int32_t /*n*/) { return kErrInternal; }
int32_t SetRoundingType(uint32_t /*mode*/) { return kErrInternal; }
int32_t DisplayTest(uint32_t /*step*/) { return kErrInternal; }
int32_t ClearPriceBuffer() { return kErrInternal; }
int32_t EpromTest() { return kErrInternal; }
int32_t RemotePrinterOff() { return kErrInternal; }
int32_t ReadUniqueNumber(std::string& /*number*/) { return kErrInternal; }
int32_t pReadUniqueNumber(char* /*buffer*/) { return kErrInternal; }
int32_t ReadUserData(std::string& /*line1*/, std::string& /*line2*/, std::string& /*line3*/, std::string& /*line4*/) { return kErrInternal; }
int32_t WriteUserData(uint32_t /*lineNo*/, uint32_t /*width*/, const std::string& /*text*/) { return kErrInternal; }
int32_t PrintUserDataControl(const std::string& /*line1*/, const std::string& /*line2*/, const std::string& /*line3*/, const std::string& /*line4*/) { return kErrInternal; }

}  // namespace kavoruw
