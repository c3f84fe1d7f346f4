// The terminal device through a real pseudo-terminal. The test keeps the
// slave side open, as the simulated printer does, and plays the printer on
// the master side.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/serial/fd_serial_device.h"
#include "platform/serial/serial_device.h"
#include "platform/sync/event.h"
#include "platform/sync/last_error.h"
#include "platform/win_errors.h"

namespace platform {
namespace {

using Bytes = std::vector<uint8_t>;

// Time-outs as the link sets them from whole seconds.
CommTimeouts SecondsTimeouts(uint32_t writeSec, uint32_t readSec) {
  CommTimeouts t;
  t.ReadIntervalTimeout = readSec ? readSec * 1000 : kMaxDword;
  t.ReadTotalTimeoutConstant = readSec * 1000;
  t.WriteTotalTimeoutConstant = writeSec * 1000;
  return t;
}

LineState PrinterLine() {
  LineState s;
  s.BaudRate = 9600;
  s.Parity = kEvenParity;
  s.OutxCtsFlow = true;
  s.DtrControl = kDtrControlDisable;
  s.RtsControl = kRtsControlDisable;
  s.AbortOnError = true;
  return s;
}

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    char name[64];
    ASSERT_EQ(ptsname_r(master_, name, sizeof name), 0);
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave_, 0);
    dir_ = std::filesystem::temp_directory_path() / ("kavoruw-serial-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    std::filesystem::create_symlink(name, dir_ / "COM7");
    setenv("KAVORUW_PORT_DIR", dir_.c_str(), 1);
    abort_ = Event::Create(false);
  }
  void TearDown() override {
    unsetenv("KAVORUW_PORT_DIR");
    std::filesystem::remove_all(dir_);
    close(slave_);
    close(master_);
  }

  // Opens Com7 with the printer's line settings in effect (raw mode).
  std::unique_ptr<SerialDevice> OpenPrinterPort(uint32_t writeSec, uint32_t readSec) {
    auto port = OpenSerialDevice("Com7");
    if (port && (!port->SetState(PrinterLine()) ||
                 !port->SetTimeouts(SecondsTimeouts(writeSec, readSec)))) {
      port.reset();
    }
    return port;
  }

  void MasterSends(const Bytes& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Waits (at most a second) until the slave side holds n unread bytes.
  bool WaitInput(int n) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    int queued = 0;
    while (ioctl(slave_, FIONREAD, &queued) == 0 && queued < n) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return queued >= n;
  }

  // What reaches the master within a second, up to n bytes.
  Bytes MasterReceives(size_t n) {
    Bytes got;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (got.size() < n) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          until - std::chrono::steady_clock::now());
      pollfd p{master_, POLLIN, 0};
      if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      uint8_t buf[256];
      ssize_t k = read(master_, buf, std::min(sizeof buf, n - got.size()));
      if (k <= 0) break;
      got.insert(got.end(), buf, buf + k);
    }
    return got;
  }

  int master_ = -1;
  int slave_ = -1;
  std::filesystem::path dir_;
  std::shared_ptr<Event> abort_;
};

TEST_F(PtyTest, PortNamesResolveToTheFolderOrToTtyS) {
  EXPECT_EQ(ResolvePortPath("Com7"), (dir_ / "COM7").string());
  EXPECT_EQ(ResolvePortPath("cOM12"), (dir_ / "COM12").string());
  unsetenv("KAVORUW_PORT_DIR");
  EXPECT_EQ(ResolvePortPath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(ResolvePortPath("com10"), "/dev/ttyS9");
  EXPECT_EQ(ResolvePortPath("Com255"), "/dev/ttyS254");
  EXPECT_EQ(ResolvePortPath("/dev/pts/3"), "/dev/pts/3");
  // Nothing resolves relative to the working folder.
  for (const char* none : {"LPT1", "Com", "Com0", "Com256", "Com3x", "COM0001", "pts/3", ""}) {
    EXPECT_EQ(ResolvePortPath(none), "") << none;
  }
}

TEST_F(PtyTest, PortOutsideTheRangeIsNoSuchPortEvenWhenTheFolderHasIt) {
  // A file named like the port in the working folder must not be opened.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  for (const char* name : {"Com0", "COM0", "LPT1"}) {
    std::filesystem::create_symlink(std::filesystem::read_symlink(dir_ / "COM7"), dir_ / name);
  }
  EXPECT_EQ(OpenSerialDevice("Com0"), nullptr);
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  EXPECT_EQ(OpenSerialDevice("Com256"), nullptr);
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  EXPECT_EQ(OpenSerialDevice("LPT1"), nullptr);
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  std::filesystem::current_path(cwd);
}

