// Tables and memos: what is written is read back the same, the header stays
// true, and a value that does not fit leaves the files untouched.
#include <ctime>

#include "dbase_test_util.h"

namespace {

using namespace dbase;
using dbase_test::ReadFileBytes;
using dbase_test::TempDir;
using dbase_test::W;

void AddRow(Table& t, const std::string& name, const std::string& count, const std::string& price,
            const std::string& rate, const std::string& active, const std::string& born, const std::string& notes) {
  t.Append();
  t.SetString("NAME", name);
  t.SetString("COUNT", count);
  t.SetString("PRICE", price);
  t.SetString("RATE", rate);
  t.SetString("ACTIVE", active);
  t.SetString("BORN", born);
  t.SetString("NOTES", notes);
  t.Post();
}

class LevelTest : public ::testing::TestWithParam<TableLevel> {};

TEST_P(LevelTest, EveryFieldTypeRoundTrips) {
  TempDir dir;
  std::string path = dir / "ALL.DBF";
  Table::Create(path, dbase_test::AllTypes(GetParam()));
  {
    Table t;
    t.Open(path);
    AddRow(t, W("Żółć gęśla"), "42", "3.5", "-1.25", "T", "19980914", W("Notatka ąę\r\nwiersz 2"));
    AddRow(t, "", "", "", "", "", "", "");
    EXPECT_EQ(t.RecordCount(), 2u);
  }
  Table t;
  t.Open(path);
  ASSERT_EQ(t.RecNo(), 1u);
  EXPECT_EQ(t.AsString("NAME"), W("Żółć gęśla"));
  EXPECT_EQ(t.AsString("count"), "42");
  EXPECT_EQ(t.AsInteger("COUNT"), 42);
  EXPECT_EQ(t.AsString("PRICE"), "3.50");
  EXPECT_EQ(t.AsString("RATE"), "-1.250");
  EXPECT_EQ(t.AsString("ACTIVE"), "T");
  EXPECT_EQ(t.AsInteger("ACTIVE"), 1);
  EXPECT_EQ(t.AsString("BORN"), "19980914");
  EXPECT_EQ(t.AsString("NOTES"), W("Notatka ąę\r\nwiersz 2"));
  t.Next();
  ASSERT_EQ(t.RecNo(), 2u);
  for (const auto& f : t.Fields()) {
    EXPECT_TRUE(t.IsNull(f.name)) << f.name;
    EXPECT_EQ(t.AsString(f.name), "") << f.name;
  }
  EXPECT_EQ(t.AsInteger("COUNT"), 0);
  EXPECT_EQ(t.Level(), GetParam());
}

TEST_P(LevelTest, RewrittenMemoGoesToNewBlocksAndLeavesOthersAlone) {
  TempDir dir;
  std::string path = dir / "ALL.DBF";
  Table::Create(path, dbase_test::AllTypes(GetParam()));
  Table t;
  t.Open(path);
  AddRow(t, "A", "1", "", "", "", "", "short");
  AddRow(t, "B", "2", "", "", "", "", "neighbour");
  t.First();
  t.Edit();
  std::string longText(1500, 'x');
  t.SetString("NOTES", longText);
  t.Post();
  t.Edit();
  t.SetString("NOTES", "tiny");  // would fit the old blocks, but is not written over them
  t.Post();
  Table check;
  check.Open(path);
  EXPECT_EQ(check.AsString("NOTES"), "tiny");
  check.Next();
  EXPECT_EQ(check.AsString("NOTES"), "neighbour");
  // Until a pack the earlier text stays where it was, whole.
  std::string dbt = dbase_test::ReadFileBytes(dir / "ALL.DBT");
  EXPECT_NE(dbt.find(longText), std::string::npos);
  EXPECT_EQ(dbt.size() % 512, 0u);
  EXPECT_EQ(dbt.size(), 512u * (1 + 1 + 1 + 3 + 1));  // header, short, neighbour, long, tiny
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelTest, ::testing::Values(TableLevel::DBase3, TableLevel::DBase4),
                         [](const auto& info) { return info.param == TableLevel::DBase3 ? "DBase3" : "DBase4"; });

TEST(Header, CountDateAndVersionBytes) {
  TempDir dir;
  std::string path = dir / "T.DBF";
  Table::Create(path, dbase_test::AllTypes(TableLevel::DBase4));
  Table t;
  t.Open(path);
  AddRow(t, "A", "1", "", "", "", "", "m");
  AddRow(t, "B", "2", "", "", "", "", "");
  std::string b = ReadFileBytes(path);
  EXPECT_EQ(static_cast<uint8_t>(b[0]), 0x8B);
  EXPECT_EQ(static_cast<uint8_t>(b[4]), 2);
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  EXPECT_EQ(static_cast<uint8_t>(b[1]), tm.tm_year);
  EXPECT_EQ(static_cast<uint8_t>(b[2]), tm.tm_mon + 1);
  EXPECT_EQ(static_cast<uint8_t>(b[3]), tm.tm_mday);
  EXPECT_EQ(b.back(), '\x1A');  // end-of-file mark after the last row
  uint16_t headerLength = static_cast<uint8_t>(b[8]) | static_cast<uint8_t>(b[9]) << 8;
  EXPECT_EQ(headerLength, 32 + 7 * 32 + 1);
  EXPECT_EQ(b[headerLength - 1], '\x0D');

  TempDir dir3;
  Table::Create(dir3 / "T.DBF", dbase_test::AllTypes(TableLevel::DBase3));
  EXPECT_EQ(static_cast<uint8_t>(ReadFileBytes(dir3 / "T.DBF")[0]), 0x83);
  EXPECT_EQ(ReadFileBytes(dir3 / "T.DBT")[16], 3);  // dBASE III memo layout
}

TEST(MemoLayout, BlocksOfBothLevels) {
  for (TableLevel level : {TableLevel::DBase3, TableLevel::DBase4}) {
    TempDir dir;
    TableDef def;
    def.level = level;
    def.fields = {{"NOTES", FieldType::Memo, 10, 0}};
    Table::Create(dir / "M.DBF", def);
    Table t;
    t.Open(dir / "M.DBF");
    t.Append();
    t.SetString("NOTES", "abc");
    t.Post();
    std::string dbt = ReadFileBytes(dir / "M.DBT");
    ASSERT_EQ(dbt.size(), 1024u);  // header block and one memo block
    EXPECT_EQ(dbt.substr(0, 4), std::string("\x02\0\0\0", 4));  // next free block
    if (level == TableLevel::DBase3) {
      EXPECT_EQ(dbt.substr(512, 5), "abc\x1A\x1A");
    } else {
      EXPECT_EQ(dbt.substr(20, 2), std::string("\0\x02", 2));  // block size 512
      EXPECT_EQ(dbt.substr(512, 11), std::string("\xFF\xFF\x08\0\x0B\0\0\0abc", 11));
    }
    std::string dbf = ReadFileBytes(dir / "M.DBF");
    EXPECT_EQ(dbf.substr(32 + 32 + 1 + 1, 10), "         1");  // the memo's block number
  }
}

TEST(Values, TooWideOrInvalidIsRefusedAndTheFileStaysAsItWas) {
  TempDir dir;
  std::string path = dir / "T.DBF";
  Table::Create(path, dbase_test::AllTypes(TableLevel::DBase4));
  Table t;
  t.Open(path);
  AddRow(t, "A", "1", "1.00", "", "F", "", "");
  std::string before = ReadFileBytes(path);
  t.Edit();
  auto expect = [&](const char* field, const std::string& value, ErrorCode code) {
    try {
      t.SetString(field, value);
      ADD_FAILURE() << field << " took " << value;
    } catch (const DbError& e) {
      EXPECT_EQ(e.Code(), code) << field << " " << value;
    }
  };
  expect("NAME", std::string(21, 'n'), ErrorCode::ValueTooWide);
  expect("COUNT", "1234567", ErrorCode::ValueTooWide);
  expect("COUNT", "1.5", ErrorCode::ValueTooWide);  // a fraction would be lost
  expect("PRICE", "123456.78", ErrorCode::ValueTooWide);
  expect("PRICE", "1.234", ErrorCode::ValueTooWide);
  expect("COUNT", "12a", ErrorCode::InvalidValue);
  expect("COUNT", "1,5", ErrorCode::InvalidValue);
  expect("ACTIVE", "X", ErrorCode::InvalidValue);
  expect("BORN", "19980230", ErrorCode::InvalidValue);
  expect("BORN", "1998-09-14", ErrorCode::InvalidValue);
  try {
    t.SetInteger("COUNT", 10000000);
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::ValueTooWide);
  }
  EXPECT_FALSE(t.Modified());
  t.Post();
  EXPECT_EQ(ReadFileBytes(path), before);
  EXPECT_EQ(t.AsString("NAME"), "A");
  t.Edit();
  t.SetString("PRICE", "2.50");  // trailing zeros beyond the decimals are no loss
  t.SetString("COUNT", "-000012");
  t.Post();
  EXPECT_EQ(t.AsString("PRICE"), "2.50");
  EXPECT_EQ(t.AsString("COUNT"), "-12");
}

