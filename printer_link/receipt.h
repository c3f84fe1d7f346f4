#pragma once
// The fiscal receipt: begin, items, package items, subtotal, end with
// discount, total, payments and trailer lines, cancel; the printer's totals.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavoruw {

// Longest total text: 7 rates of 5 bytes each add up to at most 13 digits.
inline constexpr std::size_t kMaxTotalTextLength = 13;

// Items accepted since ReceiptBegin.
extern uint32_t ItemCount;

int32_t ReceiptBegin();
int32_t ReceiptItem(int32_t kind, const std::string& name, int32_t vat, int32_t message,
                    int32_t qty, int32_t qtyDecimals, const std::string& unit, int32_t price,
                    int32_t& value);
int32_t pReceiptItem(int32_t kind, const char* name, int32_t vat, int32_t message, int32_t qty,
                     int32_t qtyDecimals, const char* unit, int32_t price, int32_t* value);
int32_t ReceiptItemExt(int32_t kind, const std::string& name, int32_t vat, int32_t message,
                       int32_t qty, int32_t qtyDecimals, const std::string& unit, int32_t price,
                       int32_t& value);
int32_t PackageItem(int32_t type, int32_t number1, int32_t number2, int32_t amount);
int32_t PrintSubtotal();
int32_t ReceiptEnd(int32_t discount);
int32_t ReceiptCancel();
int32_t ReadTotal(std::string& total);
int32_t pReadTotal(char* buffer);
int32_t ReadSelTotal(const std::string& rate, std::string& total);
int32_t pReadSelTotal(const char* rate, char* buffer);
int32_t CharsInArticleName(const std::string& name);
int32_t pCharsInArticleName(const char* name);

}  // namespace kavoruw
