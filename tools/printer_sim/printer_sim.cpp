#include "tools/printer_sim/printer_sim.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <optional>
#include <thread>

#include "platform/sync/event.h"
#include "tools/printer_sim/commands.h"
#include "tools/printer_sim/frame.h"

namespace printer_sim {

namespace {

constexpr uint64_t kNever = UINT64_MAX;

struct Script {
  std::vector<uint8_t> answer;
  size_t dataLength = 0;
  std::vector<uint8_t> afterData;
};

}  // namespace

class PrinterSim::Impl final : public FrameIo {
 public:
  explicit Impl(uint8_t kind) : table_(BuildCommandTable()) { state_.kind = kind; }

  bool NextByte(uint8_t& b, int timeoutMs) override;
  void SendToHost(const std::vector<uint8_t>& bytes) override;
  // The bytes as they are, off the printer's count (InjectToHost).
  void WriteToHost(const std::vector<uint8_t>& bytes);
  bool Muted() const override { return powerOff_.load() || consumed_.load() >= silenceAt_.load(); }
  StateRef State() override { return StateRef(mu_, state_); }
  void Note(const std::string& text) override {
    std::lock_guard<std::mutex> lock(logMu_);
    notes_.push_back(text);
  }
  int FrameTimeoutMs() const override { return frameTimeoutMs_.load(); }

  bool Start();
  void Stop();

  // Owner thread (Start, Stop and the calls of the test).
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::shared_ptr<platform::Event> stop_;
  std::thread thread_;

  // The model and the fault knobs.
  std::mutex mu_;
  PrinterState state_;
  std::map<uint8_t, uint8_t> refusals_;
  std::map<uint8_t, size_t> truncations_;
  std::map<uint8_t, Script> scripts_;
  std::atomic<bool> powerOff_{false};
  std::atomic<uint64_t> wire_{0};  // bytes on the wire both ways, ever
  std::atomic<uint64_t> offAt_{kNever};
  std::atomic<uint64_t> consumed_{0};  // bytes the parser has taken, ever
  std::atomic<uint64_t> silenceAt_{kNever};
  std::atomic<int> frameTimeoutMs_{1000};

  mutable std::mutex logMu_;
  mutable std::condition_variable logCv_;
  std::vector<LogEntry> log_;
  std::vector<std::string> notes_;
  uint64_t receivedTotal_ = 0;  // bytes read from the driver, ever
  uint64_t handledTotal_ = 0;   // of them, those dealt with as far as possible
  uint64_t receivedBase_ = 0;   // receivedTotal_ at the last ClearLog

 private:
  void Run();
  void RunFrame(uint8_t command);
  void RunScript(Frame& frame, const Script& script);
  bool Fill(int timeoutMs);
  void LogReceived(const uint8_t* bytes, size_t n);
  // Counts one byte on the wire; false once the printer is switched off.
  bool OnWire();

  const CommandTable table_;
  std::mutex writeMu_;  // keeps the log in wire order when the test injects
  // Simulator thread only.
  std::vector<uint8_t> input_;
  size_t inputPos_ = 0;
  bool masterFailed_ = false;
};

bool PrinterSim::Impl::Start() {
  if (thread_.joinable()) return true;
  stop_ = platform::Event::Create(false);
  if (!stop_) return false;
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return false;
  char name[128];
  int slave = -1;
  termios tio{};
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0 ||
      (slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC)) < 0 || tcgetattr(slave, &tio) != 0) {
    int error = errno;
    if (slave >= 0) close(slave);
    close(master);
    errno = error;
    return false;
  }
  // Raw before the driver's first open, so nothing is echoed or translated.
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  int flags = fcntl(master, F_GETFL);
  if (tcsetattr(slave, TCSANOW, &tio) != 0 || flags < 0 ||
      fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
    int error = errno;
    close(slave);
    close(master);
    errno = error;
    return false;
  }
  master_ = master;
  slave_ = slave;
  slavePath_ = name;
  input_.clear();
  inputPos_ = 0;
  masterFailed_ = false;
  {
    // Input left unread by the previous session is gone.
    std::lock_guard<std::mutex> lock(logMu_);
    consumed_.store(receivedTotal_);
    handledTotal_ = receivedTotal_;
  }
  thread_ = std::thread([this] { Run(); });
  return true;
}

void PrinterSim::Impl::Stop() {
  if (!thread_.joinable()) return;
  stop_->Set();
  thread_.join();
  close(master_);
  close(slave_);
  master_ = slave_ = -1;
  slavePath_.clear();
  stop_.reset();
}

void PrinterSim::Impl::Run() {
  uint8_t b;
  while (NextByte(b, platform::kInfinite)) {
    if (powerOff_.load()) continue;
    if (b != kEsc) {
      Note("skipped " + HexByte(b));
      continue;
    }
    uint8_t command;
    if (!NextByte(command, FrameTimeoutMs())) {
      if (stop_->IsSet()) break;
      Note("ESC without a command byte dropped");
      continue;
    }
    RunFrame(command);
  }
}

