// Fake ports: a socket pair stands in for the wire, and hooks stand in for
// what a pseudo-terminal cannot show (CTS, line errors, failing calls). The
// device side is an FdSerialDevice, so transfers run the real code.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>

#include "tests/support/fake_port.h"

#include "platform/serial/fd_serial_device.h"
#include "platform/sync/last_error.h"
#include "platform/win_errors.h"

namespace platform {

namespace {

class FakePortImpl final : public FakePort, public std::enable_shared_from_this<FakePortImpl> {
 public:
  FakePortImpl(int deviceEnd, int wireEnd, std::shared_ptr<Event> changed)
      : deviceEnd_(deviceEnd), wireEnd_(wireEnd), changed_(std::move(changed)) {}
  ~FakePortImpl() override {
    close(deviceEnd_);
    close(wireEnd_);
  }

  void SetOpenError(uint32_t winError) override { openError_.store(winError); }
  void SetWriteStallLimit(uint32_t ms) override { stallLimitMs_.store(ms); }
  uint32_t WriteStallLimit() const { return stallLimitMs_.load(); }

  void SetCts(bool on) override {
    cts_.store(on);
    changed_->Set();
  }

  void InjectLineError(uint32_t ceFlags) override {
    {
      std::lock_guard lock(mutex_);
      if (ceFlags & kCeFrame) ++counters_.frame;
      if (ceFlags & kCeOverrun) ++counters_.overrun;
      if (ceFlags & kCeRxParity) ++counters_.parity;
      if (ceFlags & kCeBreak) ++counters_.brk;
      if (ceFlags & kCeRxOver) ++counters_.bufOverrun;
      if (ceFlags & kCeTxFull) ++counters_.txFull;
    }
    changed_->Set();
  }

  void SendToDevice(const std::vector<uint8_t>& bytes) override {
    size_t sent = 0;
    while (sent < bytes.size()) {
      ssize_t k = ::send(wireEnd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (k > 0) {
        sent += static_cast<size_t>(k);
      } else if (errno == EAGAIN || errno == EINTR) {
        pollfd p{wireEnd_, POLLOUT, 0};
        poll(&p, 1, -1);
      } else {
        return;
      }
    }
  }

  std::vector<uint8_t> TakeWritten() override {
    std::lock_guard lock(mutex_);
    DrainLocked();
    std::vector<uint8_t> out;
    out.swap(written_);
    return out;
  }

  bool WaitWritten(size_t n, int timeoutMs) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      {
        std::lock_guard lock(mutex_);
        DrainLocked();
        if (written_.size() >= n) return true;
      }
      auto left =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd p{wireEnd_, POLLIN, 0};
      poll(&p, 1, static_cast<int>(left.count()));
    }
  }

  void FailNextWrite(uint32_t winError) override { failWrite_.store(winError); }
  void FailNextRead(uint32_t winError) override { failRead_.store(winError); }

  LineState LastState() override {
    std::lock_guard lock(mutex_);
    return lastState_;
  }
  CommTimeouts LastTimeouts() override {
    std::lock_guard lock(mutex_);
    return lastTimeouts_;
  }
  uint32_t LastEventMask() override {
    std::lock_guard lock(mutex_);
    return lastEventMask_;
  }
  bool IsOpen() override {
    std::lock_guard lock(mutex_);
    return open_;
  }
  int OpenCount() override {
    std::lock_guard lock(mutex_);
    return openCount_;
  }

  std::unique_ptr<SerialDevice> Open();

  // For the device side.
  int ModemLines() const { return TIOCM_DSR | TIOCM_CD | (cts_.load() ? TIOCM_CTS : 0); }
  LineCounters Counters() {
    std::lock_guard lock(mutex_);
    return counters_;
  }
  Event* Changed() { return changed_.get(); }
  uint32_t TakeFailure(bool write) { return (write ? failWrite_ : failRead_).exchange(0); }
  void RecordState(const LineState& s) {
    std::lock_guard lock(mutex_);
    lastState_ = s;
  }
  void RecordTimeouts(const CommTimeouts& t) {
    std::lock_guard lock(mutex_);
    lastTimeouts_ = t;
  }
  void RecordEventMask(uint32_t mask) {
    std::lock_guard lock(mutex_);
    lastEventMask_ = mask;
  }
  void Closed() {
    std::lock_guard lock(mutex_);
    open_ = false;
  }

 private:
  void DrainLocked() {
    uint8_t buf[512];
    for (;;) {
      ssize_t k = ::recv(wireEnd_, buf, sizeof buf, 0);
      if (k > 0) {
        written_.insert(written_.end(), buf, buf + k);
      } else if (k < 0 && errno == EINTR) {
        continue;
      } else {
        return;
      }
    }
  }

