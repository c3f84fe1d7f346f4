#pragma once
// Texts of the console shared by several windows, as Windows-1250 bytes.
#include <string>
#include <string_view>

#include "platform/text/cp1250.h"

namespace console {

// Message-box captions.
const std::string& CaptionError();        // "Błąd"
const std::string& CaptionInformation();  // "Informacja"
const std::string& CaptionQuestion();     // "Odpowiedz"

// "Niepoprawna odpowiedź z drukarki.": a reply byte the console cannot place.
const std::string& UnexpectedReplyText();

using platform::Cp;

}  // namespace console
