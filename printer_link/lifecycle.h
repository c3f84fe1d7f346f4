#pragma once
// The link as a point-of-sale program sees it, and the checks that come
// before a receipt or a periodic report.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kavoruw {

// Longest device name ("MX720B 7-st. (apteczna)").
inline constexpr std::size_t kMaxDeviceNameLength = 23;

int32_t CommunicationInit(int32_t port, int32_t baud, int32_t timeoutSec);
int32_t CommunicationEnd();
int32_t DeviceName(std::string& name);
int32_t pDeviceName(char* buffer);
int32_t ReceiptConditions();
int32_t CheckReceiptConditions();
int32_t CheckPeriodReportConditions();
int32_t ReadFiscalMode(int32_t& fiscal);
int32_t CheckVATDefined(bool& defined);

}  // namespace kavoruw
