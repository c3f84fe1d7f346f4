// Packing removes deleted rows, rebuilds the tags and compacts the memos;
// stopped at any step it loses no row.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "dbase/pack_hook.h"
#include "dbase_test_util.h"

namespace {

using namespace dbase;
using dbase_test::FileExists;
using dbase_test::ReadFileBytes;
using dbase_test::TempDir;

std::string MakeGroups(const TempDir& dir) {
  std::string path = dir / "GRUPY.DBF";
  TableDef def;
  def.fields = {{"NAZWA", FieldType::Character, 40, 0}, {"KTO", FieldType::Memo, 10, 0}};
  def.tags = {{"NAZWAG", "NAZWA"}};
  Table::Create(path, def);
  Table t;
  t.Open(path);
  for (int i = 0; i < 30; ++i) {
    t.Append();
    t.SetString("NAZWA", "G" + std::to_string(100 - i));
    t.SetString("KTO", std::to_string(i) + ",");
    t.Post();
  }
  t.First();
  for (int i = 0; i < 30; ++i) {
    if (i % 3 == 0) t.Delete();
    else t.Next();
  }
  return path;
}

// The rows in the current order; a walk that does not end (a tag that
// disagrees with its table) stops after more steps than the table has rows.
void ExpectConsistent(const TempDir& dir, const std::vector<std::string>& expected);

std::vector<std::string> Names(Table& t) {
  std::vector<std::string> v;
  const size_t bound = t.RecordCount() + 5;
  for (t.First(); !t.Eof() && v.size() <= bound; t.Next())
    v.push_back(t.AsString("NAZWA") + "=" + t.AsString("KTO"));
  return v;
}

TEST(Pack, NeedsExclusiveUse) {
  TempDir dir;
  std::string path = MakeGroups(dir);
  Table t;
  t.Open(path, ShareMode::Shared);
  try {
    t.Pack();
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::NotExclusive);
  }
}

TEST(Pack, RemovesDeletedRowsRebuildsTagsAndCompactsMemos) {
  TempDir dir;
  std::string path = MakeGroups(dir);
  Table t;
  t.Open(path, ShareMode::Exclusive);
  t.SetIndexName("NAZWAG");
  std::vector<std::string> before = Names(t);
  ASSERT_EQ(before.size(), 20u);
  size_t memoBefore = ReadFileBytes(dir / "GRUPY.DBT").size();
  t.Pack();
  EXPECT_TRUE(t.Active());
  EXPECT_EQ(t.Mode(), ShareMode::Exclusive);
  EXPECT_EQ(t.IndexName(), "NAZWAG");
  EXPECT_EQ(Names(t), before);
  std::string b = ReadFileBytes(path);
  EXPECT_EQ(static_cast<uint8_t>(b[4]), 20);
  EXPECT_EQ(b.size(), 32u + 2 * 32 + 1 + 20 * 51 + 1);
  EXPECT_LT(ReadFileBytes(dir / "GRUPY.DBT").size(), memoBefore);
  EXPECT_FALSE(FileExists(path + ".pak-journal"));
  EXPECT_FALSE(FileExists(path + ".pak-new"));
  // Still exclusive after the files were replaced.
  Table other;
  EXPECT_THROW(other.Open(path), DbError);
  t.Close();
  other.Open(path);
  other.SetIndexName("NAZWAG");
  EXPECT_EQ(Names(other), before);
}

// A member list grown past its memo block moves to new blocks; rows were
// added and deleted, so the packed memo file numbers its blocks anew. A
// control that shows the memo while the table reopens must not read the
// old row's block numbers in the new file.
TEST(Pack, MovedMemosPackAndObserversSeeOnlyNewRows) {
  TempDir dir;
  std::string path = MakeGroups(dir);
  {
    Table t;
    t.Open(path);
    t.SetIndexName("NAZWAG");
    t.Last();
    std::string list = ",";
    for (int nr = 1; nr <= 160; ++nr) {
      list += std::to_string(nr) + ",";
      t.Edit();
      t.SetString("KTO", list);
      t.Post();
    }
    ASSERT_GT(list.size(), 520u);
  }
  Table t;
  t.Open(path, ShareMode::Exclusive);
  t.SetIndexName("NAZWAG");
  std::vector<std::string> before = Names(t);
  t.Last();
  std::vector<std::string> errors;
  int shown = 0;
  t.AddObserver([&](DataEvent e, const std::string&) {
    if (e != DataEvent::Opened && e != DataEvent::Scrolled) return;
    try {
      if (t.RecNo() != 0) t.AsString("KTO"), ++shown;
    } catch (const DbError& err) {
      errors.push_back(err.what());
    }
  });
  t.Pack();
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_GT(shown, 0);
  EXPECT_EQ(t.IndexName(), "NAZWAG");
  EXPECT_EQ(Names(t), before);
  t.Close();
  ExpectConsistent(dir, before);
}

