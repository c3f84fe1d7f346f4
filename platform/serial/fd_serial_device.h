#pragma once
// The part of a serial device that works on any non-blocking file descriptor:
// time-outs, abortable transfers, purge, line-error bookkeeping and port
// events. The terminal device and the fake port differ only in the hooks, so
// tests of the fake run the same transfer code as a real port.
#include <termios.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/serial/serial_device.h"

namespace platform {

// Cumulative line-error counters, as TIOCGICOUNT reports them. Only a change
// matters, so wrap-around is harmless.
struct LineCounters {
  uint32_t frame = 0;
  uint32_t overrun = 0;
  uint32_t parity = 0;
  uint32_t brk = 0;
  uint32_t bufOverrun = 0;
  uint32_t txFull = 0;  // no terminal reports this; the fake can
};

class FdSerialDevice : public SerialDevice {
 public:
  // Takes over fd (opened non-blocking) and closes it when destroyed.
  FdSerialDevice(int fd, const LineState& initial);
  ~FdSerialDevice() override;
  FdSerialDevice(const FdSerialDevice&) = delete;
  FdSerialDevice& operator=(const FdSerialDevice&) = delete;

  bool GetState(LineState& state) override;
  bool SetState(const LineState& state) override;
  bool SetupQueues(uint32_t inputSize, uint32_t outputSize) override;
  bool GetTimeouts(CommTimeouts& timeouts) override;
  bool SetTimeouts(const CommTimeouts& timeouts) override;
  bool SetEventMask(uint32_t mask) override;
  EventWait WaitEvent(uint32_t& mask, const Event& stop) override;
  bool ClearError(uint32_t& errors, ComStat& stat) override;
  bool Purge(uint32_t flags) override;
  TransferResult Write(const uint8_t* data, uint32_t n, const Event& abort) override;
  TransferResult Read(uint8_t* data, uint32_t n, const Event& abort) override;

 protected:
  int Fd() const { return fd_; }
  // The most derived constructor calls this once its hooks work: line errors
  // and modem-line changes count from here on.
  void TakeBaseline();

  // Puts line settings into effect; false with the last error set.
  virtual bool ApplyLineState(const LineState& state) = 0;
  // TIOCM_* bits of the modem lines; false where the device has none.
  virtual bool QueryModemLines(int& lines) = 0;
  // False where the device keeps no error counters.
  virtual bool QueryErrorCounters(LineCounters& counters) = 0;
  // Discards unread input; false with the last error set.
  virtual bool DiscardInput() = 0;
  // An event that the device signals when lines or counters change, so that
  // WaitEvent reacts at once instead of at its next look; WaitEvent resets it.
  virtual Event* ChangeEvent() { return nullptr; }
  // How long a write may make no progress before it ends as a time-out.
  virtual uint32_t WriteStallLimitMs() const { return kWriteStallLimitMs; }

 private:
  enum class Wake { Again, Aborted, Failed };
  struct Settings {
    LineState state;
    CommTimeouts timeouts;
  };

  Settings CurrentSettings();
  bool CtsOn();
  bool UnacknowledgedError();
  uint32_t LookForEvents(bool& watching);
  Wake WaitDevice(short events, const Event& abort, int waitMs);

  const int fd_;
  std::mutex mutex_;  // guards everything below
  LineState state_;
  CommTimeouts timeouts_;
  uint32_t eventMask_ = 0;
  LineCounters acknowledged_;  // counters at the last ClearError
  bool acknowledgedKnown_ = false;
  LineCounters eventCounters_;  // counters at WaitEvent's last look
  bool eventCountersKnown_ = false;
  int eventLines_ = 0;  // modem lines at WaitEvent's last look
  bool eventLinesKnown_ = false;
};

// Behind OpenSerialDevice.
std::unique_ptr<SerialDevice> OpenTtyDevice(const std::string& path);

// Raw-mode terminal settings for a line state, starting from tio. False with
// the last error 87 when the line state asks for something a port cannot do.
bool TermiosFromLineState(const LineState& state, termios& tio);

}  // namespace platform
