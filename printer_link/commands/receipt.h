#pragma once
// The fiscal receipt: begin, items, package items, subtotal, end with
// discount, total, payments and trailer lines, cancel; the printer's totals.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// --- Records, exactly as they go to the printer -------------------------------

// 4 bytes, least significant first.
std::vector<uint8_t> PackU32LE(uint32_t value);
// The name up to its first zero byte (at most 254 bytes), cut or blank-padded
// to 28 characters; still Windows-1250.
std::string NormalizeArticleName(std::string_view name);
// The first 28 characters of a text; shorter texts unchanged.
std::string TruncateArticleName(std::string_view text);
// VAT code byte of the caller's VAT index: 5 -> 6, 6 -> 7, 7 -> 5, others
// unchanged.
uint8_t VatCode(uint8_t vat);
// The 85 characters that count in an article name (Windows-1250).
std::string_view SignificantCharacters();

// One item as the record carries it.
struct TItemRecord {
  bool sale = true;       // ' ' sale, '-' cancellation
  std::string name;       // Windows-1250, normalised to 28 characters by the builder
  uint8_t vat = 1;        // caller's VAT index; the builder maps it by VatCode
  uint8_t message = '0';  // byte 29 of the 49-byte form: '0' + message number
  uint32_t qty = 0;       // units of 10^-qtyDecimals
  uint8_t qtyDecimals = 0;
  std::string unit;    // first 4 bytes, blank-padded, not converted
  uint32_t price = 0;  // grosze
  uint32_t value = 0;  // grosze
};
// The 49 data bytes of command 0x06.
std::vector<uint8_t> ItemFrame(const TItemRecord& item);
// The 51 data bytes of command 0x06 (no message; 6-byte unit field).
std::vector<uint8_t> ItemFrameExt(const TItemRecord& item);
// The 10 data bytes of command 0x17; type 0..3.
std::vector<uint8_t> PackageFrame(uint8_t type, int32_t number1, int32_t number2, uint32_t amount);
// The 18 data bytes of commands 0x81 and 0x82: slot, 13-character name in
// code page 852, amount.
std::vector<uint8_t> PaymentFrame(uint8_t slot, std::string_view name, uint32_t amount);
// The data of command 0x09: '0' + code, the text in code page 852 with every
// byte below 0x20 sent as a blank, LF.
std::vector<uint8_t> TrailerLineFrame(uint8_t code, std::string_view text);
// The data byte of command 0x1B.
std::vector<uint8_t> DiscountRecord(uint8_t percent);
// The 4 data bytes of command 0x07.
std::vector<uint8_t> TotalRecord(uint32_t total);
// A rate total after a discount of d percent; exactly one half rounds down.
uint64_t DiscountedPart(uint32_t rateTotal, uint32_t discount);
// The receipt total: the sum of the seven discounted parts (64 bits).
uint64_t DiscountedTotal(const std::array<uint32_t, 7>& rateTotals, uint32_t discount);

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
// A null name or unit is the empty text; a null value is 999 with nothing sent.
int32_t pReceiptItem(TPrinterLink& link, int32_t kind, const char* name, int32_t vat,
                     int32_t message, int32_t qty, int32_t qtyDecimals, const char* unit,
                     int32_t price, int32_t* value);
// Writes at most kMaxTotalTextLength digits and the terminating zero.
int32_t pReadTotal(TPrinterLink& link, char* buffer);
// Writes the buffer only on success (at most kMaxTotalTextLength digits and
// the terminating zero); it never reads it.
int32_t pReadSelTotal(TPrinterLink& link, const char* rate, char* buffer);
int32_t pCharsInArticleName(const char* name);
int32_t ReceiptBegin(TPrinterLink& link);
int32_t ReceiptItem(TPrinterLink& link, int32_t kind, const std::string& name, int32_t vat,
                    int32_t message, int32_t qty, int32_t qtyDecimals, const std::string& unit,
                    int32_t price, int32_t& value);
int32_t ReceiptItemExt(TPrinterLink& link, int32_t kind, const std::string& name, int32_t vat,
                       int32_t message, int32_t qty, int32_t qtyDecimals, const std::string& unit,
                       int32_t price, int32_t& value);
int32_t PackageItem(TPrinterLink& link, int32_t type, int32_t number1, int32_t number2,
                    int32_t amount);
int32_t PrintSubtotal(TPrinterLink& link);
int32_t ReceiptEnd(TPrinterLink& link, int32_t discount);
int32_t ReceiptCancel(TPrinterLink& link);
int32_t DropReceipt(TPrinterLink& link);
int32_t ReadTotal(TPrinterLink& link, std::string& total);
int32_t ReadSelTotal(TPrinterLink& link, const std::string& rate, std::string& total);
}  // namespace inner

}  // namespace kavoruw
