#include "correspondent_register/core/drive_map.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <system_error>

#include "platform/text/cp1250.h"

namespace fs = std::filesystem;

namespace zorvel {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Characters Windows refuses in a file or folder name.
bool IsValidName(std::string_view name) {
  for (char ch : name) {
    auto b = static_cast<unsigned char>(ch);
    if (b < 0x20) return false;
    if (std::string_view("<>:\"|?*").find(ch) != std::string_view::npos) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

char UpperLetter(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  return c;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The name of an existing entry in the program's code page, when the host
// name can be written in it exactly.
std::optional<std::string> Cp1250Name(const std::string& hostName) {
  std::string cp = platform::Cp1250FromUtf8(hostName);
  if (platform::Utf8FromCp1250(cp) != hostName) return std::nullopt;
  return cp;
}

// Finds the entry of folder that the Windows name names: the exact name
// first, then the first name (in byte order) equal without regard to case.
std::optional<fs::path> MatchEntry(const fs::path& folder, const std::string& cp1250Name) {
  std::error_code ec;
  const std::string hostName = platform::Utf8FromCp1250(cp1250Name);
  if (fs::symlink_status(folder / hostName, ec).type() != fs::file_type::not_found && !ec) {
    return folder / hostName;
  }
  const std::string wanted = FoldCase(cp1250Name);
  std::vector<std::string> matches;
  fs::directory_iterator it(folder, ec);
  if (ec) return std::nullopt;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    std::string name = it->path().filename().string();
    std::optional<std::string> cp = Cp1250Name(name);
    if (cp && FoldCase(*cp) == wanted) matches.push_back(std::move(name));
  }
  if (matches.empty()) return std::nullopt;
  std::sort(matches.begin(), matches.end());
  return folder / matches.front();
}

}  // namespace

std::string FoldCase(std::string_view cp1250) {
  std::string out(cp1250);
  for (char& ch : out) {
    auto b = static_cast<unsigned char>(ch);
    if (b >= 'A' && b <= 'Z') {
      b = static_cast<unsigned char>(b + 0x20);
    } else if (b == 0x8A || b == 0x8C || b == 0x8D || b == 0x8E || b == 0x8F) {
      b = static_cast<unsigned char>(b + 0x10);  // Š Ś Ť Ž Ź
    } else if (b == 0xA3) {
      b = 0xB3;  // Ł
    } else if (b == 0xA5) {
      b = 0xB9;  // Ą
    } else if (b == 0xAA) {
      b = 0xBA;  // Ş
    } else if (b == 0xAF) {
      b = 0xBF;  // Ż
    } else if (b == 0xBC) {
      b = 0xBE;  // Ľ
    } else if (b >= 0xC0 && b <= 0xDE && b != 0xD7) {
      b = static_cast<unsigned char>(b + 0x20);
    }
    ch = static_cast<char>(b);
  }
  return out;
}

fs::path DriveMap::DefaultDriveC() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  fs::path base;
  if (xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home != '/') {
      const passwd* pw = getpwuid(getuid());
      home = pw != nullptr ? pw->pw_dir : "/tmp";
    }
    base = fs::path(home) / ".local" / "share";
  }
  return base / "zorvel" / "C";
}

DriveMap DriveMap::Parse(std::string_view mapping, std::vector<std::string>* problems) {
  DriveMap map;
  while (!mapping.empty()) {
    size_t comma = mapping.find(',');
    std::string_view entry = TrimBlanks(mapping.substr(0, comma));
    mapping = comma == std::string_view::npos ? std::string_view() : mapping.substr(comma + 1);
    if (entry.empty()) continue;
    std::string_view folder = entry.size() >= 2 ? TrimBlanks(entry.substr(2)) : std::string_view();
    if (entry.size() < 3 || !IsLetter(entry[0]) || entry[1] != '=' || folder.empty()) {
      if (problems != nullptr) problems->push_back(std::string(entry));
      continue;
    }
    std::error_code ec;
    fs::path root = fs::absolute(fs::path(std::string(folder)), ec);
    if (ec) root = fs::path(std::string(folder));
    map.Map(entry[0], root.lexically_normal());
  }
  return map;
}