TEST(Values, FieldsAreSetOnlyWhileEditingAndNamesMustExist) {
  TempDir dir;
  std::string path = dir / "T.DBF";
  Table::Create(path, dbase_test::AllTypes(TableLevel::DBase4));
  Table t;
  t.Open(path);
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_TRUE(t.Eof() && t.Bof());
  EXPECT_EQ(t.AsString("NAME"), "");
  try {
    t.SetString("NAME", "x");
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::NotEditing);
  }
  try {
    t.Delete();
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::NoRecord);
  }
  try {
    (void)t.AsString("NOPE");
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::FieldNotFound);
  }
  EXPECT_EQ(t.FieldIndex("notes"), 6);
  EXPECT_EQ(t.FieldIndex("NOPE"), -1);
}

TEST(CodePage, StoredBytesFollowTheHeaderByte) {
  TempDir dir;
  TableDef def;
  def.fields = {{"NAME", FieldType::Character, 10, 0}, {"NOTES", FieldType::Memo, 10, 0}};
  def.codePageByte = 0x64;  // code page 852
  std::string path = dir / "CP.DBF";
  Table::Create(path, def);
  Table t;
  t.Open(path);
  EXPECT_EQ(t.CodePageByte(), 0x64);
  t.Append();
  t.SetString("NAME", W("Łódź"));
  t.SetString("NOTES", W("źle"));
  try {
    t.SetString("NAME", W("€"));  // no euro sign in code page 852
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::InvalidValue);
  }
  t.Post();
  std::string b = ReadFileBytes(path);
  EXPECT_EQ(static_cast<uint8_t>(b[29]), 0x64);
  size_t row = 32 + 2 * 32 + 1;
  EXPECT_EQ(b.substr(row + 1, 4), std::string("\x9D\xA2\x64\xAB", 4));  // Łódź in 852
  EXPECT_EQ(t.AsString("NAME"), W("Łódź"));
  EXPECT_EQ(t.AsString("NOTES"), W("źle"));

  TableDef unknown = def;
  unknown.codePageByte = 0x7B;
  try {
    Table::Create(dir / "U.DBF", unknown);
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::BadFormat);
  }
  EXPECT_EQ(Table::CodePageName(0), "CP1250");
  EXPECT_EQ(Table::CodePageName(0xC8), "CP1250");
}

