#pragma once
// What the simulated printer knows about itself. One struct, so that each new
// group of commands adds its fields here; command handlers and the test thread
// reach it only under the simulator's mutex (StateRef).
#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "tools/printer_sim/state_clock.h"
#include "tools/printer_sim/state_receipt.h"
#include "tools/printer_sim/state_reports.h"
#include "tools/printer_sim/state_service.h"
#include "tools/printer_sim/state_vat.h"

namespace printer_sim {

inline constexpr uint8_t kKindOther = 7;

struct PrinterState {
  // Device kind 0..7 as the driver names them; anything above 7 acts as 7.
  uint8_t kind = 3;
  // Firmware version: the second byte of the 0xFE answer.
  uint8_t version = 6;
  // s1..s6 at index 0..5: fiscal, printer, print, service, supply, annulment
  // reason. Idle fiscal printer: maker and user data written, fiscal mode,
  // fiscal module version 2, drawer closed.
  std::array<uint8_t, 6> status{0x2B, 0x00, 0x00, 0x08, 0x00, 0x00};
  // Records that the list commands send, by command byte.
  std::map<uint8_t, std::vector<std::vector<uint8_t>>> listRecords;

  // A printout under way. The document waits in memory (s2 bit 1) for
  // documentPolls reads of the print status, then prints (s3 bit 0) for
  // printingPolls reads. While resumesNeeded is above 0 it halts as soon as
  // printing begins (s3 bits 0 and 6) until that many '*' have come. When
  // paperOutAfterPolls is above 0, the paper runs out after that many more
  // print-status reads of printing: the paper-out lamp (s3 bit 1) stays lit
  // until SetStatus clears it, and the printout halts until a '*' comes with
  // paper loaded.
  struct PrintJob {
    int documentPolls = 0;
    int printingPolls = 0;
    int resumesNeeded = 0;
    int paperOutAfterPolls = 0;
  } job;
  // How many print-status reads the printouts that commands start last.
  int printJobPolls = 2;
  // Every printout halts for paper until this many '*' have come (0: never).
  int paperStopResumes = 0;

  // Receipts since the last daily report.
  uint16_t receiptCounter = 0;

  VatState vat;
  ClockState clock;
  ReportState reports;
  ServiceState service;
  ReceiptState receipt;
};

// Starts a printout as the printer's commands do.
void StartPrintout(PrinterState& state);
// '*': one resume of a printout halted for paper; none while the paper is out.
void ResumePrintout(PrinterState& state);
// Status byte index 0..5 as the driver reads it now; reading the print status
// (index 2) moves a running printout on by one poll.
uint8_t ReadStatusByte(PrinterState& state, size_t index);

// Type byte of the 0xFF answer: 2, 17, 44, 44, 5, 18, 18, and 99 for any
// other device.
uint8_t TypeByte(uint8_t kind);
// Second-generation models (and other devices) answer 0xFE; their older
// twins refuse it, which is how the driver tells them apart.
bool AnswersVersionQuery(uint8_t kind);
// The newest models also answer the supply and annulment-reason bytes.
bool HasSixStatusBytes(const PrinterState& state);

// The state, locked for as long as the reference lives.
class StateRef {
 public:
  StateRef(std::mutex& mutex, PrinterState& state) : lock_(mutex), state_(state) {}
  PrinterState* operator->() const { return &state_; }
  PrinterState& operator*() const { return state_; }

 private:
  std::unique_lock<std::mutex> lock_;
  PrinterState& state_;
};

}  // namespace printer_sim
