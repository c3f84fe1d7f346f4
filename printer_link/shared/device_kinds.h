#pragma once
// What each device kind can do: the one table the driver's commands and the
// console both ask. Kinds 0..7; kOtherDevice (7) is a device that is not one
// of the fiscal printers, and a kind outside 0..7 can do nothing.
#include <array>
#include <cstdint>

namespace kavoruw {

inline constexpr uint8_t kOtherDevice = 7;

struct TDeviceKindRules {
  bool fiscalPrinter;        // one of the fiscal printers (not another device)
  bool secondGeneration;     // monthly reports, clock with seconds, 7 rates, per-rate totals
  bool pharmacyModel;        // meant for pharmacies
  bool userDataRead;         // reads the user data back
  bool pharmacyUserData;     // reads it with the pharmacy command
  bool packagesAndPayments;  // package items, subtotal, payment records
  bool emptyDailyReport;     // makes a daily report with no receipt since the last one
  bool extendedItemRecord;   // takes the 51-byte item record
  uint8_t vatRateCount;      // 4, 6 or 7
  // Gives the supply and annulment-reason bytes from this version on;
  // kNoSixStatusBytes when never.
  uint8_t sixStatusBytesFrom;
};

inline constexpr uint8_t kNoSixStatusBytes = 0xFF;

// clang-format off
inline constexpr std::array<TDeviceKindRules, 8> kDeviceKindRules{{
  //  fiscal second pharm  udRead udPh   pack   empty  ext    rates six-bytes
  {   true,  false, false, false, false, false, false, false, 4,    kNoSixStatusBytes},  // 0
  {   true,  false, false, false, false, false, false, false, 6,    kNoSixStatusBytes},  // 1
  {   true,  false, false, true,  false, false, true,  false, 6,    kNoSixStatusBytes},  // 2
  {   true,  true,  false, true,  false, true,  true,  false, 7,    3},                  // 3
  {   true,  false, true,  false, false, false, false, true,  4,    kNoSixStatusBytes},  // 4
  {   true,  false, true,  false, false, false, false, true,  6,    kNoSixStatusBytes},  // 5
  {   true,  true,  true,  true,  true,  false, true,  true,  7,    6},                  // 6
  {   false, true,  false, false, false, true,  true,  true,  7,    0},                  // 7
}};
// clang-format on
inline constexpr TDeviceKindRules kUnknownKindRules{false, false, false, false, false,
                                                    false, false, false, 7,     kNoSixStatusBytes};

inline constexpr const TDeviceKindRules& DeviceKindRules(uint32_t kind) {
  return kind < kDeviceKindRules.size() ? kDeviceKindRules[kind] : kUnknownKindRules;
}

inline constexpr bool IsFiscalPrinter(uint8_t kind) { return DeviceKindRules(kind).fiscalPrinter; }
inline constexpr bool IsSecondGeneration(uint8_t kind) {
  return DeviceKindRules(kind).secondGeneration;
}
// The second-generation fiscal printers: the service commands of the console.
inline constexpr bool IsSecondGenerationFiscalPrinter(uint8_t kind) {
  return IsFiscalPrinter(kind) && IsSecondGeneration(kind);
}
inline constexpr bool IsPharmacyModel(uint8_t kind) { return DeviceKindRules(kind).pharmacyModel; }
inline constexpr bool HasUserDataRead(uint8_t kind) { return DeviceKindRules(kind).userDataRead; }
inline constexpr bool HasMonthlyReports(uint8_t kind) { return IsSecondGeneration(kind); }
inline constexpr bool HasLongClock(uint8_t kind) { return IsSecondGeneration(kind); }
inline constexpr bool HasPrinterTotals(uint8_t kind) { return IsSecondGeneration(kind); }
inline constexpr bool HasPackagesAndPayments(uint8_t kind) {
  return DeviceKindRules(kind).packagesAndPayments;
}
inline constexpr bool AcceptsEmptyDailyReport(uint8_t kind) {
  return DeviceKindRules(kind).emptyDailyReport;
}
inline constexpr bool UsesExtendedItemRecord(uint8_t kind) {
  return DeviceKindRules(kind).extendedItemRecord;
}
inline constexpr bool HasFourRates(uint8_t kind) {
  return kind < kDeviceKindRules.size() && DeviceKindRules(kind).vatRateCount == 4;
}
inline constexpr bool HasSixRates(uint8_t kind) {
  return kind < kDeviceKindRules.size() && DeviceKindRules(kind).vatRateCount == 6;
}
inline constexpr bool HasSixStatusBytes(uint8_t kind, uint32_t version) {
  const uint8_t from = DeviceKindRules(kind).sixStatusBytesFrom;
  return from != kNoSixStatusBytes && version >= from;
}

}  // namespace kavoruw
