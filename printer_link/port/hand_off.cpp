#include "printer_link/port/hand_off.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <ctime>
#include <thread>

#include "platform/sync/last_error.h"

namespace kavoruw {

namespace {

// How long a side watches the state before it sleeps.
constexpr auto kSpin = std::chrono::microseconds(50);

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

void Record(TLinkErrorRecord& error, std::string_view utf8Text) {
  error.Record(utf8Text, static_cast<int32_t>(platform::GetLastError()));
}

constexpr int kHookPeriodMs = 20;

// The hook runs on the command thread and is never entered twice (a pause
// made from inside it just sleeps).
thread_local bool insideHook = false;

void CallHook(const std::function<void()>& hook) {
  struct Inside {
    Inside() { insideHook = true; }
    ~Inside() { insideHook = false; }
  } inside;
  hook();
}

// The state word as the kernel's wait queue sees it.
const uint32_t* Word(const std::atomic<uint32_t>& state) {
  return reinterpret_cast<const uint32_t*>(&state);
}

}  // namespace

void PauseCallingWaitHook(const std::function<void()>& waitHook, int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  const std::function<void()> hook = insideHook ? nullptr : waitHook;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= until) return;
    std::this_thread::sleep_for(hook ? std::min<std::chrono::steady_clock::duration>(
                                           until - now, std::chrono::milliseconds(kHookPeriodMs))
                                     : until - now);
    if (hook && std::chrono::steady_clock::now() < until) CallHook(hook);
  }
}

template <typename Ready>
bool THandOff::SpinBriefly(Ready ready, uint32_t& s) const {
  s = state_.load(std::memory_order_acquire);
  if (ready(s)) return true;
  const auto until = std::chrono::steady_clock::now() + kSpin;
  for (unsigned i = 1;; ++i) {
    CpuRelax();
    s = state_.load(std::memory_order_acquire);
    if (ready(s)) return true;
    if ((i & 63) == 0 && std::chrono::steady_clock::now() >= until) return false;
  }
}

template <typename Ready>
uint32_t THandOff::WaitUntil(Ready ready) const {
  uint32_t s = 0;
  if (SpinBriefly(ready, s)) return s;
  for (;;) {
    state_.wait(s, std::memory_order_acquire);
    s = state_.load(std::memory_order_acquire);
    if (ready(s)) return s;
  }
}

template <typename Ready>
uint32_t THandOff::WaitCallingHook(Ready ready, const std::function<void()>& hook) {
  // Most bytes are done within the spin: no sleep, no wake-up call.
  uint32_t s = 0;
  if (SpinBriefly(ready, s)) return s;
  // Every change of the state from here on wakes this thread.
  state_.fetch_or(kTimedWaiterFlag, std::memory_order_acq_rel);
  auto nextHook = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHookPeriodMs);
  for (;;) {
    s = state_.load(std::memory_order_acquire);
    if (ready(s)) break;
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextHook) {
      CallHook(hook);
      nextHook = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHookPeriodMs);
      continue;
    }
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(nextHook - now).count();
    const timespec timeout{static_cast<time_t>(left / 1000000000),
                           static_cast<long>(left % 1000000000)};
    // Returns at once when the state is no longer s, when woken, or at the
    // time limit.
    syscall(SYS_futex, Word(state_), FUTEX_WAIT_PRIVATE, s, &timeout, nullptr, 0);
  }
  state_.fetch_and(~kTimedWaiterFlag, std::memory_order_acq_rel);
  return state_.load(std::memory_order_acquire);
}

void THandOff::WakeTimedWaiter(uint32_t now) {
  if (now & kTimedWaiterFlag)
    syscall(SYS_futex, Word(state_), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

void THandOff::SetPhase(uint32_t phase) {
  uint32_t s = state_.load(std::memory_order_relaxed);
  while (!state_.compare_exchange_weak(s, (s & ~kPhase) | phase, std::memory_order_acq_rel)) {
  }
  state_.notify_all();
  WakeTimedWaiter(s);
}

void THandOff::Start(std::shared_ptr<platform::Event> abort) {
  abort_ = std::move(abort);
  state_.store(kIdle, std::memory_order_release);
  state_.notify_all();
}

void THandOff::Abort() {
  if (abort_) abort_->Set();
  const uint32_t s = state_.fetch_or(kAbortedFlag, std::memory_order_acq_rel);
  state_.notify_all();
  WakeTimedWaiter(s);
}

bool THandOff::Aborted() const {
  return (state_.load(std::memory_order_acquire) & kAbortedFlag) != 0;
}

void THandOff::Stop() {
  state_.fetch_or(kStopFlag, std::memory_order_acq_rel);
  state_.notify_all();
}

ByteResult THandOff::Carry(Transfer direction, uint8_t byte) {
  const bool write = direction == Transfer::Write;
  uint32_t s = state_.load(std::memory_order_acquire);
  if (s & kAbortedFlag) {
    // The port has been closed (or never connected): nothing goes to the
    // worker.
    Record(error_, write ? "Zapis przerwany." : "Przerwany zapis ");
    Record(error_, "Błąd funkcji WaitForMultipleObjects.");
    return {};
  }
  txByte_ = byte;
  // The flags may change meanwhile; the phase is the command thread's.
  const uint32_t request = write ? kWriteRequested : kReadRequested;
  while (!state_.compare_exchange_weak(s, (s & ~kPhase) | request, std::memory_order_acq_rel)) {
  }
  state_.notify_all();

  const auto done = [](uint32_t v) { return (v & kPhase) == kDone || (v & kAbortedFlag) != 0; };
  const std::function<void()>& hook = waitHook_;
  s = hook && !insideHook ? WaitCallingHook(done, hook) : WaitUntil(done);
  if (s & kAbortedFlag) {
    Record(error_, "Błąd funkcji WaitForMultipleObjects.");
    return {};
  }
  ByteResult result{moved_ > 0, write ? byte : rxByte_};
  SetPhase(kIdle);
  return result;
}

bool THandOff::NextRequest(Transfer& direction, uint8_t& byte) {
  const uint32_t s = WaitUntil([](uint32_t v) {
    const uint32_t phase = v & kPhase;
    return phase == kWriteRequested || phase == kReadRequested || (v & kStopFlag) != 0;
  });
  if (s & kStopFlag) return false;
  direction = (s & kPhase) == kWriteRequested ? Transfer::Write : Transfer::Read;
  byte = txByte_;
  return true;
}

void THandOff::Complete(uint32_t moved, uint8_t byte) {
  moved_ = moved;
  rxByte_ = byte;
  SetPhase(kDone);
}

}  // namespace kavoruw
