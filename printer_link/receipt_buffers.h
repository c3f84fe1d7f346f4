#pragma once
// Payments and trailer lines that a point-of-sale program registers before the
// end of a receipt. They are only stored here; the end of the receipt sends
// them (converted to code page 852) and empties each slot it has sent.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kavoruw {

inline constexpr std::size_t kPaymentSlotCount = 4;
inline constexpr std::size_t kTrailerLineCount = 6;
inline constexpr std::size_t kPaymentNameLength = 13;
inline constexpr std::size_t kMaxTrailerTextLength = 254;
inline constexpr uint8_t kEmptyTrailerLine = 255;

struct TPaymentSlot {
  std::string name;     // empty = free; once filled, exactly kPaymentNameLength bytes
  int32_t amount = 0;   // grosze, sent with command 0x81
  int32_t amount2 = 0;  // grosze, sent with command 0x82
};

struct TTrailerLine {
  uint8_t code = kEmptyTrailerLine;  // 0..15 once filled
  std::string text;                  // Windows-1250, at most kMaxTrailerTextLength bytes
};

// Slot n (numbered from 1) is element n - 1. Used from one thread at a time.
extern std::array<TPaymentSlot, kPaymentSlotCount> PaymentSlot;
extern std::array<TTrailerLine, kTrailerLineCount> TrailerLine;

// slot 1..4; the name is cut or blank-padded to 13 bytes. 215 for a slot out
// of range or a negative amount, with nothing stored.
int32_t FillPayment(int32_t slot, const std::string& name, int32_t amount, int32_t amount2);
// A null name is the empty name.
int32_t pFillPayment(int32_t slot, const char* name, int32_t amount, int32_t amount2);

// Stores the text (up to its first zero byte, at most 254 bytes) in the lowest
// empty line; *freeSlots gets the number of empty lines left. 215 for a code
// above 15 (freeSlots untouched), 216 when all lines are used (*freeSlots 0),
// 999 for a null freeSlots.
int32_t FillLines(int32_t code, const std::string& text, int32_t* freeSlots);
// A null text is the empty text.
int32_t pFillLines(int32_t code, const char* text, int32_t* freeSlots);

int32_t ErasePayments();
int32_t EraseLines();
// Empties both sets; the link initialisation starts every session with it.
int32_t ClearReceiptBuffers();

}  // namespace kavoruw