void PrinterSim::Impl::RunFrame(uint8_t command) {
  if (Muted()) {
    Note(HexByte(command) +
         (powerOff_.load() ? ": not heard (power off)" : ": not answered (silent)"));
    return;
  }
  std::optional<uint8_t> refusal;
  std::optional<Script> script;
  size_t limit = kUnlimited;
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (auto it = refusals_.find(command); it != refusals_.end()) refusal = it->second;
    if (auto it = truncations_.find(command); it != truncations_.end()) limit = it->second;
    if (auto it = scripts_.find(command); it != scripts_.end()) script = it->second;
  }
  Frame frame(*this, command, limit);
  if (refusal) {
    frame.Refuse(*refusal);
  } else if (script) {
    RunScript(frame, *script);
  } else if (const CommandHandler* handler = table_.Find(command)) {
    (*handler)(frame);
    // A printer switched off by command stays silent until a test turns it
    // on again (SetPowerOff(false) or ClearFaults).
    std::lock_guard<std::mutex> lock(mu_);
    if (state_.service.poweredOff) {
      state_.service.poweredOff = false;
      powerOff_.store(true);
    }
  } else {
    Note("unknown command " + HexByte(command));
    frame.Refuse(kNak);
  }
}

void PrinterSim::Impl::RunScript(Frame& frame, const Script& script) {
  if (!script.answer.empty()) {
    frame.Send(script.answer);
    // Refused: the driver sends no data.
    if (script.answer[0] != kAck) return;
  }
  std::vector<uint8_t> data;
  if (!frame.ReadData(script.dataLength, data)) return;
  if (!script.afterData.empty()) frame.Send(script.afterData);
}

bool PrinterSim::Impl::OnWire() {
  uint64_t at = offAt_.load();
  if (wire_.fetch_add(1) >= at && offAt_.compare_exchange_strong(at, kNever)) {
    powerOff_.store(true);
  }
  return !powerOff_.load();
}

bool PrinterSim::Impl::NextByte(uint8_t& b, int timeoutMs) {
  if (inputPos_ == input_.size() && !Fill(timeoutMs)) return false;
  b = input_[inputPos_++];
  consumed_.fetch_add(1);
  // A frame is lost at the byte the printer did not hear.
  if (!OnWire() && timeoutMs != platform::kInfinite) {
    Note(HexByte(b) + ": not heard (power off)");
    return false;
  }
  return true;
}

bool PrinterSim::Impl::Fill(int timeoutMs) {
  {
    // About to block: everything taken so far has been answered.
    std::lock_guard<std::mutex> lock(logMu_);
    handledTotal_ = consumed_.load();
  }
  logCv_.notify_all();
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int wait = platform::kInfinite;
    if (timeoutMs >= 0) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait = left > 0 ? static_cast<int>(left) : 0;
    }
    pollfd fds[2] = {{stop_->Fd(), POLLIN, 0}, {master_, POLLIN, 0}};
    // A failed terminal (it should not happen while the slave is held) is
    // left alone; the thread then only waits for the stop.
    int r = poll(fds, masterFailed_ ? 1 : 2, wait);
    if (r < 0) {
      if (errno == EINTR) continue;
      Note("poll failed");
      return false;
    }
    if (fds[0].revents != 0 || r == 0) return false;
    ssize_t n = 0;
    uint8_t buffer[512];
    if (fds[1].revents & POLLIN) {
      n = read(master_, buffer, sizeof buffer);
      if (n > 0) {
        input_.assign(buffer, buffer + n);
        inputPos_ = 0;
        LogReceived(buffer, static_cast<size_t>(n));
        return true;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    }
    masterFailed_ = true;
    Note("the pseudo-terminal failed");
  }
}

void PrinterSim::Impl::LogReceived(const uint8_t* bytes, size_t n) {
  std::lock_guard<std::mutex> lock(logMu_);
  for (size_t i = 0; i < n; ++i) log_.push_back({Direction::ToPrinter, bytes[i]});
  receivedTotal_ += n;
}

void PrinterSim::Impl::SendToHost(const std::vector<uint8_t>& bytes) {
  size_t n = 0;
  while (n < bytes.size() && OnWire()) ++n;
  WriteToHost(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
}

void PrinterSim::Impl::WriteToHost(const std::vector<uint8_t>& bytes) {
  std::lock_guard<std::mutex> writing(writeMu_);
  {
    // Logged before the write, so a driver that has read a byte finds it in
    // the log.
    std::lock_guard<std::mutex> lock(logMu_);
    for (uint8_t b : bytes) log_.push_back({Direction::ToHost, b});
  }
  const uint8_t* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = write(master_, p, left);
    if (n > 0) {
      p += n;
      left -= static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      // The driver is not reading: wait for room, or for the stop.
      pollfd fds[2] = {{stop_->Fd(), POLLIN, 0}, {master_, POLLOUT, 0}};
      if ((poll(fds, 2, platform::kInfinite) < 0 && errno != EINTR) || fds[0].revents != 0) break;
      continue;
    }
    Note("write to the pseudo-terminal failed");
    break;
  }
}

