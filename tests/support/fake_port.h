#pragma once
// Fake serial ports for tests: what a pseudo-terminal cannot show (line
// errors, CTS, write time-outs, failing calls). A registered fake port opens
// through platform::OpenSerialDevice under its port name.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/serial/serial_device.h"

namespace platform {

class FakePort {
 public:
  static std::shared_ptr<FakePort> Create();
  virtual ~FakePort() = default;

  // Opening fails with this Windows error while it is not 0.
  virtual void SetOpenError(uint32_t winError) = 0;
  // CTS line as seen by the device (on at start). With OutxCtsFlow set, a
  // write waits while it is off.
  virtual void SetCts(bool on) = 0;
  // Reports a line error (EV_ERR; the flags come out of ClearError).
  virtual void InjectLineError(uint32_t ceFlags) = 0;
  // Bytes that the device will read.
  virtual void SendToDevice(const std::vector<uint8_t>& bytes) = 0;
  // Bytes the device has written and nobody has taken yet.
  virtual std::vector<uint8_t> TakeWritten() = 0;
  // Waits until at least n written bytes are there.
  virtual bool WaitWritten(size_t n, int timeoutMs) = 0;
  // The next transfer of that direction fails at once with winError.
  virtual void FailNextWrite(uint32_t winError) = 0;
  virtual void FailNextRead(uint32_t winError) = 0;
  // Shortens the limit after which a write that makes no progress ends
  // (kWriteStallLimitMs on a real port), so that tests need not wait a minute.
  virtual void SetWriteStallLimit(uint32_t ms) = 0;

  virtual LineState LastState() = 0;
  virtual CommTimeouts LastTimeouts() = 0;
  virtual uint32_t LastEventMask() = 0;
  virtual bool IsOpen() = 0;
  virtual int OpenCount() = 0;
};

// While registered, OpenSerialDevice(portName) opens the fake port instead of
// a file. Registering nullptr removes the name.
void RegisterFakePort(const std::string& portName, std::shared_ptr<FakePort> port);

}  // namespace platform
