#include "printer_link/commands/code_page.h"

#include <array>

namespace kavoruw {

namespace {

struct LetterPair {
  uint8_t cp1250;
  uint8_t cp852;
};

constexpr LetterPair kPolishLetters[] = {
    {0xA5, 0xA4}, {0xC6, 0x8F}, {0xCA, 0xA8}, {0xA3, 0x9D}, {0xD1, 0xE3},  // Ą Ć Ę Ł Ń
    {0xD3, 0xE0}, {0x8C, 0x97}, {0x8F, 0x8D}, {0xAF, 0xBD},                // Ó Ś Ź Ż
    {0xB9, 0xA5}, {0xE6, 0x86}, {0xEA, 0xA9}, {0xB3, 0x88}, {0xF1, 0xE4},  // ą ć ę ł ń
    {0xF3, 0xA2}, {0x9C, 0x98}, {0x9F, 0xAB}, {0xBF, 0xBE},                // ó ś ź ż
};

using ByteMap = std::array<uint8_t, 256>;

constexpr ByteMap BuildMap(bool toCp852) {
  ByteMap map{};
  for (int i = 0; i < 256; ++i) map[i] = static_cast<uint8_t>(i);
  for (const auto& pair : kPolishLetters) {
    if (toCp852) map[pair.cp1250] = pair.cp852;
    else map[pair.cp852] = pair.cp1250;
  }
  return map;
}

constexpr ByteMap kToCp852 = BuildMap(true);
constexpr ByteMap kFromCp852 = BuildMap(false);

std::string Translate(std::string_view text, const ByteMap& map) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    out[i] = static_cast<char>(map[static_cast<uint8_t>(text[i])]);
  }
  return out;
}

}  // namespace

uint8_t Cp1250ToCp852(uint8_t c) { return kToCp852[c]; }

uint8_t Cp852ToCp1250(uint8_t c) { return kFromCp852[c]; }

std::string ToCp852(std::string_view text) { return Translate(text, kToCp852); }

std::string FromCp852(std::string_view text) { return Translate(text, kFromCp852); }

}  // namespace kavoruw
