// The wait for the end of a printout against the simulated printer: the
// status exchanges of each pattern, resuming a printout stopped for paper,
// the codes that end the wait, and what the host sees meanwhile.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "kavoruw_codes.h"
#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/print_control.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/port/comm.h"
#include "sim_link.h"

namespace kavoruw {
namespace {

using testing::Bytes;
using testing::Frames;

constexpr uint8_t kS3 = 0x95;
constexpr uint8_t kS2 = 0x94;
constexpr uint8_t kStar = '*';

// The commands as they reach the printer, each after ESC.
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Bytes kFirstRead = Frames({kS3});
const Bytes kCycle = Frames({kS3, kS2, kS3});
const Bytes kPaperCheck = Frames({kS3});
const Bytes kResume = Frames({kS3, kStar});

const std::string kPrintout = "Trwa wydruk...";
const std::string kCheck = "Trwa kontrola wydruku...";
const std::string kResuming = "Wznawianie wydruku...";

using Wait = std::function<int32_t(int32_t)>;
const Wait kPrintControl = [](int32_t mode) { return PrintControl(mode); };
const Wait kWaitPrintEnd = [](int32_t mode) { return WaitPrintEnd(Link(), mode); };

class PrintControlTest : public testing::SimLinkTest {
 protected:
  void SetUp() override {
    SimLinkTest::SetUp();
    InstallConsoleHooks(Link(), {[this](const std::string& text) {
                                   texts.push_back(platform::Utf8FromCp1250(text));
                                 },
                                 [this] {
                                   ++pumps;
                                   if (onPump) onPump(pumps);
                                 }});
  }
  void TearDown() override {
    InstallConsoleHooks(Link(), {});
    SimLinkTest::TearDown();
  }

  void Reset() {
    sim.ClearLog();
    texts.clear();
    pumps = 0;
  }
  // A document waiting in memory for `documentPolls` print-status reads,
  // then printing for `printingPolls`; it halts for paper until `resumes`
  // '*' have come; the paper runs out after `paperOutAfter` reads.
  void Job(int documentPolls, int printingPolls, int resumes = 0, int paperOutAfter = 0) {
    sim.State()->job = {documentPolls, printingPolls, resumes, paperOutAfter};
  }

