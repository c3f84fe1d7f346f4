// Shared and exclusive opening, inside one process and across two.
#include <sys/wait.h>
#include <unistd.h>

#include "dbase_test_util.h"

namespace {

using namespace dbase;
using dbase_test::TempDir;

std::string MakeTable(const TempDir& dir) {
  std::string path = dir / "GRUPY.DBF";
  TableDef def;
  def.fields = {{"NAZWA", FieldType::Character, 40, 0}, {"KTO", FieldType::Memo, 10, 0}};
  def.tags = {{"NAZWAG", "NAZWA"}};
  Table::Create(path, def);
  return path;
}

ErrorCode OpenError(const std::string& path, ShareMode mode) {
  Table t;
  try {
    t.Open(path, mode);
  } catch (const DbError& e) {
    return e.Code();
  }
  return ErrorCode::Io;  // "opened": no error code
}
constexpr ErrorCode kOpened = ErrorCode::Io;

TEST(Sharing, InOneProcess) {
  TempDir dir;
  std::string path = MakeTable(dir);
  {
    Table shared1, shared2;
    shared1.Open(path, ShareMode::Shared);
    shared2.Open(path, ShareMode::Shared);
    EXPECT_EQ(OpenError(path, ShareMode::Exclusive), ErrorCode::InUse);
  }
  {
    Table exclusive;
    exclusive.Open(path, ShareMode::Exclusive);
    EXPECT_EQ(OpenError(path, ShareMode::Shared), ErrorCode::InUse);
    EXPECT_EQ(OpenError(path, ShareMode::Exclusive), ErrorCode::InUse);
    exclusive.Close();
    EXPECT_EQ(OpenError(path, ShareMode::Exclusive), kOpened);
  }
  EXPECT_EQ(OpenError(path, ShareMode::Shared), kOpened);
}

// The child opens the table, tells the parent, and holds it until told.
class Holder {
 public:
  Holder(const std::string& path, ShareMode mode) {
    if (pipe(up_) != 0 || pipe(down_) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      char c = 'x';
      try {
        Table t;
        t.Open(path, mode);
        c = 'o';
      } catch (...) {
      }
      Table t;
      if (c == 'o') t.Open(path, mode);
      (void)!write(up_[1], &c, 1);
      (void)!read(down_[0], &c, 1);
      _exit(0);
    }
    char c = 0;
    (void)!read(up_[0], &c, 1);
    opened_ = c == 'o';
  }
  ~Holder() {
    char c = 'q';
    (void)!write(down_[1], &c, 1);
    int status = 0;
    waitpid(pid_, &status, 0);
    for (int fd : {up_[0], up_[1], down_[0], down_[1]}) close(fd);
  }
  bool Opened() const { return opened_; }

 private:
  int up_[2]{}, down_[2]{};
  pid_t pid_ = -1;
  bool opened_ = false;
};

TEST(Sharing, AcrossTwoProcesses) {
  TempDir dir;
  std::string path = MakeTable(dir);
  {
    Holder other(path, ShareMode::Shared);
    ASSERT_TRUE(other.Opened());
    EXPECT_EQ(OpenError(path, ShareMode::Exclusive), ErrorCode::InUse);
    EXPECT_EQ(OpenError(path, ShareMode::Shared), kOpened);
  }
  {
    Holder other(path, ShareMode::Exclusive);
    ASSERT_TRUE(other.Opened());
    EXPECT_EQ(OpenError(path, ShareMode::Shared), ErrorCode::InUse);
  }
  Table mine;
  mine.Open(path, ShareMode::Exclusive);
  Holder other(path, ShareMode::Shared);
  EXPECT_FALSE(other.Opened());
}

TEST(Sharing, TwoWritersInTwoProcessesLoseNoRow) {
  TempDir dir;
  std::string path = MakeTable(dir);
  pid_t pid = fork();
  if (pid == 0) {
    int code = 0;
    try {
      Table t;
      t.Open(path);
      for (int i = 0; i < 200; ++i) {
        t.Append();
        t.SetString("NAZWA", "child" + std::to_string(i));
        t.SetString("KTO", std::string(static_cast<size_t>(i * 7 % 900), 'c'));
        t.Post();
      }
    } catch (const std::exception& e) {
      fprintf(stderr, "child: %s\n", e.what());
      code = 1;
    }
    _exit(code);
  }
  Table t;
  t.Open(path);
  for (int i = 0; i < 200; ++i) {
    t.Append();
    t.SetString("NAZWA", "parent" + std::to_string(i));
    t.SetString("KTO", std::string(static_cast<size_t>(i * 11 % 900), 'p'));
    t.Post();
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  Table check;
  check.Open(path);
  EXPECT_EQ(check.RecordCount(), 400u);
  check.SetIndexName("NAZWAG");
  int rows = 0;
  for (check.First(); !check.Eof(); check.Next()) {
    std::string name = check.AsString("NAZWA");
    bool child = name.rfind("child", 0) == 0;
    int i = std::stoi(name.substr(child ? 5 : 6));
    EXPECT_EQ(check.AsString("KTO"), std::string(static_cast<size_t>(i * (child ? 7 : 11) % 900), child ? 'c' : 'p'));
    ++rows;
  }
  EXPECT_EQ(rows, 400);
}

}  // namespace
