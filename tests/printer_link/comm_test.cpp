// The port object and its threads, driven through fake ports: line settings,
// time-outs, line errors, CTS, aborts and failing opens.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "kavoruw_core.h"
#include "platform/serial/serial_device.h"
#include "platform/sync/event.h"
#include "platform/sync/main_thread.h"
#include "platform/text/cp1250.h"
#include "printer_link/engine/engine.h"
#include "printer_link/port/comm.h"
#include "printer_link/port/hand_off.h"
#include "printer_link/port/link_error.h"
#include "tests/support/fake_port.h"

namespace kavoruw {
namespace {

using namespace std::chrono_literals;

std::string Utf8(const std::string& cp1250) { return platform::Utf8FromCp1250(cp1250); }

// Polls until the link error record holds the text, or a second has passed.
bool WaitForRecord(TPortLink& link, const std::string& utf8Text) {
  auto until = std::chrono::steady_clock::now() + 1s;
  while (std::chrono::steady_clock::now() < until) {
    if (Utf8(link.LinkError->Text()) == utf8Text) return true;
    std::this_thread::sleep_for(2ms);
  }
  return false;
}

// A main loop that queues the calls carried to it; the test runs them when
// it likes, or never.
struct QueuedMainLoop {
  QueuedMainLoop() {
    platform::SetMainThreadDispatcher([this](std::function<void()> call) {
      std::lock_guard lock(mutex);
      calls.push_back(std::move(call));
    });
  }
  ~QueuedMainLoop() { platform::SetMainThreadDispatcher(nullptr); }
  std::vector<std::function<void()>> Take() {
    std::lock_guard lock(mutex);
    return std::exchange(calls, {});
  }
  bool Empty() {
    std::lock_guard lock(mutex);
    return calls.empty();
  }
  std::mutex mutex;
  std::vector<std::function<void()>> calls;
};

class CommTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link.ConnectSettleMs = 0;
    fake = platform::FakePort::Create();
    platform::RegisterFakePort("Com7", fake);
  }
  void TearDown() override {
    link.Hooks.whileWaiting = {};
    link.CommPort.reset();
    platform::RegisterFakePort("Com7", nullptr);
    platform::SetMainThreadDispatcher(nullptr);
  }
  int32_t Connect(uint16_t writeSec = 1, uint16_t readSec = 1) {
    link.CommPort = std::make_unique<TComm>(link);
    link.CommPort->SetParams(7, 9600, writeSec, readSec);
    return link.CommPort->Connect();
  }
  // The engine's part of a link, built for the test: its port and record.
  TEngineLink link;
  std::shared_ptr<platform::FakePort> fake;
};

TEST_F(CommTest, ConnectSetsThePrinterLine) {
  ASSERT_EQ(Connect(3, 5), 0);
  EXPECT_TRUE(link.CommPort->IsOpen());
  EXPECT_EQ(link.CommPort->PortName(), "Com7");
  platform::LineState s = fake->LastState();
  EXPECT_EQ(s.BaudRate, 9600u);
  EXPECT_EQ(s.ByteSize, 8);
  EXPECT_EQ(s.Parity, platform::kEvenParity);
  EXPECT_EQ(s.StopBits, platform::kOneStopBit);
  EXPECT_TRUE(s.OutxCtsFlow);
  EXPECT_FALSE(s.OutxDsrFlow);
  EXPECT_EQ(s.DtrControl, platform::kDtrControlDisable);
  EXPECT_EQ(s.RtsControl, platform::kRtsControlDisable);
  EXPECT_FALSE(s.OutX);
  EXPECT_FALSE(s.InX);
  EXPECT_TRUE(s.AbortOnError);
  EXPECT_EQ(fake->LastEventMask(), 0x01FFu);
  EXPECT_EQ(link.LinkError->Code(), 0);
}

