#pragma once
// The command engine: one printer command from ESC and the command byte
// through the acknowledgement, answer bytes and data bytes to its result code.
// It runs on the calling thread, one command at a time, and never retries.
#include <array>
#include <cstdint>
#include <span>

#include "kavoruw_core.h"

namespace kavoruw {


inline constexpr uint8_t kEsc = 0x1B;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kNak = 0x15;

extern Block SendBuffer;
extern Block AnswerBuffer;
extern uint8_t LastSequenceError;

// Commands answered by one status byte without ACK.
bool IsStatusCommand(uint8_t cmd);
// Record length of a list command, 0 for any other command.
uint8_t ListRecordLength(uint8_t cmd);

void PurgePort();
bool WritePortByte(uint8_t b);
bool PortIoFailed();
uint8_t MapErrorCode(uint8_t ordinal);
bool SendDataBytes(uint16_t n);
void SendSequence(uint8_t cmd, uint8_t answerLen, uint16_t dataLen, uint8_t answerLen2);
void RunSequence(uint8_t cmd, uint8_t answerLen, uint16_t dataLen, uint8_t answerLen2);
uint8_t ExecuteSequence(uint8_t cmd, uint8_t answerLen, uint16_t dataLen, Block& answer,
                        const Block& data);

// Convenience for command functions: sends data (at most 256 bytes) and, when
// answer is given and answerLen > 0, copies the answer block into it.
uint8_t SendCommand(uint8_t cmd, uint8_t answerLen, std::span<const uint8_t> data = {},
                    Block* answer = nullptr);

}  // namespace kavoruw
