#pragma once
// Shared helpers of the engine's tests: a scratch folder, the table shapes
// the tests use, and the independent readers (python3-dbfread, Perl XBase).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dbase/dbase.h"

namespace dbase_test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Windows-1250 bytes of a UTF-8 literal.
std::string W(const char* utf8);

// A row as a reader sees it: deleted flag and the values (null as nullopt
// is written as "-" by the scripts, here as the text "<null>").
struct ReaderRow {
  bool deleted = false;
  std::vector<std::string> values;
  bool operator==(const ReaderRow&) const = default;
};
inline const char* kNull = "<null>";

// Rows of the table in physical order, as each reader gives them. dbfread
// lists live rows before deleted ones; the tests sort where it matters.
std::vector<ReaderRow> DbfreadRows(const std::string& dbf, const std::string& encoding = "cp1250");
std::vector<ReaderRow> XbaseRows(const std::string& dbf);
// Many tables in one run of dbfread: per table its rows, or the reader's
// error as the only row's only value (deleted set).
std::vector<std::vector<ReaderRow>> DbfreadTables(const std::vector<std::string>& dbfs);
// Perl XBase's walk of one .MDX tag: (record number, key bytes).
std::vector<std::pair<uint32_t, std::string>> XbaseTag(const std::string& mdx,
                                                       const std::string& tag);
// Perl XBase's search of a tag: the first entry at or after key; recno 0
// when there is none.
std::pair<uint32_t, std::string> XbaseSeek(const std::string& mdx, const std::string& tag,
                                           const std::string& key);
// The rows the engine itself reads, in physical order, deleted ones included
// (read through a second handle, raw from the file).
std::vector<ReaderRow> EngineRows(const std::string& dbf);

// A dBASE table with every field type the engine handles.
dbase::TableDef AllTypes(dbase::TableLevel level);

}  // namespace dbase_test
