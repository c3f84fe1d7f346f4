#pragma once
// The bits of the simulated printer's status bytes, and which byte of its
// status array each status byte is.
#include <cstddef>
#include <cstdint>

namespace printer_sim::status {

// Index of each status byte in PrinterState::status.
inline constexpr std::size_t kFiscal = 0;     // s1
inline constexpr std::size_t kPrinter = 1;    // s2
inline constexpr std::size_t kPrint = 2;      // s3
inline constexpr std::size_t kService = 3;    // s4
inline constexpr std::size_t kSupply = 4;     // s5
inline constexpr std::size_t kAnnulment = 5;  // s6: reason of the last annulment

// s1
inline constexpr uint8_t kUserDataWritten = 0x02;
inline constexpr uint8_t kReadOnly = 0x04;
// s2
inline constexpr uint8_t kDocumentPending = 0x02;
inline constexpr uint8_t kDailyReportDue = 0x08;
inline constexpr uint8_t kCmosErased = 0x10;
// s3
inline constexpr uint8_t kPrinting = 0x01;
inline constexpr uint8_t kNoPaper = 0x02;
inline constexpr uint8_t kPrinterFailure = 0x04;
inline constexpr uint8_t kReceiptAnnulled = 0x10;
inline constexpr uint8_t kStoppedForPaper = 0x40;
// s4
inline constexpr uint8_t kDrawerClosed = 0x08;

}  // namespace printer_sim::status
