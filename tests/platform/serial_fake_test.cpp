// The shared transfer code through the fake port: what a pseudo-terminal
// cannot show (CTS, line errors, write time-outs, failing calls).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/serial/serial_device.h"
#include "platform/sync/event.h"
#include "platform/sync/last_error.h"
#include "platform/win_errors.h"
#include "tests/support/fake_port.h"

namespace platform {
namespace {

using Bytes = std::vector<uint8_t>;

class FakePortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_ = FakePort::Create();
    ASSERT_NE(fake_, nullptr);
    RegisterFakePort("Com41", fake_);
    abort_ = Event::Create(false);
  }
  void TearDown() override { RegisterFakePort("Com41", nullptr); }

  std::unique_ptr<SerialDevice> Open(uint32_t writeMs, uint32_t readMs, bool abortOnError = true) {
    auto port = OpenSerialDevice("Com41");
    if (!port) return nullptr;
    LineState s;
    s.Parity = kEvenParity;
    s.OutxCtsFlow = true;
    s.AbortOnError = abortOnError;
    CommTimeouts t;
    t.ReadIntervalTimeout = readMs ? readMs : kMaxDword;
    t.ReadTotalTimeoutConstant = readMs;
    t.WriteTotalTimeoutConstant = writeMs;
    if (!port->SetState(s) || !port->SetTimeouts(t)) return nullptr;
    return port;
  }

  std::shared_ptr<FakePort> fake_;
  std::shared_ptr<Event> abort_;
};

TEST_F(FakePortTest, OpenRecordsAndRefusesAsAPortWould) {
  fake_->SetOpenError(kErrorFileNotFound);
  EXPECT_EQ(OpenSerialDevice("COM41"), nullptr);
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  fake_->SetOpenError(0);

  auto port = OpenSerialDevice("com41");
  ASSERT_NE(port, nullptr);
  EXPECT_TRUE(fake_->IsOpen());
  EXPECT_EQ(OpenSerialDevice("Com41"), nullptr);
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);

  LineState s;
  s.BaudRate = 19200;
  s.AbortOnError = true;
  ASSERT_TRUE(port->SetState(s));
  EXPECT_EQ(fake_->LastState().BaudRate, 19200u);
  EXPECT_TRUE(fake_->LastState().AbortOnError);
  s.BaudRate = 0;
  EXPECT_FALSE(port->SetState(s));
  EXPECT_EQ(GetLastError(), kErrorInvalidParameter);
  EXPECT_EQ(fake_->LastState().BaudRate, 19200u);

  CommTimeouts t;
  t.WriteTotalTimeoutConstant = 3000;
  ASSERT_TRUE(port->SetTimeouts(t));
  EXPECT_EQ(fake_->LastTimeouts().WriteTotalTimeoutConstant, 3000u);
  ASSERT_TRUE(port->SetEventMask(0x01FF));
  EXPECT_EQ(fake_->LastEventMask(), 0x01FFu);

  port.reset();
  EXPECT_FALSE(fake_->IsOpen());
  port = OpenSerialDevice("Com41");
  EXPECT_NE(port, nullptr);
  EXPECT_EQ(fake_->OpenCount(), 2);
}

TEST_F(FakePortTest, BytesPassBothWays) {
  fake_->SendToDevice({0x06, 0x15});  // sent before the open: still there after it
  auto port = Open(1000, 1000);
  ASSERT_NE(port, nullptr);
  uint8_t buf[2] = {};
  TransferResult r = port->Read(buf, 2, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Completed);
  EXPECT_EQ(r.moved, 2u);
  EXPECT_EQ(Bytes(buf, buf + 2), (Bytes{0x06, 0x15}));
  const uint8_t out[] = {0x1B, 0x95};
  r = port->Write(out, 2, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Completed);
  EXPECT_EQ(r.moved, 2u);
  ASSERT_TRUE(fake_->WaitWritten(2, 1000));
  EXPECT_EQ(fake_->TakeWritten(), (Bytes{0x1B, 0x95}));
}

