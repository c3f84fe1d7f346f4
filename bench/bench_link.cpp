#include "bench_link.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "kavoruw_core.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/port/comm.h"

namespace bench {

SimulatedLink::SimulatedLink(uint8_t kind) : sim_(kind) {
  kavoruw::Link().ConnectSettleMs = 0;
  kavoruw::InitializeDriverUnit(kavoruw::Link());
  dir_ = (std::filesystem::temp_directory_path() / ("kavoruw-bench-" + std::to_string(::getpid())))
             .string();
  std::filesystem::create_directories(dir_);
  setenv("KAVORUW_PORT_DIR", dir_.c_str(), 1);
  ok_ = sim_.Start() && sim_.LinkPort(dir_, 1) && kavoruw::DoOpenPort(1, 19200, 3, 5) == 0;
}

SimulatedLink::~SimulatedLink() {
  kavoruw::ClosePortObject();
  kavoruw::Link().CommPort.reset();
  sim_.Stop();
  std::filesystem::remove_all(dir_);
}

void RecordingReporter::ReportRuns(const std::vector<Run>& runs) {
  // The fastest repetition of each benchmark: what the code costs when the
  // rest of the machine leaves it alone.
  for (const Run& run : runs) {
    if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
    const double seconds = run.real_accumulated_time / run.iterations;
    auto [it, fresh] = seconds_.try_emplace(run.run_name.function_name, seconds);
    if (!fresh && seconds < it->second) it->second = seconds;
  }
  ConsoleReporter::ReportRuns(runs);
}

double RecordingReporter::Seconds(const std::string& name) const {
  auto it = seconds_.find(name);
  return it == seconds_.end() ? 0.0 : it->second;
}

}  // namespace bench
