#pragma once
// Manual-reset events that several threads can wait on together. Each event
// is an eventfd, so a wait can also include a device's file descriptor; a
// flag beside it lets a short wait end without sleeping.
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>

namespace platform {

class Event {
 public:
  // A new manual-reset event, or nullptr with the last error set.
  static std::shared_ptr<Event> Create(bool signalled);
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  bool Set();
  bool Reset();
  bool IsSet() const { return signalled_.load(std::memory_order_acquire); }
  int Fd() const { return fd_; }

 private:
  explicit Event(int fd, bool signalled) : fd_(fd), signalled_(signalled) {}
  int fd_;
  // Changed together with the descriptor's counter, under the mutex.
  std::atomic<bool> signalled_;
  std::mutex mutex_;
};

inline constexpr uint32_t kWaitTimeout = 258;
inline constexpr uint32_t kWaitFailed = 0xFFFFFFFFu;
inline constexpr int kInfinite = -1;

// Waits until at least one event is signalled and returns the index of the
// lowest signalled one. The byte hand-off of the printer link waits a few
// microseconds at a time, so a wait first watches the flags for a short while
// before it sleeps in poll(); kWaitTimeout after timeoutMs (kInfinite: never);
// kWaitFailed when an event is missing or the wait itself fails.
uint32_t WaitForAny(std::initializer_list<const Event*> events, int timeoutMs = kInfinite);

// Test hook: the next n calls of Event::Create fail as if the system had run
// out of descriptors.
void FailNextEventCreations(int n);

}  // namespace platform
