#include "platform/serial/fd_serial_device.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <optional>

#include "platform/sync/last_error.h"
#include "platform/win_errors.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// How often modem lines and error counters are looked at while something
// depends on them (no device wakes a poll() when they change).
constexpr int kLookMs = 20;

// Not supported: EV_RXCHAR, EV_RXFLAG and EV_TXEMPTY never fire; the link
// reads and writes through its worker and does not wait for them.
constexpr uint32_t kLineEvents = kEvCts | kEvDsr | kEvRlsd | kEvRing;

std::optional<Clock::time_point> DeadlineAfter(uint64_t ms) {
  if (ms == 0) return std::nullopt;
  return Clock::now() + std::chrono::milliseconds(ms);
}

// Milliseconds left (rounded up), -1 for no deadline.
int MsLeft(const std::optional<Clock::time_point>& deadline) {
  if (!deadline) return -1;
  auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

std::optional<Clock::time_point> Earlier(const std::optional<Clock::time_point>& a,
                                         const std::optional<Clock::time_point>& b) {
  if (!a) return b;
  if (!b) return a;
  return std::min(*a, *b);
}

uint32_t ErrorFlagsBetween(const LineCounters& before, const LineCounters& now) {
  uint32_t flags = 0;
  if (now.frame != before.frame) flags |= kCeFrame;
  if (now.overrun != before.overrun) flags |= kCeOverrun;
  if (now.parity != before.parity) flags |= kCeRxParity;
  if (now.brk != before.brk) flags |= kCeBreak;
  if (now.bufOverrun != before.bufOverrun) flags |= kCeRxOver;
  if (now.txFull != before.txFull) flags |= kCeTxFull;
  return flags;
}

uint32_t ErrorEvents(const LineCounters& before, const LineCounters& now) {
  uint32_t flags = ErrorFlagsBetween(before, now);
  uint32_t events = 0;
  if (flags & ~kCeBreak) events |= kEvErr;
  if (flags & kCeBreak) events |= kEvBreak;
  return events;
}

uint32_t LineEvents(int before, int now) {
  int changed = before ^ now;
  uint32_t events = 0;
  if (changed & TIOCM_CTS) events |= kEvCts;
  if (changed & TIOCM_DSR) events |= kEvDsr;
  if (changed & TIOCM_CD) events |= kEvRlsd;
  if (changed & TIOCM_RI) events |= kEvRing;
  return events;
}

// The transfer could not go on: Failed if it had not waited yet.
TransferResult Fail(TransferResult result, uint32_t winError) {
  SetLastError(winError);
  result.end = result.pending ? TransferEnd::QueryFailed : TransferEnd::Failed;
  return result;
}

TransferResult End(TransferResult result, TransferEnd end) {
  result.end = end;
  return result;
}

}  // namespace

FdSerialDevice::FdSerialDevice(int fd, const LineState& initial) : fd_(fd), state_(initial) {}

FdSerialDevice::~FdSerialDevice() { close(fd_); }

void FdSerialDevice::TakeBaseline() {
  LineCounters counters;
  bool haveCounters = QueryErrorCounters(counters);
  int lines = 0;
  bool haveLines = QueryModemLines(lines);
  std::lock_guard lock(mutex_);
  acknowledged_ = eventCounters_ = counters;
  acknowledgedKnown_ = eventCountersKnown_ = haveCounters;
  eventLines_ = lines;
  eventLinesKnown_ = haveLines;
}

bool FdSerialDevice::GetState(LineState& state) {
  std::lock_guard lock(mutex_);
  state = state_;
  return true;
}

bool FdSerialDevice::SetState(const LineState& state) {
  if (!ApplyLineState(state)) return false;
  std::lock_guard lock(mutex_);
  state_ = state;
  return true;
}

// The kernel sizes its own queues.
bool FdSerialDevice::SetupQueues(uint32_t, uint32_t) { return true; }

bool FdSerialDevice::GetTimeouts(CommTimeouts& timeouts) {
  std::lock_guard lock(mutex_);
  timeouts = timeouts_;
  return true;
}

bool FdSerialDevice::SetTimeouts(const CommTimeouts& timeouts) {
  std::lock_guard lock(mutex_);
  timeouts_ = timeouts;
  return true;
}

bool FdSerialDevice::SetEventMask(uint32_t mask) {
  std::lock_guard lock(mutex_);
  eventMask_ = mask;
  return true;
}

