// Writers killed in the middle of a post: a child process appends, edits and
// deletes rows with memos on a table with three tags, and is killed (SIGKILL)
// at random moments, or at each step of one post. After every kill an engine
// open must show each row as it was or as it was posted, never a mix, every
// committed row present, and every tag holding every live row once, in key
// order; python3-dbfread and Perl XBase's tag walk must agree.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "dbase/mdx_file.h"
#include "dbase/post_journal.h"
#include "dbase_test_util.h"

namespace {

using namespace dbase;
using dbase_test::TempDir;

// The register's layout: NR and NAI as in the correspondents' table, NAZWAG
// as in the groups' table, and a memo.
TableDef RegisterLike() {
  TableDef def;
  def.fields = {{"NR", FieldType::Numeric, 5, 0},
                {"NAZWISKO", FieldType::Character, 30, 0},
                {"IMIONA", FieldType::Character, 30, 0},
                {"NAZWA", FieldType::Character, 40, 0},
                {"UWAGI", FieldType::Memo, 10, 0}};
  def.tags = {{"NR", "NR"}, {"NAI", "NAZWISKO+IMIONA"}, {"NAZWAG", "NAZWA"}};
  return def;
}

// Every field of a row names its number and version, so a row that mixes
// two posts shows it.
struct Values {
  std::string surname, names, group, memo;
};
Values ValuesOf(int nr, int version) {
  std::string tail = std::to_string(nr) + "." + std::to_string(version);
  unsigned h = static_cast<unsigned>(nr) * 2654435761u + static_cast<unsigned>(version) * 40503u;
  return {"N" + std::to_string(h % 997) + "-" + tail, "I" + tail,
          "G" + std::to_string((h >> 12) % 991) + "-" + tail,
          "M" + tail + ":" + std::string((h >> 4) % 1400, static_cast<char>('a' + version % 26))};
}

void SetValues(Table& t, int nr, int version) {
  Values v = ValuesOf(nr, version);
  t.SetInteger("NR", nr);
  t.SetString("NAZWISKO", v.surname);
  t.SetString("IMIONA", v.names);
  t.SetString("NAZWA", v.group);
  t.SetString("UWAGI", v.memo);
}

// The version a row carries; -1 when its fields disagree.
int VersionOf(Table& t) {
  int nr = static_cast<int>(t.AsInteger("NR"));
  std::string names = t.AsString("IMIONA");
  size_t dot = names.find('.');
  if (dot == std::string::npos) return -1;
  int version = std::stoi(names.substr(dot + 1));
  Values v = ValuesOf(nr, version);
  bool same = t.AsString("NAZWISKO") == v.surname && names == v.names &&
              t.AsString("NAZWA") == v.group && t.AsString("UWAGI") == v.memo;
  return same ? version : -1;
}

// The writer: tells the parent each operation before it starts ("P kind nr
// version") and when its post returned ("D").
[[noreturn]] void Writer(const std::string& path, unsigned seed, int out) {
  auto say = [out](const std::string& line) { (void)!write(out, line.data(), line.size()); };
  try {
    Table t;
    t.Open(path);
    std::vector<std::pair<uint32_t, std::pair<int, int>>> live;  // recno -> (nr, version)
    int nextNr = 1;
    for (t.First(); !t.Eof() && t.RecNo() != 0; t.Next()) {
      int nr = static_cast<int>(t.AsInteger("NR"));
      live.push_back({t.RecNo(), {nr, VersionOf(t)}});
      nextNr = std::max(nextNr, nr + 1);
    }
    std::mt19937 rng(seed);
    for (;;) {
      unsigned kind = rng() % 100;
      if (live.empty() || kind < 45) {
        say("P A " + std::to_string(nextNr) + " 0\n");
        t.Append();
        SetValues(t, nextNr, 0);
        t.Post();
        live.push_back({t.RecNo(), {nextNr++, 0}});
      } else {
        size_t i = rng() % live.size();
        auto& [recno, row] = live[i];
        t.GotoBookmark(recno);
        if (kind < 85) {
          say("P E " + std::to_string(row.first) + " " + std::to_string(row.second + 1) + "\n");
          t.Edit();
          SetValues(t, row.first, ++row.second);
          t.Post();
        } else {
          say("P X " + std::to_string(row.first) + " 0\n");
          t.Delete();
          live.erase(live.begin() + static_cast<long>(i));
        }
      }
      say("D\n");
    }
  } catch (const std::exception& e) {
    say(std::string("F ") + e.what() + "\n");
  }
  _exit(1);
}

struct Op {
  char kind = 0;
  int nr = 0, version = 0;
};

// What the parent knows: committed rows (nr -> version) and the operation
// that was under way when the writer died.
struct Model {
  std::map<int, int> rows;
  std::optional<Op> pending;
  std::string failure;

