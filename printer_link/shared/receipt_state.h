#pragma once
// The receipt as the driver knows it, kept in step with what the printer
// holds: one small type whose fields change only through its transitions,
// which the receipt commands and the link's re-initialisation name.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace kavoruw {

// What the driver does not know about the printer's receipt since a command
// whose answer did not come. The next receipt call asks the printer first.
enum class TReceiptDoubt : uint8_t {
  None,
  // '!' of ReceiptBegin: the printer may hold an empty receipt.
  Begin,
  // '$' of ReceiptEnd: the printer may have printed the receipt.
  End,
  // '$', then the '!' that asked about it: the printer may have printed the
  // receipt and hold an empty one opened by that '!'.
  EndThenCheck,
  // The '#' that drops the empty receipt a '!' opened (or that a host gave
  // up): the printer may still hold it.
  Check,
  // '#' of ReceiptCancel, or a link test while a receipt is open: the printer
  // may have cancelled the receipt, or still hold it. A '#' answered once
  // more leaves it cancelled either way.
  Cancel,
};

class TReceiptState {
 public:
  // A receipt has been begun and not yet ended, cancelled or found annulled.
  bool Open() const { return open_; }
  // Items accepted since the receipt began; 0 once it is closed.
  uint32_t ItemCount() const { return itemCount_; }
  // Per-rate totals (grosze) of the open receipt, rates A..G; a closed
  // receipt's stay until the next one begins.
  const std::array<uint32_t, 7>& VatTotals() const { return vatTotals_; }
  TReceiptDoubt Doubt() const { return doubt_; }
  // A record of the open receipt may have reached the printer cut: the
  // driver cannot vouch for what it holds, so the receipt is only cancelled,
  // never ended as printed.
  bool Damaged() const { return damaged_; }

  // The printer holds an empty receipt begun for the caller.
  void Begun() {
    open_ = true;
    itemCount_ = 0;
    vatTotals_.fill(0);
    doubt_ = TReceiptDoubt::None;
    damaged_ = false;
  }
  // An item went into the open receipt; the total of its rate (0..6) is now
  // rateTotal.
  void ItemBooked(std::size_t rate, uint32_t rateTotal) {
    vatTotals_[rate] = rateTotal;
    if (itemCount_ < std::numeric_limits<uint32_t>::max()) ++itemCount_;
  }
  // The printer holds the receipt no longer: it printed, cancelled, annulled
  // or dropped it, or has none open. Nothing about it is in doubt.
  void Closed() {
    open_ = false;
    itemCount_ = 0;
    doubt_ = TReceiptDoubt::None;
    damaged_ = false;
  }
  // A record of the open receipt failed after its first byte went out.
  void RecordCut() {
    if (open_) damaged_ = true;
  }
  // A command's answer did not come: what the printer holds is in doubt.
  void InDoubt(TReceiptDoubt doubt) { doubt_ = doubt; }
  // The printer has told what was in doubt: it holds the receipt as the
  // driver does.
  void Settled() { doubt_ = TReceiptDoubt::None; }

  // The link is being re-initialised: the totals of a receipt the printer
  // still holds are kept (its end must send them), any other are cleared.
  void LinkReset() {
    if (!open_) vatTotals_.fill(0);
  }
  // The link test '#' of the re-initialisation was answered. Acknowledged,
  // it has ended whatever receipt the printer held (it cancels an open one):
  // nothing is open or in doubt. Refused, it has dropped an empty receipt at
  // most: the printer keeps one with items, and what was in doubt still is.
  void LinkTested(bool acknowledged) {
    if (acknowledged) {
      Closed();
      vatTotals_.fill(0);
    } else if (open_ && itemCount_ == 0 && doubt_ == TReceiptDoubt::None) {
      Closed();
    }
  }

  // The link test '#' had no answer: heard, it has cancelled the receipt the
  // printer held, as the '#' of a cancel does.
  void LinkTestUnanswered() {
    if (open_ && doubt_ == TReceiptDoubt::None) doubt_ = TReceiptDoubt::Cancel;
  }

 private:
  bool open_ = false;
  uint32_t itemCount_ = 0;
  std::array<uint32_t, 7> vatTotals_{};
  TReceiptDoubt doubt_ = TReceiptDoubt::None;
  bool damaged_ = false;
};

}  // namespace kavoruw
