#pragma once
// Serial ports as the printer link expects them: Windows-style port names,
// line settings, time-outs in the Windows sense, one transfer at a time that
// an abort event can cut short, purge, line-error flags and port events.
//
// No call throws. A failing call returns false (or a failed transfer) and
// leaves a Windows error number in platform::GetLastError().
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sync/event.h"

namespace platform {

// Port events (bits of an event mask).
inline constexpr uint32_t kEvRxChar = 0x0001;
inline constexpr uint32_t kEvRxFlag = 0x0002;
inline constexpr uint32_t kEvTxEmpty = 0x0004;
inline constexpr uint32_t kEvCts = 0x0008;
inline constexpr uint32_t kEvDsr = 0x0010;
inline constexpr uint32_t kEvRlsd = 0x0020;
inline constexpr uint32_t kEvBreak = 0x0040;
inline constexpr uint32_t kEvErr = 0x0080;
inline constexpr uint32_t kEvRing = 0x0100;

// Line-error flags reported by ClearError.
inline constexpr uint32_t kCeRxOver = 0x0001;
inline constexpr uint32_t kCeOverrun = 0x0002;
inline constexpr uint32_t kCeRxParity = 0x0004;
inline constexpr uint32_t kCeFrame = 0x0008;
inline constexpr uint32_t kCeBreak = 0x0010;
inline constexpr uint32_t kCeTxFull = 0x0100;

// Purge flags.
inline constexpr uint32_t kPurgeTxAbort = 0x0001;
inline constexpr uint32_t kPurgeRxAbort = 0x0002;
inline constexpr uint32_t kPurgeTxClear = 0x0004;
inline constexpr uint32_t kPurgeRxClear = 0x0008;

inline constexpr uint8_t kNoParity = 0;
inline constexpr uint8_t kOddParity = 1;
inline constexpr uint8_t kEvenParity = 2;
inline constexpr uint8_t kOneStopBit = 0;
inline constexpr uint8_t kTwoStopBits = 2;
inline constexpr uint8_t kDtrControlDisable = 0;
inline constexpr uint8_t kDtrControlEnable = 1;
inline constexpr uint8_t kRtsControlDisable = 0;
inline constexpr uint8_t kRtsControlEnable = 1;

inline constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

// The line settings of a port.
struct LineState {
  uint32_t BaudRate = 9600;
  uint8_t ByteSize = 8;
  uint8_t Parity = kNoParity;
  uint8_t StopBits = kOneStopBit;
  bool OutxCtsFlow = false;  // output waits for CTS
  bool OutxDsrFlow = false;
  uint8_t DtrControl = kDtrControlEnable;
  uint8_t RtsControl = kRtsControlEnable;
  bool OutX = false;          // XON/XOFF on output
  bool InX = false;           // XON/XOFF on input
  bool AbortOnError = false;  // a line error stops transfers until ClearError
};

// Time-outs in milliseconds, with the Windows meaning:
// - a read waits at most ReadTotalTimeoutMultiplier * n + ReadTotalTimeoutConstant
//   (0 = no limit); ReadIntervalTimeout = kMaxDword with both totals 0 makes a
//   read return at once with whatever has arrived;
// - a write waits at most WriteTotalTimeoutMultiplier * n + WriteTotalTimeoutConstant
//   (0 = no limit).
struct CommTimeouts {
  uint32_t ReadIntervalTimeout = 0;
  uint32_t ReadTotalTimeoutMultiplier = 0;
  uint32_t ReadTotalTimeoutConstant = 0;
  uint32_t WriteTotalTimeoutMultiplier = 0;
  uint32_t WriteTotalTimeoutConstant = 0;
};

// A write that moves no byte for this long ends as a time-out, even when the
// write time-out is 0 (no limit): a printer that stopped taking bytes must not
// hold the link for ever.
inline constexpr uint32_t kWriteStallLimitMs = 60000;

struct ComStat {
  uint32_t InQueue = 0;
  uint32_t OutQueue = 0;
};

// How a transfer ended. pending tells whether it had to wait (the call did not
// complete at once); moved counts the bytes transferred.
//  - Completed: it ended normally; moved < n after waiting means the time-out
//    ran out (last error 0); moved < n at once means nothing more was there.
//  - Failed: the call failed at once (last error set; 995 after a line error
//    while AbortOnError is set).
//  - WaitFailed: waiting for the transfer failed.
//  - QueryFailed: the transfer ended but its result could not be obtained.
//  - Aborted: the abort event was signalled while it waited.
enum class TransferEnd { Completed, Failed, WaitFailed, QueryFailed, Aborted };

struct TransferResult {
  bool pending = false;
  TransferEnd end = TransferEnd::Failed;
  uint32_t moved = 0;
};

enum class EventWait { Event, Stopped, Failed };

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  virtual bool GetState(LineState& state) = 0;
  // Fails with 87 for a speed the device cannot take.
  virtual bool SetState(const LineState& state) = 0;
  virtual bool SetupQueues(uint32_t inputSize, uint32_t outputSize) = 0;
  virtual bool GetTimeouts(CommTimeouts& timeouts) = 0;
  virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;

  virtual bool SetEventMask(uint32_t mask) = 0;
  // Waits until an event of the mask happens (mask := the events seen) or
  // until stop is signalled.
  virtual EventWait WaitEvent(uint32_t& mask, const Event& stop) = 0;
  // Reports and acknowledges the line errors seen since the last call.
  virtual bool ClearError(uint32_t& errors, ComStat& stat) = 0;

  // kPurgeRxClear discards unread input. Output that a completed write handed
  // over is never discarded: kPurgeTxClear has nothing to discard.
  virtual bool Purge(uint32_t flags) = 0;

  // One transfer. Only one transfer runs at a time (the link's worker thread).
  virtual TransferResult Write(const uint8_t* data, uint32_t n, const Event& abort) = 0;
  virtual TransferResult Read(uint8_t* data, uint32_t n, const Event& abort) = 0;
};

// Port numbers a name "Com" + number may carry.
inline constexpr unsigned long kFirstPortNumber = 1;
inline constexpr unsigned long kLastPortNumber = 255;

// The file a Windows-style port name ("Com3") stands for:
// $KAVORUW_PORT_DIR/COM3 when that variable is set, else /dev/ttyS2. An
// absolute path stands for itself; any other name, and a port number outside
// 1..255, stands for nothing (empty), so that no port is ever looked for in
// the working folder.
std::string ResolvePortPath(const std::string& portName);

// Opens a port by its Windows-style name, exclusively. nullptr on failure,
// with the last error: 2 missing or no such port, 5 busy or forbidden, 6 not
// a terminal.
std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& portName);

// Where OpenSerialDevice looks first: an opener that may stand in for the
// file a port name resolves to (tests put a fake port there). It returns
// false to let the port open as usual; true with device set (nullptr with the
// last error) when it opened the port itself.
using SerialDeviceOpener = bool (*)(const std::string& portName,
                                    std::unique_ptr<SerialDevice>& device);
void SetSerialDeviceOpener(SerialDeviceOpener opener);

}  // namespace platform