  void Read(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      if (lines.eof()) break;  // a line cut short by the kill
      std::istringstream w(line);
      std::string tag;
      w >> tag;
      if (tag == "P") {
        Op op;
        w >> op.kind >> op.nr >> op.version;
        pending = op;
      } else if (tag == "D" && pending) {
        if (pending->kind == 'X') rows.erase(pending->nr);
        else rows[pending->nr] = pending->version;
        pending.reset();
      } else if (tag == "F") {
        failure = line;
      }
    }
  }
};

// Runs a writer and kills it; returns what it said.
std::string RunAndKill(const std::string& path, unsigned seed, std::mt19937& rng) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe");
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    Writer(path, seed, fds[1]);
  }
  close(fds[1]);
  std::string text;
  int posts = 0, wanted = 1 + static_cast<int>(rng() % 25);
  char buf[4096];
  while (posts < wanted) {
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) posts += buf[i] == 'D';
    text.append(buf, static_cast<size_t>(n));
  }
  usleep(static_cast<useconds_t>(rng() % 600));
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
    text.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  return text;
}

std::string Padded(std::string s, size_t n) {
  s.resize(n, ' ');
  return s;
}

// The key bytes a row must have in each tag.
std::string ExpectedKey(const std::string& tag, int nr, int version) {
  Values v = ValuesOf(nr, version);
  if (tag == "NR") return NumericKey(std::to_string(nr));
  if (tag == "NAI") return Padded(v.surname, 30) + Padded(v.names, 30);
  return Padded(v.group, 40);
}

const std::vector<std::string> kTags = {"NR", "NAI", "NAZWAG"};

// Checks the table against the model after a kill and settles the pending
// operation by what the table shows.
void Verify(const std::string& dir, Model& model, const std::string& trial) {
  SCOPED_TRACE(trial);
  ASSERT_EQ(model.failure, "");
  const std::string path = dir + "/SPIS.DBF";
  Table t;
  t.Open(path);                                  // finishes what the killed writer left
  std::map<int, std::pair<uint32_t, int>> seen;  // nr -> (recno, version)
  for (t.First(); !t.Eof() && t.RecNo() != 0; t.Next()) {
    int nr = static_cast<int>(t.AsInteger("NR"));
    int version = VersionOf(t);
    ASSERT_GE(version, 0) << "row " << t.RecNo() << " mixes two posts";
    ASSERT_TRUE(seen.emplace(nr, std::make_pair(t.RecNo(), version)).second)
        << "NR " << nr << " twice";
  }
  std::map<int, int> expected = model.rows;
  if (const auto& p = model.pending) {
    auto it = seen.find(p->nr);
    bool there = it != seen.end();
    if (p->kind == 'A' && there) expected[p->nr] = 0;
    if (p->kind == 'E' && there && it->second.second == p->version) expected[p->nr] = p->version;
    if (p->kind == 'X' && !there) expected.erase(p->nr);
  }
  std::map<int, int> got;
  for (const auto& [nr, at] : seen) got[nr] = at.second;
  ASSERT_EQ(got, expected);
  model.rows = expected;
  model.pending.reset();

  // Every tag: each live row once, with its key, in key order; the walk
  // through the tag is bounded by counting.
  std::map<uint32_t, int> liveRecno;  // recno -> nr
  for (const auto& [nr, at] : seen) liveRecno[at.first] = nr;
  MdxFile mdx;
  mdx.Open(dir + "/SPIS.MDX");
  for (const std::string& tag : kTags) {
    SCOPED_TRACE(tag);
    std::vector<uint32_t> walked;
    t.SetIndexName(tag);
    for (t.First(); !t.Eof() && t.RecNo() != 0 && walked.size() <= seen.size(); t.Next())
      walked.push_back(t.RecNo());
    std::vector<uint32_t> order;
    std::set<uint32_t> once;
    for (const IndexEntry& e : mdx.Entries(mdx.FindTag(tag))) {
      auto it = liveRecno.find(e.recno);
      if (it == liveRecno.end()) continue;  // a deleted row keeps its entry until the pack
      ASSERT_TRUE(once.insert(e.recno).second) << "recno " << e.recno << " twice";
      ASSERT_EQ(e.key, ExpectedKey(tag, it->second, seen[it->second].second))
          << "stale key of recno " << e.recno;
      order.push_back(e.recno);
    }
    EXPECT_EQ(order.size(), seen.size());
    EXPECT_EQ(walked, order);
    std::vector<uint32_t> perl;
    for (const auto& [recno, key] : dbase_test::XbaseTag(dir + "/SPIS.MDX", tag))
      if (liveRecno.count(recno)) perl.push_back(recno);
    EXPECT_EQ(perl, order);
  }
  std::map<int, int> dbfread;
  for (const auto& row : dbase_test::DbfreadRows(path)) {
    if (row.deleted) continue;
    int nr = std::stoi(row.values[0]);
    std::string names = row.values[2];
    int version = std::stoi(names.substr(names.find('.') + 1));
    Values v = ValuesOf(nr, version);
    EXPECT_EQ(row.values,
              (std::vector<std::string>{std::to_string(nr), v.surname, v.names, v.group, v.memo}));
    dbfread[nr] = version;
  }
  EXPECT_EQ(dbfread, got);
}