// A rename that fails after the journal: the handle is closed, every open
// refuses the table, naming the file, until the obstacle is gone; then the
// next open finishes the pack and the table opens shared with its tag.
TEST(Pack, AFailedRenameIsFinishedByTheNextOpen) {
  TempDir dir;
  std::string path = MakeGroups(dir);
  std::vector<std::string> expected;
  Table t;
  t.Open(path, ShareMode::Exclusive);
  t.SetIndexName("NAZWAG");
  expected = Names(t);
  Seams().packStep = [&](int step) {
    if (step != 3) return;
    ::unlink((dir / "GRUPY.DBT").c_str());
    ::mkdir((dir / "GRUPY.DBT").c_str(), 0755);
  };
  try {
    t.Pack();
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::Io);
    EXPECT_EQ(std::string(e.what()),
              dbase_test::W(("Nie można zastąpić " + dir / "GRUPY.DBT" + " po pakowaniu tabeli " +
                             path + ": to jest folder, a nie plik")
                                .c_str()));
  }
  Seams().packStep = nullptr;
  EXPECT_FALSE(t.Active());
  try {
    t.Open(path);
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(std::string(e.what()),
              dbase_test::W(("Nie można dokończyć pakowania tabeli " + path + " (zamiana " +
                             dir / "GRUPY.DBT" + "): to jest folder, a nie plik")
                                .c_str()));
  }
  ::rmdir((dir / "GRUPY.DBT").c_str());
  t.Open(path);
  t.SetIndexName("NAZWAG");
  EXPECT_EQ(Names(t), expected);
  t.Close();
  ExpectConsistent(dir, expected);
}

// Runs a pack in a child that dies at the given step; with a relative path
// the child works in the table's folder.
void PackAndDieAt(const std::string& path, int step, bool relative = false) {
  pid_t pid = fork();
  if (pid == 0) {
    Seams().packStep = [step](int s) {
      if (s == step) kill(getpid(), SIGKILL);
    };
    std::string opened = path;
    if (relative) {
      size_t slash = path.find_last_of('/');
      if (chdir(path.substr(0, slash).c_str()) != 0) _exit(4);
      opened = path.substr(slash + 1);
    }
    try {
      Table t;
      t.Open(opened, ShareMode::Exclusive);
      t.Pack();
    } catch (...) {
      _exit(2);
    }
    _exit(3);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the pack did not reach step " << step;
}

// The first open after a pack stopped, in another process whose working
// folder is "/", by a path relative to it: the engine's own rows.
std::vector<std::string> NamesOpenedFromRoot(const std::string& path) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string out;
    int code = 0;
    try {
      if (chdir("/") != 0) _exit(4);
      Table t;
      t.Open(path.substr(1));
      t.SetIndexName("NAZWAG");
      for (const auto& n : Names(t)) out += n + "\n";
    } catch (const DbError& e) {
      out = e.what();
      code = 1;
    }
    (void)!write(fds[1], out.data(), out.size());
    _exit(code);
  }
  close(fds[1]);
  std::string text;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
    text.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
  std::vector<std::string> names;
  for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
    names.push_back(text.substr(at, end - at));
  return names;
}

// After an engine open: no pack file is left, the tag walks every live row
// once in key order within a counted bound, and the readers that are not
// ours see the same rows, memos and tag.
void ExpectConsistent(const TempDir& dir, const std::vector<std::string>& expected) {
  std::string path = dir / "GRUPY.DBF";
  Table t;
  t.Open(path);
  t.SetIndexName("NAZWAG");
  std::vector<uint32_t> recnos;
  const size_t bound = t.RecordCount() + 5;
  for (t.First(); !t.Eof() && recnos.size() <= bound; t.Next()) recnos.push_back(t.RecNo());
  EXPECT_EQ(Names(t), expected);
  t.Close();
  for (const char* name : {"GRUPY.DBF", "GRUPY.DBT", "GRUPY.MDX"}) {
    EXPECT_FALSE(FileExists(dir / (std::string(name) + ".pak-new"))) << name;
  }
  EXPECT_FALSE(FileExists(path + ".pak-journal"));
  EXPECT_FALSE(FileExists(path + ".pak-journal.tmp"));
  std::vector<std::string> dbfread;
  for (const auto& row : dbase_test::DbfreadRows(path))
    if (!row.deleted) dbfread.push_back(row.values[0] + "=" + row.values[1]);
  std::vector<std::string> sorted = expected;
  std::sort(sorted.begin(), sorted.end());
  std::sort(dbfread.begin(), dbfread.end());
  EXPECT_EQ(dbfread, sorted);
  // Perl XBase walks the tag over deleted rows too.
  std::vector<dbase_test::ReaderRow> physical = dbase_test::XbaseRows(path);
  std::vector<uint32_t> xbase;
  for (const auto& [recno, key] : dbase_test::XbaseTag(dir / "GRUPY.MDX", "NAZWAG")) {
    ASSERT_TRUE(recno >= 1 && recno <= physical.size()) << recno;
    if (!physical[recno - 1].deleted) xbase.push_back(recno);
  }
  EXPECT_EQ(xbase, recnos);
}

