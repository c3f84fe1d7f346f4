#include "printer_link/port/hand_off.h"

#include <chrono>

#include "platform/sync/last_error.h"
#include "printer_link/port/link_error.h"

namespace kavoruw {

namespace {

// How long a side watches the state before it sleeps.
constexpr auto kSpin = std::chrono::microseconds(50);

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

void Record(std::string_view utf8Text) {
  RecordLinkError(utf8Text, static_cast<int32_t>(platform::GetLastError()));
}

}  // namespace

template <typename Ready>
uint32_t THandOff::WaitUntil(Ready ready) const {
  uint32_t s = state_.load(std::memory_order_acquire);
  if (ready(s)) return s;
  const auto until = std::chrono::steady_clock::now() + kSpin;
  for (unsigned i = 1;; ++i) {
    CpuRelax();
    s = state_.load(std::memory_order_acquire);
    if (ready(s)) return s;
    if ((i & 63) == 0 && std::chrono::steady_clock::now() >= until) break;
  }
  for (;;) {
    state_.wait(s, std::memory_order_acquire);
    s = state_.load(std::memory_order_acquire);
    if (ready(s)) return s;
  }
}

void THandOff::SetPhase(uint32_t phase) {
  uint32_t s = state_.load(std::memory_order_relaxed);
  while (!state_.compare_exchange_weak(s, (s & ~kPhase) | phase, std::memory_order_acq_rel)) {
  }
  state_.notify_all();
}

void THandOff::Start(std::shared_ptr<platform::Event> abort) {
  abort_ = std::move(abort);
  state_.store(kIdle, std::memory_order_release);
  state_.notify_all();
}

void THandOff::Abort() {
  if (abort_) abort_->Set();
  state_.fetch_or(kAbortedFlag, std::memory_order_acq_rel);
  state_.notify_all();
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
    Record(write ? "Zapis przerwany." : "Przerwany zapis ");
    Record("Błąd funkcji WaitForMultipleObjects.");
    return {};
  }
  txByte_ = byte;
  // The flags may change meanwhile; the phase is the command thread's.
  const uint32_t request = write ? kWriteRequested : kReadRequested;
  while (!state_.compare_exchange_weak(s, (s & ~kPhase) | request, std::memory_order_acq_rel)) {
  }
  state_.notify_all();

  s = WaitUntil([](uint32_t v) { return (v & kPhase) == kDone || (v & kAbortedFlag) != 0; });
  if (s & kAbortedFlag) {
    Record("Błąd funkcji WaitForMultipleObjects.");
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
