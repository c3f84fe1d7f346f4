// Independent agreement: what the engine writes, python3-dbfread and Perl
// XBase read the same, and Perl XBase's .MDX reader walks every tag in key
// order over every live row.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>

#include "dbase_test_util.h"

namespace {

using namespace dbase;
using dbase_test::ReaderRow;
using dbase_test::TempDir;
using dbase_test::W;

std::vector<ReaderRow> Sorted(std::vector<ReaderRow> rows) {
  std::stable_sort(rows.begin(), rows.end(),
                   [](const ReaderRow& a, const ReaderRow& b) { return a.deleted < b.deleted; });
  return rows;
}

void Fill(Table& t, int rows) {
  for (int i = 0; i < rows; ++i) {
    t.Append();
    t.SetString("NAME", W(i % 2 ? "Łukasz Źdźbło" : "Anna") + std::to_string(i));
    t.SetInteger("COUNT", i * 3 - 7);
    t.SetString("PRICE", std::to_string(i) + ".25");
    if (i % 3) t.SetString("RATE", "-" + std::to_string(i) + ".125");
    t.SetString("ACTIVE", i % 2 ? "T" : "F");
    if (i % 4) t.SetString("BORN", "200" + std::to_string(i % 10) + "0131");
    if (i % 5)
      t.SetString("NOTES",
                  W("Notatka żółta ") + std::string(static_cast<size_t>(i * 37 % 1200), 'n'));
    t.Post();
  }
  t.First();
  for (int i = 0; i < rows; ++i) {
    if (i % 4 == 1) t.Delete();
    else t.Next();
  }
}

class Readers : public ::testing::TestWithParam<TableLevel> {};

TEST_P(Readers, AgreeOnRowsMemosAndDeletedFlags) {
  TempDir dir;
  std::string path = dir / "ALL.DBF";
  Table::Create(path, dbase_test::AllTypes(GetParam()));
  {
    Table t;
    t.Open(path);
    Fill(t, 40);
    // A rewritten memo goes to new blocks.
    t.First();
    t.Edit();
    t.SetString("NOTES", std::string(2000, 'L'));
    t.Post();
  }
  // The engine's own view, then every row with its flag straight from the
  // file through the readers.
  std::vector<ReaderRow> engine = dbase_test::EngineRows(path);
  std::vector<ReaderRow> dbfread = Sorted(dbase_test::DbfreadRows(path));
  std::vector<ReaderRow> xbase = Sorted(dbase_test::XbaseRows(path));
  ASSERT_EQ(dbfread.size(), 40u);
  ASSERT_EQ(xbase.size(), 40u);
  EXPECT_EQ(dbfread, xbase);
  std::vector<ReaderRow> live(dbfread.begin(), dbfread.begin() + static_cast<long>(engine.size()));
  EXPECT_EQ(engine, live);
  EXPECT_EQ(
      std::count_if(dbfread.begin(), dbfread.end(), [](const ReaderRow& r) { return r.deleted; }),
      10);
}

INSTANTIATE_TEST_SUITE_P(Levels, Readers, ::testing::Values(TableLevel::DBase3, TableLevel::DBase4),
                         [](const auto& test) {
                           return test.param == TableLevel::DBase3 ? "DBase3" : "DBase4";
                         });

// The other way round: tables that Perl XBase writes, the engine reads.
class WrittenByPerl : public ::testing::TestWithParam<const char*> {};

TEST_P(WrittenByPerl, EngineReadsRowsMemosAndDeletedFlags) {
  TempDir dir;
  std::string path = dir / "perl.dbf";  // Perl XBase names the memo file from a lower-case name
  ASSERT_EQ(std::system(("perl " + std::string(DBASE_READERS_DIR) + "/xbase_write.pl " + path +
                         " " + GetParam())
                            .c_str()),
            0);
  Table t;
  t.Open(path);
  EXPECT_EQ(t.Level(), std::string(GetParam()) == "3" ? TableLevel::DBase3 : TableLevel::DBase4);
  EXPECT_EQ(t.RecordCount(), 2u);
  EXPECT_EQ(t.AsString("NAME"), "Ala ma kota");
  EXPECT_EQ(t.AsInteger("COUNT"), 12);
  EXPECT_EQ(t.AsString("PRICE"), "3.25");
  EXPECT_EQ(t.AsString("ACTIVE"), "T");
  EXPECT_EQ(t.AsString("BORN"), "19980914");
  EXPECT_EQ(t.AsString("NOTES"), "memo one");
  t.Next();
  EXPECT_EQ(t.RecNo(), 3u);  // the deleted row is skipped
  for (const auto& f : t.Fields()) EXPECT_TRUE(t.IsNull(f.name)) << f.name;
  // And writes to it stay readable for Perl XBase.
  t.Edit();
  t.SetString("NOTES", std::string(700, 'z'));
  t.SetString("NAME", "Ola");
  t.Post();
  auto rows = dbase_test::XbaseRows(path);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_TRUE(rows[1].deleted);
  EXPECT_EQ(rows[1].values[5], "memo two, deleted");
  EXPECT_EQ(rows[2].values[0], "Ola");
  EXPECT_EQ(rows[2].values[5], std::string(700, 'z'));
}

INSTANTIATE_TEST_SUITE_P(Levels, WrittenByPerl, ::testing::Values("3", "0B"), [](const auto& test) {
  return std::string(test.param) == "3" ? "DBase3" : "DBase4";
});

TEST(Readers, CodePageByteIsHonouredByDbfread) {
  TempDir dir;
  TableDef def;
  def.fields = {{"NAME", FieldType::Character, 12, 0}};
  def.codePageByte = 0x64;
  std::string path = dir / "CP.DBF";
  Table::Create(path, def);
  Table t;
  t.Open(path);
  t.Append();
  t.SetString("NAME", W("Źródło"));
  t.Post();
  // dbfread takes the encoding from the byte (0x64 is code page 852).
  std::vector<ReaderRow> rows = dbase_test::DbfreadRows(path, "");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].values[0], W("Źródło"));
}

