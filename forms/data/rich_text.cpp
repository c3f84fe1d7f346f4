#include "forms/data/rich_text.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "platform/text/cp1250.h"

namespace forms {

namespace {

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  return (std::tolower(static_cast<unsigned char>(c)) - 'a') + 10;
}

// A Unicode code point as the program's Windows-1250 bytes.
std::string Cp1250Of(long codePoint) {
  if (codePoint < 0) codePoint += 65536;
  std::string utf8;
  const auto cp = static_cast<unsigned long>(codePoint);
  if (cp < 0x80) {
    utf8 += static_cast<char>(cp);
  } else if (cp < 0x800) {
    utf8 += static_cast<char>(0xC0 | (cp >> 6));
    utf8 += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    utf8 += static_cast<char>(0xE0 | (cp >> 12));
    utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return platform::Cp1250FromUtf8(utf8);
}

// Destinations whose text is not part of the document and whose loss changes
// nothing the editor shows: tables of fonts, colours and styles, information.
bool SkippedDestination(const std::string& word) {
  return word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" ||
         word == "listtable" || word == "listoverridetable" || word == "generator";
}

// Destinations with content the editor cannot show.
bool LostDestination(const std::string& word) {
  return word == "pict" || word == "header" || word == "footer" || word == "object" ||
         word == "shp" || word == "footnote" || word == "field";
}

// Control words that change nothing the editor would lose: the document's
// setup, the default font, size and colour, and what the editor keeps.
bool Harmless(const std::string& word, bool hasParam, long param) {
  static const char* const kWords[] = {"rtf",        "ansi",     "ansicpg", "deff",   "deflang",
                                       "deflangfe",  "viewkind", "uc",      "pard",   "plain",
                                       "lang",       "langfe",   "langnp",  "ltrpar", "ltrch",
                                       "nouicompat", "pc",       "pca",     "mac"};
  for (const char* w : kWords) {
    if (word == w) return true;
  }
  if (word == "f" || word == "cf" || word == "highlight") return !hasParam || param == 0;
  if (word == "fs") return !hasParam || param == 20;
  return false;
}

}  // namespace

bool IsRichText(std::string_view text) { return text.substr(0, 5) == "{\\rtf"; }

RichDocument ReadRichText(std::string_view rtf) {
  RichDocument doc;
  // Per group: skipped or not, the \uc count of fallback characters, and the
  // character format.
  struct Group {
    bool skip = false;
    int uc = 1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
  };
  std::vector<Group> groups{Group{}};
  int fallback = 0;  // characters still to drop after a \u
  size_t i = 0;
  auto emit = [&](const std::string& bytes) {
    const Group& g = groups.back();
    if (g.skip) return;
    if (fallback > 0) {
      --fallback;
      return;
    }
    if (doc.runs.empty() || doc.runs.back().bold != g.bold || doc.runs.back().italic != g.italic ||
        doc.runs.back().underline != g.underline) {
      doc.runs.push_back(RichRun{std::string(), g.bold, g.italic, g.underline});
    }
    doc.runs.back().text += bytes;
  };
  while (i < rtf.size()) {
    const char c = rtf[i];
    if (c == '{') {
      groups.push_back(groups.back());
      ++i;
      if (rtf.substr(i, 2) == "\\*") groups.back().skip = true;
      continue;
    }
    if (c == '}') {
      if (groups.size() > 1) groups.pop_back();
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      emit(std::string(1, c));
      ++i;
      continue;
    }
    // A control symbol or word.
    ++i;
    if (i >= rtf.size()) break;
    const char s = rtf[i];
    if (s == '\\' || s == '{' || s == '}') {
      emit(std::string(1, s));
      ++i;
      continue;
    }
    if (s == '\'') {
      if (i + 2 < rtf.size() && IsHex(rtf[i + 1]) && IsHex(rtf[i + 2])) {
        emit(std::string(1, static_cast<char>(HexValue(rtf[i + 1]) * 16 + HexValue(rtf[i + 2]))));
        i += 3;
      } else {
        ++i;
      }
      continue;
    }
    if (s == '~') {
      emit(" ");
      ++i;
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(s))) {
      ++i;  // \-, \_, \* and the like
      continue;
    }
    std::string word;
    while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) word += rtf[i++];
    bool hasParam = false;
    long param = 0;
    bool negative = false;
    if (i < rtf.size() && rtf[i] == '-') {
      negative = true;
      ++i;
    }
    while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) {
      hasParam = true;
      param = param * 10 + (rtf[i++] - '0');
      if (param > 1000000) param = 1000000;
    }
    if (negative) param = -param;
    if (i < rtf.size() && rtf[i] == ' ') ++i;  // the delimiter belongs to the word
    Group& g = groups.back();
    const bool on = !hasParam || param != 0;
    if (SkippedDestination(word)) {
      g.skip = true;
    } else if (g.skip) {
      // Inside a skipped group nothing counts.
    } else if (LostDestination(word)) {
      g.skip = true;
      doc.unkept = true;
    } else if (word == "par" || word == "line") {
      emit("\r\n");
    } else if (word == "tab") {
      emit("\t");
    } else if (word == "uc" && hasParam) {
      g.uc = static_cast<int>(param);
    } else if (word == "u" && hasParam) {
      emit(Cp1250Of(param));
      fallback = g.uc;
    } else if (word == "b") {
      g.bold = on;
    } else if (word == "i") {
      g.italic = on;
    } else if (word == "ul") {
      g.underline = on;
    } else if (word == "ulnone") {
      g.underline = false;
    } else if (word == "plain") {
      g.bold = g.italic = g.underline = false;
    } else if (!Harmless(word, hasParam, param)) {
      doc.unkept = true;
    }
  }
  // The mark that ends the last paragraph.
  if (!doc.runs.empty()) {
    std::string& last = doc.runs.back().text;
    if (last.size() >= 2 && last.compare(last.size() - 2, 2, "\r\n") == 0)
      last.resize(last.size() - 2);
    if (last.empty()) doc.runs.pop_back();
  }
  return doc;
}

std::string RichTextToPlain(std::string_view rtf) {
  std::string out;
  for (const RichRun& run : ReadRichText(rtf).runs) out += run.text;
  return out;
}

namespace {

void AppendText(std::string& rtf, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rtf += "\\par\r\n";
      ++i;
    } else if (c == '\n' || c == '\r') {
      rtf += "\\par\r\n";
    } else if (c == '\\' || c == '{' || c == '}') {
      rtf += '\\';
      rtf += static_cast<char>(c);
    } else if (c == '\t') {
      rtf += "\\tab ";
    } else if (c >= 0x80) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", c);
      rtf += hex;
    } else {
      rtf += static_cast<char>(c);
    }
  }
}

}  // namespace

std::string WriteRichText(const std::vector<RichRun>& runs) {
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}\r\n"
      "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
  RichRun format;  // the format in force
  for (const RichRun& run : runs) {
    if (run.bold != format.bold) rtf += run.bold ? "\\b " : "\\b0 ";
    if (run.italic != format.italic) rtf += run.italic ? "\\i " : "\\i0 ";
    if (run.underline != format.underline) rtf += run.underline ? "\\ul " : "\\ulnone ";
    format.bold = run.bold;
    format.italic = run.italic;
    format.underline = run.underline;
    AppendText(rtf, run.text);
  }
  rtf += "\\par\r\n}\r\n";
  return rtf;
}

std::string PlainToRichText(std::string_view text) {
  return WriteRichText({RichRun{std::string(text), false, false, false}});
}

}  // namespace forms
