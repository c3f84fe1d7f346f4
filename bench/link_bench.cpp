// How much the link costs against what it moves.
//  1. One short status command through the engine (ESC 0x95, one byte back)
//     against a raw one-byte round trip on a bare pseudo-terminal pair.
//  2. One 49-byte item record through the engine against the time its bytes
//     take on the wire at 19200 baud.
//  3. A whole receipt of 100 items with payments and trailer lines against
//     the time all its bytes, both ways, take on the wire at 19200 baud.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "bench_link.h"
#include "kavoruw_core.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/receipt.h"
#include "printer_link/commands/receipt_buffers.h"
#include "printer_link/engine/engine.h"

namespace {

// A bare pseudo-terminal whose far end echoes every byte.
class EchoPty {
 public:
  EchoPty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master_);
    unlockpt(master_);
    slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
    echo_ = std::thread([this] {
      uint8_t b;
      pollfd p{master_, POLLIN, 0};
      while (!stop_.load()) {
        if (poll(&p, 1, 100) == 1 && read(master_, &b, 1) == 1) (void)!write(master_, &b, 1);
      }
    });
  }
  ~EchoPty() {
    stop_.store(true);
    echo_.join();
    close(slave_);
    close(master_);
  }
  bool RoundTrip(uint8_t b) {
    if (write(slave_, &b, 1) != 1) return false;
    pollfd p{slave_, POLLIN, 0};
    return poll(&p, 1, 1000) == 1 && read(slave_, &b, 1) == 1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::atomic<bool> stop_{false};
  std::thread echo_;
};

void BM_RawPtyRoundTrip(benchmark::State& state) {
  EchoPty pty;
  for (auto _ : state) {
    if (!pty.RoundTrip(0x95)) state.SkipWithError("no echo");
  }
}
BENCHMARK(BM_RawPtyRoundTrip)->UseRealTime()->Repetitions(5);

void BM_EngineStatusRoundTrip(benchmark::State& state) {
  bench::SimulatedLink link;
  if (!link.Ok()) return state.SkipWithError("no simulated printer");
  kavoruw::Block answer{};
  for (auto _ : state) {
    if (kavoruw::ExecuteSequence(kavoruw::Link(), 0x95, 1, {}, &answer) != 0)
      state.SkipWithError("failed");
  }
}
BENCHMARK(BM_EngineStatusRoundTrip)->UseRealTime()->Repetitions(5);

void BM_ItemRecord49(benchmark::State& state) {
  bench::SimulatedLink link;
  if (!link.Ok()) return state.SkipWithError("no simulated printer");
  link.Sim().SetScriptedAnswer(0x06, {}, 49);
  std::array<uint8_t, 49> data{};
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0x30 + i % 10);
  for (auto _ : state) {
    if (kavoruw::ExecuteSequence(kavoruw::Link(), 0x06, 0, data) != 0)
      state.SkipWithError("failed");
  }
  // The printer must have taken every byte before the next run starts.
  link.Sim().WaitReceived(state.iterations() * 51, 5000);
}
BENCHMARK(BM_ItemRecord49)->UseRealTime()->Repetitions(5);

// Bytes on the wire, both ways, of one receipt in BM_Receipt100.
double receiptWireBytes = 0;

void BM_Receipt100(benchmark::State& state) {
  bench::SimulatedLink link;
  if (!link.Ok()) return state.SkipWithError("no simulated printer");
  auto& sim = link.Sim();
  size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    sim.ClearLog();
    state.ResumeTiming();
    int32_t freeLines = 0;
    bool ok = kavoruw::FillPayment(1, "Gotowka", 600000, 0) == 0 &&
              kavoruw::FillPayment(2, "Karta", 0, 0) == 0 &&
              kavoruw::FillLines(0, "Dziekujemy za zakupy", &freeLines) == 0 &&
              kavoruw::FillLines(1, "Zapraszamy ponownie", &freeLines) == 0 &&
              kavoruw::ReceiptBegin() == 0;
    for (int i = 0; ok && i < 100; ++i) {
      int32_t value = 0;
      ok = kavoruw::ReceiptItem(1, "Artykul numer " + std::to_string(i), 1 + i % 4, 0, 1 + i % 3, 0,
                                "szt", 199 + i, value) == 0;
    }
    ok = ok && kavoruw::ReceiptEnd(0) == 0;
    if (!ok) state.SkipWithError("receipt failed");
    state.PauseTiming();
    sim.WaitReceived(sim.Received().size(), 1000);
    bytes += sim.Log().size();
    state.ResumeTiming();
  }
  if (state.iterations() > 0) receiptWireBytes = static_cast<double>(bytes) / state.iterations();
}
BENCHMARK(BM_Receipt100)->UseRealTime()->Repetitions(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double raw = reporter.Seconds("BM_RawPtyRoundTrip");
  const double status = reporter.Seconds("BM_EngineStatusRoundTrip");
  const double item = reporter.Seconds("BM_ItemRecord49");
  std::printf("\nstatus command / raw round trip: %.2f (target at most 1.5)\n",
              raw > 0 ? status / raw : 0.0);
  std::printf("49-byte record / wire time at 19200 baud: %.4f (target at most 0.03)\n",
              item / bench::WireSeconds(2 + 49));
  const double receipt = reporter.Seconds("BM_Receipt100");
  std::printf(
      "100-item receipt (%.0f bytes) / wire time at 19200 baud: %.4f (target at most 0.03)\n",
      receiptWireBytes,
      receiptWireBytes > 0 ? receipt / bench::WireSeconds(receiptWireBytes) : 0.0);
  benchmark::Shutdown();
  return 0;
}
