#pragma once
// The console's state shared by its windows, and the start-up of its unit:
// port and speed from the command line. Nothing here is ever saved.
#include <cstdint>
#include <string>
#include <vector>

// COM port number; 0 = not chosen yet.
extern uint8_t ComPortNumber;
// Line speed, 9600 or 19200; 0 = not chosen yet.
extern uint16_t ComBaudRate;
// The main window has not been activated yet.
extern bool FirstActivation;
// The report-range dialogs hand their range back instead of printing.
extern bool SettlementRangeMode;
// The VAT-rate dialog was opened by the switch to fiscal mode.
extern bool FiscalizationInProgress;

// The arguments after the program path.
using Arguments = std::vector<std::string>;

// The first argument "COM1".."COM9" (ASCII letters in any case) sets the
// port; anything else is skipped.
void ParsePortArgument(const Arguments& arguments);
// The first argument that is exactly "9600" or "19200" sets the speed.
void ParseBaudArgument(const Arguments& arguments);

// The unit's start-up: flags, the animated busy cursor from the current
// folder, then port and speed from the command line.
void InitializeConsoleUnit(const Arguments& arguments);
