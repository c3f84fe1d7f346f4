#include "operator_console/logic/settings.h"

#include <algorithm>
#include <array>

#include "operator_console/logic/texts.h"

namespace console {

std::string RegisterNumberText(int32_t number) {
  const int32_t n = std::clamp(number, kRegisterNumberMin, kRegisterNumberMax);
  return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

std::string OperatorCodeText(const std::string& code) {
  if (code.size() >= 2) return code.substr(0, 2);
  return std::string(2 - code.size(), ' ') + code;
}

uint8_t ClampFeedCount(int32_t count) {
  return static_cast<uint8_t>(std::clamp(count, kFeedCountMin, kFeedCountMax));
}

uint8_t RoundingModeFor(int32_t itemIndex) {
  return itemIndex >= 0 && itemIndex <= 2 ? static_cast<uint8_t>(itemIndex) : 0;
}

const std::string& RoundingModeCaption(int32_t itemIndex) {
  static const std::array<std::string, 3> captions = {
      Cp("jednostki groszy"), Cp("dziesiątki groszy"), Cp("jednostki złotych")};
  return captions[RoundingModeFor(itemIndex)];
}

const std::string& AboutVersionText() {
  static const std::string text = Cp("WERSJA 2.00 z dnia 04.02.2005r.");
  return text;
}

const std::string& AboutProductName() {
  static const std::string text = Cp("Program użytkownika drukarek");
  return text;
}

}  // namespace console
