#pragma once
// The tests menu's pure parts: the lines of the status-bytes view and the
// printer-state test's answer to each receipt condition.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace console {

// The 35 texts of the status view (index 0..34), Windows-1250.
const std::array<std::string, 35>& StatusTexts();

// The bytes that ReadStatusBytes gave: bytes[0] is status byte 1 (fiscal),
// bytes[1] byte 2 (printer), bytes[2] byte 3 (print), bytes[3] byte 4
// (service), bytes[4] byte 5 (supply), bytes[5] byte 6 (annulment reason);
// count is how many the printer sent (4, 5 or 6).
struct StatusBytes {
  int32_t count = 0;
  std::array<uint8_t, 6> bytes{};
};

// The lines of the status view, in their order.
std::vector<std::string> BuildStatusLines(const StatusBytes& status);

// What the printer-state test does after the printer answers a receipt
// condition code.
enum class ConditionNext {
  Stop,              // box, then the test ends
  RepeatOnYes,       // question: Yes checks again, No ends
  UserDataOnYes,     // Yes: tone, user-data dialog, check again
  DailyReportOnYes,  // Yes: the daily-report handler, check again
  ResumeOnYes,       // Yes: PrintResume; 0 checks again, else ResumeFailedText
  VatRatesOnYes,     // Yes: the VAT-rate write handler, check again
  LeaveAtOnce,       // box, erase the progress text, arrow, leave the handler
};

struct ConditionStep {
  std::string caption;
  uint32_t flags = 0;
  std::string text;
  ConditionNext next = ConditionNext::Stop;
  bool arrowFirst = false;  // the cursor becomes the arrow before the box
  bool plainBox = false;    // code 0: the application's own box (0x40, not task-modal)
};

// The step for a condition code; errText is ErrMessage's text of the code
// (used for codes without a box of their own).
ConditionStep ReceiptConditionStep(int32_t code, const std::string& errText);

// Box after a failed PrintResume: errText + "\r\r Czy powtórzyć ...?".
std::string ResumeFailedText(const std::string& errText);

// The label of the unique-number dialog: "Numer unikatowy drukarki: " + number.
std::string UniqueNumberLabel(const std::string& number);

// The two prompts of the display test (step 1: RAZEM, step 2: RESZTA).
const std::string& DisplayTestLabel(int step);

// Test receipt: the index (1..7) of the exempt rate, 0 when there is none;
// 7 for printers that report 4 or 6 rates.
int32_t ExemptRateIndex(int32_t count, const std::array<int32_t, 7>& rates);

}  // namespace console
