#include "dbase_test_util.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text/cp1250.h"

namespace dbase_test {

TempDir::TempDir() {
  char templ[] = "/tmp/dbase-test-XXXXXX";
  const char* made = mkdtemp(templ);
  if (made == nullptr) throw std::runtime_error("mkdtemp");
  path_ = made;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::string W(const char* utf8) { return platform::Cp1250FromUtf8(utf8); }

namespace {

std::string Run(const std::string& command, int& status) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) {
    status = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  status = ::pclose(p);
  return out;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

std::vector<ReaderRow> ParseRows(const std::string& text) {
  std::vector<ReaderRow> rows;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string w;
    ReaderRow row;
    words >> w;
    row.deleted = w == "D";
    while (words >> w) row.values.push_back(w == "-" ? kNull : Unhex(w));
    rows.push_back(row);
  }
  return rows;
}

std::string Script(const char* name) { return std::string(DBASE_READERS_DIR) + "/" + name; }

}  // namespace

std::vector<ReaderRow> DbfreadRows(const std::string& dbf, const std::string& encoding) {
  int status = 0;
  std::string out = Run("/usr/bin/python3 " + Quote(Script("dbfread_dump.py")) + " " + Quote(dbf) +
                            " " + (encoding.empty() ? "auto" : encoding),
                        status);
  EXPECT_EQ(status, 0) << "dbfread failed on " << dbf;
  return ParseRows(out);
}

std::vector<std::vector<ReaderRow>> DbfreadTables(const std::vector<std::string>& dbfs) {
  std::string command =
      "/usr/bin/python3 " + Quote(Script("dbfread_dump.py")) + " " + Quote(dbfs.at(0)) + " cp1250";
  for (size_t i = 1; i < dbfs.size(); ++i) command += " " + Quote(dbfs[i]);
  if (dbfs.size() == 1) command += " " + Quote(dbfs[0]);  // still one table a block
  int status = 0;
  std::istringstream lines(Run(command, status));
  EXPECT_EQ(status, 0);
  std::vector<std::vector<ReaderRow>> tables;
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "=") tables.emplace_back();
    else if (!tables.empty() && line.rfind("! ", 0) == 0)
      tables.back().push_back(ReaderRow{true, {line.substr(2)}});
    else if (!tables.empty()) tables.back().push_back(ParseRows(line).at(0));
  }
  if (dbfs.size() == 1 && tables.size() == 2) tables.pop_back();
  return tables;
}

std::vector<ReaderRow> XbaseRows(const std::string& dbf) {
  int status = 0;
  std::string out = Run("perl " + Quote(Script("xbase_dump.pl")) + " " + Quote(dbf), status);
  EXPECT_EQ(status, 0) << "Perl XBase failed on " << dbf;
  return ParseRows(out);
}

std::vector<std::pair<uint32_t, std::string>> XbaseTag(const std::string& mdx,
                                                       const std::string& tag) {
  int status = 0;
  std::string out =
      Run("perl " + Quote(Script("xbase_tag.pl")) + " " + Quote(mdx) + " " + tag, status);
  EXPECT_EQ(status, 0) << "Perl XBase::Index failed on " << mdx << " tag " << tag;
  std::vector<std::pair<uint32_t, std::string>> entries;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    uint32_t recno = 0;
    std::string key;
    words >> recno >> key;
    entries.emplace_back(recno, Unhex(key));
  }
  return entries;
}

std::pair<uint32_t, std::string> XbaseSeek(const std::string& mdx, const std::string& tag,
                                           const std::string& key) {
  std::string hex;
  for (unsigned char c : key) {
    char b[3];
    std::snprintf(b, sizeof b, "%02x", c);
    hex += b;
  }
  int status = 0;
  std::string out = Run(
      "perl " + Quote(Script("xbase_seek.pl")) + " " + Quote(mdx) + " " + tag + " " + hex, status);
  EXPECT_EQ(status, 0) << "Perl XBase::Index search failed on " << mdx;
  std::istringstream words(out);
  uint32_t recno = 0;
  std::string found;
  words >> recno >> found;
  return {recno, Unhex(found)};
}

std::vector<ReaderRow> EngineRows(const std::string& dbf) {
  std::vector<ReaderRow> rows;
  dbase::Table t;
  t.Open(dbf, dbase::ShareMode::Shared);
  // Live rows through the cursor in physical order; deleted ones are
  // invisible to it, so the raw flags come from the file.
  std::string bytes = ReadFileBytes(dbf);
  uint16_t headerLength = static_cast<uint8_t>(bytes[8]) | static_cast<uint8_t>(bytes[9]) << 8;
  uint16_t recordLength = static_cast<uint8_t>(bytes[10]) | static_cast<uint8_t>(bytes[11]) << 8;
  for (t.First(); !t.Eof() && t.RecNo() != 0; t.Next()) {
    ReaderRow row;
    row.deleted = bytes[headerLength + (t.RecNo() - 1) * recordLength] == '*';
    for (const auto& f : t.Fields())
      row.values.push_back(t.IsNull(f.name) ? kNull : t.AsString(f.name));
    rows.push_back(row);
  }
  return rows;
}

dbase::TableDef AllTypes(dbase::TableLevel level) {
  using dbase::FieldType;
  dbase::TableDef def;
  def.level = level;
  def.fields = {
      {"NAME", FieldType::Character, 20, 0}, {"COUNT", FieldType::Numeric, 6, 0},
      {"PRICE", FieldType::Numeric, 8, 2},   {"RATE", FieldType::Float, 10, 3},
      {"ACTIVE", FieldType::Logical, 1, 0},  {"BORN", FieldType::Date, 8, 0},
      {"NOTES", FieldType::Memo, 10, 0},
  };
  return def;
}

}  // namespace dbase_test
