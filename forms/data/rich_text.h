#pragma once
// The minimal rich-text form the formatted-text fields of the mail system
// hold: "{\rtf1\ansi\ansicpg1250 ...}" with code page 1250, escaped bytes
// (\'hh), paragraph marks (\par), bold, italic and underline; other
// formatting is read past and reported. Texts are Windows-1250 with CR LF
// line breaks.
#include <string>
#include <string_view>
#include <vector>

namespace forms {

// True when the text starts as rich text does ("{\rtf").
bool IsRichText(std::string_view text);

// A stretch of text in one character format.
struct RichRun {
  std::string text;  // Windows-1250, CR LF between paragraphs
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const RichRun&) const = default;
};

struct RichDocument {
  std::vector<RichRun> runs;  // adjacent runs differ in format
  // The text holds formatting or content that the runs cannot carry (other
  // fonts, sizes or colours, paragraph layout, pictures, tables...): writing
  // the runs back would lose it.
  bool unkept = false;
};

// The text and its bold, italic and underline of a rich text; see
// RichTextToPlain for what is read and what is skipped.
RichDocument ReadRichText(std::string_view rtf);
// The runs as rich text in the form PlainToRichText writes, with \b, \i and
// \ul switched where the format changes.
std::string WriteRichText(const std::vector<RichRun>& runs);
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
