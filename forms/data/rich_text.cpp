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

// Destinations whose text is not part of the document.
bool SkippedDestination(const std::string& word) {
  return word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" ||
         word == "pict" || word == "header" || word == "footer" || word == "listtable" ||
         word == "listoverridetable" || word == "generator";
}

}  // namespace

bool IsRichText(std::string_view text) { return text.substr(0, 5) == "{\\rtf"; }

std::string RichTextToPlain(std::string_view rtf) {
  std::string out;
  // Per group: skipped or not, and the \uc count of fallback characters.
  struct Group {
    bool skip = false;
    int uc = 1;
  };
  std::vector<Group> groups{Group{}};
  int fallback = 0;  // characters still to drop after a \u
  size_t i = 0;
  auto emit = [&](const std::string& bytes) {
    if (groups.back().skip) return;
    if (fallback > 0) {
      --fallback;
      return;
    }
    out += bytes;
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
    if (SkippedDestination(word)) {
      groups.back().skip = true;
    } else if (word == "par" || word == "line") {
      emit("\r\n");
    } else if (word == "tab") {
      emit("\t");
    } else if (word == "uc" && hasParam) {
      groups.back().uc = static_cast<int>(param);
    } else if (word == "u" && hasParam) {
      emit(Cp1250Of(param));
      fallback = groups.back().uc;
    }
  }
  // The mark that ends the last paragraph.
  if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
  return out;
}

std::string PlainToRichText(std::string_view text) {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}\r\n"
                    "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
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
  rtf += "\\par\r\n}\r\n";
  return rtf;
}

}  // namespace forms