// A journal that names its files by paths (relative to another working
// folder) is carried out by the names beside it; one that names files other
// than the table's new ones is refused, and nothing is renamed.
TEST(Pack, TheJournalIsReadByFileNames) {
  TempDir dir;
  std::string path = MakeGroups(dir);
  std::vector<std::string> expected;
  {
    Table t;
    t.Open(path);
    t.SetIndexName("NAZWAG");
    expected = Names(t);
  }
  PackAndDieAt(path, 2);
  std::string journal = ReadFileBytes(path + ".pak-journal");
  ASSERT_EQ(
      journal,
      "GRUPY.DBF.pak-new\nGRUPY.DBF\nGRUPY.DBT.pak-new\nGRUPY.DBT\nGRUPY.MDX.pak-new\nGRUPY.MDX\n");
  std::string dbf = ReadFileBytes(path);
  dbase_test::WriteFileBytes(path + ".pak-journal", "elsewhere/GRUPY.DBF.pak-new\nGRUPY.MDX\n");
  Table t;
  try {
    t.Open(path);
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(std::string(e.what()),
              dbase_test::W(("Uszkodzony dziennik pakowania " + path + ".pak-journal").c_str()));
  }
  EXPECT_EQ(ReadFileBytes(path), dbf);
  std::string old;
  for (const char* name : {"GRUPY.DBF", "GRUPY.DBT", "GRUPY.MDX"})
    old += "old/folder/" + std::string(name) + ".pak-new\n../" + name + "\n";
  dbase_test::WriteFileBytes(path + ".pak-journal", old);
  ExpectConsistent(dir, expected);
}

// A pack killed after each of its steps, started by an absolute path or by
// one relative to its folder; the next open is by another path.
class PackCrash : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(PackCrash, NoRowIsLostWhereverThePackStops) {
  auto [step, relative] = GetParam();
  TempDir dir;
  std::string path = MakeGroups(dir);
  // Memos moved to blocks of their own, so that old and new memo files
  // differ: a table paired with the wrong one shows other rows' texts.
  {
    Table t;
    t.Open(path);
    t.Last();
    t.Edit();
    t.SetString("KTO", std::string(700, 'x'));
    t.Post();
  }
  std::string dbf = ReadFileBytes(path), dbt = ReadFileBytes(dir / "GRUPY.DBT"),
              mdx = ReadFileBytes(dir / "GRUPY.MDX");
  std::vector<std::string> expected;
  {
    Table t;
    t.Open(path);
    t.SetIndexName("NAZWAG");
    expected = Names(t);
  }
  PackAndDieAt(path, step, relative);
  if (step <= 1) {
    // Before the journal: the old files are untouched and readable by
    // other programs that know nothing of the pack.
    EXPECT_EQ(ReadFileBytes(path), dbf);
    EXPECT_EQ(ReadFileBytes(dir / "GRUPY.DBT"), dbt);
    EXPECT_EQ(ReadFileBytes(dir / "GRUPY.MDX"), mdx);
    EXPECT_EQ(dbase_test::DbfreadRows(path).size(), 30u);
    EXPECT_TRUE(FileExists(path + ".pak-new"));
  } else {
    EXPECT_TRUE(FileExists(path + ".pak-journal"));
  }
  if (relative) {
    EXPECT_EQ(NamesOpenedFromRoot(path), expected);
  }
  ExpectConsistent(dir, expected);
  // And a later pack still works.
  Table t;
  t.Open(path, ShareMode::Exclusive);
  t.Pack();
  t.Close();
  ExpectConsistent(dir, expected);
}

INSTANTIATE_TEST_SUITE_P(Steps, PackCrash,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3, 4, 5),
                                            ::testing::Bool()));

