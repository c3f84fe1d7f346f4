// Index tags stay consistent with every append, edit, delete and reopening,
// through splits of many blocks; a tag the engine cannot evaluate stops
// writes instead of going stale.
#include <algorithm>
#include <fstream>
#include <functional>
#include <random>

#include "dbase/dbf_format.h"
#include "dbase/mdx_file.h"
#include "dbase_test_util.h"

namespace {

using namespace dbase;
using dbase_test::TempDir;

TableDef People() {
  TableDef def;
  def.fields = {{"NR", FieldType::Numeric, 6, 0},
                {"NAZWISKO", FieldType::Character, 30, 0},
                {"IMIONA", FieldType::Character, 30, 0}};
  def.tags = {{"NR", "NR"}, {"NAI", "NAZWISKO+IMIONA"}};
  return def;
}

struct Person {
  int nr;
  std::string surname, names;
};

std::vector<int> NrOrder(Table& t) {
  std::vector<int> v;
  t.SetIndexName("NR");
  for (t.First(); !t.Eof(); t.Next()) v.push_back(static_cast<int>(t.AsInteger("NR")));
  return v;
}

std::vector<std::string> NaiOrder(Table& t) {
  std::vector<std::string> v;
  t.SetIndexName("NAI");
  for (t.First(); !t.Eof(); t.Next())
    v.push_back(t.AsString("NAZWISKO") + "|" + t.AsString("IMIONA"));
  return v;
}

TEST(Tags, ManyAppendsEditsAndDeletesKeepBothTagsInOrder) {
  TempDir dir;
  std::string path = dir / "SPIS.DBF";
  Table::Create(path, People());
  std::mt19937 rng(7);
  std::vector<Person> people;
  {
    Table t;
    t.Open(path);
    for (int i = 0; i < 1500; ++i) {
      Person p{static_cast<int>(rng() % 5000) - 100, "S" + std::to_string(rng() % 400),
               "I" + std::to_string(i % 37)};
      t.Append();
      t.SetInteger("NR", p.nr);
      t.SetString("NAZWISKO", p.surname);
      t.SetString("IMIONA", p.names);
      t.Post();
      people.push_back(p);
    }
    // Edits move keys across blocks; deletes leave the rest in order.
    t.SetIndexName("");
    t.First();
    for (size_t i = 0; i < people.size(); ++i, t.Next()) {
      if (i % 7 == 0) {
        people[i].surname = "E" + std::to_string(rng() % 400);
        people[i].nr += 10000;
        t.Edit();
        t.SetString("NAZWISKO", people[i].surname);
        t.SetInteger("NR", people[i].nr);
        t.Post();
      }
    }
    for (uint32_t n = 3; n <= people.size(); n += 5) {
      t.GotoBookmark(n);
      t.Delete();
      people[n - 1].nr = INT32_MIN;  // gone
    }
  }
  std::vector<int> nrs;
  std::vector<std::string> nai;
  for (const auto& p : people) {
    if (p.nr == INT32_MIN) continue;
    nrs.push_back(p.nr);
    // Keys are the padded fields, so "E1" comes before "E100".
    std::string key = p.surname + std::string(30 - p.surname.size(), ' ') + p.names;
    nai.push_back(key);
  }
  std::sort(nrs.begin(), nrs.end());
  std::sort(nai.begin(), nai.end());
  for (auto& k : nai) k = Trim(k.substr(0, 30)) + "|" + Trim(k.substr(30));
  Table t;  // a fresh handle reads the tags from the file
  t.Open(path);
  EXPECT_EQ(t.RecordCount(), nrs.size());
  EXPECT_EQ(NrOrder(t), nrs);
  EXPECT_EQ(NaiOrder(t), nai);
  // Backwards too.
  std::vector<int> back;
  t.SetIndexName("NR");
  for (t.Last(); !t.Bof(); t.Prior()) back.push_back(static_cast<int>(t.AsInteger("NR")));
  std::reverse(back.begin(), back.end());
  EXPECT_EQ(back, nrs);
}

TEST(Tags, AnotherHandleSeesRowsAppendedThroughThisOne) {
  TempDir dir;
  std::string path = dir / "SPIS.DBF";
  Table::Create(path, People());
  Table writer, reader;
  writer.Open(path);
  reader.Open(path);
  reader.SetIndexName("NR");
  for (int nr : {5, 1, 3}) {
    writer.Append();
    writer.SetInteger("NR", nr);
    writer.Post();
  }
  EXPECT_EQ(NrOrder(reader), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(reader.RecordCount(), 3u);
}

TEST(Tags, EditsInPlaceThroughTwoHandlesKeepTheTagWhole) {
  // Edits rewrite index blocks without growing the file, often within one
  // tick of the file clock: each writer must still see the other's changes.
  TempDir dir;
  std::string path = dir / "SPIS.DBF";
  Table::Create(path, People());
  Table a, b;
  a.Open(path);
  for (int i = 0; i < 100; ++i) {
    a.Append();
    a.SetInteger("NR", i);
    a.Post();
  }
  b.Open(path);
  std::vector<int> values(100);
  for (int i = 0; i < 100; ++i) values[static_cast<size_t>(i)] = i;
  for (int round = 0; round < 40; ++round) {
    for (Table* t : {&a, &b}) {
      uint32_t row = static_cast<uint32_t>((round * 37 + (t == &a ? 11 : 53)) % 100 + 1);
      int value = 1000 + round * 2 + (t == &a ? 0 : 1);
      t->GotoBookmark(row);
      t->Edit();
      t->SetInteger("NR", value);
      t->Post();
      values[row - 1] = value;
    }
  }
  std::sort(values.begin(), values.end());
  Table check;
  check.Open(path);
  EXPECT_EQ(NrOrder(check), values);
}

TEST(Tags, ATagTheEngineCannotEvaluateRefusesWrites) {
  TempDir dir;
  std::string path = dir / "SPIS.DBF";
  Table::Create(path, People());
  {
    Table t;
    t.Open(path);
    t.Append();
    t.SetInteger("NR", 1);
    t.Post();
  }
  // Rewrite the first tag's key expression to one with a function.
  std::string mdx = dir / "SPIS.MDX";
  std::fstream f(mdx, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(4 * 512 + 24);
  const char expr[] = "STR(NR)";
  f.write(expr, sizeof expr);
  f.close();
  std::string before = dbase_test::ReadFileBytes(path);
  Table t;
  t.Open(path);
  EXPECT_TRUE(t.ReadOnly());
  EXPECT_NE(t.ReadOnlyReason().find("STR(NR)"), std::string::npos);
  EXPECT_EQ(t.AsInteger("NR"), 1);  // reading still works
  for (auto write : std::vector<std::function<void()>>{[&] { t.Edit(); }, [&] { t.Append(); },
                                                       [&] { t.Delete(); }}) {
    try {
      write();
      ADD_FAILURE();
    } catch (const DbError& e) {
      EXPECT_EQ(e.Code(), ErrorCode::ReadOnly);
    }
  }
  EXPECT_THROW(t.SetIndexName("NR"), DbError);
  t.SetIndexName("NAI");  // the other tag is fine for reading
  EXPECT_EQ(dbase_test::ReadFileBytes(path), before);
}

TEST(Tags, WalksThroughAStaleTagEndAndMeetEachEntryOnce) {
  // Rows rewritten behind the index's back (a peer, a crash, damage): their
  // NAI entries keep the old keys. Every walk must still end, each entry met
  // once; the loops below are bounded by counting, not trusted to end.
  TempDir dir;
  std::string path = dir / "SPIS.DBF";
  Table::Create(path, People());
  {
    Table t;
    t.Open(path);
    for (int i = 0; i < 60; ++i) {
      t.Append();
      t.SetInteger("NR", i);
      t.SetString("NAZWISKO", "S" + std::to_string(100 + i));
      t.SetString("IMIONA", "I");
      t.Post();
    }
  }
  {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string head(12, '\0');
    f.read(head.data(), 12);
    size_t headerLength = static_cast<uint8_t>(head[8]) | static_cast<uint8_t>(head[9]) << 8;
    size_t recordLength = static_cast<uint8_t>(head[10]) | static_cast<uint8_t>(head[11]) << 8;
    for (int row : {1, 10, 30, 59}) {  // keys now before and after their entries
      f.seekp(static_cast<long>(headerLength + static_cast<size_t>(row) * recordLength + 1 + 6));
      std::string surname = (row % 2 ? "A" : "Z") + std::to_string(row);
      surname.resize(30, ' ');
      f.write(surname.data(), 30);
    }
  }
  // One row with a second entry under another key.
  {
    MdxFile mdx;
    mdx.Open(dir / "SPIS.MDX");
    mdx.Insert(mdx.FindTag("NAI"), std::string("S130") + std::string(56, ' '), 5);
    mdx.Flush();
  }
  Table t;
  t.Open(path);
  t.SetIndexName("NAI");
  std::vector<uint32_t> forward, backward;
  for (t.First(); !t.Eof() && forward.size() < 200; t.Next()) forward.push_back(t.RecNo());
  for (t.Last(); !t.Bof() && backward.size() < 200; t.Prior()) backward.push_back(t.RecNo());
  EXPECT_EQ(forward.size(), 61u);  // every entry, row 5 twice
  std::reverse(backward.begin(), backward.end());
  EXPECT_EQ(backward, forward);
  std::vector<Bookmark> marks = t.Bookmarks();  // each row once
  std::vector<Bookmark> sorted = marks;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted.size(), 60u);
  EXPECT_TRUE(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end());
  EXPECT_FALSE(t.Locate("NAZWISKO", "missing"));
  EXPECT_TRUE(t.Locate("NAZWISKO", "Z30"));
  EXPECT_EQ(t.RecNo(), 31u);
  // Stepping on from a row whose entry is stale goes forward from the entry.
  t.Next();
  EXPECT_EQ(t.AsString("NAZWISKO"), "S131");
}

// A missing or damaged index opens the table read-only, naming the file,
// for a pack to rebuild; nothing is written meanwhile.
TEST(Tags, MissingOrDamagedIndexFileOpensReadOnly) {
  TempDir dir;
  std::string path = dir / "SPIS.DBF";
  Table::Create(path, People());
  const std::string mdx = dbase_test::ReadFileBytes(dir / "SPIS.MDX");
  std::remove((dir / "SPIS.MDX").c_str());
  Table t;
  t.Open(path);
  EXPECT_TRUE(t.ReadOnly());
  EXPECT_TRUE(t.PackRepairs());
  EXPECT_EQ(t.ReadOnlyReason(), "Brak pliku " + dir / "SPIS.MDX");
  EXPECT_TRUE(t.Tags().empty());
  EXPECT_THROW(t.Append(), DbError);
  t.Close();

  // NR's entries said to be 48 bytes long instead of the 16 that its key
  // needs: its blocks would be read, and written, at the wrong places.
  std::string damaged = mdx;
  ASSERT_EQ(damaged[4 * 512 + 18], 16);
  damaged[4 * 512 + 18] = 48;
  dbase_test::WriteFileBytes(dir / "SPIS.MDX", damaged);
  t.Open(path);
  EXPECT_TRUE(t.PackRepairs());
  EXPECT_EQ(t.ReadOnlyReason(), "Uszkodzony indeks " + dir / "SPIS.MDX" + " (znacznik NR)");
  EXPECT_THROW(t.SetIndexName("NR"), DbError);
  t.Close();
  EXPECT_EQ(dbase_test::ReadFileBytes(dir / "SPIS.MDX"), damaged);
}

TEST(Tags, ProductionIndexLayout) {
  TempDir dir;
  std::string path = dir / "SPIS.DBF";
  Table::Create(path, People());
  std::string dbf = dbase_test::ReadFileBytes(path);
  EXPECT_EQ(dbf[28], 1);       // the table has a production index
  EXPECT_EQ(dbf[32 + 31], 1);  // NR carries a tag of its own
  EXPECT_EQ(dbf[64 + 31], 0);  // NAZWISKO only within NAI
  std::string mdx = dbase_test::ReadFileBytes(dir / "SPIS.MDX");
  EXPECT_EQ(mdx[0], 2);
  EXPECT_EQ(mdx.substr(4, 5), std::string("SPIS\0", 5));
  EXPECT_EQ(mdx.substr(20, 4), std::string("\x02\0\0\x04", 4));  // 2 pages a block, 1024 bytes
  EXPECT_EQ(mdx[24], 1);                                         // production
  EXPECT_EQ(mdx.substr(25, 2), std::string("\x30\x20", 2));      // 48 entries of 32 bytes
  EXPECT_EQ(mdx[28], 2);                                         // tags in use
  // Tag table: header page, name, key type; the names form a tree (NAI
  // sorts before NR: NR's left child is entry 2).
  EXPECT_EQ(mdx.substr(544, 4), std::string("\x04\0\0\0", 4));
  EXPECT_EQ(mdx.substr(548, 3), std::string("NR\0", 3));
  EXPECT_EQ(mdx[544 + 16], 2);
  EXPECT_EQ(mdx[544 + 20], 'N');
  EXPECT_EQ(mdx.substr(576 + 4, 4), std::string("NAI\0", 4));
  EXPECT_EQ(mdx[576 + 18], 1);
  EXPECT_EQ(mdx[576 + 20], 'C');
  EXPECT_EQ(mdx.substr(2048 + 2048 + 24, 16), std::string("NAZWISKO+IMIONA\0", 16));
  EXPECT_EQ(mdx.size(), 2048u + 4 * 1024);  // header, then per tag its header and root blocks
}

TEST(Tags, TagHeadersCountChangesAndTellWhetherTheyHoldKeys) {
  TempDir dir;
  std::string path = dir / "SPIS.DBF";
  Table::Create(path, People());
  auto header = [&](size_t at) {
    return static_cast<uint8_t>(dbase_test::ReadFileBytes(dir / "SPIS.MDX")[at]);
  };
  const size_t nrTag = 4 * 512;  // the first tag's header block
  EXPECT_EQ(header(nrTag + 9), 'N');
  EXPECT_EQ(header(nrTag + 12), 12);  // key length
  EXPECT_EQ(header(nrTag + 18), 16);  // key and record number, rounded to 4
  EXPECT_EQ(header(nrTag + 246), 0);
  uint8_t serial = header(nrTag + 20);
  Table t;
  t.Open(path);
  t.Append();
  t.SetInteger("NR", 1);
  t.Post();
  EXPECT_EQ(header(nrTag + 246), 1);
  EXPECT_EQ(header(nrTag + 20), static_cast<uint8_t>(serial + 1));
  t.Edit();
  t.SetString("IMIONA", "Jan");  // NR's key stays: its tag is not touched
  t.Post();
  EXPECT_EQ(header(nrTag + 20), static_cast<uint8_t>(serial + 1));
}

TEST(Tags, NumericKeysArePackedDecimals) {
  // dBASE IV numeric keys: 0x34 + digits before the point, digit count and
  // sign, then two digits a byte.
  EXPECT_EQ(NumericKey("12"), std::string("\x36\x09\x12\0\0\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(NumericKey("   0"), std::string("\x34\x01\0\0\0\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(NumericKey("-3.50"), std::string("\x35\x89\x35\0\0\0\0\0\0\0\0\0", 12));
  std::vector<std::string> ordered = {"-100", "-2.5", "-2", "0",   "0.05",
                                      "1",    "1.5",  "10", "120", "99999"};
  for (size_t i = 0; i + 1 < ordered.size(); ++i) {
    EXPECT_LT(CompareNumericKeys(NumericKey(ordered[i]), NumericKey(ordered[i + 1])), 0)
        << ordered[i];
    EXPECT_GT(CompareNumericKeys(NumericKey(ordered[i + 1]), NumericKey(ordered[i])), 0)
        << ordered[i];
  }
  EXPECT_EQ(CompareNumericKeys(NumericKey("7"), NumericKey(" 7")), 0);
}

}  // namespace