FdSerialDevice::Settings FdSerialDevice::CurrentSettings() {
  std::lock_guard lock(mutex_);
  return Settings{state_, timeouts_};
}

bool FdSerialDevice::CtsOn() {
  int lines = 0;
  // A device without modem lines (a pseudo-terminal) never holds output back.
  if (!QueryModemLines(lines)) return true;
  return (lines & TIOCM_CTS) != 0;
}

bool FdSerialDevice::UnacknowledgedError() {
  LineCounters now;
  if (!QueryErrorCounters(now)) return false;
  std::lock_guard lock(mutex_);
  if (!acknowledgedKnown_) {
    acknowledged_ = now;
    acknowledgedKnown_ = true;
    return false;
  }
  return ErrorFlagsBetween(acknowledged_, now) != 0;
}

uint32_t FdSerialDevice::LookForEvents(bool& watching) {
  int lines = 0;
  bool haveLines = QueryModemLines(lines);
  LineCounters counters;
  bool haveCounters = QueryErrorCounters(counters);
  std::lock_guard lock(mutex_);
  uint32_t seen = 0;
  // Both snapshots move on even for events outside the mask, so that a later
  // mask does not report old changes.
  if (haveLines) {
    if (eventLinesKnown_) seen |= LineEvents(eventLines_, lines);
    eventLines_ = lines;
    eventLinesKnown_ = true;
  }
  if (haveCounters) {
    if (eventCountersKnown_) seen |= ErrorEvents(eventCounters_, counters);
    eventCounters_ = counters;
    eventCountersKnown_ = true;
  }
  watching = (haveLines && (eventMask_ & kLineEvents)) ||
             (haveCounters && (eventMask_ & (kEvErr | kEvBreak)));
  return seen & eventMask_;
}

EventWait FdSerialDevice::WaitEvent(uint32_t& mask, const Event& stop) {
  SetLastError(kErrorSuccess);
  Event* changed = ChangeEvent();
  for (;;) {
    // Reset before looking, so a change after the look still wakes the poll.
    if (changed) changed->Reset();
    bool watching = false;
    if (uint32_t seen = LookForEvents(watching)) {
      mask = seen;
      return EventWait::Event;
    }
    // Where nothing can be watched the wait is for stop alone.
    pollfd fds[2] = {{stop.Fd(), POLLIN, 0}, {changed ? changed->Fd() : -1, POLLIN, 0}};
    int r = poll(fds, 2, watching ? kLookMs : -1);
    if (r < 0) {
      if (errno == EINTR) continue;
      SetLastError(WinErrorFromErrno(errno));
      return EventWait::Failed;
    }
    if (fds[0].revents & POLLIN) return EventWait::Stopped;
    if (fds[0].revents) {
      SetLastError(kErrorInvalidHandle);
      return EventWait::Failed;
    }
  }
}

bool FdSerialDevice::ClearError(uint32_t& errors, ComStat& stat) {
  SetLastError(kErrorSuccess);
  LineCounters now;
  bool have = QueryErrorCounters(now);
  {
    std::lock_guard lock(mutex_);
    errors = 0;
    if (have) {
      if (acknowledgedKnown_) errors = ErrorFlagsBetween(acknowledged_, now);
      acknowledged_ = now;
      acknowledgedKnown_ = true;
    }
  }
  stat = ComStat{};
  int queued = 0;
  if (ioctl(fd_, FIONREAD, &queued) == 0 && queued > 0)
    stat.InQueue = static_cast<uint32_t>(queued);
  queued = 0;
  if (ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0)
    stat.OutQueue = static_cast<uint32_t>(queued);
  return true;
}

bool FdSerialDevice::Purge(uint32_t flags) {
  SetLastError(kErrorSuccess);
  if (flags & ~(kPurgeTxAbort | kPurgeRxAbort | kPurgeTxClear | kPurgeRxClear)) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  // TX/RX abort: a transfer in flight ends by its abort event; nothing waits
  // inside this layer. TX clear: write() only queues bytes, and each byte that
  // a completed write handed over must still reach the printer; flushing the
  // output queue would cut the frame before it short.
  if (flags & kPurgeRxClear) return DiscardInput();
  return true;
}

