#pragma once
// One command frame as the printer sees it, and the table of command handlers.
//
// A frame starts after ESC and the command byte. Its handler answers (ACK and
// answer bytes, or one refusal byte), reads the command's data bytes by their
// known length and may send a byte after the data. Data bytes may hold 0x1B,
// so they are never scanned for ESC.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/printer_sim/printer_state.h"

namespace printer_sim {

inline constexpr uint8_t kEsc = 0x1B;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kNak = 0x15;
inline constexpr uint8_t kEndOfList = 0xFF;
inline constexpr size_t kUnlimited = static_cast<size_t>(-1);

// The simulator's side of a frame.
class FrameIo {
 public:
  // The next byte from the driver; false after timeoutMs or when the
  // simulator stops.
  virtual bool NextByte(uint8_t& b, int timeoutMs) = 0;
  virtual void SendToHost(const std::vector<uint8_t>& bytes) = 0;
  // Silent or switched off: nothing leaves the printer.
  virtual bool Muted() const = 0;
  virtual StateRef State() = 0;
  virtual void Note(const std::string& text) = 0;
  virtual int FrameTimeoutMs() const = 0;

 protected:
  ~FrameIo() = default;
};

class Frame {
 public:
  // answerLimit: how many bytes the frame may send in all (TruncateAnswer).
  Frame(FrameIo& io, uint8_t command, size_t answerLimit = kUnlimited)
      : io_(io), command_(command), answerLimit_(answerLimit) {}
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;

  uint8_t Command() const { return command_; }

  // Reads n data bytes, each within the frame time-out. False when the frame
  // has ended (refused, answer cut short, muted) or a byte did not come: the
  // frame is then dropped and the handler returns.
  bool ReadData(size_t n, std::vector<uint8_t>& data);
  bool ReadByte(uint8_t& b);

  // Sends raw bytes (a status byte, an after-data byte).
  void Send(const std::vector<uint8_t>& bytes);
  void Send(uint8_t b) { Send(std::vector<uint8_t>{b}); }
  // ACK followed by the answer bytes.
  void Answer(const std::vector<uint8_t>& bytes);
  // One refusal byte instead of ACK; the driver then sends no data.
  void Refuse(uint8_t b = kNak);

  // The frame expects nothing more from the driver.
  bool Ended() const { return ended_; }

  StateRef State() { return io_.State(); }
  void Note(const std::string& text) { io_.Note(text); }

 private:
  FrameIo& io_;
  uint8_t command_;
  size_t answerLimit_;
  size_t sent_ = 0;
  bool ended_ = false;
};

using CommandHandler = std::function<void(Frame&)>;

class CommandTable {
 public:
  void Register(uint8_t command, CommandHandler handler);
  // nullptr for a command the printer does not know.
  const CommandHandler* Find(uint8_t command) const;

 private:
  std::array<CommandHandler, 256> handlers_;
};

// "0x1B" for notes.
std::string HexByte(uint8_t b);

}  // namespace printer_sim
