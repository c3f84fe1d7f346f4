#pragma once
// The types, constants and result codes the driver's layers share, and that
// its facade (kavoruw_core.h) hands to the programs built on it. No function
// of the driver is declared here.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "device_kinds.h"
#include "kavoruw_codes.h"
#include "receipt_state.h"

namespace kavoruw {
// --- Driver state -----------------------------------------------------------------

// Slots of the payments and trailer lines a receipt ends with.
inline constexpr std::size_t kPaymentSlotCount = 4;
inline constexpr std::size_t kTrailerLineCount = 6;
inline constexpr std::size_t kPaymentNameLength = 13;
inline constexpr std::size_t kMaxTrailerTextLength = 254;
inline constexpr uint8_t kEmptyTrailerLine = 255;

struct TPaymentSlot {
  std::string name;     // empty = free; once filled, exactly kPaymentNameLength bytes
  int32_t amount = 0;   // grosze, sent with command 0x81
  int32_t amount2 = 0;  // grosze, sent with command 0x82
};

struct TTrailerLine {
  uint8_t code = kEmptyTrailerLine;  // 0..15 once filled
  std::string text;                  // Windows-1250, at most kMaxTrailerTextLength bytes
};

// Date and time formats for the programs built on the driver.
struct TFormatSettings {
  std::string LongDateFormat = "dd MMMM yyyy";
  std::string ShortDateFormat = "yy-MM-dd";
  std::string LongTimeFormat = "hh:mm:ss";
  std::string ShortTimeFormat = "hh:mm";
};

// Everything the driver remembers between calls, with its start-up values.
// The driver's calls reach it under their one lock.
struct TDriverState {
  // The link is initialised; while false each command first re-initialises it.
  bool LinkUp = true;
  // Port, speed and time-out (seconds, both directions) for re-initialisation.
  int32_t StoredPort = 0;
  int32_t StoredBaud = 9600;
  int32_t StoredTimeout = 5;
  // Time-outs (seconds) of the console's opens and of the long reports.
  int32_t PortWriteTimeout = 3;
  int32_t PortReadTimeout = 5;
  // Kind of the connected device, 0..7 (kOtherDevice = other device).
  uint8_t DeviceKind = kOtherDevice;
  // The receipt: open or not, its items and per-rate totals, what is in
  // doubt and whether it is damaged.
  TReceiptState Receipt;
  // Slot n (numbered from 1) is element n - 1.
  std::array<TPaymentSlot, kPaymentSlotCount> PaymentSlot{};
  std::array<TTrailerLine, kTrailerLineCount> TrailerLine{};
  TFormatSettings FormatSettings;
};

// --- Raw commands -----------------------------------------------------------------

inline constexpr std::size_t kBlockSize = 256;
using Block = std::array<uint8_t, kBlockSize>;

// --- Hooks of the hosting program ---------------------------------------------------

// A one-line progress text (Windows-1250; empty erases it) at the start of a
// command, one turn of the host's event loop while a printout is awaited, and
// a call about every 20 ms while a command waits for the printer (a byte, a
// time-out, a pause), all on the thread that called the driver. Unset hooks
// do nothing.
struct ConsoleHooks {
  std::function<void(const std::string& cp1250Text)> showProgressText;
  std::function<void()> processMessages;
  std::function<void()> whileWaiting = nullptr;
};

// --- Device kinds and status bytes ------------------------------------------------

// Longest device name ("MX720B 7-st. (apteczna)").
inline constexpr std::size_t kMaxDeviceNameLength = 23;

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

// --- Error texts ------------------------------------------------------------------

// Length of the longest text (code 20), without the terminating zero.
inline constexpr std::size_t kMaxErrorTextLength = 621;

// --- Printouts --------------------------------------------------------------------

inline constexpr int32_t kPrintoutMode = 0;  // wait for a printout just started
inline constexpr int32_t kCheckMode = 1;     // make sure nothing is pending

// --- Reports and counters -----------------------------------------------------------

// 0 detailed by dates, 1 detailed by numbers, 2 detailed monthly,
// 3 short by dates, 4 short by numbers, 5 short monthly.
using TPeriodReportKind = uint8_t;
// Dates and months as digit values, report numbers as little-endian words.
using ReportParams = std::array<uint8_t, 12>;
// Read time-out (seconds) while the printer prepares a long report.
inline constexpr uint16_t kLongReportReadTimeout = 90;

// --- VAT rates --------------------------------------------------------------------

inline constexpr int32_t kVatExempt = 10000;
inline constexpr int32_t kVatUndefined = 25500;
// Rates A..G as hundredths of a percent.
using VatRates = std::array<int32_t, 7>;

// --- Service and settings -----------------------------------------------------------

// Length of the printer's unique number.
inline constexpr std::size_t kUniqueNumberLength = 11;

// --- Receipts ---------------------------------------------------------------------

// Longest total text: 7 rates of 5 bytes each add up to at most 13 digits.
inline constexpr std::size_t kMaxTotalTextLength = 13;
// Characters of an article name on the printer.
inline constexpr std::size_t kArticleNameLength = 28;

// --- The driver itself --------------------------------------------------------------

inline constexpr char kDllVersion[] = "10.00";
inline constexpr char kDllAuthor[] =
    "kavoruw 10.00 - sterownik drukarek fiskalnych dla systemu Linux, projekt kavoruw";

}  // namespace kavoruw
