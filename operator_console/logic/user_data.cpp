#include "operator_console/logic/user_data.h"

#include <cerrno>
#include <fstream>
#include <vector>

#include "operator_console/logic/texts.h"
#include "platform/box_flags.h"
#include "platform/files/file_replace.h"
#include "platform/text/cp1250.h"

namespace console {

using namespace platform::box_flags;

namespace {

// Unsigned comparison: Polish letters (0x80 and above) are not control characters.
void BlankControlCharacters(std::string& line) {
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The file's name as a "Błąd" box shows it: the full path, in Windows-1250.
std::string ShownName(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  if (ec) full = path;
  return platform::Cp1250FromUtf8(full.string());
}

std::string FormatErrorText(const std::string& shownName) {
  static const std::string prefix = Cp("Błędny format pliku ");
  return prefix + shownName;
}

std::string SaveErrorText(const std::string& shownName) {
  static const std::string prefix = Cp("Nie można zapisać pliku ");
  return prefix + shownName;
}

std::string OpenErrorText(const std::string& shownName) {
  static const std::string prefix = Cp("Nie można otworzyć pliku ");
  return prefix + shownName;
}

// Files bigger than this are no user-data files; only their start is read.
constexpr std::streamsize kLoadLimit = 1 << 20;

}  // namespace

void CenterLine(std::string& line, uint8_t width) {
  BlankControlCharacters(line);
  if (line.size() > width) line.resize(width);
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) {
    line.clear();
  } else {
    line = line.substr(first, line.find_last_not_of(' ') - first + 1);
  }
  const size_t spare = width - line.size();
  const size_t left = spare / 2;
  line = std::string(left, ' ') + line + std::string(spare - left, ' ');
}

void PadLine(std::string& line, uint8_t width) {
  BlankControlCharacters(line);
  line.resize(width, ' ');
}

uint8_t ValidateNipLine(const std::string& line) {
  std::vector<int> digits;
  for (char c : line)
    if (IsDigit(c)) digits.push_back(c - '0');
  if (digits.empty()) return kNipNoDigits;
  bool word = false;
  for (size_t i = 0; i + 3 <= line.size() && !word; ++i)
    word = UpperAscii(line[i]) == 'N' && UpperAscii(line[i + 1]) == 'I' &&
           UpperAscii(line[i + 2]) == 'P';
  if (!word) return kNipNoWord;
  if (digits.size() != 10) return kNipBadNumber;
  static constexpr int kWeights[9] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
  int sum = 0;
  for (size_t i = 0; i < 9; ++i) sum += kWeights[i] * digits[i];
  const int r = sum % 11;
  return r == 10 || r != digits[9] ? kNipBadNumber : kNipValid;
}

NipVerdictBox NipVerdictBoxFor(uint8_t verdict, bool fiscalization) {
  switch (verdict) {
    case kNipBadNumber:
      if (fiscalization)
        return {CaptionQuestion(), MB_ICONEXCLAMATION | MB_YESNO,
                Cp("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r   Program wykrył błędną sumę "
                   "kontrolną.  \rAby wyjść z procedury fiskalizacji naciśnij NIE. \r      "
                   "Aby kontynuować naciśnij TAK.       "),
                true};
      return {CaptionError(), MB_ICONSTOP | MB_YESNO,
              Cp("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r   Program wykrył błędną sumę "
                 "kontrolną.  \rAby ponownie wprowadzić NIP naciśnij NIE. \r      Aby "
                 "kontynuować naciśnij TAK.       "),
              true};
    case kNipNoDigits:
      return {CaptionError(), MB_ICONSTOP | MB_OK,
              Cp("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r                      Brak cyfr "
                 "w ciągu znaków.         "),
              false};
    case kNipNoWord:
      return {CaptionError(), MB_ICONSTOP | MB_OK,
              Cp("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r     Brak słowa 'NIP' w ciągu "
                 "znaków     "),
              false};
    default: return {};
  }
}

std::string GetTabField(uint8_t n, const std::string& line) {
  if (line.empty() || n == 0) return std::string();
  size_t start = 0;
  for (uint8_t skip = 1; skip < n; ++skip) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string::npos) return std::string();
    start = tab + 1;
  }
  const size_t tab = line.find('\t', start);
  std::string field =
      line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
  if (n == 1 && !field.empty() && field[0] == '$') field.erase(0, 1);
  return field;
}

std::string UserDataFileContent(const UserDataLines& data) {
  auto entry = [](std::string text, bool narrow) {
    BlankControlCharacters(text);
    return "$" + text + "\t" + (narrow ? "20" : "40") + "\r\n";
  };
  std::string content = "#1\r\n#\r\n#\r\n";
  for (size_t i = 0; i < 3; ++i) content += entry(data.lines[i], data.widthItems[i] != 0);
  content += entry(data.lines[3], false);
  return content;
}

UserDataSaveResult SaveUserDataFile(const std::filesystem::path& path, const UserDataLines& data) {
  UserDataSaveResult result;
  try {
    result.errorText = SaveErrorText(ShownName(path));
    if (platform::ReplaceFile(path, UserDataFileContent(data)) == 0) {
      result.ok = true;
      result.errorText.clear();
    }
  } catch (...) {
    // Out of memory while building a name: reported like any failed save.
  }
  return result;
}

UserDataLoadResult ParseUserDataFile(const std::string& content, const std::string& fileName) {
  UserDataLoadResult result;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < content.size() && lines.size() < 7) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  lines.resize(7);  // missing lines read as empty
  for (size_t i = 0; i < 3; ++i) {
    const std::string& line = lines[3 + i];
    result.lines[i] = GetTabField(1, line);
    const std::string width = GetTabField(2, line);
    if (width == "20") {
      result.widthItems[i] = 1;
    } else if (width == "40") {
      result.widthItems[i] = 0;
    } else {
      result.errorText = FormatErrorText(fileName);
      return result;
    }
  }
  result.lines[3] = GetTabField(1, lines[6]);
  result.ok = true;
  return result;
}

UserDataLoadResult LoadUserDataFile(const std::filesystem::path& path) {
  const std::string shown = ShownName(path);
  UserDataLoadResult failed;
  try {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
      failed.errorText = OpenErrorText(shown);
      return failed;
    }
    std::string content(static_cast<size_t>(kLoadLimit), '\0');
    file.read(content.data(), kLoadLimit);
    if (file.bad() || (file.fail() && !file.eof())) {
      failed.errorText = FormatErrorText(shown);
      return failed;
    }
    content.resize(static_cast<size_t>(file.gcount()));
    return ParseUserDataFile(content, shown);
  } catch (...) {
    failed.errorText = FormatErrorText(shown);
    return failed;
  }
}

}  // namespace console
