// The core as the console sees it: this suite links the core alone and
// includes its API header only.
#include <gtest/gtest.h>

#include <type_traits>

#include "kavoruw_core.h"

#if __has_include("printer_link/port/comm.h") ||               \
                  __has_include("printer_link/port/comm.h") || \
                                __has_include("platform/serial/serial_device.h")
#error "the core exposes more than its API folder"
#endif

namespace {

TEST(CoreApi, TheLinkStateIsReadOnlyAndStartsAtItsDefaults) {
  static_assert(std::is_const_v<std::remove_reference_t<decltype(kavoruw::LinkState())>>);
  const kavoruw::TDriverState& state = kavoruw::LinkState();
  EXPECT_EQ(state.DeviceKind, kavoruw::kOtherDevice);
  EXPECT_EQ(state.PortWriteTimeout, 3);
  EXPECT_EQ(state.PortReadTimeout, 5);
  EXPECT_EQ(state.StoredBaud, 9600);
  EXPECT_TRUE(state.LinkUp);
  EXPECT_FALSE(state.Receipt.Open());
  EXPECT_EQ(state.TrailerLine[2].code, kavoruw::kEmptyTrailerLine);
  // Identification without a port fails and leaves the kind as it was.
  uint32_t version = 9;
  EXPECT_EQ(kavoruw::IdentifyDevice(version), kavoruw::kErrTransmit);
  EXPECT_EQ(state.DeviceKind, kavoruw::kOtherDevice);
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
  // Without a port the command fails, but its progress text comes first.
  EXPECT_NE(kavoruw::DailyReport(0), 0);
  kavoruw::SetConsoleHooks({});
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), "Raport dobowy...");
}

}  // namespace
