#include "operator_console/logic/texts.h"

#include "platform/text/cp1250.h"

namespace console {

const std::string& CaptionError() {
  static const std::string text = Cp("Błąd");
  return text;
}

const std::string& CaptionInformation() {
  static const std::string text = Cp("Informacja");
  return text;
}

const std::string& CaptionQuestion() {
  static const std::string text = Cp("Odpowiedz");
  return text;
}

const std::string& UnexpectedReplyText() {
  static const std::string text = Cp("Niepoprawna odpowiedź z drukarki.");
  return text;
}

}  // namespace console
