// A serial port that is a terminal device: a real port, a USB adapter or a
// pseudo-terminal.
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/serial/fd_serial_device.h"
#include "platform/sync/last_error.h"
#include "platform/win_errors.h"

namespace platform {

namespace {

struct Speed {
  uint32_t baud;
  speed_t code;
};

constexpr Speed kSpeeds[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedCode(uint32_t baud, speed_t& code) {
  for (const Speed& s : kSpeeds) {
    if (s.baud == baud) {
      code = s.code;
      return true;
    }
  }
  return false;
}

uint32_t BaudOf(speed_t code) {
  for (const Speed& s : kSpeeds) {
    if (s.code == code) return s.baud;
  }
  return 0;
}

bool NotSupported(int err) { return err == ENOTTY || err == EINVAL; }

LineState LineStateFromTermios(const termios& tio) {
  LineState state;
  if (uint32_t baud = BaudOf(cfgetospeed(&tio))) state.BaudRate = baud;
  switch (tio.c_cflag & CSIZE) {
    case CS5: state.ByteSize = 5; break;
    case CS6: state.ByteSize = 6; break;
    case CS7: state.ByteSize = 7; break;
    default: state.ByteSize = 8; break;
  }
  if (tio.c_cflag & PARENB) state.Parity = (tio.c_cflag & PARODD) ? kOddParity : kEvenParity;
  state.StopBits = (tio.c_cflag & CSTOPB) ? kTwoStopBits : kOneStopBit;
  state.OutX = (tio.c_iflag & IXON) != 0;
  state.InX = (tio.c_iflag & IXOFF) != 0;
  return state;
}

// glibc's tcsetattr reads the settings back and fails with EINVAL when the
// device dropped a c_cflag bit. A pseudo-terminal always drops PARENB (it has
// no parity to check), so settings taken in everything but parity count.
bool TookAllButParity(int fd, const termios& wanted) {
  termios got{};
  if (tcgetattr(fd, &got) != 0) return false;
  const tcflag_t parity = PARENB | PARODD;
  return (got.c_cflag & ~parity) == (wanted.c_cflag & ~parity) && got.c_iflag == wanted.c_iflag &&
         got.c_oflag == wanted.c_oflag && got.c_lflag == wanted.c_lflag &&
         cfgetospeed(&got) == cfgetospeed(&wanted);
}

// Raises or drops one modem-control line.
bool SetModemLine(int fd, int line, bool on) {
  if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0) return true;
  if (NotSupported(errno)) return true;  // a pseudo-terminal has no lines
  SetLastError(WinErrorFromErrno(errno));
  return false;
}

class TtyDevice final : public FdSerialDevice {
 public:
  TtyDevice(int fd, const LineState& initial) : FdSerialDevice(fd, initial) { TakeBaseline(); }
  // Clears the exclusive flag, or an unprivileged user could not reopen the
  // port; the flock goes with the descriptor.
  ~TtyDevice() override { ioctl(Fd(), TIOCNXCL); }

  bool GetState(LineState& state) override {
    if (!FdSerialDevice::GetState(state)) return false;
    termios tio;
    if (tcgetattr(Fd(), &tio) != 0) {
      SetLastError(WinErrorFromErrno(errno));
      return false;
    }
    if (uint32_t baud = BaudOf(cfgetospeed(&tio))) state.BaudRate = baud;
    return true;
  }

 protected:
  bool ApplyLineState(const LineState& state) override {
    termios tio;
    if (tcgetattr(Fd(), &tio) != 0) {
      SetLastError(WinErrorFromErrno(errno));
      return false;
    }
    if (!TermiosFromLineState(state, tio)) return false;
    if (tcsetattr(Fd(), TCSANOW, &tio) != 0) {
      const int err = errno;
      if (err != EINVAL || !TookAllButParity(Fd(), tio)) {
        SetLastError(WinErrorFromErrno(err));
        return false;
      }
    }
    return SetModemLine(Fd(), TIOCM_DTR, state.DtrControl == kDtrControlEnable) &&
           SetModemLine(Fd(), TIOCM_RTS, state.RtsControl == kRtsControlEnable);
  }

