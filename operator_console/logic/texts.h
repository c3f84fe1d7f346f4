#pragma once
// Texts of the console shared by several windows, as Windows-1250 bytes.
#include <string>
#include <string_view>

namespace console {

// Message-box captions.
const std::string& CaptionError();        // "Błąd"
const std::string& CaptionInformation();  // "Informacja"
const std::string& CaptionQuestion();     // "Odpowiedz"

// "Niepoprawna odpowiedź z drukarki.": a reply byte the console cannot place.
const std::string& UnexpectedReplyText();

// A UTF-8 literal as Windows-1250 bytes (for the console's own tables).
std::string W1250(std::string_view utf8);

}  // namespace console
