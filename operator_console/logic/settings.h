#pragma once
// The settings dialogs' pure parts: register number and operator code as the
// printer takes them, the clamps of the spin fields, the about-box texts.
#include <cstdint>
#include <string>

namespace console {

inline constexpr int32_t kRegisterNumberMin = 1;
inline constexpr int32_t kRegisterNumberMax = 99;
inline constexpr int32_t kFeedCountMin = 3;
inline constexpr int32_t kFeedCountMax = 30;

// The register number for SetPrinterNumber: clamped to 1..99, two digits
// ("05", "42").
std::string RegisterNumberText(int32_t number);
// The operator code for SetPrinterNumber: two characters, blanks in front of
// a shorter code ("" -> "  ", "A" -> " A"); a longer one keeps its first two.
std::string OperatorCodeText(const std::string& code);
// The line count for WriteFeedCount, clamped to 3..30.
uint8_t ClampFeedCount(int32_t count);
// The rounding mode for SetRoundingType: the item index, 0..2 (anything else
// reads as 0, units of grosz).
uint8_t RoundingModeFor(int32_t itemIndex);
// The rounding group's items: "jednostki groszy", "dziesiątki groszy",
// "jednostki złotych".
const std::string& RoundingModeCaption(int32_t itemIndex);

// The about box: "WERSJA 2.00 z dnia 04.02.2005r." and "Program użytkownika
// drukarek".
const std::string& AboutVersionText();
const std::string& AboutProductName();

}  // namespace console
