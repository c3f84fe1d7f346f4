#pragma once
// The command engine: one printer command from ESC and the command byte
// through the acknowledgement, answer bytes, data bytes and the bytes the
// printer sends after the data, to its result code. It runs on the calling
// thread, one command at a time, and never retries.
#include <cstdint>
#include <span>

#include "driver_types.h"
#include "kavoruw_codes.h"
#include "printer_link/port/comm.h"

namespace kavoruw {

inline constexpr uint8_t kEsc = 0x1B;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kNak = 0x15;

// The engine's own record of the latest command: its answer block (without
// the acknowledgement; bytes beyond those the command read stay from earlier
// commands) and its result. Only the engine writes it.
struct TEngineRecord {
  Block AnswerBuffer{};
  uint8_t LastSequenceError = 0;
  // The latest command put its first byte (ESC) on the wire: a failure after
  // that may have left part of it with the printer.
  bool FrameStarted = false;
};

// The engine's part of the link object: the port and the record.
struct TEngineLink : TPortLink {
  TEngineRecord Engine;
};

// Commands answered by one status byte without ACK.
bool IsStatusCommand(uint8_t cmd);
// Record length of a list command, 0 for any other command.
uint8_t ListRecordLength(uint8_t cmd);
uint8_t MapErrorCode(uint8_t ordinal);
// A command's result when no answer came, or none that could be read: what
// the command did on the printer is not known.
inline bool IsLinkFailure(int32_t r) {
  return r == kErrTransmit || r == kErrReceive || r == kErrBadAnswer;
}

// Sends one byte to the printer; false when it did not go out.
bool WritePortByte(TEngineLink& link, uint8_t b);

// The one way to send a command: purge, ESC and cmd, answerLen answer bytes
// (the first one the acknowledgement), the data (at most 256 bytes), then
// after.size() bytes that the printer sends after the data. When answer is
// given and answerLen > 0 it receives the whole answer block. 0 or the
// engine's code (20, 21, 23, 24, 26, 101, 201); the first failing byte ends
// the command, and bytes of after that did not come are left as they were.
uint8_t ExecuteSequence(TEngineLink& link, uint8_t cmd, uint8_t answerLen,
                        std::span<const uint8_t> data = {}, Block* answer = nullptr,
                        std::span<uint8_t> after = {});

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
bool ReadPortByte(TEngineLink& link, uint8_t& b);
int32_t RSSequence(TEngineLink& link, int32_t cmd, int32_t answerLen, int32_t dataLen,
                   uint8_t* answer, const uint8_t* data);
}  // namespace inner

}  // namespace kavoruw
