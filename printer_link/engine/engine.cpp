#include "printer_link/engine/engine.h"

#include <algorithm>
#include <cstring>

#include "platform/sync/event.h"
#include "platform/sync/last_error.h"
#include "printer_link/port/comm.h"
#include "printer_link/port/hand_off.h"

namespace kavoruw {

namespace {

// Internal error ordinals of the engine; MapErrorCode gives their codes.
constexpr uint8_t kOrdinalWriteFailed = 20;
constexpr uint8_t kOrdinalReadFailed = 21;
constexpr uint8_t kOrdinalBadAnswer = 23;
constexpr uint8_t kOrdinalNak = 24;
constexpr uint8_t kOrdinalServiceJumper = 26;    // answer 0x01 -> 101
constexpr uint8_t kOrdinalReceiptNotBegun = 41;  // answer 0x65 -> 201
constexpr uint8_t kOrdinalRefused = 53;          // answer 0xC8 -> 26

// One byte through the port's hand-off. Without a port object nothing can
// be handed over.
ByteResult Carry(TEngineLink& link, Transfer direction, uint8_t b) {
  if (!link.CommPort) {
    link.LinkError->Record("Niepoprawny zapis.", static_cast<int32_t>(platform::GetLastError()));
    link.LinkError->Record("Błąd funkcji WaitForMultipleObjects.",
                           static_cast<int32_t>(platform::GetLastError()));
    return {};
  }
  return link.CommPort->HandOff().Carry(direction, b);
}

void PurgePort(TEngineLink& link) {
  if (!link.CommPort) return;
  if (link.CommPort->PurgeOutput() == 0) link.CommPort->PurgeInput();
}

uint8_t RunSequence(TEngineLink& link, uint8_t cmd, uint8_t answerLen,
                    std::span<const uint8_t> data, std::span<uint8_t> after) {
  const bool status = IsStatusCommand(cmd);
  const uint8_t recordLength = ListRecordLength(cmd);

  PurgePort(link);
  link.Engine.FrameStarted = false;

  // Nothing is sent on a closed port or while a link error is on record, so
  // the printer never sees half a frame.
  if (!link.PortIsOpen() || link.LinkError->Code() != 0) return kOrdinalWriteFailed;
  for (uint8_t b : {kEsc, cmd}) {
    const bool written = WritePortByte(link, b);
    if (written) link.Engine.FrameStarted = true;
    if (link.LinkError->Code() != 0 || !written) return kOrdinalWriteFailed;
  }

  if (answerLen >= 1) {
    ByteResult first = Carry(link, Transfer::Read, 0);
    if (!first.ok) return kOrdinalReadFailed;
    link.Engine.AnswerBuffer[0] = first.byte;
    if (first.byte != kAck) {
      if (status) return 0;
      switch (first.byte) {
        case 0x01: return kOrdinalServiceJumper;
        case kNak: return kOrdinalNak;
        case 0x65: return kOrdinalReceiptNotBegun;
        case 0xC8: return kOrdinalRefused;
        default: return kOrdinalBadAnswer;
      }
    }
    for (unsigned j = 2; j <= answerLen; ++j) {
      ByteResult next = Carry(link, Transfer::Read, 0);
      if (!next.ok) return kOrdinalReadFailed;
      link.Engine.AnswerBuffer[j - 2] = next.byte;
      // A list ends early with 0xFF where the next record would begin.
      if (recordLength != 0 && next.byte == 0xFF && (j - 1) % recordLength == 1) break;
    }
  }

  for (uint8_t b : data) {
    if (!WritePortByte(link, b)) return kOrdinalWriteFailed;
  }

  for (uint8_t& b : after) {
    ByteResult next = Carry(link, Transfer::Read, 0);
    if (!next.ok) return kOrdinalReadFailed;
    b = next.byte;
  }
  return 0;
}

}  // namespace

bool IsStatusCommand(uint8_t cmd) {
  switch (cmd) {
    case 0x90:
    case 0x94:
    case 0x95:
    case 0x96:
    case 0x9B:
    case 0x9F: return true;
    default: return false;
  }
}

uint8_t ListRecordLength(uint8_t cmd) {
  switch (cmd) {
    case 0xA2:
    case 0xA3:
    case 0xA5: return 11;
    case 0xAD:
    case 0xAE: return 16;
    case 0xE7: return 4;
    case 0xE9:
    case 0xEE: return 20;
    case 0xEA: return 8;
    default: return 0;
  }
}

uint8_t MapErrorCode(uint8_t ordinal) {
  ordinal &= 0x7F;
  if (ordinal <= 25) return ordinal;
  if (ordinal <= 30) return static_cast<uint8_t>(ordinal + 75);   // 101..105
  if (ordinal <= 39) return static_cast<uint8_t>(ordinal + 76);   // 107..115
  if (ordinal <= 52) return static_cast<uint8_t>(ordinal + 160);  // 200..212
  if (ordinal == 53) return 26;
  return 0;
}

bool WritePortByte(TEngineLink& link, uint8_t b) { return Carry(link, Transfer::Write, b).ok; }

bool inner::ReadPortByte(TEngineLink& link, uint8_t& b) {
  ByteResult r = Carry(link, Transfer::Read, 0);
  if (r.ok) b = r.byte;
  return r.ok;
}

uint8_t ExecuteSequence(TEngineLink& link, uint8_t cmd, uint8_t answerLen,
                        std::span<const uint8_t> data, Block* answer, std::span<uint8_t> after) {
  if (data.size() > kBlockSize) data = data.first(kBlockSize);
  link.Engine.LastSequenceError = MapErrorCode(RunSequence(link, cmd, answerLen, data, after));
  if (answer && answerLen > 0) *answer = link.Engine.AnswerBuffer;
  return link.Engine.LastSequenceError;
}

int32_t inner::RSSequence(TEngineLink& link, int32_t cmd, int32_t answerLen, int32_t dataLen,
                          uint8_t* answer, const uint8_t* data) {
  if (cmd < 0 || cmd > 255 || answerLen < 0 || answerLen > 255 || dataLen < 0 ||
      dataLen > static_cast<int32_t>(kBlockSize) || answer == nullptr || data == nullptr) {
    return kErrInternal;
  }
  // Only the bytes that will be sent are read from the caller's block.
  Block block{};
  const uint8_t result =
      ExecuteSequence(link, static_cast<uint8_t>(cmd), static_cast<uint8_t>(answerLen),
                      std::span<const uint8_t>(data, static_cast<size_t>(dataLen)), &block);
  if (answerLen > 0) std::memcpy(answer, block.data(), block.size());
  return result;
}

}  // namespace kavoruw