TEST_F(CommTest, TimeoutsFollowTheSecondsGiven) {
  ASSERT_EQ(Connect(3, 5), 0);
  platform::CommTimeouts t = fake->LastTimeouts();
  EXPECT_EQ(t.ReadIntervalTimeout, 5000u);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 5000u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 3000u);

  ASSERT_EQ(link.CommPort->SetTimeouts(3, 0), 0);
  t = fake->LastTimeouts();
  EXPECT_EQ(t.ReadIntervalTimeout, 0xFFFFFFFFu);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 3000u);
}

TEST_F(CommTest, TimeoutsOnAClosedPortFail) {
  TComm port(link);
  EXPECT_NE(port.SetTimeouts(3, 5), 0);
  EXPECT_EQ(Utf8(link.LinkError->Text()), " Błąd odczytu aktualnych czasów.");
}

TEST_F(CommTest, CloseIsIdempotentAndNoObjectMeansClosed) {
  link.CommPort.reset();
  EXPECT_FALSE(link.PortIsOpen());
  ASSERT_EQ(Connect(), 0);
  EXPECT_EQ(link.CommPort->Close(), 0);
  EXPECT_FALSE(link.CommPort->IsOpen());
  EXPECT_FALSE(fake->IsOpen());
  EXPECT_EQ(link.CommPort->Close(), 0);
  // After closing, every hand-off fails at once.
  uint8_t b = 0;
  EXPECT_FALSE(inner::ReadPortByte(link, b));
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Błąd funkcji WaitForMultipleObjects.");
}

TEST_F(CommTest, BytesPassThroughTheWorker) {
  ASSERT_EQ(Connect(), 0);
  EXPECT_TRUE(WritePortByte(link, 0x1B));
  EXPECT_TRUE(WritePortByte(link, 0x95));
  ASSERT_TRUE(fake->WaitWritten(2, 1000));
  EXPECT_EQ(fake->TakeWritten(), (std::vector<uint8_t>{0x1B, 0x95}));
  fake->SendToDevice({0x42});
  uint8_t b = 0;
  EXPECT_TRUE(inner::ReadPortByte(link, b));
  EXPECT_EQ(b, 0x42);
}

// A program on the command thread keeps its windows painted through the wait
// hook: it is called while a byte is awaited, a byte still passes at once, and
// a silent printer is given up on after the same time-out.
TEST_F(CommTest, TheWaitHookIsCalledWhileAByteIsAwaited) {
  std::atomic<int> calls{0};
  const std::thread::id commandThread = std::this_thread::get_id();
  bool otherThread = false;
  link.Hooks.whileWaiting = [&] {
    ++calls;
    otherThread = otherThread || std::this_thread::get_id() != commandThread;
  };
  ASSERT_EQ(Connect(1, 1), 0);
  auto sender = std::async(std::launch::async, [this] {
    std::this_thread::sleep_for(150ms);
    fake->SendToDevice({0x42});
  });
  uint8_t b = 0;
  EXPECT_TRUE(inner::ReadPortByte(link, b));
  EXPECT_EQ(b, 0x42);
  sender.get();
  EXPECT_GE(calls.load(), 1) << "called while the byte was on its way";
  calls = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(inner::ReadPortByte(link, b));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 900ms) << "the time-out stays";
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Timeout odczytu.");
  EXPECT_GE(calls.load(), 2);
  EXPECT_FALSE(otherThread);
  link.Hooks.whileWaiting = {};
}

TEST_F(CommTest, ReadTimeoutRecordsWithCodeZero) {
  ASSERT_EQ(Connect(1, 1), 0);
  uint8_t b = 0;
  EXPECT_FALSE(inner::ReadPortByte(link, b));
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Timeout odczytu.");
  EXPECT_EQ(link.LinkError->Code(), 0);
}

TEST_F(CommTest, CtsLowEndsAWriteByItsTimeout) {
  ASSERT_EQ(Connect(1, 1), 0);
  fake->SetCts(false);
  EXPECT_FALSE(WritePortByte(link, 0x1B));
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Timeout zapisu.");
  EXPECT_TRUE(fake->TakeWritten().empty());
  // The engine turns it into a write failure and sends nothing more.
  EXPECT_EQ(ExecuteSequence(link, 0x95, 1), 20);
}