TEST_F(FakePortTest, CtsOffHoldsAWriteUntilItsTimeout) {
  auto port = Open(1000, 1000);
  ASSERT_NE(port, nullptr);
  fake_->SetCts(false);
  const uint8_t b = 0x1B;
  SetLastError(77);
  TransferResult r = port->Write(&b, 1, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Completed);
  EXPECT_TRUE(r.pending);
  EXPECT_EQ(r.moved, 0u);
  EXPECT_EQ(GetLastError(), kErrorSuccess);
  EXPECT_TRUE(fake_->TakeWritten().empty());

  fake_->SetCts(true);
  r = port->Write(&b, 1, *abort_);
  EXPECT_EQ(r.moved, 1u);
  EXPECT_FALSE(r.pending);
}

TEST_F(FakePortTest, WriteWithoutTimeoutEndsAsATimeoutWhenItStalls) {
  EXPECT_EQ(kWriteStallLimitMs, 60000u);
  fake_->SetWriteStallLimit(150);
  auto port = Open(0, 1000);  // no write time-out at all
  ASSERT_NE(port, nullptr);
  fake_->SetCts(false);
  const uint8_t b = 0x1B;
  SetLastError(77);
  const auto start = std::chrono::steady_clock::now();
  TransferResult r = port->Write(&b, 1, *abort_);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_EQ(r.end, TransferEnd::Completed);
  EXPECT_TRUE(r.pending);
  EXPECT_EQ(r.moved, 0u);
  EXPECT_EQ(GetLastError(), kErrorSuccess);
  EXPECT_TRUE(fake_->TakeWritten().empty());
}

TEST_F(FakePortTest, AbortEndsAWriteThatHasNoTimeout) {
  auto port = Open(0, 1000);
  ASSERT_NE(port, nullptr);
  fake_->SetCts(false);
  std::thread aborter([&] { abort_->Set(); });
  const uint8_t b = 0x1B;
  TransferResult r = port->Write(&b, 1, *abort_);
  aborter.join();
  EXPECT_EQ(r.end, TransferEnd::Aborted);
  EXPECT_TRUE(r.pending);
  EXPECT_EQ(r.moved, 0u);
  EXPECT_TRUE(fake_->TakeWritten().empty());
}

TEST_F(FakePortTest, AbortEndsAPendingRead) {
  auto port = Open(1000, 0);
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->SetTimeouts(CommTimeouts{}));  // no read limit at all
  std::thread aborter([&] { abort_->Set(); });
  uint8_t b = 0;
  TransferResult r = port->Read(&b, 1, *abort_);
  aborter.join();
  EXPECT_EQ(r.end, TransferEnd::Aborted);
  EXPECT_TRUE(r.pending);
  EXPECT_EQ(r.moved, 0u);
}

TEST_F(FakePortTest, LineErrorWakesTheWatcherAndIsReportedOnce) {
  auto port = Open(1000, 1000);
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->SetEventMask(0x01FF));
  auto stop = Event::Create(false);
  auto watcher = std::async(std::launch::async, [&] {
    uint32_t mask = 0;
    EventWait w = port->WaitEvent(mask, *stop);
    return std::make_pair(w, mask);
  });
  fake_->InjectLineError(kCeFrame | kCeOverrun);
  auto [w, mask] = watcher.get();
  EXPECT_EQ(w, EventWait::Event);
  EXPECT_EQ(mask, kEvErr);

  uint32_t errors = 0;
  ComStat stat;
  ASSERT_TRUE(port->ClearError(errors, stat));
  EXPECT_EQ(errors, kCeFrame | kCeOverrun);
  ASSERT_TRUE(port->ClearError(errors, stat));
  EXPECT_EQ(errors, 0u);

  // Nothing new: only stop ends the wait.
  stop->Set();
  EXPECT_EQ(port->WaitEvent(mask, *stop), EventWait::Stopped);
}

TEST_F(FakePortTest, EachFlagComesBackAndBreakAndCtsHaveTheirOwnEvents) {
  auto port = Open(1000, 1000);
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->SetEventMask(0x01FF));
  auto stop = Event::Create(false);
  uint32_t mask = 0;
  fake_->InjectLineError(kCeBreak);
  ASSERT_EQ(port->WaitEvent(mask, *stop), EventWait::Event);
  EXPECT_EQ(mask, kEvBreak);
  fake_->SetCts(false);
  ASSERT_EQ(port->WaitEvent(mask, *stop), EventWait::Event);
  EXPECT_EQ(mask, kEvCts);

  // Outside the mask nothing is reported.
  ASSERT_TRUE(port->SetEventMask(kEvCts));
  fake_->InjectLineError(kCeRxParity);
  stop->Set();
  EXPECT_EQ(port->WaitEvent(mask, *stop), EventWait::Stopped);

  const uint32_t all = kCeRxOver | kCeOverrun | kCeRxParity | kCeFrame | kCeBreak | kCeTxFull;
  fake_->InjectLineError(all);
  uint32_t errors = 0;
  ComStat stat;
  ASSERT_TRUE(port->ClearError(errors, stat));
  EXPECT_EQ(errors, all);
}

