#pragma once
// What the simulated printer keeps for its reports commands.
#include <array>
#include <cstdint>
#include <vector>

namespace printer_sim {

struct ReportState {
  // Daily reports made so far; 0xD9 gives it.
  uint16_t dailyReportNumber = 0;
  // Result byte of the next '1' report instead of the printer's own verdict
  // on its data; -1: judge the data. Used once.
  int nextReportResult = -1;
  // How long the printer takes before it answers a report command (ms).
  int answerDelayMs = 0;

  // The last report command as the printer took it.
  struct Request {
    uint8_t command = 0;
    std::vector<uint8_t> data;  // sub-code included for '1'
    int result = -1;            // result byte sent after the data of '1'
    bool printed = false;
  } last;
  // Reports printed so far.
  int printed = 0;
};

}  // namespace printer_sim
