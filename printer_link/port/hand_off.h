#pragma once
// The byte hand-off between the thread that runs a command and the port's
// one-byte worker. One call carries one byte to or from the worker and
// returns how it went; the port object owns the hand-off and aborts it when it
// closes, so that no byte waits on a closed port.
//
// Both sides spin for a few microseconds before they sleep: the next byte of
// a command usually follows at once, and a sleeping thread costs a wake-up.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/sync/event.h"
#include "printer_link/port/link_error.h"

namespace kavoruw {

enum class Transfer : uint8_t { Write, Read };

// The wait hook (the host's whileWaiting hook, kept with the link's hooks) is
// called about every 20 ms on the command thread while it waits for a byte or
// for a pause of the link, so that a hosting program on that thread keeps its
// windows painted; the time-outs are the same either way. Unset (the
// default), the wait sleeps until the byte is done.

// The command thread pauses that long, calling the wait hook meanwhile.
void PauseCallingWaitHook(const std::function<void()>& waitHook, int milliseconds);

// What one byte's trip through the worker gave: ok with the byte read (or the
// byte written), or not ok when no byte moved.
struct ByteResult {
  bool ok = false;
  uint8_t byte = 0;
};

class THandOff {
 public:
  // Faults go to the error record; the wait hook is read at each transfer.
  THandOff(TLinkErrorRecord& error, const std::function<void()>& waitHook)
      : error_(error), waitHook_(waitHook) {}
  THandOff(const THandOff&) = delete;
  THandOff& operator=(const THandOff&) = delete;

  // A new connection: the abort event the transfers watch, and an idle worker.
  // Until then (and after Abort) every byte fails at once.
  void Start(std::shared_ptr<platform::Event> abort);
  // The port is closing: a waiting byte fails, a transfer in flight is cut
  // short, and every later byte fails at once.
  void Abort();
  bool Aborted() const;
  // The event a transfer in flight watches (nullptr before the first Start).
  platform::Event* AbortEvent() const { return abort_.get(); }

  // Command thread: carries one byte through the worker and waits for it.
  ByteResult Carry(Transfer direction, uint8_t byte);

  // Worker: waits for the next request; false once the worker is to stop.
  bool NextRequest(Transfer& direction, uint8_t& byte);
  // Worker: the request is done; moved is 0 when no byte moved.
  void Complete(uint32_t moved, uint8_t byte);
  // Worker: ends the wait in NextRequest for good.
  void Stop();

 private:
  // The low bits hold the phase of the current byte, the high bits the flags.
  static constexpr uint32_t kIdle = 0;
  static constexpr uint32_t kWriteRequested = 1;
  static constexpr uint32_t kReadRequested = 2;
  static constexpr uint32_t kDone = 3;
  static constexpr uint32_t kPhase = 0xFF;
  static constexpr uint32_t kAbortedFlag = 0x100;
  static constexpr uint32_t kStopFlag = 0x200;
  // The command thread sleeps on the state with a time limit (the wait hook
  // is set): every change of the state wakes it.
  static constexpr uint32_t kTimedWaiterFlag = 0x400;

  // Sets the phase, keeping the flags.
  void SetPhase(uint32_t phase);
  // Spins a few microseconds for ready(state); true with that state in s.
  template <typename Ready>
  bool SpinBriefly(Ready ready, uint32_t& s) const;
  // Waits until ready(state) holds and returns that state.
  template <typename Ready>
  uint32_t WaitUntil(Ready ready) const;
  // WaitUntil on the command thread with the wait hook called meanwhile.
  template <typename Ready>
  uint32_t WaitCallingHook(Ready ready, const std::function<void()>& hook);
  // Wakes a timed waiter after the state changed to `now`.
  void WakeTimedWaiter(uint32_t now);

  std::atomic<uint32_t> state_{kAbortedFlag};
  // Written before the phase changes that hand them over, read after.
  uint8_t txByte_ = 0;
  uint8_t rxByte_ = 0;
  uint32_t moved_ = 0;
  std::shared_ptr<platform::Event> abort_;
  TLinkErrorRecord& error_;
  const std::function<void()>& waitHook_;
};

}  // namespace kavoruw
