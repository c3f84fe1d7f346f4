#pragma once
// The driver's end of the simulator's pseudo-terminal, opened and set up as
// the driver opens a port, for byte-by-byte conversations.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace printer_sim_test {

using Bytes = std::vector<uint8_t>;

inline constexpr uint8_t kEsc = 0x1B;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kNak = 0x15;

class HostPort {
 public:
  explicit HostPort(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    if (fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
      cfmakeraw(&tio);
      tio.c_cflag |= CLOCAL | CREAD | PARENB;  // 8 data bits, even parity
      tcsetattr(fd_, TCSANOW, &tio);
    }
  }
  ~HostPort() {
    if (fd_ >= 0) close(fd_);
  }
  HostPort(const HostPort&) = delete;
  HostPort& operator=(const HostPort&) = delete;

  bool IsOpen() const { return fd_ >= 0; }

  void Write(const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }

  // Up to n bytes; fewer when the rest does not come within a second.
  Bytes Read(size_t n) {
    Bytes bytes;
    while (bytes.size() < n) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 1000) != 1) break;
      uint8_t buffer[256];
      ssize_t got = read(fd_, buffer, std::min(sizeof buffer, n - bytes.size()));
      if (got <= 0) break;
      bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
  }

  Bytes Talk(const Bytes& bytes, size_t answerLength) {
    Write(bytes);
    return Read(answerLength);
  }

 private:
  int fd_ = -1;
};

}  // namespace printer_sim_test
