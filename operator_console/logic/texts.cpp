#include "operator_console/logic/texts.h"

#include "platform/text/cp1250.h"

namespace console {

std::string W1250(std::string_view utf8) { return platform::Cp1250FromUtf8(utf8); }

const std::string& CaptionError() {
  static const std::string text = W1250("Błąd");
  return text;
}

const std::string& CaptionInformation() {
  static const std::string text = W1250("Informacja");
  return text;
}

const std::string& CaptionQuestion() {
  static const std::string text = W1250("Odpowiedz");
  return text;
}

const std::string& UnexpectedReplyText() {
  static const std::string text = W1250("Niepoprawna odpowiedź z drukarki.");
  return text;
}

}  // namespace console
