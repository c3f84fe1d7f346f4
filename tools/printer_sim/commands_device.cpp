// Identification and status bytes.
#include "tools/printer_sim/commands.h"

namespace printer_sim {

namespace {

// Command bytes and their handlers.
constexpr uint8_t kDeviceType = 0xFF;
constexpr uint8_t kDeviceVersion = 0xFE;

void DeviceTypeCommand(Frame& frame) {
  uint8_t kind = frame.State()->kind;
  frame.Answer({TypeByte(kind)});
}

void DeviceVersionCommand(Frame& frame) {
  uint8_t kind, version;
  {
    StateRef state = frame.State();
    kind = state->kind;
    version = state->version;
  }
  if (!AnswersVersionQuery(kind)) {
    frame.Refuse(kNak);
    return;
  }
  frame.Answer({TypeByte(kind), version, 0x00});
}

}  // namespace

void RegisterIdentificationCommands(CommandTable& table) {
  table.Register(kDeviceType, &DeviceTypeCommand);
  table.Register(kDeviceVersion, &DeviceVersionCommand);
}

void RegisterStatusCommands(CommandTable& table) {
  struct Query {
    uint8_t command;
    size_t index;
  };
  static constexpr Query kQueries[] = {{'[', 0}, {'T', 1}, {'U', 2}, {'V', 3}, {'_', 4}, {'P', 5}};
  for (const Query& query : kQueries) {
    size_t index = query.index;
    table.Register(query.command, [index](Frame& frame) {
      bool known;
      uint8_t value;
      {
        StateRef state = frame.State();
        known = index < 4 || HasSixStatusBytes(*state);
        value = ReadStatusByte(*state, index);
      }
      if (!known) {
        frame.Refuse(kNak);
        return;
      }
      frame.Answer({value});
    });
    // s1..s4 also have a short form, 0x40 above, answered without ACK.
    if (index < 4) {
      table.Register(static_cast<uint8_t>(query.command + 0x40), [index](Frame& frame) {
        uint8_t value = ReadStatusByte(*frame.State(), index);
        frame.Send(value);
      });
    }
  }
}

}  // namespace printer_sim
