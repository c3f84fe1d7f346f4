#include "operator_console/console_state.h"

#include "operator_console/busy_cursor.h"

uint8_t ComPortNumber = 0;
uint16_t ComBaudRate = 0;
bool FirstActivation = true;
bool SettlementRangeMode = false;
bool FiscalizationInProgress = false;

namespace {

std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

void ParsePortArgument(const Arguments& arguments) {
  ComPortNumber = 0;
  for (const std::string& argument : arguments) {
    const std::string upper = AsciiUpper(argument);
    if (upper.size() == 4 && upper.compare(0, 3, "COM") == 0 && upper[3] >= '1' && upper[3] <= '9') {
      ComPortNumber = static_cast<uint8_t>(upper[3] - '0');
      return;
    }
  }
}

void ParseBaudArgument(const Arguments& arguments) {
  ComBaudRate = 0;
  for (const std::string& argument : arguments) {
    if (argument == "9600" || argument == "19200") {
      ComBaudRate = static_cast<uint16_t>(std::stoi(argument));
      return;
    }
  }
}

void InitializeConsoleUnit(const Arguments& arguments) {
  SettlementRangeMode = false;
  FiscalizationInProgress = false;
  LoadBusyCursor("hourglas.ani");
  FirstActivation = true;
  ComPortNumber = 0;
  ComBaudRate = 0;
  ParsePortArgument(arguments);
  ParseBaudArgument(arguments);
}