  std::vector<std::string> texts;
  int pumps = 0;
  std::function<void(int)> onPump;
};

TEST_F(PrintControlTest, IdlePrinterTakesOneReadAndOneCycleInEveryMode) {
  const std::pair<int32_t, std::vector<std::string>> modes[] = {
      {kPrintoutMode, {kPrintout}}, {kCheckMode, {kCheck}}, {2, {}}};
  for (bool pumping : {true, false}) {
    const Wait& wait = pumping ? kPrintControl : kWaitPrintEnd;
    for (const auto& [mode, text] : modes) {
      Reset();
      EXPECT_EQ(wait(mode), 0) << mode;
      EXPECT_EQ(Wire(8), (Bytes{0x1B, 0x95, 0x1B, 0x95, 0x1B, 0x94, 0x1B, 0x95})) << mode;
      EXPECT_EQ(texts, text) << mode;
      // Before the first read, before the cycle and after each of its reads.
      EXPECT_EQ(pumps, pumping ? 4 : 0) << mode;
    }
  }
}

TEST_F(PrintControlTest, StatusThatEndsTheWaitAtOnce) {
  struct Case {
    uint8_t s3;
    int32_t code;
    Bytes wire;
  };
  const Case cases[] = {
      {0x02, kErrNoPaper, kFirstRead},                        // before any cycle
      {0x80, kErrNoControllerLink, kFirstRead + kFirstRead},  // though the pattern is "000"
      {0x84, kErrNoControllerLink, kFirstRead + kFirstRead},
      {0x04, kErrPrinterFailure, kFirstRead + kFirstRead},
      {0x45, kErrPrinterFailure, kFirstRead + kFirstRead},
  };
  for (const Wait& wait : {kPrintControl, kWaitPrintEnd}) {
    for (const Case& c : cases) {
      sim.SetStatus(3, c.s3);
      Reset();
      EXPECT_EQ(wait(kPrintoutMode), c.code) << int(c.s3);
      EXPECT_EQ(Wire(c.wire.size()), c.wire) << int(c.s3);
    }
  }
}

TEST_F(PrintControlTest, PrintingIsFollowedByAPaperCheck) {
  Job(0, 3);
  EXPECT_EQ(PrintControl(kPrintoutMode), 0);
  const Bytes wire = kFirstRead + kCycle + kPaperCheck + kCycle;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(pumps, 1 + 3 + 1 + 3);
}

TEST_F(PrintControlTest, PaperRunningOutWhilePrintingIsFoundByThePaperCheck) {
  Job(0, 5, 0, 3);
  EXPECT_EQ(WaitPrintEnd(Link(), kCheckMode), kErrNoPaper);
  const Bytes wire = kFirstRead + kCycle + kPaperCheck;
  EXPECT_EQ(Wire(wire.size()), wire);
}

TEST_F(PrintControlTest, DocumentWaitingInMemoryByMode) {
  // Three reads in, the cycle sees the document ("100"); it prints for one read.
  Job(3, 1);
  EXPECT_EQ(PrintControl(kPrintoutMode), 0);
  Bytes wire = kFirstRead + kCycle + kPaperCheck + kCycle;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(texts, (std::vector<std::string>{kPrintout}));

  Reset();
  Job(3, 1);
  EXPECT_EQ(PrintControl(kCheckMode), 0);
  wire = kFirstRead + kCycle + kResume + kFirstRead + kCycle + kCycle;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(texts, (std::vector<std::string>{kCheck, kResuming, kPrintout}));

  Reset();
  Job(3, 1);
  EXPECT_EQ(PrintControl(2), 0);
  wire = kFirstRead + kCycle + kCycle;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_TRUE(texts.empty());
}

TEST_F(PrintControlTest, StopForPaperIsResumedWithAWaitOfItsOwn) {
  Job(0, 2, 1);
  EXPECT_EQ(PrintControl(kPrintoutMode), 0);
  const Bytes wire = kFirstRead + kCycle + kResume + kFirstRead + kCycle + kCycle;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(texts, (std::vector<std::string>{kPrintout, kResuming, kPrintout}));
  EXPECT_EQ(pumps, 1 + 3 + (1 + 3) + 3);
}

TEST_F(PrintControlTest, PrinterThatKeepsStoppingGetsStarAgainOnTheNextCycle) {
  Job(0, 1, 3);
  EXPECT_EQ(PrintControl(kCheckMode), 0);
  // One nested wait; the later '*' come from its cycles, with no new wait.
  const Bytes wire = kFirstRead + kCycle + kResume + kFirstRead + kCycle + kResume + kCycle +
                     kResume + kCycle + kCycle;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(texts, (std::vector<std::string>{kCheck, kResuming, kPrintout, kResuming, kPrintout,
                                             kResuming, kPrintout}));
}

TEST_F(PrintControlTest, WaitPrintEndNeverLetsEventsRunEvenWhileResuming) {
  Job(0, 2, 1);
  EXPECT_EQ(WaitPrintEnd(Link(), kPrintoutMode), 0);
  const Bytes wire = kFirstRead + kCycle + kResume + kFirstRead + kCycle + kCycle;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(pumps, 0);
}

TEST_F(PrintControlTest, OperatorLoadsPaperDuringTheWait) {
  // The paper runs out on the cycle's first read; the resume is refused
  // until the lamp goes out, which happens while events run.
  Job(0, 5, 0, 2);
  onPump = [this](int n) {
    if (n == 5) sim.SetStatus(3, 0x00);
  };
  EXPECT_EQ(PrintControl(kPrintoutMode), 0);
  const Bytes wire = kFirstRead + kCycle + kPaperCheck + kCycle + kResume + kFirstRead + kCycle +
                     kPaperCheck + kCycle + kCycle;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(texts, (std::vector<std::string>{kPrintout, kResuming, kResuming, kPrintout}));
}

TEST_F(PrintControlTest, RefusedResumeIsNotReportedAndThePollGoesOn) {
  Link().DriverState.Receipt.Begun();
  Job(0, 1, 1);
  onPump = [](int n) {
    if (n == 6) Link().DriverState.Receipt.Closed();
  };
  EXPECT_EQ(PrintControl(kPrintoutMode), 0);
  const Bytes wire = kFirstRead + kCycle + kCycle + kResume + kFirstRead + kCycle + kCycle;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(texts, (std::vector<std::string>{kPrintout, kResuming, kResuming, kPrintout}));
}

TEST_F(PrintControlTest, PrintResumeOnItsOwn) {
  EXPECT_EQ(PrintResume(), 0);
  Bytes wire = kResume + kFirstRead + kCycle;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(texts, (std::vector<std::string>{kResuming, kPrintout}));

  Reset();
  sim.SetStatus(3, 0x02);
  EXPECT_EQ(PrintResume(), kErrNoPaper);
  EXPECT_EQ(texts, (std::vector<std::string>{kResuming}));

  Reset();
  sim.SetStatus(3, 0x00);
  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(PrintResume(), kErrReceiptOpen);
  Link().DriverState.Receipt.Closed();
  uint8_t s3 = 0xEE;
  EXPECT_EQ(ReadStatusByte(Link(), kS3, s3), 0);
  // Nothing went out before this read, and no paper check came first.
  EXPECT_EQ(Wire(2), kFirstRead);
  EXPECT_EQ(s3, 0x00);

  Reset();
  sim.Refuse(kStar, 0x15);
  EXPECT_EQ(PrintResume(), kErrNak);
  EXPECT_EQ(Wire(4), kResume);
}

TEST_F(PrintControlTest, PortClosedOrAbortedEndsThePoll) {
  // Closed after the cycle's 0x94: the failed 0x95 still gets its pump.
  Job(0, 50);
  onPump = [](int n) {
    if (n == 3) ClosePortObject();
  };
  EXPECT_EQ(PrintControl(kPrintoutMode), kErrTransmit);
  EXPECT_EQ(pumps, 4);
  EXPECT_EQ(Wire(6), Frames({kS3, kS3, kS2}));

  // Closed inside the nested wait of a resume: the outer poll ends as well.
  ASSERT_EQ(Open(), 0);
  Reset();
  Job(0, 50, 1);
  onPump = [](int n) {
    if (n == 6) ClosePortObject();
  };
  EXPECT_EQ(PrintControl(kPrintoutMode), kErrTransmit);
  Bytes wire = kFirstRead + kCycle + kResume + kFirstRead;
  EXPECT_EQ(Wire(wire.size()), wire);
  EXPECT_EQ(pumps, 7);

  ASSERT_EQ(Open(), 0);
  Reset();
  Job(0, 50);
  onPump = [](int n) {
    if (n == 2) Link().CommPort->HandOff().Abort();
  };
  EXPECT_EQ(PrintControl(kCheckMode), kErrTransmit);
  EXPECT_EQ(Wire(2), kFirstRead);
}

TEST_F(PrintControlTest, SilentPrinterEndsThePollWithTheReceiveTimeOut) {
  Job(0, 50);
  sim.SilentAfterReceived(7);
  EXPECT_EQ(PrintControl(kPrintoutMode), kErrReceive);
  EXPECT_EQ(Wire(8), kFirstRead + kCycle);
}

TEST_F(PrintControlTest, LinkDownWithoutStoredPort) {
  Link().DriverState.LinkUp = false;
  EXPECT_EQ(PrintControl(kCheckMode), kErrNoPortNumber);
  EXPECT_EQ(WaitPrintEnd(Link(), kPrintoutMode), kErrNoPortNumber);
  EXPECT_EQ(PrintResume(), kErrNoPortNumber);
  EXPECT_EQ(texts, (std::vector<std::string>{kCheck, kPrintout, kResuming}));
  EXPECT_EQ(pumps, 0);
  EXPECT_TRUE(Link().PortIsOpen());
}

TEST_F(PrintControlTest, ExceptionFromTheHostIsInternalError) {
  onPump = [](int) { throw std::runtime_error("host"); };
  EXPECT_EQ(PrintControl(kPrintoutMode), kErrInternal);
  EXPECT_EQ(PrintResume(), kErrInternal);
}

}  // namespace
}  // namespace kavoruw