TEST_F(FakePortTest, AbortOnErrorFailsTransfersUntilAcknowledged) {
  auto port = Open(1000, 1000);
  ASSERT_NE(port, nullptr);
  fake_->InjectLineError(kCeRxParity);
  const uint8_t b = 0x1B;
  TransferResult r = port->Write(&b, 1, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Failed);
  EXPECT_FALSE(r.pending);
  EXPECT_EQ(GetLastError(), kErrorOperationAborted);
  uint8_t in = 0;
  r = port->Read(&in, 1, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Failed);
  EXPECT_EQ(GetLastError(), kErrorOperationAborted);
  EXPECT_TRUE(fake_->TakeWritten().empty());

  uint32_t errors = 0;
  ComStat stat;
  ASSERT_TRUE(port->ClearError(errors, stat));
  EXPECT_EQ(errors, kCeRxParity);
  EXPECT_EQ(port->Write(&b, 1, *abort_).end, TransferEnd::Completed);
}

TEST_F(FakePortTest, WithoutAbortOnErrorTransfersGoOn) {
  auto port = Open(1000, 1000, false);
  ASSERT_NE(port, nullptr);
  fake_->InjectLineError(kCeFrame);
  const uint8_t b = 0x1B;
  EXPECT_EQ(port->Write(&b, 1, *abort_).moved, 1u);
}

TEST_F(FakePortTest, ForcedFailuresHitTheNextTransferOnly) {
  auto port = Open(1000, 1000);
  ASSERT_NE(port, nullptr);
  fake_->FailNextWrite(kErrorGenFailure);
  fake_->FailNextRead(kErrorAccessDenied);
  const uint8_t b = 0x1B;
  TransferResult r = port->Write(&b, 1, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Failed);
  EXPECT_EQ(GetLastError(), kErrorGenFailure);
  uint8_t in = 0;
  r = port->Read(&in, 1, *abort_);
  EXPECT_EQ(r.end, TransferEnd::Failed);
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);

  EXPECT_EQ(port->Write(&b, 1, *abort_).moved, 1u);
  fake_->SendToDevice({0x42});
  EXPECT_EQ(port->Read(&in, 1, *abort_).moved, 1u);
  EXPECT_EQ(in, 0x42);
}

// The link's three threads on one port: the worker transfers, the watcher
// waits for events and acknowledges errors, the command thread purges and
// changes time-outs.
TEST_F(FakePortTest, ThreeThreadsShareOnePort) {
  auto port = Open(1000, 1000, false);
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->SetEventMask(0x01FF));
  auto stop = Event::Create(false);
  std::atomic<int> events{0};
  std::thread watcher([&] {
    uint32_t mask = 0, errors = 0;
    ComStat stat;
    while (port->WaitEvent(mask, *stop) == EventWait::Event) {
      port->ClearError(errors, stat);
      ++events;
    }
  });
  constexpr int kBytes = 200;
  std::thread worker([&] {
    for (int i = 0; i < kBytes; ++i) {
      const uint8_t b = static_cast<uint8_t>(i);
      port->Write(&b, 1, *abort_);
    }
  });
  CommTimeouts t;
  for (int i = 0; i < 50; ++i) {
    fake_->InjectLineError(kCeFrame);
    ASSERT_TRUE(port->Purge(kPurgeTxClear | kPurgeRxClear));
    ASSERT_TRUE(port->GetTimeouts(t));
    ASSERT_TRUE(port->SetTimeouts(t));
  }
  worker.join();
  // Stop wins over a change seen in the same wake-up, so let the watcher
  // report before stopping it.
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (events.load() == 0 && std::chrono::steady_clock::now() < until) std::this_thread::yield();
  stop->Set();
  watcher.join();
  EXPECT_GT(events.load(), 0);
  ASSERT_TRUE(fake_->WaitWritten(kBytes, 1000));
  EXPECT_EQ(fake_->TakeWritten().size(), static_cast<size_t>(kBytes));
}

}  // namespace
}  // namespace platform