// Programs that only open the table while another one packs it over and
// over: the packs never fail, and every open either finds the table whole or
// is told that the table is in use.
TEST(Pack, RunsBesideALoopOfSharedOpens) {
  TempDir dir;
  std::string path = MakeGroups(dir);
  int done[2], report[2];
  ASSERT_EQ(pipe(done), 0);
  ASSERT_EQ(pipe(report), 0);
  pid_t pid = fork();
  if (pid == 0) {
    close(done[1]);
    close(report[0]);
    fcntl(done[0], F_SETFL, O_NONBLOCK);
    int opened = 0, refused = 0;
    std::string failure;
    for (int i = 0; i < 2000000 && failure.empty(); ++i) {
      char c;
      if (read(done[0], &c, 1) == 1) break;
      try {
        Table t;
        t.Open(path);
        t.SetIndexName("NAZWAG");
        uint32_t rows = 0;
        for (t.First(); !t.Eof() && rows < 1000; t.Next()) ++rows;
        if (rows != t.RecordCount()) failure = "walk " + std::to_string(rows);
        ++opened;
      } catch (const DbError& e) {
        if (e.Code() == ErrorCode::InUse) ++refused;
        else failure = e.what();
      }
    }
    std::string out =
        failure.empty() ? "ok " + std::to_string(opened) + " " + std::to_string(refused) : failure;
    (void)!write(report[1], out.data(), out.size());
    _exit(0);
  }
  close(done[0]);
  close(report[1]);
  int packs = 0, busy = 0;
  std::vector<std::string> errors;
  for (int i = 0; i < 60 && busy < 1000000; ++i) {
    Table t;
    try {
      t.Open(path, ShareMode::Exclusive);
    } catch (const DbError& e) {
      ASSERT_EQ(e.Code(), ErrorCode::InUse) << e.what();
      ++busy;
      --i;
      continue;
    }
    try {
      t.Append();
      t.SetString("NAZWA", "N" + std::to_string(i));
      t.SetString("KTO", std::string(static_cast<size_t>(100 + i * 13), 'k'));
      t.Post();
      t.Delete();
      t.Pack();
      ++packs;
    } catch (const DbError& e) {
      errors.push_back(e.what());
    }
  }
  (void)!write(done[1], "x", 1);
  std::string result;
  char buf[512];
  for (ssize_t n; (n = read(report[0], buf, sizeof buf)) > 0;)
    result.append(buf, static_cast<size_t>(n));
  waitpid(pid, nullptr, 0);
  close(done[1]);
  close(report[0]);
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_EQ(packs, 60);
  EXPECT_EQ(result.substr(0, 3), "ok ") << result;
  Table t;
  t.Open(path);
  EXPECT_EQ(t.RecordCount(), 20u);
}

TEST(Pack, AFullDiskLeavesTheOldFilesAndNoNewOnes) {
  TempDir dir;
  std::string path = MakeGroups(dir);
  std::string dbf = ReadFileBytes(path), dbt = ReadFileBytes(dir / "GRUPY.DBT"),
              mdx = ReadFileBytes(dir / "GRUPY.MDX");
  pid_t pid = fork();
  if (pid == 0) {
    // Files may not grow beyond 4 KiB: the new memo file runs out of room.
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {
      4096, 4096
    };
    setrlimit(RLIMIT_FSIZE, &limit);
    Table t;
    std::vector<std::string> before;
    try {
      t.Open(path, ShareMode::Exclusive);
      t.SetIndexName("NAZWAG");
      before = Names(t);
      t.Pack();
    } catch (const DbError& e) {
      if (e.Code() != ErrorCode::Io) _exit(2);
      if (std::string(e.what()) !=
          dbase_test::W(
              ("Błąd zapisu " + dir / "GRUPY.DBT.pak-new" + ": plik jest za duży").c_str()))
        _exit(4);
      // The handle goes on as before, and reopens shared with its tag.
      if (!t.Active() || Names(t) != before || t.IndexName() != "NAZWAG") _exit(5);
      t.Close();
      t.Open(path);
      t.SetIndexName("NAZWAG");
      _exit(Names(t) == before && before.size() == 20 ? 0 : 6);
    }
    _exit(3);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(path), dbf);
  EXPECT_EQ(ReadFileBytes(dir / "GRUPY.DBT"), dbt);
  EXPECT_EQ(ReadFileBytes(dir / "GRUPY.MDX"), mdx);
  for (const char* name : {"GRUPY.DBF", "GRUPY.DBT", "GRUPY.MDX"})
    EXPECT_FALSE(FileExists(dir / (std::string(name) + ".pak-new"))) << name;
  EXPECT_FALSE(FileExists(path + ".pak-journal"));
}

}  // namespace