TEST_F(CommTest, StalledWriteWithoutTimeoutEndsAsAWriteTimeout) {
  fake->SetWriteStallLimit(200);
  ASSERT_EQ(Connect(0, 1), 0);  // no write time-out at all
  fake->SetCts(false);
  EXPECT_EQ(link.CommPort->TimeoutsInUse().WriteTotalTimeoutConstant, 0u);
  EXPECT_FALSE(WritePortByte(link, 0x1B));
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Timeout zapisu.");
  EXPECT_EQ(link.LinkError->Code(), 0);
  EXPECT_TRUE(fake->TakeWritten().empty());
  EXPECT_EQ(ExecuteSequence(link, 0x95, 1), 20);
  // The port closes at once afterwards.
  EXPECT_EQ(link.CommPort->Close(), 0);
}

TEST_F(CommTest, AbortCutsAPendingWriteShort) {
  ASSERT_EQ(Connect(0, 1), 0);  // no write time-out at all
  fake->SetCts(false);
  auto aborter = std::async(std::launch::async, [this] {
    std::this_thread::sleep_for(100ms);
    link.CommPort->HandOff().Abort();
  });
  uint8_t b = 0x1B;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(link.CommPort->WriteOneByte(&b), 0u);
  aborter.get();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Zapis przerwany.");
  // Once aborted, the hand-off takes no byte until the next connect.
  EXPECT_TRUE(link.CommPort->HandOff().Aborted());
  EXPECT_FALSE(WritePortByte(link, 0x1B));
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Błąd funkcji WaitForMultipleObjects.");
}

TEST_F(CommTest, CloseEndsAPendingReadBeforeJoiningTheWorker) {
  ASSERT_EQ(Connect(1, 60), 0);
  auto reader = std::async(std::launch::async, [this] {
    uint8_t b = 0;
    return inner::ReadPortByte(link, b);
  });
  std::this_thread::sleep_for(100ms);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(link.CommPort->Close(), 0);
  EXPECT_FALSE(reader.get());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(CommTest, LineErrorIsRecordedWithItsFlagAndBlocksTheEngine) {
  ASSERT_EQ(Connect(), 0);
  fake->InjectLineError(platform::kCeFrame | platform::kCeOverrun);
  ASSERT_TRUE(WaitForRecord(link, "Zgubiono znaki (CE_OVERRUN)."));
  EXPECT_EQ(link.LinkError->Code(), 2);
  EXPECT_EQ(ExecuteSequence(link, 0x95, 1), 20);
  EXPECT_TRUE(fake->TakeWritten().empty());
  // A new connection clears the record.
  ASSERT_EQ(Connect(), 0);
  EXPECT_EQ(link.LinkError->Code(), 0);
  EXPECT_EQ(link.LinkError->Text(), "");
}

TEST_F(CommTest, EveryLineErrorFlagHasItsText) {
  struct Case {
    uint32_t flag;
    const char* text;
  };
  const Case cases[] = {
      {platform::kCeFrame, "Urządzenie wykryło błąd ramki (CE_FRAME)."},
      {platform::kCeOverrun, "Zgubiono znaki (CE_OVERRUN)."},
      {platform::kCeRxOver, "Zapełniony bufor wejściowy (CE_RXOVER)."},
      {platform::kCeRxParity, "Urządzenie wykryło błąd parzystości (CE_RXPARITY)."},
      {platform::kCeTxFull, "Zapełniony bufor wyjściowy (CE_TXFULL)."},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Connect(), 0);
    fake->InjectLineError(c.flag);
    EXPECT_TRUE(WaitForRecord(link, c.text)) << c.text;
    EXPECT_EQ(link.LinkError->Code(), static_cast<int32_t>(c.flag));
  }
}

