#include "platform/sync/event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/process_state.h"
#include "platform/sync/last_error.h"
#include "platform/win_errors.h"

namespace platform {

namespace {
constexpr std::chrono::microseconds kSpin{200};
}  // namespace

void FailNextEventCreations(int n) { Process().failEventCreations.store(n); }

std::shared_ptr<Event> Event::Create(bool signalled) {
  std::atomic<int>& failCreations = Process().failEventCreations;
  int pending = failCreations.load();
  while (pending > 0) {
    if (failCreations.compare_exchange_weak(pending, pending - 1)) {
      SetLastError(kErrorTooManyOpenFiles);
      return nullptr;
    }
  }
  int fd = eventfd(signalled ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) {
    SetLastError(WinErrorFromErrno(errno));
    return nullptr;
  }
  return std::shared_ptr<Event>(new Event(fd, signalled));
}

Event::~Event() { close(fd_); }

bool Event::Set() {
  std::lock_guard lock(mutex_);
  if (signalled_.load(std::memory_order_relaxed)) return true;
  signalled_.store(true, std::memory_order_release);
  uint64_t one = 1;
  for (;;) {
    if (write(fd_, &one, sizeof one) == static_cast<ssize_t>(sizeof one)) return true;
    if (errno == EINTR) continue;
    // EAGAIN: the counter is saturated, so the event is signalled anyway.
    if (errno == EAGAIN) return true;
    SetLastError(WinErrorFromErrno(errno));
    return false;
  }
}

bool Event::Reset() {
  std::lock_guard lock(mutex_);
  if (!signalled_.load(std::memory_order_relaxed)) return true;
  signalled_.store(false, std::memory_order_release);
  uint64_t value;
  for (;;) {
    if (read(fd_, &value, sizeof value) == static_cast<ssize_t>(sizeof value)) return true;
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return true;  // already non-signalled
    SetLastError(WinErrorFromErrno(errno));
    return false;
  }
}

uint32_t WaitForAny(std::initializer_list<const Event*> events, int timeoutMs) {
  pollfd fds[8];
  const Event* flags[8];
  if (events.size() == 0 || events.size() > 8) {
    SetLastError(kErrorInvalidParameter);
    return kWaitFailed;
  }
  size_t n = 0;
  for (const Event* e : events) {
    if (e == nullptr) {
      SetLastError(kErrorInvalidHandle);
      return kWaitFailed;
    }
    flags[n] = e;
    fds[n++] = pollfd{e->Fd(), POLLIN, 0};
  }
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  // Watch the flags first: most waits of the byte hand-off end within this.
  const auto spinUntil = start + kSpin;
  for (unsigned round = 0;; ++round) {
    for (size_t i = 0; i < n; ++i) {
      if (flags[i]->IsSet()) return static_cast<uint32_t>(i);
    }
    if (timeoutMs == 0 || ((round & 63) == 63 && Clock::now() >= spinUntil)) break;
    std::this_thread::yield();
  }
  for (;;) {
    int wait = timeoutMs;
    if (timeoutMs > 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      wait = left.count() < 0 ? 0 : static_cast<int>(left.count());
    }
    int r = poll(fds, n, wait);
    if (r < 0) {
      if (errno == EINTR) continue;
      SetLastError(WinErrorFromErrno(errno));
      return kWaitFailed;
    }
    if (r == 0) return kWaitTimeout;
    for (size_t i = 0; i < n; ++i) {
      if (fds[i].revents & POLLIN) return static_cast<uint32_t>(i);
      if (fds[i].revents & (POLLERR | POLLNVAL)) {
        SetLastError(kErrorInvalidHandle);
        return kWaitFailed;
      }
    }
  }
}

}  // namespace platform