// Perl XBase walks the tag; the live rows must come in key order, each once.
void ExpectTagWalk(const std::string& dir, const std::string& tag,
                   const std::string& keyField2 = {}) {
  Table t;
  t.Open(dir + "/SPIS.DBF");
  std::map<uint32_t, std::string> live;  // recno -> key
  for (t.First(); !t.Eof(); t.Next()) {
    std::string key = t.AsString("NAZWISKO");
    key.resize(30, ' ');
    std::string names = t.AsString("IMIONA");
    names.resize(30, ' ');
    live[t.RecNo()] = key + names;
  }
  auto walk = dbase_test::XbaseTag(dir + "/SPIS.MDX", tag);
  std::vector<uint32_t> seen;
  std::string previous;
  for (const auto& [recno, key] : walk) {
    auto it = live.find(recno);
    if (it == live.end()) continue;  // a deleted row keeps its entry
    if (tag == "NAI") {
      EXPECT_EQ(key, it->second) << "recno " << recno;
      EXPECT_LE(previous, key);
      previous = key;
    }
    seen.push_back(recno);
  }
  std::vector<uint32_t> unique = seen;
  std::sort(unique.begin(), unique.end());
  EXPECT_TRUE(std::adjacent_find(unique.begin(), unique.end()) == unique.end());
  EXPECT_EQ(seen.size(), live.size()) << tag;
  if (tag == "NR") {
    std::vector<int64_t> nrs;
    for (uint32_t r : seen) {
      t.GotoBookmark(r);
      nrs.push_back(t.AsInteger("NR"));
    }
    EXPECT_TRUE(std::is_sorted(nrs.begin(), nrs.end()));
  }
  (void)keyField2;
}

TEST(Readers, PerlWalksEveryTagAfterAppendsEditsDeletesAndPack) {
  TempDir dir;
  std::string path = dir / "SPIS.DBF";
  TableDef def;
  def.fields = {{"NR", FieldType::Numeric, 5, 0},
                {"NAZWISKO", FieldType::Character, 30, 0},
                {"IMIONA", FieldType::Character, 30, 0}};
  def.tags = {{"NR", "NR"}, {"NAI", "NAZWISKO+IMIONA"}};
  Table::Create(path, def);
  std::mt19937 rng(11);
  {
    Table t;
    t.Open(path);
    for (int i = 0; i < 700; ++i) {  // enough for three levels of NAI blocks
      t.Append();
      t.SetInteger("NR", static_cast<int64_t>(rng() % 3000));
      t.SetString("NAZWISKO", W("Nazwisko") + std::to_string(rng() % 500));
      t.SetString("IMIONA", W("Imię") + std::to_string(i));
      t.Post();
    }
  }
  ExpectTagWalk(dir.Path(), "NR");
  ExpectTagWalk(dir.Path(), "NAI");
  {
    Table t;
    t.Open(path);
    t.SetIndexName("NAI");
    int i = 0;
    for (t.First(); !t.Eof(); ++i) {
      if (i % 5 == 0) {
        t.Edit();
        t.SetString("NAZWISKO", "A" + std::to_string(i));
        t.SetInteger("NR", 5000 - i);
        t.Post();
        t.Next();
      } else if (i % 5 == 1) {
        t.Delete();
      } else {
        t.Next();
      }
    }
  }
  ExpectTagWalk(dir.Path(), "NR");
  ExpectTagWalk(dir.Path(), "NAI");
  {
    Table t;
    t.Open(path, ShareMode::Exclusive);
    t.Pack();
  }
  ExpectTagWalk(dir.Path(), "NR");
  ExpectTagWalk(dir.Path(), "NAI");
  EXPECT_EQ(dbase_test::XbaseTag(dir / "SPIS.MDX", "NAI").size(),
            dbase_test::DbfreadRows(path).size());

  // A peer that searches the tag goes down the branch blocks: it must land
  // on the first key at or after the one it looks for.
  auto walk = dbase_test::XbaseTag(dir / "SPIS.MDX", "NAI");
  for (size_t i = 0; i < walk.size(); i += 37) {
    std::string target = walk[i].second;
    target.back() = static_cast<char>(target.back() - 1);  // just before this key
    auto found = dbase_test::XbaseSeek(dir / "SPIS.MDX", "NAI", target);
    EXPECT_EQ(found.second, walk[i].second) << i;
  }
  std::string beyond(60, '\xFF');
  EXPECT_EQ(dbase_test::XbaseSeek(dir / "SPIS.MDX", "NAI", beyond).first, 0u);
}

}  // namespace
