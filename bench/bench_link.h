#pragma once
// A simulated printer with the driver's link open on it, for benchmarks, and
// the collection of results so that a run can print its ratios.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/printer_sim/printer_sim.h"

namespace bench {

// Starts a simulated printer of the given kind, links it as COM1 in a
// private port folder and opens the driver's link at 19200 baud.
class SimulatedLink {
 public:
  explicit SimulatedLink(uint8_t kind = 3);
  ~SimulatedLink();
  printer_sim::PrinterSim& Sim() { return sim_; }
  bool Ok() const { return ok_; }

 private:
  printer_sim::PrinterSim sim_;
  std::string dir_;
  bool ok_ = false;
};

// Seconds that n bytes take on the wire at 19200 baud, 11 bits a byte
// (start, 8 data, even parity, stop).
inline double WireSeconds(size_t bytes) { return bytes * 11.0 / 19200.0; }

// Remembers the real time per iteration of the fastest repetition of every
// benchmark, by name.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  // Seconds per iteration; 0 when the benchmark did not run.
  double Seconds(const std::string& name) const;

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace bench
