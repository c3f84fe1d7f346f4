#pragma once
// Steps the tests menu and the service procedures share.
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "forms/message_box.h"
#include "operator_console/console_state.h"

// The connected printer is a second-generation one (kind 3 or 6).
bool SecondGenerationPrinter();
// CheckCmosErased as the actions use it: true when they may go on; else the
// refusal (or the failed read's error) has been shown.
bool CmosKept(const std::string& refusal);
// "Skasowana pamięć CMOS. Wejdź do inicjowania zegara."
const std::string& CmosErasedGoToClock();
// The status bytes s1..s6 and how many the printer gave.
struct StatusRead {
  uint32_t count = 0;
  uint8_t s[6] = {};
};
// ReadStatusBytes under the busy cursor; 0 or the driver's code.
int32_t ReadStatus(ConsoleState& console, StatusRead& status);
// A service command sent raw, each step under the busy cursor: RSSequence
// with its record, then the result byte the printer sends after it. 0 with
// the byte in result, or the driver's code (21 when no byte came).
int32_t SendRawRecord(ConsoleState& console, uint8_t command, int32_t answerLen,
                      std::span<const uint8_t> record, uint8_t& result);
// The printout that follows one, awaited under the busy cursor with the read
// time-out raised to readSec; the usual time-outs are back afterwards.
int32_t AwaitPrintout(ConsoleState& console, uint16_t readSec);
// The driver error that ends a procedure: its box (the action's scope erases
// the progress text and puts the arrow back when the procedure returns).
void EndWithDriverError(int32_t code);
// A refusal that ends a procedure: its box.
void EndWithError(const std::string& cp1250Text,
                  unsigned flags = forms::MB_ICONSTOP | forms::MB_OK | forms::MB_TASKMODAL);
void EndWithInfo(const std::string& cp1250Text,
                 unsigned flags = forms::MB_ICONINFORMATION | forms::MB_OK | forms::MB_TASKMODAL);