  // Kept for the port's life, like the slave side that a simulator keeps
  // open: bytes sent before an open are read after it.
  const int deviceEnd_;
  const int wireEnd_;
  const std::shared_ptr<Event> changed_;
  std::atomic<uint32_t> openError_{0};
  std::atomic<uint32_t> failWrite_{0};
  std::atomic<uint32_t> failRead_{0};
  std::atomic<bool> cts_{true};
  std::mutex mutex_;  // guards everything below
  LineCounters counters_;
  std::vector<uint8_t> written_;
  LineState lastState_;
  CommTimeouts lastTimeouts_;
  uint32_t lastEventMask_ = 0;
  bool open_ = false;
  int openCount_ = 0;
  std::atomic<uint32_t> stallLimitMs_{kWriteStallLimitMs};
};

class FakeDevice final : public FdSerialDevice {
 public:
  FakeDevice(int fd, std::shared_ptr<FakePortImpl> port)
      : FdSerialDevice(fd, LineState{}), port_(std::move(port)) {
    TakeBaseline();
  }
  ~FakeDevice() override { port_->Closed(); }

  bool SetState(const LineState& state) override {
    if (!FdSerialDevice::SetState(state)) return false;
    port_->RecordState(state);
    return true;
  }
  bool SetTimeouts(const CommTimeouts& timeouts) override {
    if (!FdSerialDevice::SetTimeouts(timeouts)) return false;
    port_->RecordTimeouts(timeouts);
    return true;
  }
  bool SetEventMask(uint32_t mask) override {
    if (!FdSerialDevice::SetEventMask(mask)) return false;
    port_->RecordEventMask(mask);
    return true;
  }
  TransferResult Write(const uint8_t* data, uint32_t n, const Event& abort) override {
    if (uint32_t err = port_->TakeFailure(true)) {
      SetLastError(err);
      return TransferResult{};
    }
    return FdSerialDevice::Write(data, n, abort);
  }
  TransferResult Read(uint8_t* data, uint32_t n, const Event& abort) override {
    if (uint32_t err = port_->TakeFailure(false)) {
      SetLastError(err);
      return TransferResult{};
    }
    return FdSerialDevice::Read(data, n, abort);
  }

 protected:
  // Checked as a terminal would check it, so a bad speed fails with 87 here too.
  bool ApplyLineState(const LineState& state) override {
    termios scratch{};
    return TermiosFromLineState(state, scratch);
  }
  bool QueryModemLines(int& lines) override {
    lines = port_->ModemLines();
    return true;
  }
  bool QueryErrorCounters(LineCounters& counters) override {
    counters = port_->Counters();
    return true;
  }
  bool DiscardInput() override {
    uint8_t buf[512];
    while (::recv(Fd(), buf, sizeof buf, 0) > 0) {
    }
    return true;
  }
  Event* ChangeEvent() override { return port_->Changed(); }
  uint32_t WriteStallLimitMs() const override { return port_->WriteStallLimit(); }

 private:
  const std::shared_ptr<FakePortImpl> port_;
};

std::unique_ptr<SerialDevice> FakePortImpl::Open() {
  {
    std::lock_guard lock(mutex_);
    if (uint32_t err = openError_.load()) {
      SetLastError(err);
      return nullptr;
    }
    if (open_) {
      SetLastError(kErrorAccessDenied);  // exclusive, like a terminal
      return nullptr;
    }
  }
  int fd = fcntl(deviceEnd_, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) {
    SetLastError(WinErrorFromErrno(errno));
    return nullptr;
  }
  {
    std::lock_guard lock(mutex_);
    open_ = true;
    ++openCount_;
  }
  SetLastError(kErrorSuccess);
  return std::make_unique<FakeDevice>(fd, shared_from_this());
}

std::mutex registryMutex;
std::map<std::string, std::shared_ptr<FakePortImpl>> registry;

std::string RegistryKey(const std::string& portName) {
  std::string key = portName;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

bool OpenRegisteredFakePort(const std::string& portName, std::unique_ptr<SerialDevice>& device);

}  // namespace

std::shared_ptr<FakePort> FakePort::Create() {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0) {
    SetLastError(WinErrorFromErrno(errno));
    return nullptr;
  }
  auto changed = Event::Create(false);
  if (!changed) {
    close(fds[0]);
    close(fds[1]);
    return nullptr;
  }
  return std::make_shared<FakePortImpl>(fds[0], fds[1], std::move(changed));
}

void RegisterFakePort(const std::string& portName, std::shared_ptr<FakePort> port) {
  auto impl = std::dynamic_pointer_cast<FakePortImpl>(port);
  SetSerialDeviceOpener(&OpenRegisteredFakePort);
  std::lock_guard lock(registryMutex);
  if (impl) {
    registry[RegistryKey(portName)] = std::move(impl);
  } else {
    registry.erase(RegistryKey(portName));
  }
}

namespace {

bool OpenRegisteredFakePort(const std::string& portName, std::unique_ptr<SerialDevice>& device) {
  std::shared_ptr<FakePortImpl> port;
  {
    std::lock_guard lock(registryMutex);
    auto it = registry.find(RegistryKey(portName));
    if (it == registry.end()) return false;
    port = it->second;
  }
  device = port->Open();
  return true;
}

}  // namespace

}  // namespace platform
