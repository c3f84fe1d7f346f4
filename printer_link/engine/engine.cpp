#include "printer_link/engine/engine.h"

#include <algorithm>
#include <cstring>

#include "platform/sync/event.h"
#include "platform/sync/last_error.h"
#include "printer_link/port/comm.h"
#include "printer_link/port/link_error.h"

namespace kavoruw {

Block SendBuffer{};
Block AnswerBuffer{};
uint8_t LastSequenceError = 0;

namespace {

// Internal error ordinals of the engine; MapErrorCode gives their codes.
constexpr uint8_t kOrdinalWriteFailed = 20;
constexpr uint8_t kOrdinalReadFailed = 21;
constexpr uint8_t kOrdinalBadAnswer = 23;
constexpr uint8_t kOrdinalNak = 24;
constexpr uint8_t kOrdinalServiceJumper = 26;   // answer 0x01 -> 101
constexpr uint8_t kOrdinalReceiptNotBegun = 41;  // answer 0x65 -> 201
constexpr uint8_t kOrdinalRefused = 53;          // answer 0xC8 -> 26

void Record(std::string_view utf8Text) {
  RecordLinkError(utf8Text, static_cast<int32_t>(platform::GetLastError()));
}

// One byte through the worker: the mailbox is filled, the worker is asked and
// the calling thread waits until the worker is idle again.
bool HandOff(bool write, uint8_t& b) {
  IoFailed.store(false);
  platform::Event* abort = AbortEvent.get();
  platform::Event* done = DoneEvent.get();
  platform::Event* request = write ? WriteRequestEvent.get() : ReadRequestEvent.get();

  uint32_t w = platform::WaitForAny({abort, done});
  if (w == 1) {
    if (write) TxByte.store(b);
    if (!done->Reset()) {
      Record("Błąd podczas anulacji zdarzenia.");
      IoFailed.store(true);
      return false;
    }
    if (!request || !request->Set()) {
      Record("Błąd podczas sygnalizacji zdarzenia.");
      IoFailed.store(true);
      return false;
    }
  } else if (w == 0) {
    Record(write ? "Zapis przerwany." : "Przerwany zapis ");
  } else {
    Record("Niepoprawny zapis.");
  }

  w = platform::WaitForAny({abort, done});
  if (w != 1) {
    Record("Błąd funkcji WaitForMultipleObjects.");
    IoFailed.store(true);
    return false;
  }
  bool ok = !IoFailed.load();
  if (ok && !write) b = RxByte.load();
  if (!done->Set()) {
    Record(write ? "Błąd podczas sygnalizacji zdarzenia." : "Błąd podczas anulacji zdarzenia.");
    IoFailed.store(true);
    return false;
  }
  return ok;
}

}  // namespace

bool IsStatusCommand(uint8_t cmd) {
  switch (cmd) {
    case 0x90: case 0x94: case 0x95: case 0x96: case 0x9B: case 0x9F:
      return true;
    default:
      return false;
  }
}

uint8_t ListRecordLength(uint8_t cmd) {
  switch (cmd) {
    case 0xA2: case 0xA3: case 0xA5: return 11;
    case 0xAD: case 0xAE: return 16;
    case 0xE7: return 4;
    case 0xE9: case 0xEE: return 20;
    case 0xEA: return 8;
    default: return 0;
  }
}

void PurgePort() {
  if (!CommPort) return;
  if (CommPort->PurgeOutput() == 0) CommPort->PurgeInput();
}

bool WritePortByte(uint8_t b) { return HandOff(true, b); }

bool ReadPortByte(uint8_t& b) { return HandOff(false, b); }

bool PortIoFailed() { return IoFailed.load(); }

uint8_t MapErrorCode(uint8_t ordinal) {
  ordinal &= 0x7F;
  if (ordinal <= 25) return ordinal;
  if (ordinal <= 30) return static_cast<uint8_t>(ordinal + 75);   // 101..105
  if (ordinal <= 39) return static_cast<uint8_t>(ordinal + 76);   // 107..115
  if (ordinal <= 52) return static_cast<uint8_t>(ordinal + 160);  // 200..212
  if (ordinal == 53) return 26;
  return 0;
}

bool SendDataBytes(uint16_t n) {
  for (uint16_t i = 0; i < n && i < SendBuffer.size(); ++i) {
    WritePortByte(SendBuffer[i]);
    if (PortIoFailed()) return false;
  }
  return true;
}

void SendSequence(uint8_t cmd, uint8_t answerLen, uint16_t dataLen, uint8_t answerLen2) {
  LastSequenceError = 0;
  auto stop = [](uint8_t ordinal) { LastSequenceError = MapErrorCode(ordinal); };
  const bool status = IsStatusCommand(cmd);
  const uint8_t recordLength = ListRecordLength(cmd);

  PurgePort();

  // Nothing is sent on a closed port or while a link error is on record, so
  // the printer never sees half a frame.
  if (!CommPortIsOpen() || LinkErrorCode() != 0) return stop(kOrdinalWriteFailed);
  for (uint8_t b : {kEsc, cmd}) {
    WritePortByte(b);
    if (LinkErrorCode() != 0 || PortIoFailed()) return stop(kOrdinalWriteFailed);
  }

  if (answerLen >= 1) {
    uint8_t first = 0;
    ReadPortByte(first);
    if (PortIoFailed()) return stop(kOrdinalReadFailed);
    AnswerBuffer[0] = first;
    if (first != kAck) {
      if (status) return;
      switch (first) {
        case 0x01: return stop(kOrdinalServiceJumper);
        case kNak: return stop(kOrdinalNak);
        case 0x65: return stop(kOrdinalReceiptNotBegun);
        case 0xC8: return stop(kOrdinalRefused);
        default: return stop(kOrdinalBadAnswer);
      }
    }
    for (unsigned j = 2; j <= answerLen; ++j) {
      uint8_t b = 0;
      ReadPortByte(b);
      if (PortIoFailed()) return stop(kOrdinalReadFailed);
      AnswerBuffer[j - 2] = b;
      // A list ends early with 0xFF where the next record would begin.
      if (recordLength != 0 && b == 0xFF && (j - 1) % recordLength == 1) break;
    }
  }

  if (!SendDataBytes(dataLen)) return stop(kOrdinalWriteFailed);

  if (answerLen2 == 1) {
    uint8_t b = 0;
    ReadPortByte(b);
    if (PortIoFailed()) return stop(kOrdinalReadFailed);
    AnswerBuffer[0] = b;
  }
}

void RunSequence(uint8_t cmd, uint8_t answerLen, uint16_t dataLen, uint8_t answerLen2) {
  SendSequence(cmd, answerLen, dataLen, answerLen2);
}

uint8_t ExecuteSequence(uint8_t cmd, uint8_t answerLen, uint16_t dataLen, Block& answer,
                        const Block& data) {
  if (dataLen > 0) SendBuffer = data;
  RunSequence(cmd, answerLen, dataLen, 0);
  if (answerLen > 0) answer = AnswerBuffer;
  return LastSequenceError;
}

int32_t RSSequence(int32_t cmd, int32_t answerLen, int32_t dataLen, uint8_t* answer,
                   const uint8_t* data) {
  try {
    if (cmd < 0 || cmd > 255 || answerLen < 0 || answerLen > 255 || dataLen < 0 ||
        dataLen > static_cast<int32_t>(SendBuffer.size()) || answer == nullptr || data == nullptr) {
      return 999;
    }
    // Only the bytes that will be sent are read from the caller's block.
    if (dataLen > 0) std::memcpy(SendBuffer.data(), data, static_cast<size_t>(dataLen));
    RunSequence(static_cast<uint8_t>(cmd), static_cast<uint8_t>(answerLen),
                static_cast<uint16_t>(dataLen), 0);
    if (answerLen > 0) std::memcpy(answer, AnswerBuffer.data(), AnswerBuffer.size());
    return LastSequenceError;
  } catch (...) {
    return 999;
  }
}

uint8_t SendCommand(uint8_t cmd, uint8_t answerLen, std::span<const uint8_t> data, Block* answer) {
  const size_t n = std::min(data.size(), SendBuffer.size());
  std::copy_n(data.begin(), n, SendBuffer.begin());
  RunSequence(cmd, answerLen, static_cast<uint16_t>(n), 0);
  if (answer && answerLen > 0) *answer = AnswerBuffer;
  return LastSequenceError;
}

}  // namespace kavoruw