FdSerialDevice::Wake FdSerialDevice::WaitDevice(short events, const Event& abort, int waitMs) {
  // events == 0: only the abort event and the clock count.
  pollfd fds[2] = {{events ? fd_ : -1, events, 0}, {abort.Fd(), POLLIN, 0}};
  int r = poll(fds, 2, waitMs);
  if (r < 0) {
    if (errno == EINTR) return Wake::Again;
    SetLastError(WinErrorFromErrno(errno));
    return Wake::Failed;
  }
  // A ready (or hung-up) device comes first: the transfer tries it again.
  if (fds[0].revents) return Wake::Again;
  if (fds[1].revents & POLLIN) return Wake::Aborted;
  if (fds[1].revents) {
    SetLastError(kErrorInvalidHandle);
    return Wake::Failed;
  }
  return Wake::Again;
}

TransferResult FdSerialDevice::Write(const uint8_t* data, uint32_t n, const Event& abort) {
  SetLastError(kErrorSuccess);
  TransferResult result;
  const Settings s = CurrentSettings();
  if (s.state.AbortOnError && UnacknowledgedError()) return Fail(result, kErrorOperationAborted);
  const auto deadline = DeadlineAfter(uint64_t{s.timeouts.WriteTotalTimeoutMultiplier} * n +
                                      s.timeouts.WriteTotalTimeoutConstant);
  // Whatever time-out is set (none at all with 0), a write that makes no
  // progress ends as a time-out once the stall limit has passed.
  auto stalled = DeadlineAfter(WriteStallLimitMs());
  for (;;) {
    // CTS flow control in software: CRTSCTS would also drive RTS, which the
    // line settings keep off.
    const bool ctsOn = !s.state.OutxCtsFlow || CtsOn();
    if (ctsOn && result.moved < n) {
      ssize_t k = ::write(fd_, data + result.moved, n - result.moved);
      if (k > 0) {
        result.moved += static_cast<uint32_t>(k);
        stalled = DeadlineAfter(WriteStallLimitMs());
      } else if (k < 0 && errno != EAGAIN && errno != EINTR) {
        return Fail(result, WinErrorFromErrno(errno));
      }
    }
    if (result.moved == n) return End(result, TransferEnd::Completed);
    result.pending = true;
    int waitMs = MsLeft(Earlier(deadline, stalled));
    if (waitMs == 0) {
      SetLastError(kErrorSuccess);  // the time-out ran out
      return End(result, TransferEnd::Completed);
    }
    if (!ctsOn) waitMs = waitMs < 0 ? kLookMs : std::min(waitMs, kLookMs);
    switch (WaitDevice(ctsOn ? POLLOUT : 0, abort, waitMs)) {
      case Wake::Aborted: return End(result, TransferEnd::Aborted);
      case Wake::Failed: return End(result, TransferEnd::WaitFailed);
      case Wake::Again: break;
    }
  }
}

TransferResult FdSerialDevice::Read(uint8_t* data, uint32_t n, const Event& abort) {
  SetLastError(kErrorSuccess);
  TransferResult result;
  const Settings s = CurrentSettings();
  if (s.state.AbortOnError && UnacknowledgedError()) return Fail(result, kErrorOperationAborted);
  const CommTimeouts& t = s.timeouts;
  const bool atOnce = t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == 0 &&
                      t.ReadTotalTimeoutConstant == 0;
  const bool interval = t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != kMaxDword;
  const auto total =
      DeadlineAfter(uint64_t{t.ReadTotalTimeoutMultiplier} * n + t.ReadTotalTimeoutConstant);
  std::optional<Clock::time_point> gap;  // interval limit, from the latest byte
  for (;;) {
    if (result.moved < n) {
      ssize_t k = ::read(fd_, data + result.moved, n - result.moved);
      if (k > 0) {
        result.moved += static_cast<uint32_t>(k);
        if (interval) gap = DeadlineAfter(t.ReadIntervalTimeout);
      } else if (k == 0) {
        return Fail(result, kErrorGenFailure);  // the other side hung up
      } else if (errno != EAGAIN && errno != EINTR) {
        return Fail(result, WinErrorFromErrno(errno));
      }
    }
    if (result.moved == n || atOnce) return End(result, TransferEnd::Completed);
    result.pending = true;
    int waitMs = MsLeft(Earlier(total, gap));
    if (waitMs == 0) {
      SetLastError(kErrorSuccess);  // the time-out ran out
      return End(result, TransferEnd::Completed);
    }
    switch (WaitDevice(POLLIN, abort, waitMs)) {
      case Wake::Aborted: return End(result, TransferEnd::Aborted);
      case Wake::Failed: return End(result, TransferEnd::WaitFailed);
      case Wake::Again: break;
    }
  }
}

}  // namespace platform
