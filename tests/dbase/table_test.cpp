// Tables and memos: what is written is read back the same, the header stays
// true, and a value that does not fit leaves the files untouched.
#include <grp.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "dbase/file_io.h"

#include "dbase_test_util.h"

namespace {

using namespace dbase;
using dbase_test::ReadFileBytes;
using dbase_test::TempDir;
using dbase_test::W;

void AddRow(Table& t, const std::string& name, const std::string& count, const std::string& price,
            const std::string& rate, const std::string& active, const std::string& born,
            const std::string& notes) {
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

INSTANTIATE_TEST_SUITE_P(Levels, LevelTest,
                         ::testing::Values(TableLevel::DBase3, TableLevel::DBase4),
                         [](const auto& test) {
                           return test.param == TableLevel::DBase3 ? "DBase3" : "DBase4";
                         });

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
    ASSERT_EQ(dbt.size(), 1024u);                               // header block and one memo block
    EXPECT_EQ(dbt.substr(0, 4), std::string("\x02\0\0\0", 4));  // next free block
    if (level == TableLevel::DBase3) {
      EXPECT_EQ(dbt.substr(512, 5), "abc\x1A\x1A");
    } else {
      EXPECT_EQ(dbt.substr(20, 2), std::string("\0\x02", 2));  // block size 512
      EXPECT_EQ(dbt.substr(512, 11), std::string("\xFF\xFF\x08\0\x0B\0\0\0abc", 11));
    }
    std::string dbf = ReadFileBytes(dir / "M.DBF");
    EXPECT_EQ(dbf.substr(32 + 32 + 1 + 1, 10), "         1");  // the memo's block number
    // A memo that runs past the end of its file is damage, not read on.
    if (level == TableLevel::DBase3) dbt.resize(515);  // no end mark
    else dbt.replace(516, 2, "\x58\x02");             // 600 bytes long
    dbase_test::WriteFileBytes(dir / "M.DBT", dbt);
    EXPECT_THROW(t.AsString("NOTES"), DbError);
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

// --- damaged files: read-only with a reason or refused, never written --------

std::string MakeFive(const TempDir& dir) {
  std::string path = dir / "T.DBF";
  Table::Create(path, dbase_test::AllTypes(TableLevel::DBase4));
  Table t;
  t.Open(path);
  for (int i = 1; i <= 5; ++i)
    AddRow(t, "R" + std::to_string(i), std::to_string(i), "", "", "T", "",
           "memo " + std::to_string(i));
  return path;
}

constexpr size_t kAllTypesHeader = 32 + 7 * 32 + 1;
constexpr size_t kAllTypesRecord = 1 + 20 + 6 + 8 + 10 + 1 + 8 + 10;

void ExpectRefusedWrites(Table& t) {
  for (auto write : {+[](Table& x) { x.Append(); }, +[](Table& x) { x.Edit(); },
                     +[](Table& x) { x.Delete(); }}) {
    try {
      write(t);
      t.SetString("NAME", "x");
      t.Post();
      ADD_FAILURE() << "a write went through";
    } catch (const DbError& e) {
      EXPECT_EQ(e.Code(), ErrorCode::ReadOnly) << e.what();
    }
    t.Cancel();
  }
}

TEST(Damaged, AFileCutShortOpensReadOnlyAndIsNeverWritten) {
  TempDir dir;
  std::string path = MakeFive(dir);
  ASSERT_EQ(::truncate(path.c_str(), kAllTypesHeader + 3 * kAllTypesRecord + 20), 0);
  std::string dbf = ReadFileBytes(path), dbt = ReadFileBytes(dir / "T.DBT");
  {
    Table t;
    t.Open(path);
    EXPECT_TRUE(t.ReadOnly());
    EXPECT_EQ(t.ReadOnlyReason(),
              W(("plik " + path + " jest uszkodzony: nagłówek podaje 5 rekordów, a w pliku jest 3")
                    .c_str()));
    EXPECT_EQ(t.RecordCount(), 3u);
    std::vector<std::string> rows;
    for (t.First(); !t.Eof() && rows.size() < 10; t.Next())
      rows.push_back(t.AsString("NAME") + t.AsString("NOTES"));
    EXPECT_EQ(rows, (std::vector<std::string>{"R1memo 1", "R2memo 2", "R3memo 3"}));
    ExpectRefusedWrites(t);
  }
  EXPECT_EQ(ReadFileBytes(path), dbf);
  EXPECT_EQ(ReadFileBytes(dir / "T.DBT"), dbt);

  // A table cut short while open: the next write finds it and is refused.
  std::string other = dir / "U.DBF";
  Table::Create(other, dbase_test::AllTypes(TableLevel::DBase4));
  Table t;
  t.Open(other);
  for (int i = 1; i <= 3; ++i) AddRow(t, "R", "1", "", "", "", "", "");
  ASSERT_EQ(::truncate(other.c_str(), kAllTypesHeader + kAllTypesRecord), 0);
  std::string cut = ReadFileBytes(other);
  ExpectRefusedWrites(t);
  EXPECT_TRUE(t.ReadOnly());
  EXPECT_EQ(ReadFileBytes(other), cut);
}

TEST(Damaged, FieldsThatDoNotFitTheirTypeOrCodePageAreRefusedNamingTheFile) {
  struct Case {
    int field;  // descriptor to change
    int width;  // its new width (the record length follows)
    const char* why;
  };
  for (const Case& c :
       {Case{6, 0, "pole NOTES o szerokości 0"}, Case{4, 2, "pole ACTIVE o szerokości 2"},
        Case{5, 6, "pole BORN o szerokości 6"}, Case{0, 0, "pole NAME o szerokości 0"},
        Case{1, 30, "pole COUNT o szerokości 30"}}) {
    TempDir dir;
    std::string path = MakeFive(dir);
    std::string b = ReadFileBytes(path);
    size_t at = 32 + 32 * static_cast<size_t>(c.field) + 16;
    int length = static_cast<uint8_t>(b[10]) + 256 * static_cast<uint8_t>(b[11]) -
                 static_cast<uint8_t>(b[at]) + c.width;
    b[at] = static_cast<char>(c.width);
    b[10] = static_cast<char>(length & 0xFF);
    b[11] = static_cast<char>(length >> 8);
    dbase_test::WriteFileBytes(path, b);
    std::string dbt = ReadFileBytes(dir / "T.DBT"), mdx;
    Table t;
    try {
      t.Open(path);
      t.Edit();
      t.SetString("NOTES", "longer than before");
      t.Post();
      ADD_FAILURE() << c.why;
    } catch (const DbError& e) {
      EXPECT_EQ(e.Code(), ErrorCode::BadFormat);
      EXPECT_EQ(std::string(e.what()),
                W(("Plik " + path + " nie jest tabelą dBASE (" + c.why + ")").c_str()));
    }
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(ReadFileBytes(path), b);
    EXPECT_EQ(ReadFileBytes(dir / "T.DBT"), dbt);
  }
  TempDir dir;
  std::string path = MakeFive(dir);
  std::string b = ReadFileBytes(path);
  b[29] = 0x7B;
  dbase_test::WriteFileBytes(path, b);
  Table t;
  try {
    t.Open(path);
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(std::string(e.what()),
              W(("Nieznana strona kodowa tabeli " + path + " (bajt 0x7B)").c_str()));
  }
}

TEST(Errors, SystemErrorsAreInPolishAndNameTheFile) {
  TempDir dir;
  std::string path = dir / "D.DBF";
  ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
  Table t;
  try {
    t.Open(path);
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::Io);
    EXPECT_EQ(std::string(e.what()),
              W(("Nie można otworzyć " + path + ": to jest folder, a nie plik").c_str()));
  }
  path = MakeFive(dir);
  ASSERT_EQ(::unlink((dir / "T.DBT").c_str()), 0);
  try {
    t.Open(path);
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::FileNotFound);
    EXPECT_EQ(std::string(e.what()), W(("Brak pliku " + dir / "T.DBT").c_str()));
  }
  try {
    Table::Create(path, dbase_test::AllTypes(TableLevel::DBase4));
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(std::string(e.what()),
              W(("Nie można utworzyć " + path + ": plik już istnieje").c_str()));
  }
  for (int err : {ENOENT, EACCES, EPERM, EROFS, ENOSPC, EISDIR, EBUSY, ETXTBSY}) {
    std::string text = dbase::SystemErrorText(err);
    EXPECT_EQ(text.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << text;
    EXPECT_NE(text, std::string(strerror(err)));
  }
  EXPECT_EQ(dbase::SystemErrorText(EACCES), "brak uprawnień");
  EXPECT_EQ(dbase::SystemErrorText(ENOSPC), "brak miejsca na dysku");
}

// The group of the mail system's administrators, a group of the user below.
constexpr gid_t kGroup = 100;

// What a program without root's rights finds in the table: read-only or
// not with the reason, then what an append of a row gives.
std::string OpenedAsUser(const std::string& path) {
  int fds[2];
  if (::pipe(fds) != 0) return "no pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    std::string report = "no unprivileged user";
    if (::geteuid() != 0 ||
        (::setgroups(1, &kGroup) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0)) {
      try {
        Table t;
        t.Open(path);
        report = (t.ReadOnly() ? "read-only: " : "writable: ") + t.ReadOnlyReason() + " | ";
        try {
          t.Append();
          t.SetString("NAME", "X");
          t.Post();
          report += "posted";
        } catch (const DbError& e) {
          report += e.what();
        }
      } catch (const std::exception& e) {
        report = std::string("not opened: ") + e.what();
      }
    }
    ssize_t ignored = ::write(fds[1], report.data(), report.size());
    (void)ignored;
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string report;
  char buffer[512];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<size_t>(n));
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  return report;
}