TEST_F(PtyTest, OpeningIsExclusiveAndRefusesWhatIsNoTerminal) {
  EXPECT_EQ(OpenSerialDevice("Com9"), nullptr);
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);

  auto port = OpenSerialDevice("Com7");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(OpenSerialDevice("Com7"), nullptr);
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  port.reset();
  port = OpenSerialDevice("COM7");
  EXPECT_NE(port, nullptr);

  std::ofstream(dir_ / "COM4") << "x";
  EXPECT_EQ(OpenSerialDevice("Com4"), nullptr);
  EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
  EXPECT_EQ(OpenSerialDevice("/dev/null"), nullptr);  // a character device, but no terminal
  EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
}

TEST_F(PtyTest, LineSettingsAreRawEightBitsAndReadBack) {
  auto port = OpenSerialDevice("Com7");
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->SetState(PrinterLine()));  // DTR/RTS: a pty has no lines, that is no error
  termios tio{};
  ASSERT_EQ(tcgetattr(slave_, &tio), 0);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(tio.c_cflag & CSTOPB);
  EXPECT_FALSE(tio.c_cflag & (HUPCL | CRTSCTS));
  EXPECT_TRUE(tio.c_cflag & CLOCAL);
  EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
  EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));

  LineState s = PrinterLine();
  s.BaudRate = 19200;
  ASSERT_TRUE(port->SetState(s));
  LineState back;
  ASSERT_TRUE(port->GetState(back));
  EXPECT_EQ(back.BaudRate, 19200u);
  EXPECT_EQ(back.Parity, kEvenParity);
  EXPECT_TRUE(back.AbortOnError);

  for (uint32_t bad : {0u, 12345u}) {
    s.BaudRate = bad;
    EXPECT_FALSE(port->SetState(s));
    EXPECT_EQ(GetLastError(), kErrorInvalidParameter);
  }
  ASSERT_TRUE(port->GetState(back));
  EXPECT_EQ(back.BaudRate, 19200u);
}

// A pty drops PARENB, and glibc's tcsetattr reports that as EINVAL once the
// call changes nothing else: setting the same line again must still work
// (the link does it on every reconnect).
TEST_F(PtyTest, SameLineSettingsCanBeAppliedAgain) {
  for (int open = 0; open < 2; ++open) {
    auto port = OpenSerialDevice("Com7");
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(port->SetState(PrinterLine()));
    EXPECT_TRUE(port->SetState(PrinterLine()));
  }
}

// A pseudo-terminal clears PARENB itself, so the parity bits are checked on
// the settings that the device hands to tcsetattr.
TEST(TermiosTest, ParityAndStopBitsBecomeCflagBits) {
  termios tio{};
  LineState s = PrinterLine();
  ASSERT_TRUE(TermiosFromLineState(s, tio));
  EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CSTOPB | CSIZE), static_cast<tcflag_t>(PARENB | CS8));
  s.Parity = kOddParity;
  s.StopBits = kTwoStopBits;
  ASSERT_TRUE(TermiosFromLineState(s, tio));
  EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CSTOPB),
            static_cast<tcflag_t>(PARENB | PARODD | CSTOPB));
  s.StopBits = 1;  // one and a half
  EXPECT_FALSE(TermiosFromLineState(s, tio));
  EXPECT_EQ(GetLastError(), kErrorInvalidParameter);
}

