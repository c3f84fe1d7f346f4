// Shared and exclusive opening, inside one process and across two; record
// locks of edits.
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <thread>

#include "dbase/file_io.h"
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
    EXPECT_EQ(check.AsString("KTO"),
              std::string(static_cast<size_t>(i * (child ? 7 : 11) % 900), child ? 'c' : 'p'));
    ++rows;
  }
  EXPECT_EQ(rows, 400);
}

// Whether the kernel lists a process waiting for a lock of the file.
bool SomeoneWaitsForALockOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  const std::string inode = ":" + std::to_string(st.st_ino) + " ";
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);) {
    if (line.find("->") != std::string::npos && line.find(inode) != std::string::npos) return true;
  }
  return false;
}

// Another program half way through a post holds the write lock while its
// index blocks are partly written: a reader re-reading the files then waits
// for the post to end instead of taking a mix of two states (refused as a
// damaged index, or taken whole with block counts that its next post would
// allocate over).
TEST(Sharing, AReaderWaitsForAPostHalfWayThrough) {
  TempDir dir;
  const std::string path = MakeTable(dir), mdx = dir / "GRUPY.MDX";
  Table writer;
  writer.Open(path);
  for (int i = 0; i < 30; ++i) {
    writer.Append();
    writer.SetString("NAZWA", "G" + std::to_string(i * 7 % 30));
    writer.Post();
  }
  Table reader;
  reader.Open(path);

  File table = File::Open(path), index = File::Open(mdx);
  table.WaitLock(kTableLockByte, true);
  const std::string whole = dbase_test::ReadFileBytes(mdx);
  const std::string torn(whole.size() - 1024, '\xFF');
  index.WriteAt(1024, torn.data(), torn.size());
  std::string error = "none yet";
  std::atomic<bool> done{false};
  std::thread refresh([&] {
    try {
      reader.Refresh();
      error.clear();
    } catch (const std::exception& e) {
      error = e.what();
    }
    done = true;
  });
  bool waiting = false;
  for (int i = 0; i < 2000 && !done && !waiting; ++i) {
    waiting = SomeoneWaitsForALockOf(path);
    if (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_FALSE(done) << "read during the post: " << error;
  index.WriteAt(1024, whole.data() + 1024, whole.size() - 1024);  // the post ends
  table.Unlock(kTableLockByte);
  refresh.join();
  EXPECT_EQ(error, "");
  reader.SetIndexName("NAZWAG");
  EXPECT_EQ(reader.Bookmarks().size(), 30u);
}

ErrorCode ErrorOf(const std::function<void()>& action, std::string* message = nullptr) {
  try {
    action();
  } catch (const DbError& e) {
    if (message) *message = e.what();
    return e.Code();
  }
  return kOpened;
}

TEST(RecordLocks, AnEditHoldsItsRowUntilPostOrCancel) {
  TempDir dir;
  std::string path = MakeTable(dir);
  Table a, b;
  a.Open(path);
  for (const char* name : {"Alfa", "Beta"}) {
    a.Append();
    a.SetString("NAZWA", name);
    a.Post();
  }
  b.Open(path);
  a.GotoBookmark(1);
  b.GotoBookmark(1);
  a.Edit();
  a.SetString("NAZWA", "Alfa 2");
  // Two handles of one process conflict as two programs do.
  std::string message;
  EXPECT_EQ(ErrorOf([&] { b.Edit(); }, &message), ErrorCode::InUse);
  EXPECT_EQ(message, dbase_test::W("Rekord 1 tabeli ") + path +
                         dbase_test::W(" jest właśnie zmieniany przez innego użytkownika"));
  EXPECT_EQ(b.State(), DataState::Browse);
  EXPECT_EQ(ErrorOf([&] { b.Delete(); }), ErrorCode::InUse);
  b.GotoBookmark(2);
  b.Edit();  // another row is free
  b.Cancel();
  a.Post();
  b.GotoBookmark(1);
  b.Edit();
  EXPECT_EQ(b.AsString("NAZWA"), "Alfa 2");  // read under the lock
  EXPECT_EQ(ErrorOf([&] { a.Edit(); }), ErrorCode::InUse);
  b.Cancel();
  a.Edit();
  a.Close();  // closing ends the edit and its lock
  b.Edit();
  // A program that writes without locking changes IMIONA-like fields the
  // edit left alone: the post keeps them; the same field is refused.
  b.SetString("KTO", "1,2,");
  {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string head(12, '\0');
    f.read(head.data(), 12);
    size_t headerLength = static_cast<uint8_t>(head[8]) | static_cast<uint8_t>(head[9]) << 8;
    f.seekp(static_cast<long>(headerLength + 1));
    f.write("Alfa 3", 6);
  }
  b.Post();
  EXPECT_EQ(b.AsString("NAZWA"), "Alfa 3");
  EXPECT_EQ(b.AsString("KTO"), "1,2,");
  b.Edit();
  b.SetString("NAZWA", "Alfa 4");
  {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<long>(32 * 3 + 1 + 1));
    f.write("Alfa 5", 6);
  }
  EXPECT_EQ(ErrorOf([&] { b.Post(); }, &message), ErrorCode::InUse);
  EXPECT_NE(message.find("Pole NAZWA rekordu 1 tabeli " + path), std::string::npos) << message;
  b.Cancel();
  Table check;
  check.Open(path);
  EXPECT_EQ(check.AsString("NAZWA"), "Alfa 5");
}

// Two programs add one to the same field, 200 times each: every increment
// lands or is refused with an error, none is lost.
TEST(RecordLocks, TwoProcessesIncrementingOneFieldLoseNoIncrement) {
  TempDir dir;
  std::string path = dir / "LICZNIK.DBF";
  TableDef def;
  def.fields = {{"N", FieldType::Numeric, 8, 0}};
  Table::Create(path, def);
  {
    Table t;
    t.Open(path);
    t.Append();
    t.SetInteger("N", 0);
    t.Post();
  }
  // Both open the table, then start together.
  int ready[2], go[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(go), 0);
  auto increment = [&](bool child) {
    Table t;
    t.Open(path);
    char c = 'x';
    if (child) {
      (void)!write(ready[1], &c, 1);
      (void)!read(go[0], &c, 1);
    } else {
      (void)!read(ready[0], &c, 1);
      (void)!write(go[1], &c, 1);
    }
    int landed = 0;
    for (int i = 0; i < 200; ++i) {
      try {
        t.Edit();
        int64_t n = t.AsInteger("N");
        sched_yield();  // the other program gets its turn between read and write
        t.SetInteger("N", n + 1);
        t.Post();
        ++landed;
      } catch (const DbError& e) {
        if (e.Code() != ErrorCode::InUse) throw;
        t.Cancel();
      }
    }
    return landed;
  };
  pid_t pid = fork();
  if (pid == 0) {
    int landed = -1;
    try {
      landed = increment(true);
    } catch (...) {
    }
    _exit(landed < 0 ? 255 : landed);
  }
  int mine = increment(false);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 255);
  int theirs = WEXITSTATUS(status);
  Table check;
  check.Open(path);
  EXPECT_EQ(check.AsInteger("N"), mine + theirs);
  EXPECT_GT(mine + theirs, 200);
  for (int fd : {ready[0], ready[1], go[0], go[1]}) close(fd);
}

}  // namespace