// A folder where files may be changed but no file made, a journal that may
// not be written, or a link at its name: a post could not journal its
// writes, so the table opens read-only saying why, and nothing is written.
TEST(Errors, ATableWhoseJournalCannotBeWrittenOpensReadOnly) {
  TempDir dir;
  const std::string path = MakeFive(dir), journal = path + ".post-journal";
  ASSERT_EQ(::unlink(journal.c_str()), 0);  // as in a table another program made
  if (::geteuid() == 0) {
    for (const std::string& p : {dir.Path(), path, dir / "T.DBT"}) {
      ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }
  }
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
  const std::string dbf = ReadFileBytes(path), dbt = ReadFileBytes(dir / "T.DBT");
  const auto readOnly = [&path](const std::string& why) {
    return W(("read-only: " + why + " | Zapis do tabeli " + path + " jest niemożliwy: " + why)
                 .c_str());
  };
  std::string reason = "nie można utworzyć dziennika zapisu " + journal + ": brak uprawnień";
  EXPECT_EQ(OpenedAsUser(path), readOnly(reason));
  EXPECT_EQ(ReadFileBytes(path), dbf);
  EXPECT_EQ(ReadFileBytes(dir / "T.DBT"), dbt);

  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  dbase_test::WriteFileBytes(journal, std::string(16, '\0'));
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(journal.c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(::chmod(journal.c_str(), 0444), 0);
  reason = "dziennik zapisu " + journal + " jest tylko do odczytu";
  EXPECT_EQ(OpenedAsUser(path), readOnly(reason));
  EXPECT_EQ(ReadFileBytes(path), dbf);
  ASSERT_EQ(::chmod(journal.c_str(), 0644), 0);
  EXPECT_EQ(OpenedAsUser(path), "writable:  | posted");
  if (::geteuid() != 0) return;  // what follows needs other owners

  // Its first writer makes it with the table's bits and group, whatever his
  // umask and own group: the group's other members may post too.
  ASSERT_EQ(::unlink(journal.c_str()), 0);
  for (const std::string& p : {path, dir / "T.DBT"}) {
    ASSERT_EQ(::chown(p.c_str(), 65534, kGroup), 0);
    ASSERT_EQ(::chmod(p.c_str(), 0664), 0);
  }
  EXPECT_EQ(OpenedAsUser(path), "writable:  | posted");
  struct stat st {};
  ASSERT_EQ(::stat(journal.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0664u);
  EXPECT_EQ(st.st_gid, kGroup);
  // So do the files that a pack by another administrator makes.
  {
    Table t;
    t.Open(path, ShareMode::Exclusive);
    t.Pack();
  }
  EXPECT_EQ(OpenedAsUser(path), "writable:  | posted");
  // Another owner's journal holding a post that a killed writer left: the
  // table opens read-only saying why (nothing replayed), not at all before.
  Seams().postStep = [](int step) {
    if (step == 2) throw std::runtime_error("killed");
  };
  std::string left;
  {
    Table t;
    t.Open(path);
    t.Append();
    EXPECT_THROW(t.Post(), std::runtime_error);
    Seams().postStep = nullptr;
    left = ReadFileBytes(journal);
  }
  dbase_test::WriteFileBytes(journal, left);
  ASSERT_EQ(::chown(journal.c_str(), 0, 0), 0);
  EXPECT_EQ(OpenedAsUser(path), readOnly(reason));
  // A link at its name (to a file the user may write) or a pipe: never used.
  const std::string victim = dir / "victim";
  dbase_test::WriteFileBytes(victim, "theirs");
  ASSERT_EQ(::chmod(victim.c_str(), 0666), 0);
  for (const std::string what : {" jest dowiązaniem symbolicznym", " nie jest zwykłym plikiem"}) {
    ASSERT_EQ(::unlink(journal.c_str()), 0);
    ASSERT_EQ(what[1] == 'j' ? ::symlink(victim.c_str(), journal.c_str())
                             : ::mkfifo(journal.c_str(), 0666),
              0);
    EXPECT_EQ(OpenedAsUser(path), readOnly("plik " + journal + what));
  }
  EXPECT_EQ(ReadFileBytes(victim), "theirs");
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
  t.Delete();                                // the last row: the previous one becomes current
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
