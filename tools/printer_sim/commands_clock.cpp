// Clock: '5' 0x40 read, '4' set, '6' shift.
//
// '4' is accepted only while the CMOS-erased bit (s2 bit 4) is set; a valid
// setting clears it, zeroes the seconds and prints. '6' moves the clock by
// 1..60 minutes, once a day and only with no receipts since the daily report.
#include <chrono>

#include "tools/printer_sim/commands.h"
#include "tools/printer_sim/status_bits.h"

namespace printer_sim {

namespace {

std::vector<uint8_t> Digits(const std::array<uint8_t, 6>& now, size_t fields) {
  std::vector<uint8_t> digits;
  for (size_t i = 0; i < fields; ++i) {
    digits.push_back(now[i] / 10);
    digits.push_back(now[i] % 10);
  }
  return digits;
}

// Fields from pairs of digit values; false for a byte that is not one.
bool Fields(const std::vector<uint8_t>& data, std::array<uint8_t, 6>& fields) {
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    if (data[i] > 9 || data[i + 1] > 9) return false;
    fields[i / 2] = static_cast<uint8_t>(data[i] * 10 + data[i + 1]);
  }
  return true;
}

std::chrono::year_month_day DateOf(const std::array<uint8_t, 6>& t) {
  using namespace std::chrono;
  return year{2000 + t[0]} / month{t[1]} / day{t[2]};
}

bool ValidTime(const std::array<uint8_t, 6>& t) { return DateOf(t).ok() && t[3] < 24 && t[4] < 60; }

std::array<uint8_t, 6> Shifted(const std::array<uint8_t, 6>& t, int minutes) {
  using namespace std::chrono;
  const sys_time<std::chrono::minutes> moved =
      sys_days{DateOf(t)} + hours{t[3]} + std::chrono::minutes{t[4] + minutes};
  const sys_days day = floor<days>(moved);
  const year_month_day date{day};
  const hh_mm_ss<std::chrono::minutes> time{moved - day};
  return {static_cast<uint8_t>((static_cast<int>(date.year()) - 2000 + 100) % 100),
          static_cast<uint8_t>(static_cast<unsigned>(date.month())),
          static_cast<uint8_t>(static_cast<unsigned>(date.day())),
          static_cast<uint8_t>(time.hours().count()),
          static_cast<uint8_t>(time.minutes().count()),
          t[5]};
}

std::array<uint8_t, 3> DayOf(const std::array<uint8_t, 6>& t) { return {t[0], t[1], t[2]}; }

void RegisterRead(CommandTable& table, uint8_t command, size_t fields) {
  table.Register(command, [fields](Frame& frame) {
    std::vector<uint8_t> answer;
    bool known;
    {
      StateRef state = frame.State();
      // Only the second generation (and newer devices) tell the seconds.
      known = fields == 5 || state->kind == 3 || state->kind == 6 || state->kind >= kKindOther;
      answer = Digits(state->clock.now, fields);
    }
    if (!known) {
      frame.Refuse(kNak);
      return;
    }
    frame.Answer(answer);
  });
}

}  // namespace

namespace {

// Command bytes and their handlers.
constexpr uint8_t kSetClock = '4';
constexpr uint8_t kShiftClock = '6';

void SetClockCommand(Frame& frame) {
  if ((frame.State()->status[status::kPrinter] & status::kCmosErased) == 0) {
    frame.Refuse(kNak);
    return;
  }
  frame.Answer({});
  std::vector<uint8_t> data;
  if (!frame.ReadData(10, data)) return;
  std::array<uint8_t, 6> t{};
  if (!Fields(data, t) || !ValidTime(t)) {
    frame.Note("0x34: invalid clock setting ignored");
    return;
  }
  StateRef state = frame.State();
  state->clock.now = t;
  state->status[status::kPrinter] &= static_cast<uint8_t>(~status::kCmosErased);
  StartPrintout(*state);
}

void ShiftClockCommand(Frame& frame) {
  bool refused;
  {
    StateRef state = frame.State();
    refused = state->receiptCounter != 0 || state->clock.lastShiftDay == DayOf(state->clock.now);
  }
  if (refused) {
    frame.Refuse(kNak);
    return;
  }
  frame.Answer({});
  std::vector<uint8_t> data;
  if (!frame.ReadData(3, data)) return;
  const int minutes = data[1] * 10 + data[2];
  if (data[0] > 1 || data[1] > 9 || data[2] > 9 || minutes < 1 || minutes > 60) {
    frame.Note("0x36: invalid clock shift ignored");
    return;
  }
  StateRef state = frame.State();
  state->clock.now = Shifted(state->clock.now, data[0] == 1 ? minutes : -minutes);
  state->clock.lastShiftDay = DayOf(state->clock.now);
}

}  // namespace

void RegisterClockCommands(CommandTable& table) {
  RegisterRead(table, '5', 5);
  RegisterRead(table, 0x40, 6);

  table.Register(kSetClock, &SetClockCommand);

  table.Register(kShiftClock, &ShiftClockCommand);
}

}  // namespace printer_sim
