// Packing removes deleted rows, rebuilds the tags and compacts the memos;
// stopped at any step it loses no row.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

std::vector<std::string> Names(Table& t) {
  std::vector<std::string> v;
  for (t.First(); !t.Eof(); t.Next()) v.push_back(t.AsString("NAZWA") + "=" + t.AsString("KTO"));
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

// Runs a pack in a child that dies at the given step.
void PackAndDieAt(const std::string& path, int step) {
  pid_t pid = fork();
  if (pid == 0) {
    PackStepHook = [step](int s) {
      if (s == step) _exit(0);
    };
    try {
      Table t;
      t.Open(path, ShareMode::Exclusive);
      t.Pack();
    } catch (...) {
      _exit(2);
    }
    _exit(3);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
}

class PackCrash : public ::testing::TestWithParam<int> {};

TEST_P(PackCrash, NoRowIsLostWhereverThePackStops) {
  TempDir dir;
  std::string path = MakeGroups(dir);
  std::string dbf = ReadFileBytes(path), dbt = ReadFileBytes(dir / "GRUPY.DBT"), mdx = ReadFileBytes(dir / "GRUPY.MDX");
  std::vector<std::string> expected;
  {
    Table t;
    t.Open(path);
    t.SetIndexName("NAZWAG");
    expected = Names(t);
  }
  int step = GetParam();
  PackAndDieAt(path, step);
  if (step == 1) {
    // Before the journal: the old files are untouched and readable by
    // other programs that know nothing of the pack.
    EXPECT_EQ(ReadFileBytes(path), dbf);
    EXPECT_EQ(ReadFileBytes(dir / "GRUPY.DBT"), dbt);
    EXPECT_EQ(ReadFileBytes(dir / "GRUPY.MDX"), mdx);
    EXPECT_EQ(dbase_test::DbfreadRows(path).size(), 30u);
  }
  Table t;
  t.Open(path);
  t.SetIndexName("NAZWAG");
  EXPECT_EQ(Names(t), expected);
  EXPECT_FALSE(FileExists(path + ".pak-journal"));
  t.Close();
  // And a later pack still works.
  t.Open(path, ShareMode::Exclusive);
  t.Pack();
  t.SetIndexName("NAZWAG");
  EXPECT_EQ(Names(t), expected);
}

TEST(Pack, AFullDiskLeavesTheOldFilesAndNoNewOnes) {
  TempDir dir;
  std::string path = MakeGroups(dir);
  std::string dbf = ReadFileBytes(path), dbt = ReadFileBytes(dir / "GRUPY.DBT"), mdx = ReadFileBytes(dir / "GRUPY.MDX");
  pid_t pid = fork();
  if (pid == 0) {
    // Files may not grow beyond 4 KiB: the new memo file runs out of room.
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
      Table t;
      t.Open(path, ShareMode::Exclusive);
      t.Pack();
    } catch (const DbError& e) {
      _exit(e.Code() == ErrorCode::Io ? 0 : 2);
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

INSTANTIATE_TEST_SUITE_P(Steps, PackCrash, ::testing::Values(1, 2, 3, 4, 5));

}  // namespace
