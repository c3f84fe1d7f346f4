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
// VAT rates: 0xD1 0xD0 'p' read, 0xD5 0xD4 'D' write.
void RegisterVatCommands(CommandTable& table);
// Clock: '5' 0x40 read, '4' set, '6' shift.
void RegisterClockCommands(CommandTable& table);
// Reports and counters: '%' '"' '0' '&' '(' ')' '1', 0xD9 0xD8.
void RegisterReportCommands(CommandTable& table);
// Service and settings: 'W' 'X' 'Y' 'C' 'F' 't' '2' 'w' apostrophe 0xFD 'q', user data 0x9C 0x9D
// 0x9E '3', fiscalization 0x72, article-base clearing backslash.
void RegisterServiceCommands(CommandTable& table);
// Receipts: '!' 0x06 0x17 0x80 0x1B 0x07 0x81 0x82 0x09 '$', totals 0xDA, sample printouts 's'.
void RegisterReceiptCommands(CommandTable& table);
// 0xA2 0xA3 0xA5 0xAD 0xAE 0xE7 0xE9 0xEA 0xEE.
void RegisterListCommands(CommandTable& table);

// Record length of a list command; 0 for any other command.
size_t ListRecordLength(uint8_t command);

CommandTable BuildCommandTable();

}  // namespace printer_sim
