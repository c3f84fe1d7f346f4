// Service and settings: 'W' 'X' 'Y' 'C' 'F' 't' '2' 'w' apostrophe 0xFD 'q', user data 0x9C 0x9D
// 0x9E '3'.
#include <algorithm>

#include "tools/printer_sim/commands.h"
#include "tools/printer_sim/status_bits.h"

namespace printer_sim {

namespace {

constexpr size_t kUserDataLines = 4;
constexpr size_t kUniqueNumberLength = 11;

// Width flag 1 is a 20-character line, any other flag a 40-character one.
size_t LineWidth(uint8_t flag) { return flag == 1 ? 20 : 40; }

bool IsPharmacy(uint8_t kind) { return kind >= 4 && kind <= 6; }

// A command without data that only needs its ACK; `act` runs on the state
// first, so the driver never sees the ACK before the change.
template <typename Act>
void RegisterSimple(CommandTable& table, uint8_t command, Act act) {
  table.Register(command, [act](Frame& frame) {
    act(*frame.State());
    frame.Answer({});
  });
}

// A command with one data byte after its ACK.
template <typename Take>
void RegisterOneByte(CommandTable& table, uint8_t command, Take take) {
  table.Register(command, [take](Frame& frame) {
    frame.Answer({});
    uint8_t b;
    if (!frame.ReadByte(b)) return;
    take(frame, b);
  });
}

namespace {

// Command bytes and their handlers.
constexpr uint8_t kWriteUserData = 0x9C;
constexpr uint8_t kPrintUserData = '3';
constexpr uint8_t kSetPrinterNumber = 'C';
constexpr uint8_t kClearPriceBuffer = 'w';
constexpr uint8_t kPowerOff = 0xFD;
constexpr uint8_t kUniqueNumber = 'q';

void WriteUserDataCommand(Frame& frame) {
  frame.Answer({});
  std::vector<uint8_t> head, text;
  if (!frame.ReadData(2, head) || !frame.ReadData(LineWidth(head[1]), text)) return;
  const uint8_t line = head[0];
  uint8_t result;
  {
    StateRef state = frame.State();
    result = state->service.userDataWriteResult;
    if (line < 1 || line > kUserDataLines) result = result != 0 ? result : 1;
    if (result == 0) {
      auto& stored = state->service.userData[line - 1];
      stored.width = head[1];
      stored.text.assign(text.begin(), text.end());
      stored.text.resize(40, ' ');
      stored.written = true;
      const auto& all = state->service.userData;
      if (std::all_of(all.begin(), all.end(), [](const auto& l) { return l.written; })) {
        state->status[status::kFiscal] |= status::kUserDataWritten;
      }
    }
  }
  if (result != 0) frame.Note("0x9C: line " + std::to_string(line) + " refused");
  frame.Send(result);
}

void PrintUserDataCommand(Frame& frame) {
  frame.Answer({});
  std::array<std::string, kUserDataLines> lines;
  for (std::string& line : lines) {
    uint8_t width;
    if (!frame.ReadByte(width)) return;
    if (width > 1) {
      // The rest of the frame cannot be measured; the main loop skips it.
      frame.Note("'3': bad width byte " + HexByte(width));
      return;
    }
    std::vector<uint8_t> text;
    if (!frame.ReadData(width == 1 ? 20 : 40, text)) return;
    line.assign(text.begin(), text.end());
  }
  uint8_t closing;
  if (!frame.ReadByte(closing)) return;
  StateRef state = frame.State();
  state->service.controlLines = lines;
  ++state->service.controlPrintouts;
  StartPrintout(*state);
}

void SetPrinterNumberCommand(Frame& frame) {
  frame.Answer({});
  std::vector<uint8_t> data;
  if (!frame.ReadData(4, data)) return;
  std::copy(data.begin(), data.end(), frame.State()->service.printerNumber.begin());
}

void ClearPriceBufferCommand(Frame& frame) {
  bool known;
  {
    StateRef state = frame.State();
    known = IsPharmacy(state->kind);
    if (known) ++state->service.priceBufferClears;
  }
  if (known) frame.Answer({});
  else frame.Refuse(kNak);
}

void PowerOffCommand(Frame& frame) {
  frame.Answer({});
  std::vector<uint8_t> data;
  if (!frame.ReadData(5, data)) return;
  if (!std::all_of(data.begin(), data.end(), [](uint8_t b) { return b == '0'; })) {
    frame.Note("0xFD: power-off data not \"00000\", ignored");
    return;
  }
  frame.State()->service.poweredOff = true;
  frame.Note("0xFD: power off");
}

void UniqueNumberCommand(Frame& frame) {
  std::string number = frame.State()->service.uniqueNumber;
  number.resize(kUniqueNumberLength, ' ');
  frame.Answer(std::vector<uint8_t>(number.begin(), number.end()));
}

}  // namespace

void RegisterUserDataCommands(CommandTable& table) {
  table.Register(kWriteUserData, &WriteUserDataCommand);

  // 0x9D on the older models, 0x9E on the pharmacy one.
  for (uint8_t command : {uint8_t{0x9D}, uint8_t{0x9E}}) {
    table.Register(command, [command](Frame& frame) {
      const uint8_t kind = frame.State()->kind;
      const bool known = command == 0x9E ? kind == 6 : (kind == 2 || kind == 3);
      if (!known) {
        frame.Refuse(kNak);
        return;
      }
      frame.Answer({});
      uint8_t line;
      if (!frame.ReadByte(line)) return;
      if (line < 1 || line > kUserDataLines) {
        frame.Note(HexByte(command) + ": no line " + std::to_string(line));
        return;
      }
      std::vector<uint8_t> raw{line};
      {
        StateRef state = frame.State();
        const auto& stored = state->service.userData[line - 1];
        raw.push_back(stored.width);
        raw.insert(raw.end(), stored.text.begin(), stored.text.end());
      }
      raw.resize(42, ' ');
      frame.Send(raw);
    });
  }

  table.Register(kPrintUserData, &PrintUserDataCommand);
}

}  // namespace

void RegisterServiceCommands(CommandTable& table) {
  for (uint8_t drawer = 1; drawer <= 3; ++drawer) {
    RegisterSimple(table, static_cast<uint8_t>('W' + drawer - 1), [drawer](PrinterState& state) {
      state.service.lastDrawer = drawer;
      state.status[status::kService] &= static_cast<uint8_t>(~status::kDrawerClosed);
    });
  }

  table.Register(kSetPrinterNumber, &SetPrinterNumberCommand);

  RegisterOneByte(table, 'F',
                  [](Frame& frame, uint8_t n) { frame.State()->service.feedCount = n; });

  // The answer goes before the data, so a bad value cannot be refused; the
  // printer keeps its setting.
  RegisterOneByte(table, 't', [](Frame& frame, uint8_t mode) {
    if (mode < '0' || mode > '2') {
      frame.Note("'t': rounding mode " + HexByte(mode) + " ignored");
      return;
    }
    frame.State()->service.rounding = mode;
  });
  RegisterOneByte(table, '2', [](Frame& frame, uint8_t step) {
    if (step > 2) {
      frame.Note("'2': display step " + std::to_string(step) + " ignored");
      return;
    }
    frame.State()->service.displayStep = step;
  });

  // Only the pharmacy models keep a price buffer.
  table.Register(kClearPriceBuffer, &ClearPriceBufferCommand);

  RegisterSimple(table, '\'', [](PrinterState& state) {
    ++state.service.epromTests;
    StartPrintout(state);
  });

  table.Register(kPowerOff, &PowerOffCommand);

  table.Register(kUniqueNumber, &UniqueNumberCommand);

  RegisterUserDataCommands(table);
}

}  // namespace printer_sim