TEST_F(CommTest, BreakAloneRecordsNothingButIsNamedWithAnError) {
  ASSERT_EQ(Connect(), 0);
  fake->InjectLineError(platform::kCeBreak);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(link.LinkError->Code(), 0);
  // With a parity error in the same event, the break is recorded first and
  // the parity error last.
  ASSERT_EQ(Connect(), 0);
  fake->InjectLineError(platform::kCeBreak | platform::kCeRxParity);
  EXPECT_TRUE(WaitForRecord(link, "Urządzenie wykryło błąd parzystości (CE_RXPARITY)."));
}

TEST_F(CommTest, OnlyTheErrorEventRecords) {
  ASSERT_EQ(Connect(), 0);
  link.CommPort->OnCommEvent(nullptr, platform::kEvBreak | platform::kEvCts | platform::kEvRxChar);
  EXPECT_EQ(link.LinkError->Code(), 0);
  EXPECT_EQ(link.LinkError->Text(), "");
}

TEST_F(CommTest, WatcherNeverBlocksCloseWhenTheMainLoopDoesNotRun) {
  // A main loop that queues calls but never runs them.
  QueuedMainLoop loop;
  ASSERT_EQ(Connect(), 0);
  fake->InjectLineError(platform::kCeFrame);
  auto until = std::chrono::steady_clock::now() + 1s;
  while (std::chrono::steady_clock::now() < until && loop.Empty()) {
  }
  EXPECT_EQ(link.CommPort->Close(), 0);
  link.CommPort.reset();
  // The loop runs later: the dropped call must not touch the freed port.
  auto queued = loop.Take();
  ASSERT_FALSE(queued.empty());
  for (auto& call : queued) call();
  EXPECT_EQ(link.LinkError->Code(), 0);
}