TEST(Deleted, DeletedRowsAreMarkedAndSkipped) {
  TempDir dir;
  std::string path = dir / "T.DBF";
  Table::Create(path, dbase_test::AllTypes(TableLevel::DBase3));
  Table t;
  t.Open(path);
  for (const char* n : {"A", "B", "C"}) AddRow(t, n, "1", "", "", "", "", "");
  t.First();
  t.Next();
  t.Delete();
  EXPECT_EQ(t.AsString("NAME"), "C");  // the next row becomes current
  EXPECT_EQ(t.RecordCount(), 2u);
  std::string b = ReadFileBytes(path);
  size_t first = 32 + 7 * 32 + 1;
  size_t length = 1 + 20 + 6 + 8 + 10 + 1 + 8 + 10;
  EXPECT_EQ(b[first], ' ');
  EXPECT_EQ(b[first + length], '*');
  EXPECT_EQ(static_cast<uint8_t>(b[4]), 3);  // still three rows in the file
  t.Delete();  // the last row: the previous one becomes current
  EXPECT_EQ(t.AsString("NAME"), "A");
  t.Delete();
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.RecNo(), 0u);
}

TEST(Create, RefusesBadDefinitionsAndExistingFiles) {
  TempDir dir;
  auto refused = [&](const TableDef& def) {
    try {
      Table::Create(dir / "X.DBF", def);
      return false;
    } catch (const DbError&) {
      return !dbase_test::FileExists(dir / "X.DBF") && !dbase_test::FileExists(dir / "X.DBT");
    }
  };
  TableDef def;
  def.fields = {{"1BAD", FieldType::Character, 5, 0}};
  EXPECT_TRUE(refused(def));
  def.fields = {{"C", FieldType::Character, 255, 0}};
  EXPECT_TRUE(refused(def));
  def.fields = {{"N", FieldType::Numeric, 5, 4}};
  EXPECT_TRUE(refused(def));
  def.fields = {{"A", FieldType::Character, 5, 0}, {"a", FieldType::Memo, 10, 0}};
  EXPECT_TRUE(refused(def));
  def.fields = {{"A", FieldType::Character, 5, 0}, {"M", FieldType::Memo, 10, 0}};
  def.tags = {{"T", "A+M"}};
  EXPECT_TRUE(refused(def));
  def.tags.clear();
  Table::Create(dir / "X.DBF", def);
  EXPECT_THROW(Table::Create(dir / "X.DBF", def), DbError);
  Table t;
  EXPECT_THROW(t.Open(dir / "MISSING.DBF"), DbError);
}

}  // namespace
