#pragma once
// A simulated fiscal printer on a pseudo-terminal. The driver opens the slave
// side as its serial port; one thread reads the master side and answers like
// a printer of the chosen device kind. Every byte both ways is logged.
//
// The simulator keeps its own descriptor of the slave open for its whole life,
// so the driver can close and reopen the port freely; bytes it sends while the
// port is closed wait there as stale input.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/printer_sim/printer_state.h"

namespace printer_sim {

enum class Direction : uint8_t { ToPrinter, ToHost };

struct LogEntry {
  Direction direction;
  uint8_t byte;
  friend bool operator==(const LogEntry&, const LogEntry&) = default;
};

class PrinterSim {
 public:
  explicit PrinterSim(uint8_t kind = 3);
  ~PrinterSim();  // stops
  PrinterSim(const PrinterSim&) = delete;
  PrinterSim& operator=(const PrinterSim&) = delete;

  // Opens a new pseudo-terminal and starts answering. False (errno set) when
  // the terminal cannot be opened. Start after Stop gives a new terminal.
  bool Start();
  void Stop();
  bool Running() const;
  // Path of the slave side; empty while stopped.
  std::string SlavePath() const;
  // Creates or replaces dir/COM<n> as a symbolic link to the slave side.
  bool LinkPort(const std::string& dir, int n) const;

  // The printer model.
  void SetKind(uint8_t kind);
  void SetVersion(uint8_t version);
  // index 1..6 for s1..s6; other indices are ignored (Status gives 0).
  void SetStatus(int index, uint8_t value);
  uint8_t Status(int index) const;
  // Records of a list command; each is cut or padded with zeros to the
  // command's record length.
  void SetListRecords(uint8_t command, std::vector<std::vector<uint8_t>> records);
  // The whole model, locked while the reference lives.
  StateRef State();

  // Faults. They act when a frame starts, before its handler.
  // The command gets firstByte instead of ACK and nothing more.
  void Refuse(uint8_t command, uint8_t firstByte);
  void ClearRefusals();
  // Nothing is sent any more once k more bytes have come from the driver.
  void SilentAfterReceived(size_t k);
  // The command sends only the first `bytes` bytes of its answer, ACK
  // included (and then expects none of its data).
  void TruncateAnswer(uint8_t command, size_t bytes);
  // A switched-off printer neither answers nor hears.
  void SetPowerOff(bool off);
  // The printer switches off at the k-th byte on the wire from now, counting
  // both ways from 0: a byte of the driver's from there on is not heard (a
  // frame it cuts is lost), an answer byte is not sent (the command has taken
  // effect). SetPowerOff(false) or ClearFaults switch it on again.
  void SwitchOffAtByte(size_t k);
  // A raw answer for any command, instead of its handler: `answer` (ACK
  // included, or empty), then, when it is empty or starts with ACK,
  // dataLength data bytes and `afterData`.
  void SetScriptedAnswer(uint8_t command, std::vector<uint8_t> answer, size_t dataLength = 0,
                         std::vector<uint8_t> afterData = {});
  // Undoes every fault above: refusals, silence, truncations, power off,
  // scripted answers.
  void ClearFaults();
  // Unsolicited bytes to the driver (stale input, a late answer).
  void InjectToHost(const std::vector<uint8_t>& bytes);
  // How long a frame waits for each of its bytes before it is dropped
  // (1000 ms at start).
  void SetFrameTimeout(int ms);

  // The byte log since the last ClearLog, entries from index `from` on.
  std::vector<LogEntry> Log(size_t from = 0) const;
  std::vector<uint8_t> Received() const;
  std::vector<uint8_t> Sent() const;
  // What the simulator noticed: skipped bytes, dropped frames, unknown
  // commands, cut answers.
  std::vector<std::string> Notes() const;
  void ClearLog();
  // Waits until n bytes have come from the driver since the last ClearLog
  // and the simulator has answered them as far as it can.
  bool WaitReceived(size_t n, int timeoutMs) const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace printer_sim
