#pragma once
// The minimal rich-text form the formatted-text fields of the mail system
// hold: "{\rtf1\ansi\ansicpg1250 ...}" with code page 1250, escaped bytes
// (\'hh), paragraph marks (\par) and formatting that is read past. Texts are
// Windows-1250 with CR LF line breaks.
#include <string>
#include <string_view>

namespace forms {

// True when the text starts as rich text does ("{\rtf").
bool IsRichText(std::string_view text);
// The plain text of a rich text: paragraphs become CR LF, escaped bytes and
// \u characters their Windows-1250 bytes; groups that hold no text (font
// and colour tables, \* destinations, information) are skipped, every other
// control word is read past. The paragraph mark that ends the last
// paragraph adds no line.
std::string RichTextToPlain(std::string_view rtf);
// A plain text as rich text: code page 1250, bytes above 127 escaped, \ { }
// escaped, each line a paragraph.
std::string PlainToRichText(std::string_view text);

}  // namespace forms