// ---------------------------------------------------------------------------

PrinterSim::PrinterSim(uint8_t kind) : impl_(std::make_unique<Impl>(kind)) {}

PrinterSim::~PrinterSim() { Stop(); }

bool PrinterSim::Start() { return impl_->Start(); }

void PrinterSim::Stop() { impl_->Stop(); }

bool PrinterSim::Running() const { return impl_->thread_.joinable(); }

std::string PrinterSim::SlavePath() const { return impl_->slavePath_; }

bool PrinterSim::LinkPort(const std::string& dir, int n) const {
  if (impl_->slavePath_.empty()) return false;
  const std::string link = dir + "/COM" + std::to_string(n);
  if (unlink(link.c_str()) != 0 && errno != ENOENT) return false;
  return symlink(impl_->slavePath_.c_str(), link.c_str()) == 0;
}

void PrinterSim::SetKind(uint8_t kind) { State()->kind = kind; }

void PrinterSim::SetVersion(uint8_t version) { State()->version = version; }

void PrinterSim::SetStatus(int index, uint8_t value) {
  if (index >= 1 && index <= 6) State()->status[index - 1] = value;
}

uint8_t PrinterSim::Status(int index) const {
  if (index < 1 || index > 6) return 0;
  std::lock_guard<std::mutex> lock(impl_->mu_);
  return impl_->state_.status[index - 1];
}

void PrinterSim::SetListRecords(uint8_t command, std::vector<std::vector<uint8_t>> records) {
  State()->listRecords[command] = std::move(records);
}

StateRef PrinterSim::State() { return impl_->State(); }

void PrinterSim::Refuse(uint8_t command, uint8_t firstByte) {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  impl_->refusals_[command] = firstByte;
}

void PrinterSim::ClearRefusals() {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  impl_->refusals_.clear();
}

void PrinterSim::SilentAfterReceived(size_t k) {
  impl_->silenceAt_.store(impl_->consumed_.load() + k);
}

void PrinterSim::TruncateAnswer(uint8_t command, size_t bytes) {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  impl_->truncations_[command] = bytes;
}

void PrinterSim::SetPowerOff(bool off) {
  impl_->offAt_.store(kNever);
  impl_->powerOff_.store(off);
}

void PrinterSim::SwitchOffAtByte(size_t k) { impl_->offAt_.store(impl_->wire_.load() + k); }

void PrinterSim::SetScriptedAnswer(uint8_t command, std::vector<uint8_t> answer, size_t dataLength,
                                   std::vector<uint8_t> afterData) {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  impl_->scripts_[command] = Script{std::move(answer), dataLength, std::move(afterData)};
}

void PrinterSim::ClearFaults() {
  {
    std::lock_guard<std::mutex> lock(impl_->mu_);
    impl_->refusals_.clear();
    impl_->truncations_.clear();
    impl_->scripts_.clear();
  }
  impl_->silenceAt_.store(kNever);
  SetPowerOff(false);
}

void PrinterSim::InjectToHost(const std::vector<uint8_t>& bytes) {
  if (impl_->master_ >= 0) impl_->WriteToHost(bytes);
}

void PrinterSim::SetFrameTimeout(int ms) { impl_->frameTimeoutMs_.store(ms); }

std::vector<LogEntry> PrinterSim::Log(size_t from) const {
  std::lock_guard<std::mutex> lock(impl_->logMu_);
  if (from >= impl_->log_.size()) return {};
  return std::vector<LogEntry>(impl_->log_.begin() + static_cast<std::ptrdiff_t>(from),
                               impl_->log_.end());
}

namespace {
std::vector<uint8_t> BytesOf(const std::vector<LogEntry>& log, Direction direction) {
  std::vector<uint8_t> bytes;
  for (const LogEntry& entry : log) {
    if (entry.direction == direction) bytes.push_back(entry.byte);
  }
  return bytes;
}
}  // namespace

std::vector<uint8_t> PrinterSim::Received() const { return BytesOf(Log(), Direction::ToPrinter); }

std::vector<uint8_t> PrinterSim::Sent() const { return BytesOf(Log(), Direction::ToHost); }

std::vector<std::string> PrinterSim::Notes() const {
  std::lock_guard<std::mutex> lock(impl_->logMu_);
  return impl_->notes_;
}

void PrinterSim::ClearLog() {
  std::lock_guard<std::mutex> lock(impl_->logMu_);
  impl_->log_.clear();
  impl_->notes_.clear();
  impl_->receivedBase_ = impl_->receivedTotal_;
}

bool PrinterSim::WaitReceived(size_t n, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(impl_->logMu_);
  return impl_->logCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return impl_->handledTotal_ >= impl_->receivedBase_ + n; });
}

}  // namespace printer_sim