TEST_F(PtyTest, AWrittenByteReachesThePrinter) {
  auto port = OpenPrinterPort(1, 1);
  ASSERT_NE(port, nullptr);
  const uint8_t esc = 0x1B;
  TransferResult r = port->Write(&esc, 1, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Completed);
  EXPECT_EQ(r.moved, 1u);
  EXPECT_FALSE(r.pending);
  EXPECT_EQ(MasterReceives(1), Bytes{0x1B});
}

TEST_F(PtyTest, ReadWithATimeoutGetsAByteOrTimesOut) {
  auto port = OpenPrinterPort(1, 1);
  ASSERT_NE(port, nullptr);
  MasterSends({0x06});
  uint8_t b = 0;
  TransferResult r = port->Read(&b, 1, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Completed);
  EXPECT_EQ(r.moved, 1u);
  EXPECT_EQ(b, 0x06);

  SetLastError(77);
  r = port->Read(&b, 1, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Completed);
  EXPECT_EQ(r.moved, 0u);
  EXPECT_TRUE(r.pending);
  EXPECT_EQ(GetLastError(), kErrorSuccess);
}

TEST_F(PtyTest, ReadWithoutTimeoutReturnsAtOnceWithWhatIsThere) {
  auto port = OpenPrinterPort(1, 0);
  ASSERT_NE(port, nullptr);
  uint8_t buf[4] = {};
  TransferResult r = port->Read(buf, 1, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Completed);
  EXPECT_EQ(r.moved, 0u);
  EXPECT_FALSE(r.pending);

  MasterSends({0x41, 0x42});
  ASSERT_TRUE(WaitInput(2));
  r = port->Read(buf, 4, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Completed);
  EXPECT_EQ(r.moved, 2u);
  EXPECT_FALSE(r.pending);
  EXPECT_EQ(Bytes(buf, buf + 2), (Bytes{0x41, 0x42}));
}

TEST_F(PtyTest, RxPurgeDropsStaleInput) {
  auto port = OpenPrinterPort(1, 1);
  ASSERT_NE(port, nullptr);
  MasterSends({1, 2, 3, 4, 5});
  ASSERT_TRUE(WaitInput(5));
  uint32_t errors = 99;
  ComStat stat;
  ASSERT_TRUE(port->ClearError(errors, stat));
  EXPECT_EQ(errors, 0u);  // a pty keeps no error counters
  EXPECT_EQ(stat.InQueue, 5u);

  ASSERT_TRUE(port->Purge(kPurgeRxClear));
  ASSERT_TRUE(port->ClearError(errors, stat));
  EXPECT_EQ(stat.InQueue, 0u);
  MasterSends({0x07});
  uint8_t b = 0;
  TransferResult r = port->Read(&b, 1, *abort_);
  EXPECT_EQ(r.moved, 1u);
  EXPECT_EQ(b, 0x07);
  EXPECT_FALSE(port->Purge(0x10));
  EXPECT_EQ(GetLastError(), kErrorInvalidParameter);
}

// A completed one-byte write is on its way: an output purge between frames
// must not cut the frame before it. The master reads nothing until the end,
// so its input fills up and the frames stay queued, as on a slow line.
TEST_F(PtyTest, OutputPurgeNeverCutsAWrittenFrame) {
  auto port = OpenPrinterPort(1, 1);
  ASSERT_NE(port, nullptr);
  Bytes sent(6000, 0x55);
  ASSERT_EQ(port->Write(sent.data(), static_cast<uint32_t>(sent.size()), *abort_).moved,
            sent.size());
  for (int frame = 0; frame < 3; ++frame) {
    for (int i = 0; i < 32; ++i) {
      const uint8_t b = static_cast<uint8_t>(frame * 32 + i);
      ASSERT_EQ(port->Write(&b, 1, *abort_).moved, 1u);
      sent.push_back(b);
    }
    ASSERT_TRUE(port->Purge(kPurgeTxAbort | kPurgeTxClear));
  }
  EXPECT_EQ(MasterReceives(sent.size()), sent);
}

}  // namespace
}  // namespace platform