TEST(KilledWriter, RandomKillsLeaveEveryRowWholeAndEveryTagInOrder) {
  TempDir dir;
  std::string path = dir / "SPIS.DBF";
  Table::Create(path, RegisterLike());
  std::mt19937 rng(2024);
  Model model;
  for (unsigned trial = 0; trial < 48; ++trial) {
    model.Read(RunAndKill(path, 1000 + trial, rng));
    Verify(dir.Path(), model, "trial " + std::to_string(trial));
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(model.rows.size(), 20u);
}

// The writer stops dead at each step of one post (an append, an edit that
// moves every key and its memo, on a table with enough rows for splits).
TEST(KilledWriter, AtEachStepOfAPostTheRowIsOldOrNew) {
  for (char kind : {'A', 'E'}) {
    for (int step = 1; step <= 4; ++step) {
      std::string trial = std::string(1, kind) + " killed at step " + std::to_string(step);
      TempDir dir;
      std::string path = dir / "SPIS.DBF";
      Table::Create(path, RegisterLike());
      Model model;
      {
        Table t;
        t.Open(path);
        for (int nr = 1; nr <= 120; ++nr) {
          t.Append();
          SetValues(t, nr, 0);
          t.Post();
          model.rows[nr] = 0;
        }
      }
      Table reader;  // open all along, as another program would be
      reader.Open(path);
      reader.SetIndexName("NAI");
      pid_t pid = fork();
      if (pid == 0) {
        PostStepHook = [step](int s) {
          if (s == step) raise(SIGKILL);
        };
        Table t;
        t.Open(path);
        if (kind == 'A') {
          t.Append();
          SetValues(t, 121, 0);
        } else {
          t.GotoBookmark(60);
          t.Edit();
          SetValues(t, 60, 1);
        }
        t.Post();
        _exit(0);
      }
      int status = 0;
      waitpid(pid, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status)) << trial;
      model.pending = Op{kind, kind == 'A' ? 121 : 60, kind == 'A' ? 0 : 1};
      // The reader's walks end, whatever the files hold now.
      std::vector<Bookmark> rows = reader.Bookmarks();
      EXPECT_LE(rows.size(), 121u) << trial;
      // From step 2 on the journal is complete: the post is finished by the
      // next open.
      Verify(dir.Path(), model, trial);
      bool posted = kind == 'A' ? model.rows.count(121) != 0 : model.rows[60] == 1;
      EXPECT_EQ(posted, step >= 2) << trial;
      // The reader, refreshed, sees the same.
      reader.Refresh();
      EXPECT_EQ(reader.RecordCount(), kind == 'A' && posted ? 121u : 120u) << trial;
    }
  }
}

}  // namespace
