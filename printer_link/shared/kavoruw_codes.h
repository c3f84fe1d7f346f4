#pragma once
// The driver's result codes. ErrorText gives their Polish texts.
#include <cstdint>

namespace kavoruw {

inline constexpr int32_t kOk = 0;
inline constexpr int32_t kErrNoSuchPort = 2;
inline constexpr int32_t kErrPortInUse = 5;
inline constexpr int32_t kErrTransmit = 20;
inline constexpr int32_t kErrReceive = 21;
inline constexpr int32_t kErrBadAnswer = 23;
inline constexpr int32_t kErrNak = 24;
inline constexpr int32_t kErrRefused = 26;
inline constexpr int32_t kErrNoMakerData = 100;
inline constexpr int32_t kErrServiceJumper = 101;
inline constexpr int32_t kErrNoControllerLink = 102;
inline constexpr int32_t kErrPrinterFailure = 103;
inline constexpr int32_t kErrNoUserData = 104;
inline constexpr int32_t kErrReadOnly = 105;
inline constexpr int32_t kErrNoDisplay = 106;
inline constexpr int32_t kErrCmosErased = 107;
inline constexpr int32_t kErrDailyReportDue = 108;
inline constexpr int32_t kErrNoPaper = 109;
inline constexpr int32_t kErrNoVatRates = 113;
inline constexpr int32_t kErrNoPortNumber = 114;
inline constexpr int32_t kErrReceiptOpen = 200;
inline constexpr int32_t kErrReceiptNotBegun = 201;
inline constexpr int32_t kErrVatIndex = 203;
inline constexpr int32_t kErrQuantity = 205;
inline constexpr int32_t kErrPrice = 208;
inline constexpr int32_t kErrReceiptAnnulled = 210;
inline constexpr int32_t kErrZeroReceiptCounter = 211;
inline constexpr int32_t kErrDrawerNumber = 212;
inline constexpr int32_t kErrCommandUnavailable = 213;
inline constexpr int32_t kErrPackageType = 214;
inline constexpr int32_t kErrParameterRange = 215;
inline constexpr int32_t kErrAllLinesUsed = 216;
inline constexpr int32_t kErrVatNotWritten = 217;
inline constexpr int32_t kErrReceiptCounterNotZero = 218;
inline constexpr int32_t kErrReportDates = 219;  // 219..223: report result bytes 1..5
inline constexpr int32_t kErrRateText = 223;
inline constexpr int32_t kErrNotOnThisDevice = 224;
inline constexpr int32_t kErrNullBuffer = 225;
inline constexpr int32_t kErrVatUndefined = 226;
inline constexpr int32_t kErrItemValue = 227;
inline constexpr int32_t kErrTrainingMode = 228;
inline constexpr int32_t kErrUserDataNotWritten = 229;
inline constexpr int32_t kErrCmosNotErased = 230;
inline constexpr int32_t kErrInternal = 999;

}  // namespace kavoruw
