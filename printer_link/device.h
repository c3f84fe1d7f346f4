#pragma once
// What is connected and in what state: device kinds, status bytes and their
// bits, identification, the status read and the receipt counter.
#include <cstdint>
#include <string>

namespace kavoruw {

inline constexpr uint8_t kOtherDevice = 7;

// "MX720A 5-stawkowa" ... "INNE URZADZENIE"; "NIEZNANE" outside 0..7.
std::string DeviceKindName(uint32_t kind);

// The families the driver and the console tell apart.
inline bool IsFiscalPrinter(uint8_t kind) { return kind <= 6; }
inline bool IsSecondGeneration(uint8_t kind) { return kind == 3 || kind == 6 || kind == 7; }
inline bool IsPharmacyModel(uint8_t kind) { return kind >= 4 && kind <= 6; }
inline bool HasUserDataRead(uint8_t kind) { return kind == 2 || kind == 3 || kind == 6; }
inline bool HasMonthlyReports(uint8_t kind) { return IsSecondGeneration(kind); }
inline bool HasLongClock(uint8_t kind) { return IsSecondGeneration(kind); }
inline bool HasFourRates(uint8_t kind) { return kind == 0 || kind == 4; }
inline bool HasSixRates(uint8_t kind) { return kind == 1 || kind == 2 || kind == 5; }
inline bool HasSevenRates(uint8_t kind) { return IsSecondGeneration(kind); }

// Status commands: the long forms answer ACK and the byte, the short forms
// (0x40 higher) the byte alone.
inline constexpr uint8_t kFiscalStatusLong = '[';
inline constexpr uint8_t kPrinterStatusLong = 'T';
inline constexpr uint8_t kPrintStatusLong = 'U';
inline constexpr uint8_t kServiceStatusLong = 'V';
inline constexpr uint8_t kSupplyStatusLong = '_';
inline constexpr uint8_t kAnnulmentReasonLong = 'P';
inline constexpr uint8_t kFiscalStatus = 0x9B;
inline constexpr uint8_t kPrinterStatus = 0x94;
inline constexpr uint8_t kPrintStatus = 0x95;
inline constexpr uint8_t kServiceStatus = 0x96;

// Bits of the status bytes.
namespace status {
// FiscalStatusByte (s1)
inline constexpr uint8_t kMakerData = 0x01;
inline constexpr uint8_t kUserData = 0x02;
inline constexpr uint8_t kReadOnly = 0x04;
inline constexpr uint8_t kFiscalMode = 0x08;
// PrinterStatusByte (s2)
inline constexpr uint8_t kArticleBaseFull = 0x01;
inline constexpr uint8_t kDocumentPending = 0x02;
inline constexpr uint8_t kFiscalMemoryLow = 0x04;
inline constexpr uint8_t kDailyReportDue = 0x08;
inline constexpr uint8_t kCmosErased = 0x10;
inline constexpr uint8_t kArticleBlocked = 0x20;
inline constexpr uint8_t kNoDisplay = 0x40;
inline constexpr uint8_t kNoControllerLink = 0x80;
// PrintStatusByte (s3)
inline constexpr uint8_t kPrinting = 0x01;
inline constexpr uint8_t kNoPaper = 0x02;
inline constexpr uint8_t kPrinterFailure = 0x04;
inline constexpr uint8_t kLowBattery = 0x08;
inline constexpr uint8_t kReceiptAnnulled = 0x10;
inline constexpr uint8_t kReceiptMemoryLow = 0x20;
inline constexpr uint8_t kStoppedForPaper = 0x40;
inline constexpr uint8_t kPrintNoControllerLink = 0x80;
// ServiceStatusByte (s4)
inline constexpr uint8_t kDrawerClosed = 0x08;
inline constexpr uint8_t kServiceJumper = 0x40;
// SupplyStatusByte (s5)
inline constexpr uint8_t kOnBattery = 0x02;
}  // namespace status

// Reads one status byte with its short command; the engine's code.
int32_t ReadShortStatus(uint8_t command, uint8_t& value);

// The gate of commands that need a working printer: the printer status read
// (its engine error), then 107 for CMOS erased and 102 for no controller link.
int32_t StatusGate();

int32_t ReadDeviceType(uint8_t& kind, uint32_t& version);
int32_t ReadStatusBytes(uint32_t& count, uint8_t& s1, uint8_t& s2, uint8_t& s3, uint8_t& s4,
                        uint8_t& s5, uint8_t& s6);
int32_t ReadReceiptCounter(int32_t& counter);

}  // namespace kavoruw
