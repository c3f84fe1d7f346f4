#include "tools/printer_sim/frame.h"

#include <algorithm>
#include <cstdio>

namespace printer_sim {

std::string HexByte(uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", b);
  return text;
}

bool Frame::ReadData(size_t n, std::vector<uint8_t>& data) {
  data.clear();
  if (ended_) return false;
  data.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    uint8_t b;
    if (!io_.NextByte(b, io_.FrameTimeoutMs())) {
      ended_ = true;
      Note(HexByte(command_) + ": frame dropped after " + std::to_string(i) + " of " +
           std::to_string(n) + " data bytes");
      return false;
    }
    data.push_back(b);
  }
  return true;
}

bool Frame::ReadByte(uint8_t& b) {
  std::vector<uint8_t> data;
  if (!ReadData(1, data)) return false;
  b = data[0];
  return true;
}

void Frame::Send(const std::vector<uint8_t>& bytes) {
  if (ended_) {
    Note(HexByte(command_) + ": bytes after the end of the frame not sent");
    return;
  }
  // A muted printer says nothing, so the driver sends nothing more either.
  if (io_.Muted()) {
    ended_ = true;
    return;
  }
  size_t room =
      answerLimit_ == kUnlimited ? bytes.size() : (answerLimit_ > sent_ ? answerLimit_ - sent_ : 0);
  size_t take = std::min(room, bytes.size());
  if (take > 0) io_.SendToHost(std::vector<uint8_t>(bytes.begin(), bytes.begin() + take));
  sent_ += take;
  if (take < bytes.size()) {
    // The driver gives up on a cut answer and sends none of the data.
    ended_ = true;
    Note(HexByte(command_) + ": answer cut after " + std::to_string(sent_) + " bytes");
  }
}

void Frame::Answer(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> all;
  all.reserve(bytes.size() + 1);
  all.push_back(kAck);
  all.insert(all.end(), bytes.begin(), bytes.end());
  Send(all);
}

void Frame::Refuse(uint8_t b) {
  Send(b);
  ended_ = true;
}

void CommandTable::Register(uint8_t command, CommandHandler handler) {
  handlers_[command] = std::move(handler);
}

const CommandHandler* CommandTable::Find(uint8_t command) const {
  return handlers_[command] ? &handlers_[command] : nullptr;
}

}  // namespace printer_sim
