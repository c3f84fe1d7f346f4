// Receipts: '!' 0x06 0x17 0x80 0x1B 0x07 0x81 0x82 0x09 '$', totals 0xDA, sample printouts 's'.
//
// The printer books each item under the rate its VAT code names and checks
// the total (0x07) against the sum of the items after the discount: a total
// that differs annuls the receipt (s3 bit 4, reason 'S' in s6), as does a
// record it cannot read (reason 'R'). Records without an answer cannot be
// refused, so annulment is how the printer objects to them.
//
// Item records come in two lengths, told apart by their bytes: in the
// 51-byte form byte 44 is ESC; in the 49-byte form byte 44 is the VAT code
// (1..7, never ESC) and byte 43 is ESC. Any other record is unreadable.
#include <set>
#include <string_view>

#include "tools/printer_sim/commands.h"
#include "tools/printer_sim/status_bits.h"

namespace printer_sim {

namespace {

constexpr uint8_t kReceiptNotBegun = 0x65;
constexpr size_t kShortItemLength = 49;
constexpr size_t kLongItemLength = 51;
constexpr size_t kItemHead = 45;  // enough to tell the two forms apart
constexpr size_t kMaxTrailerLineData = 256;
constexpr size_t kMaxSampleText = 28;

uint32_t U32At(const std::vector<uint8_t>& data, size_t at) {
  return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
         static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
}

std::string TextAt(const std::vector<uint8_t>& data, size_t at, size_t n) {
  return std::string(data.begin() + static_cast<std::ptrdiff_t>(at),
                     data.begin() + static_cast<std::ptrdiff_t>(at + n));
}

bool HasPackagesAndPayments(uint8_t kind) { return kind == 3 || kind >= kKindOther; }
bool IsSecondGeneration(uint8_t kind) { return kind == 3 || kind == 6 || kind >= kKindOther; }

// Rate A..G (0..6) of a VAT code: codes 5, 6, 7 name rates G, E, F.
int RateOfVatCode(uint8_t code) {
  switch (code) {
    case 1:
    case 2:
    case 3:
    case 4: return code - 1;
    case 5: return 6;
    case 6: return 4;
    case 7: return 5;
    default: return -1;
  }
}

// A rate's sum after the discount; exactly one half rounds down.
uint64_t DiscountedPart(uint64_t sum, uint8_t discount) {
  const uint64_t q = (100u - discount) * sum;
  return q / 100 + (q % 100 > 50 ? 1 : 0);
}

uint64_t ExpectedTotal(const ReceiptState& receipt) {
  uint64_t total = 0;
  for (uint64_t sum : receipt.rateSums) total += DiscountedPart(sum, receipt.discount);
  return total;
}

void Annul(PrinterState& state, uint8_t reason) {
  state.receipt.open = false;
  state.status[status::kPrint] |= status::kReceiptAnnulled;
  state.status[status::kAnnulment] = reason;
}

void BeginReceipt(PrinterState& state) {
  ReceiptState& r = state.receipt;
  r.open = true;
  r.items.clear();
  r.packages.clear();
  r.subtotals = 0;
  r.discount = 0;
  r.total.reset();
  r.payments.clear();
  r.lines.clear();
  r.rateSums.fill(0);
  state.status[status::kPrint] &= static_cast<uint8_t>(~status::kReceiptAnnulled);
}

// Reads the rest of an item record once its first bytes are in; false for a
// record of neither form.
bool ReadItem(Frame& frame, std::vector<uint8_t>& data) {
  if (!frame.ReadData(kItemHead, data)) return false;
  size_t length;
  if (data[44] == kEsc) length = kLongItemLength;
  else if (data[43] == kEsc) length = kShortItemLength;
  else return false;
  std::vector<uint8_t> rest;
  if (!frame.ReadData(length - kItemHead, rest)) return false;
  data.insert(data.end(), rest.begin(), rest.end());
  return true;
}

bool ParseItem(const std::vector<uint8_t>& d, ItemRecord& item) {
  item.length = d.size();
  if (d[0] != ' ' && d[0] != '-') return false;
  item.sale = d[0] == ' ';
  item.name = TextAt(d, 1, 28);
  if (d.size() == kShortItemLength) {
    item.message = d[29];
    item.qty = U32At(d, 30);
    item.qtyDecimals = d[34];
    item.unit = TextAt(d, 35, 4);
    item.price = U32At(d, 39);
    item.vatCode = d[44];
    item.value = U32At(d, 45);
  } else {
    item.qty = U32At(d, 29);
    item.qtyDecimals = d[33];
    item.unit = TextAt(d, 34, 4);
    if (d[38] != ' ' || d[39] != ' ' || d[50] != '0') return false;
    item.price = U32At(d, 40);
    item.vatCode = d[45];
    item.value = U32At(d, 46);
  }
  return item.qtyDecimals <= 4 && RateOfVatCode(item.vatCode) >= 0;
}

void Book(ReceiptState& receipt, const ItemRecord& item) {
  uint64_t& sum = receipt.rateSums[static_cast<size_t>(RateOfVatCode(item.vatCode))];
  if (item.sale) sum += item.value;
  else sum = sum > item.value ? sum - item.value : 0;
  receipt.items.push_back(item);
}

// Which lines of a sample printout's template carry a text, and which are
// fixed.
struct SampleTemplate {
  std::set<std::string_view> textLines;
  std::set<std::string_view> fixedLines;
};

const SampleTemplate* TemplateOf(std::string_view number) {
  static const SampleTemplate cashState{{"10", "20", "30", "40", "60", "70"}, {"50", "80"}};
  static const SampleTemplate cashTransfer{{"10", "20", "30", "40", "60"}, {"50", "70"}};
  static const SampleTemplate cashReport{
      {"20", "30", "40", "60", "80", "90", "11", "31", "41", "61", "71", "81", "91"},
      {"10", "50", "70", "01", "21", "51", "02"}};
  if (number == "10") return &cashState;
  if (number == "20" || number == "30") return &cashTransfer;
  if (number == "40") return &cashReport;
  return nullptr;
}

// The data of 's': number, line records, ESC 'Q'. False (with a note) for
// data the template does not explain.
bool ReadSample(Frame& frame, SamplePrintout& printout) {
  std::vector<uint8_t> two;
  if (!frame.ReadData(2, two)) return false;
  printout.number = TextAt(two, 0, 2);
  const SampleTemplate* form = TemplateOf(printout.number);
  if (form == nullptr) {
    frame.Note("s: unknown printout " + printout.number);
    return false;
  }
  for (;;) {
    if (!frame.ReadData(2, two)) return false;
    if (two[0] == kEsc && two[1] == 'Q') return true;
    SampleLine line{TextAt(two, 0, 2), std::nullopt};
    if (form->textLines.count(line.code) != 0) {
      std::string text;
      uint8_t b = 0;
      while (frame.ReadByte(b) && b != '\n') {
        if (text.size() == kMaxSampleText) {
          frame.Note("s: line " + line.code + " longer than 28 characters");
          return false;
        }
        text.push_back(static_cast<char>(b));
      }
      if (frame.Ended()) return false;
      line.text = text;
    } else if (form->fixedLines.count(line.code) == 0) {
      frame.Note("s: line " + line.code + " not in printout " + printout.number);
      return false;
    }
    printout.lines.push_back(std::move(line));
  }
}

}  // namespace

bool CancelReceiptOnLinkTest(PrinterState& state) {
  ReceiptState& receipt = state.receipt;
  if (!receipt.open) return true;
  receipt.open = false;
  if (receipt.items.empty()) return false;
  ++receipt.cancelled;
  StartPrintout(state);
  return true;
}

namespace {

// Command bytes and their handlers.
constexpr uint8_t kReceiptBegin = '!';
constexpr uint8_t kReceiptItem = 0x06;
constexpr uint8_t kPackageItem = 0x17;
constexpr uint8_t kSubtotal = 0x80;
constexpr uint8_t kDiscount = 0x1B;
constexpr uint8_t kReceiptTotal = 0x07;
constexpr uint8_t kTrailerLine = 0x09;
constexpr uint8_t kReceiptEnd = '$';
constexpr uint8_t kRateTotals = 0xDA;
constexpr uint8_t kSamplePrintout = 's';

// A receipt is refused while one is open, and while there is no paper to
// print it on.
void ReceiptBeginCommand(Frame& frame) {
  bool refused;
  {
    StateRef state = frame.State();
    refused = state->receipt.open || (state->status[status::kPrint] & status::kNoPaper);
    if (!refused) BeginReceipt(*state);
  }
  if (refused) frame.Refuse(kNak);
  else frame.Answer({});
}

void ReceiptItemCommand(Frame& frame) {
  std::vector<uint8_t> data;
  const bool read = ReadItem(frame, data);
  if (frame.Ended()) return;
  ItemRecord item;
  const bool valid = read && ParseItem(data, item);
  bool ignored = false;
  {
    StateRef state = frame.State();
    if (!state->receipt.open) {
      ignored = true;
      ++state->receipt.outsideReceipt;
    } else if (!valid) Annul(*state, kAnnulledBadRecord);
    else Book(state->receipt, item);
  }
  if (ignored) frame.Note("0x06: item without an open receipt refused");
  else if (!valid) frame.Note("0x06: unreadable item record, receipt annulled");
}

void PackageItemCommand(Frame& frame) {
  std::vector<uint8_t> data;
  if (!frame.ReadData(10, data)) return;
  bool accepted;
  {
    StateRef state = frame.State();
    accepted = state->receipt.open && HasPackagesAndPayments(state->kind) &&
               (data[0] == ' ' || data[0] == '-') && (data[1] == 'S' || data[1] == 'Z');
    if (accepted) state->receipt.packages.push_back({data});
  }
  frame.Send(accepted ? kAck : kNak);
}

void SubtotalCommand(Frame& frame) {
  StateRef state = frame.State();
  if (state->receipt.open && HasPackagesAndPayments(state->kind)) ++state->receipt.subtotals;
}

void DiscountCommand(Frame& frame) {
  uint8_t percent = 0;
  if (!frame.ReadByte(percent)) return;
  StateRef state = frame.State();
  if (!state->receipt.open) return;
  if (percent >= 1 && percent <= 99) state->receipt.discount = percent;
  else Annul(*state, kAnnulledBadRecord);
}

void ReceiptTotalCommand(Frame& frame) {
  std::vector<uint8_t> data;
  if (!frame.ReadData(4, data)) return;
  const uint32_t total = U32At(data, 0);
  {
    StateRef state = frame.State();
    if (state->receipt.open) {
      state->receipt.total = total;
      if (total != ExpectedTotal(state->receipt)) Annul(*state, kAnnulledWrongTotal);
      return;
    }
    ++state->receipt.outsideReceipt;
  }
  frame.Note("0x07: total without an open receipt refused");
}

void TrailerLineCommand(Frame& frame) {
  std::vector<uint8_t> data;
  uint8_t b = 0;
  while (data.size() < kMaxTrailerLineData && frame.ReadByte(b)) {
    data.push_back(b);
    if (b == '\n') break;
  }
  if (frame.Ended()) return;
  const bool valid = data.size() >= 2 && data.back() == '\n' && data[0] >= '0' && data[0] <= '?';
  {
    StateRef state = frame.State();
    if (!state->receipt.open) return;
    if (!valid) {
      Annul(*state, kAnnulledBadRecord);
    } else {
      state->receipt.lines.push_back(
          {static_cast<uint8_t>(data[0] - '0'), TextAt(data, 1, data.size() - 2)});
    }
  }
  if (!valid) frame.Note("0x09: trailer line without LF within 256 bytes, receipt annulled");
}

void ReceiptEndCommand(Frame& frame) {
  uint8_t answer = kAck;
  {
    StateRef state = frame.State();
    ReceiptState& receipt = state->receipt;
    if (!receipt.open) {
      answer = kReceiptNotBegun;
    } else if (receipt.items.empty()) {
      // Nothing to end: the empty receipt is dropped.
      receipt.open = false;
      answer = kNak;
    } else if (!receipt.total) {
      Annul(*state, kAnnulledWrongTotal);
      answer = kNak;
    } else if (receipt.annulAtEnd) {
      Annul(*state, kAnnulledBadRecord);
      StartPrintout(*state);
    } else {
      receipt.open = false;
      for (size_t i = 0; i < receipt.totals.size(); ++i) {
        receipt.totals[i] += DiscountedPart(receipt.rateSums[i], receipt.discount);
      }
      ++receipt.ended;
      ++state->receiptCounter;
      StartPrintout(*state);
    }
  }
  if (answer == kAck) frame.Answer({});
  else frame.Refuse(answer);
}

void RateTotalsCommand(Frame& frame) {
  std::vector<uint8_t> answer;
  bool known;
  {
    StateRef state = frame.State();
    known = IsSecondGeneration(state->kind);
    for (uint64_t total : state->receipt.totals) {
      for (int k = 0; k < 5; ++k) answer.push_back(static_cast<uint8_t>(total >> (8 * k)));
    }
  }
  if (known) frame.Answer(answer);
  else frame.Refuse(kNak);
}

void SamplePrintoutCommand(Frame& frame) {
  bool refused;
  {
    StateRef state = frame.State();
    refused = !IsSecondGeneration(state->kind) || state->receipt.open;
  }
  if (refused) {
    frame.Refuse(kNak);
    return;
  }
  frame.Answer({});
  SamplePrintout printout;
  if (!ReadSample(frame, printout)) return;
  StateRef state = frame.State();
  state->receipt.samples.push_back(std::move(printout));
  StartPrintout(*state);
}

}  // namespace

void RegisterReceiptCommands(CommandTable& table) {
  table.Register(kReceiptBegin, &ReceiptBeginCommand);

  table.Register(kReceiptItem, &ReceiptItemCommand);

  table.Register(kPackageItem, &PackageItemCommand);

  table.Register(kSubtotal, &SubtotalCommand);

  table.Register(kDiscount, &DiscountCommand);

  table.Register(kReceiptTotal, &ReceiptTotalCommand);

  for (uint8_t command : {uint8_t{0x81}, uint8_t{0x82}}) {
    table.Register(command, [command](Frame& frame) {
      std::vector<uint8_t> data;
      if (!frame.ReadData(18, data)) return;
      StateRef state = frame.State();
      if (!state->receipt.open || !HasPackagesAndPayments(state->kind)) return;
      if (data[0] < 1 || data[0] > 4) {
        Annul(*state, kAnnulledBadRecord);
        return;
      }
      state->receipt.payments.push_back({command, data[0], TextAt(data, 1, 13), U32At(data, 14)});
    });
  }

  table.Register(kTrailerLine, &TrailerLineCommand);

  table.Register(kReceiptEnd, &ReceiptEndCommand);

  table.Register(kRateTotals, &RateTotalsCommand);

  table.Register(kSamplePrintout, &SamplePrintoutCommand);
}

}  // namespace printer_sim
