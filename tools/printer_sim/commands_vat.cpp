// VAT rates: 0xD1 0xD0 'p' read, 0xD5 0xD4 'D' write.
#include <algorithm>

#include "tools/printer_sim/commands.h"

namespace printer_sim {

namespace {

enum class Generation { FourRates, SixRates, SevenRates };

Generation GenerationOf(uint8_t kind) {
  if (kind == 0 || kind == 4) return Generation::FourRates;
  if (kind == 1 || kind == 2 || kind == 5) return Generation::SixRates;
  return Generation::SevenRates;
}

std::vector<uint8_t> Words(const uint16_t* words, size_t n) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < n; ++i) {
    bytes.push_back(static_cast<uint8_t>(words[i] >> 8));
    bytes.push_back(static_cast<uint8_t>(words[i] & 0xFF));
  }
  return bytes;
}

template <size_t N>
std::array<uint16_t, N> FromWords(const std::vector<uint8_t>& data) {
  std::array<uint16_t, N> words{};
  for (size_t i = 0; i < N; ++i) {
    words[i] = static_cast<uint16_t>(data[2 * i] << 8 | data[2 * i + 1]);
  }
  return words;
}

// A rate above 100 % that is not one of the generation's codes is nonsense
// to the printer: it keeps its old rates.
bool Plausible(Generation generation, const std::vector<uint8_t>& data) {
  switch (generation) {
    case Generation::FourRates:
      return std::all_of(data.begin(), data.end(), [](uint8_t b) { return b <= 100 || b == 255; });
    case Generation::SixRates:
      for (uint16_t w : FromWords<6>(data)) {
        if (w > 10000 && w != 0xFF00) return false;
      }
      return true;
    case Generation::SevenRates:
      for (uint16_t w : FromWords<7>(data)) {
        if (w >= 10000 && w != 0x8000 && w != 0x4000) return false;
      }
      return true;
  }
  return false;
}

size_t DataLength(Generation generation) {
  switch (generation) {
    case Generation::FourRates: return 4;
    case Generation::SixRates: return 12;
    case Generation::SevenRates: return 14;
  }
  return 0;
}

void RegisterRead(CommandTable& table, uint8_t command, Generation generation) {
  table.Register(command, [generation](Frame& frame) {
    std::vector<uint8_t> answer;
    bool mine;
    {
      StateRef state = frame.State();
      mine = GenerationOf(state->kind) == generation;
      switch (generation) {
        case Generation::FourRates:
          answer.assign(state->vat.fourRates.begin(), state->vat.fourRates.end());
          break;
        case Generation::SixRates:
          answer = Words(state->vat.sixRates.data(), state->vat.sixRates.size());
          break;
        case Generation::SevenRates:
          answer = Words(state->vat.sevenRates.data(), state->vat.sevenRates.size());
          break;
      }
    }
    if (!mine) {
      frame.Refuse(kNak);
      return;
    }
    frame.Answer(answer);
  });
}

void RegisterWrite(CommandTable& table, uint8_t command, Generation generation) {
  table.Register(command, [generation](Frame& frame) {
    bool mine, salesPending;
    {
      StateRef state = frame.State();
      mine = GenerationOf(state->kind) == generation;
      salesPending = state->receiptCounter != 0;
    }
    // Rates change only right after a daily report.
    if (!mine || salesPending) {
      frame.Refuse(kNak);
      return;
    }
    frame.Answer({});
    std::vector<uint8_t> data;
    if (!frame.ReadData(DataLength(generation), data)) return;
    if (!Plausible(generation, data)) {
      frame.Note(HexByte(frame.Command()) + ": implausible rates ignored");
      return;
    }
    StateRef state = frame.State();
    switch (generation) {
      case Generation::FourRates:
        std::copy(data.begin(), data.end(), state->vat.fourRates.begin());
        break;
      case Generation::SixRates: state->vat.sixRates = FromWords<6>(data); break;
      case Generation::SevenRates: state->vat.sevenRates = FromWords<7>(data); break;
    }
    // The printer prints the new rates.
    StartPrintout(*state);
  });
}

}  // namespace

void RegisterVatCommands(CommandTable& table) {
  RegisterRead(table, 0xD1, Generation::SevenRates);
  RegisterRead(table, 0xD0, Generation::SixRates);
  RegisterRead(table, 'p', Generation::FourRates);
  RegisterWrite(table, 0xD5, Generation::SevenRates);
  RegisterWrite(table, 0xD4, Generation::SixRates);
  RegisterWrite(table, 'D', Generation::FourRates);
}

}  // namespace printer_sim
