// The core as the console sees it: this suite links the core alone and
// includes its API header only.
#include <gtest/gtest.h>

#include "kavoruw_core.h"

#if __has_include("printer_link/port/comm.h") || __has_include("printer_link/port/comm.h") || \
    __has_include("platform/serial/serial_device.h")
#error "the core exposes more than its API folder"
#endif

namespace {

TEST(CoreApi, StateIsOneRecordWithOneResetPoint) {
  kavoruw::DriverState.DeviceKind = 3;
  kavoruw::DriverState.PortReadTimeout = 90;
  kavoruw::DriverState.LinkUp = false;
  kavoruw::DriverState.TrailerLine[2].code = 4;
  kavoruw::ResetDriverState();
  EXPECT_EQ(kavoruw::DriverState.DeviceKind, kavoruw::kOtherDevice);
  EXPECT_EQ(kavoruw::DriverState.PortWriteTimeout, 3);
  EXPECT_EQ(kavoruw::DriverState.PortReadTimeout, 5);
  EXPECT_EQ(kavoruw::DriverState.StoredBaud, 9600);
  EXPECT_TRUE(kavoruw::DriverState.LinkUp);
  EXPECT_EQ(kavoruw::DriverState.TrailerLine[2].code, kavoruw::kEmptyTrailerLine);
}

TEST(CoreApi, CallsWithoutAPortFailWithTheirCodes) {
  kavoruw::Block answer{}, data{};
  EXPECT_EQ(kavoruw::RSSequence(256, 1, 0, answer.data(), data.data()), kavoruw::kErrInternal);
  EXPECT_EQ(kavoruw::RSSequence(0x95, 1, 0, answer.data(), data.data()), kavoruw::kErrTransmit);
  uint8_t b = 0;
  EXPECT_FALSE(kavoruw::ReadPortByte(b));
  EXPECT_FALSE(kavoruw::SetPortTimeouts(3, 20));
  EXPECT_EQ(kavoruw::ClosePortObject(), 0);
  std::string text;
  EXPECT_EQ(kavoruw::ErrMessage(kavoruw::kErrTransmit, text), 0);
  EXPECT_EQ(text, kavoruw::ErrorText(kavoruw::kErrTransmit));
  EXPECT_EQ(kavoruw::DeviceKindName(7), "INNE URZADZENIE");
}

TEST(CoreApi, HooksReceiveTheProgressText) {
  std::vector<std::string> shown;
  kavoruw::SetConsoleHooks({[&](const std::string& t) { shown.push_back(t); }, nullptr});
  kavoruw::ResetDriverState();
  kavoruw::DriverState.LinkUp = true;
  // Without a port the command fails, but its progress text comes first.
  EXPECT_NE(kavoruw::DailyReport(0), 0);
  kavoruw::SetConsoleHooks({});
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), "Raport dobowy...");
}

}  // namespace
