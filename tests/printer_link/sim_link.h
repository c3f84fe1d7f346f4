#pragma once
// A simulated printer on a pseudo-terminal, linked as COM1 in a private port
// folder, with the driver's link opened on it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "printer_link/api/link_instance.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/port/comm.h"
#include "tools/printer_sim/printer_sim.h"

namespace kavoruw::testing {

using Bytes = std::vector<uint8_t>;

// ESC and the command byte of each command: the frames of commands that
// carry no data.
inline Bytes Frames(std::initializer_list<uint8_t> commands) {
  Bytes bytes;
  for (uint8_t c : commands) bytes.insert(bytes.end(), {0x1B, c});
  return bytes;
}

class SimLinkTest : public ::testing::Test {
 protected:
  explicit SimLinkTest(uint8_t kind = 3) : sim(kind) {}

  void SetUp() override {
    Link().ConnectSettleMs = 0;
    InitializeDriverUnit(Link());
    static int serial = 0;
    portDir = std::filesystem::temp_directory_path() /
              ("kavoruw-sim-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::create_directories(portDir);
    setenv("KAVORUW_PORT_DIR", portDir.c_str(), 1);
    ASSERT_TRUE(sim.Start());
    ASSERT_TRUE(sim.LinkPort(portDir.string(), 1));
    ASSERT_EQ(Open(), 0);
  }

  void TearDown() override {
    ClosePortObject();
    Link().CommPort.reset();
    sim.Stop();
    unsetenv("KAVORUW_PORT_DIR");
    std::filesystem::remove_all(portDir);
  }

  // Opens the link as the console does, with 1 s time-outs.
  int32_t Open(uint16_t writeSec = 1, uint16_t readSec = 1) {
    ClosePortObject();
    return DoOpenPort(1, 9600, writeSec, readSec);
  }

  // What reached the printer, once it has taken n bytes.
  std::vector<uint8_t> Wire(size_t n) {
    sim.WaitReceived(n, 2000);
    return sim.Received();
  }

  // Everything the driver sent since the log was cleared. A link test closes
  // it: once the printer has answered that, it has heard every earlier byte.
  Bytes WireUpToNow() {
    sim.ClearFaults();
    EXPECT_EQ(ExecuteSequence(Link(), '#', 1), 0);
    Bytes wire = sim.Received();
    const Bytes linkTest{0x1B, '#'};
    if (wire.size() < 2 || !std::equal(wire.end() - 2, wire.end(), linkTest.begin())) {
      ADD_FAILURE() << "the link test did not close the wire";
      return wire;
    }
    wire.erase(wire.end() - 2, wire.end());
    return wire;
  }

  printer_sim::PrinterSim sim;
  std::filesystem::path portDir;
};

}  // namespace kavoruw::testing
