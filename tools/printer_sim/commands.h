#pragma once
// The printer's commands, one registration function per group. A new group
// adds its function here and to BuildCommandTable.
#include <cstddef>
#include <cstdint>

#include "tools/printer_sim/frame.h"

namespace printer_sim {

// 0xFF device type, 0xFE version.
void RegisterIdentificationCommands(CommandTable& table);
// Long status queries '[' 'T' 'U' 'V' '_' 'P' (ACK + byte) and the short
// forms 0x9B 0x94 0x95 0x96 (the byte alone).
void RegisterStatusCommands(CommandTable& table);
// '#' link test, '*' resume a printout halted for paper, 'f' receipt counter.
void RegisterPrintingCommands(CommandTable& table);
// 0xA2 0xA3 0xA5 0xAD 0xAE 0xE7 0xE9 0xEA 0xEE.
void RegisterListCommands(CommandTable& table);

// Record length of a list command; 0 for any other command.
size_t ListRecordLength(uint8_t command);

CommandTable BuildCommandTable();

}  // namespace printer_sim