  // A device that lacks modem lines or error counters (a pseudo-terminal)
  // never gains them, so the question is asked only until it is refused.
  bool QueryModemLines(int& lines) override {
    if (noModemLines_.load()) return false;
    if (ioctl(Fd(), TIOCMGET, &lines) == 0) return true;
    if (errno == ENOTTY || errno == EINVAL) noModemLines_.store(true);
    return false;
  }

  bool QueryErrorCounters(LineCounters& counters) override {
    if (noErrorCounters_.load()) return false;
    serial_icounter_struct ic{};
    if (ioctl(Fd(), TIOCGICOUNT, &ic) != 0) {
      if (errno == ENOTTY || errno == EINVAL) noErrorCounters_.store(true);
      return false;
    }
    counters.frame = static_cast<uint32_t>(ic.frame);
    counters.overrun = static_cast<uint32_t>(ic.overrun);
    counters.parity = static_cast<uint32_t>(ic.parity);
    counters.brk = static_cast<uint32_t>(ic.brk);
    counters.bufOverrun = static_cast<uint32_t>(ic.buf_overrun);
    return true;
  }

  bool DiscardInput() override {
    if (tcflush(Fd(), TCIFLUSH) == 0) return true;
    SetLastError(WinErrorFromErrno(errno));
    return false;
  }

 private:
  std::atomic<bool> noModemLines_{false};
  std::atomic<bool> noErrorCounters_{false};
};

uint32_t OpenError(int err) {
  if (err == EISDIR) return kErrorInvalidHandle;  // a folder is no terminal either
  return WinErrorFromErrno(err);                  // ENOENT/ENXIO/ENODEV: 2; EACCES/EPERM/EBUSY: 5
}

}  // namespace

bool TermiosFromLineState(const LineState& state, termios& tio) {
  speed_t speed = B0;
  tcflag_t size = CS8;
  switch (state.ByteSize) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: size = 0; break;
  }
  const bool valid = SpeedCode(state.BaudRate, speed) && size != 0 && state.Parity <= kEvenParity &&
                     (state.StopBits == kOneStopBit || state.StopBits == kTwoStopBits) &&
                     state.DtrControl <= kDtrControlEnable && state.RtsControl <= kRtsControlEnable;
  if (!valid) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  cfmakeraw(&tio);
  // CRTSCTS stays off: CTS is checked in software, and the kernel's hardware
  // flow control would also drive RTS. HUPCL off: closing must not hang up.
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | HUPCL | CRTSCTS);
  tio.c_cflag |= size | CLOCAL | CREAD;
  if (state.Parity == kEvenParity) tio.c_cflag |= PARENB;
  if (state.Parity == kOddParity) tio.c_cflag |= PARENB | PARODD;
  if (state.StopBits == kTwoStopBits) tio.c_cflag |= CSTOPB;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  if (state.OutX) tio.c_iflag |= IXON;
  if (state.InX) tio.c_iflag |= IXOFF;
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  return true;
}

std::unique_ptr<SerialDevice> OpenTtyDevice(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    SetLastError(OpenError(errno));
    return nullptr;
  }
  struct stat st {};
  termios tio{};
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || tcgetattr(fd, &tio) != 0) {
    close(fd);
    SetLastError(kErrorInvalidHandle);
    return nullptr;
  }
  // The lock first: setting TIOCEXCL on a port that someone else holds and
  // clearing it again on the way out would take their exclusivity away.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int err = errno;
    close(fd);
    SetLastError(err == EWOULDBLOCK ? kErrorAccessDenied : WinErrorFromErrno(err));
    return nullptr;
  }
  ioctl(fd, TIOCEXCL);
  SetLastError(kErrorSuccess);
  return std::make_unique<TtyDevice>(fd, LineStateFromTermios(tio));
}

}  // namespace platform