TEST_F(CommTest, WatcherCallRunsOnTheMainLoopWhenOneIsInstalled) {
  QueuedMainLoop loop;
  ASSERT_EQ(Connect(), 0);
  fake->InjectLineError(platform::kCeRxParity);
  auto until = std::chrono::steady_clock::now() + 1s;
  while (std::chrono::steady_clock::now() < until && link.LinkError->Code() == 0) {
    for (auto& call : loop.Take()) call();
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_EQ(link.LinkError->Code(), 4);
  link.CommPort->Close();
}

TEST_F(CommTest, EventCreationFailureFailsTheConnectCleanly) {
  platform::FailNextEventCreations(3);
  int32_t r = Connect();
  EXPECT_NE(r, 0);
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Błąd CreateEvent. ");
  EXPECT_FALSE(link.CommPort->IsOpen());
  EXPECT_FALSE(fake->IsOpen());
  platform::FailNextEventCreations(0);
  EXPECT_EQ(Connect(), 0);
}

TEST_F(CommTest, FailingOpenGivesItsCodeAndText) {
  struct Case {
    uint32_t error;
    const char* text;
  };
  const Case cases[] = {
      {2, "System nie potrafi znależć danego urządzenia."},
      {5, "Zabroniony dostęp do urządzenia."},
      {6, "Niepoprawny uchwyt do urządzenia, proces przerwany."},
      {31, "Błędnie określone urządzenie."},
  };
  for (const Case& c : cases) {
    fake->SetOpenError(c.error);
    EXPECT_EQ(Connect(), static_cast<int32_t>(c.error));
    EXPECT_FALSE(link.CommPort->IsOpen());
    EXPECT_EQ(Utf8(link.LinkError->Text()), c.text);
    EXPECT_EQ(link.LinkError->Code(), static_cast<int32_t>(c.error));
  }
  fake->SetOpenError(0);
  EXPECT_EQ(Connect(), 0);
}

TEST_F(CommTest, ForcedTransferFailuresAreRecorded) {
  ASSERT_EQ(Connect(), 0);
  fake->FailNextWrite(31);
  EXPECT_FALSE(WritePortByte(link, 0x1B));
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Niepoprawny zapis do portu.");
  EXPECT_EQ(link.LinkError->Code(), 31);
  fake->FailNextRead(31);
  uint8_t b;
  EXPECT_FALSE(inner::ReadPortByte(link, b));
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Niepoprawny odczyt.");
}

// The hand-off alone, with the test playing the worker.
TEST(HandOffTest, OneCallCarriesAByteEachWayAndFailsOnceAborted) {
  TPortLink link;
  THandOff handOff(*link.LinkError, link.Hooks.whileWaiting);
  // Before the first connection nothing is handed over.
  EXPECT_FALSE(handOff.Carry(Transfer::Write, 0x1B).ok);
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Błąd funkcji WaitForMultipleObjects.");

  handOff.Start(platform::Event::Create(false));
  std::vector<std::pair<Transfer, uint8_t>> seen;
  std::thread worker([&] {
    Transfer direction = Transfer::Write;
    uint8_t b = 0;
    while (handOff.NextRequest(direction, b)) {
      seen.emplace_back(direction, b);
      // A write moves its byte; the first read gets 0x42, the second nothing.
      const bool moved = direction == Transfer::Write || seen.size() == 2;
      handOff.Complete(moved ? 1 : 0, direction == Transfer::Read ? 0x42 : b);
    }
  });
  EXPECT_TRUE(handOff.Carry(Transfer::Write, 0x95).ok);
  ByteResult read = handOff.Carry(Transfer::Read, 0);
  EXPECT_TRUE(read.ok);
  EXPECT_EQ(read.byte, 0x42);
  EXPECT_FALSE(handOff.Carry(Transfer::Read, 0).ok);
  handOff.Stop();
  worker.join();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], std::make_pair(Transfer::Write, uint8_t{0x95}));
  EXPECT_EQ(seen[1].first, Transfer::Read);

  // A byte that no worker takes waits until the port closes.
  handOff.Start(platform::Event::Create(false));
  std::thread closer([&] {
    std::this_thread::sleep_for(50ms);
    handOff.Abort();
  });
  EXPECT_FALSE(handOff.Carry(Transfer::Write, 0x1B).ok);
  closer.join();
  EXPECT_TRUE(handOff.Aborted());
  EXPECT_TRUE(handOff.AbortEvent()->IsSet());
  EXPECT_FALSE(handOff.Carry(Transfer::Read, 0).ok);
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Błąd funkcji WaitForMultipleObjects.");
}

// Real files in a port folder: what is not a terminal is refused.
class PortFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link.ConnectSettleMs = 0;
    dir = std::filesystem::temp_directory_path() / ("kavoruw-ports-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    setenv("KAVORUW_PORT_DIR", dir.c_str(), 1);
  }
  void TearDown() override {
    link.CommPort.reset();
    unsetenv("KAVORUW_PORT_DIR");
    std::filesystem::remove_all(dir);
  }
  TPortLink link;
  std::filesystem::path dir;
};

TEST_F(PortFolderTest, MissingPortIsTwoAndStartsNoThread) {
  link.CommPort = std::make_unique<TComm>(link);
  link.CommPort->SetParams(4, 9600, 1, 1);
  EXPECT_EQ(link.CommPort->Connect(), 2);
  EXPECT_FALSE(link.CommPort->IsOpen());
}

TEST_F(PortFolderTest, RegularFileIsNotATerminal) {
  std::ofstream(dir / "COM4") << "x";
  link.CommPort = std::make_unique<TComm>(link);
  link.CommPort->SetParams(4, 9600, 1, 1);
  EXPECT_EQ(link.CommPort->Connect(), 6);
  EXPECT_FALSE(link.CommPort->IsOpen());
  EXPECT_EQ(Utf8(link.LinkError->Text()), "Niepoprawny uchwyt do urządzenia, proces przerwany.");
}

}  // namespace
}  // namespace kavoruw