DriveMap DriveMap::FromEnvironment() {
  const char* mapping = std::getenv("ZORVEL_DRIVES");
  std::vector<std::string> problems;
  DriveMap map = Parse(mapping != nullptr ? mapping : "", &problems);
  for (const std::string& entry : problems) {
    std::cerr << "zorvel: ZORVEL_DRIVES entry \"" << entry
              << "\" is not of the form LETTER=/host/folder; skipped\n";
  }
  if (!map.Root('C')) map.Map('C', DefaultDriveC(), true);
  return map;
}

void DriveMap::Map(char letter, fs::path hostRoot, bool createRoot) {
  drives_[UpperLetter(letter)] = Drive{std::move(hostRoot), createRoot};
}

std::optional<fs::path> DriveMap::Root(char letter) const {
  auto it = drives_.find(UpperLetter(letter));
  if (it == drives_.end()) return std::nullopt;
  return it->second.root;
}

bool DriveMap::CreatesRoot(char letter) const {
  auto it = drives_.find(UpperLetter(letter));
  return it != drives_.end() && it->second.createRoot;
}

std::vector<char> DriveMap::Letters() const {
  std::vector<char> letters;
  for (const auto& [letter, drive] : drives_) letters.push_back(letter);
  return letters;
}

std::optional<fs::path> DriveMap::HostPath(std::string_view windowsPath) const {
  if (windowsPath.size() >= 2 && IsSeparator(windowsPath[0]) && IsSeparator(windowsPath[1])) {
    return std::nullopt;  // UNC or device path: no drive to map
  }
  char letter = 'C';
  std::string_view rest = windowsPath;
  if (windowsPath.size() >= 2 && windowsPath[1] == ':' && IsLetter(windowsPath[0])) {
    letter = windowsPath[0];
    rest = windowsPath.substr(2);
  }
  std::optional<fs::path> root = Root(letter);
  if (!root) return std::nullopt;

  std::vector<std::string> components;
  while (!rest.empty()) {
    size_t sep = 0;
    while (sep < rest.size() && !IsSeparator(rest[sep])) ++sep;
    std::string_view name = rest.substr(0, sep);
    rest = sep < rest.size() ? rest.substr(sep + 1) : std::string_view();
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!components.empty()) components.pop_back();
      continue;
    }
    if (!IsValidName(name)) return std::nullopt;
    components.emplace_back(name);
  }

  fs::path host = *root;
  bool existing = true;
  for (const std::string& name : components) {
    if (existing) {
      if (std::optional<fs::path> match = MatchEntry(host, name)) {
        host = *match;
        continue;
      }
      existing = false;
    }
    host /= platform::Utf8FromCp1250(name);
  }
  return host;
}

std::string DriveMap::WithWindowsPaths(std::string_view text) const {
  // Longer roots first, so that a drive inside another one's folder wins.
  std::vector<std::pair<std::string, char>> roots;
  for (const auto& [letter, drive] : drives_) {
    std::string root = platform::Cp1250FromUtf8(drive.root.lexically_normal().string());
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    if (!root.empty()) roots.emplace_back(std::move(root), letter);
  }
  std::sort(roots.begin(), roots.end(),
            [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
  auto ends = [](char c) {
    return c == ' ' || c == '"' || c == '\'' || c == '(' || c == ')' || c == ':' || c == ',' ||
           c == ';' || c == '\r' || c == '\n';
  };
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    if (text[i] == '/' && (i == 0 || ends(text[i - 1]))) {
      for (const auto& [root, letter] : roots) {
        const size_t after = i + root.size();
        if (text.substr(i, root.size()) != root) continue;
        if (after < text.size() && text[after] != '/' && !ends(text[after])) continue;
        out += letter;
        out += ':';
        size_t j = after;
        for (; j < text.size() && !ends(text[j]); ++j) out += text[j] == '/' ? '\\' : text[j];
        if (j == after) out += '\\';
        i = j;
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

}  // namespace zorvel
