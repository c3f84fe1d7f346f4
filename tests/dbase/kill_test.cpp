// Writers killed in the middle of a post: a child process appends, edits and
// deletes rows with memos on a table with three tags, and is killed (SIGKILL)
// at random moments, or at each step of one post. After every kill an engine
// open must show each row as it was or as it was posted, never a mix, every
// committed row present, and every tag holding every live row once, in key
// order; python3-dbfread and Perl XBase's tag walk must agree.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "dbase/file_io.h"

#include "dbase/mdx_file.h"
#include "dbase/post_journal.h"
#include "dbase_test_util.h"

namespace {

using namespace dbase;
using dbase_test::ReadFileBytes;
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

// The live rows dbfread read (nr -> version), each checked whole.
std::map<int, int> DbfreadVersions(const std::vector<dbase_test::ReaderRow>& rows) {
  std::map<int, int> read;
  for (const auto& row : rows) {
    EXPECT_FALSE(row.deleted && row.values.size() == 1) << row.values[0];  // dbfread failed
    if (row.deleted || row.values.size() != 5) continue;
    int nr = std::stoi(row.values[0]);
    int version = std::stoi(row.values[2].substr(row.values[2].find('.') + 1));
    Values v = ValuesOf(nr, version);
    EXPECT_EQ(row.values,
              (std::vector<std::string>{std::to_string(nr), v.surname, v.names, v.group, v.memo}));
    read[nr] = version;
  }
  return read;
}

// Checks the table against the model after a kill and settles the pending
// operation by what the table shows.
// readers: Perl XBase and dbfread look too.
void Verify(const std::string& dir, Model& model, const std::string& trial, bool readers = true) {
  SCOPED_TRACE(trial);
  ASSERT_EQ(model.failure, "");
  const std::string path = dir + "/SPIS.DBF";
  Table t;
  t.Open(path);  // finishes what the killed writer left
  ASSERT_FALSE(t.ReadOnly()) << t.ReadOnlyReason();
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
    if (!readers) continue;
    std::vector<uint32_t> perl;
    for (const auto& [recno, key] : dbase_test::XbaseTag(dir + "/SPIS.MDX", tag))
      if (liveRecno.count(recno)) perl.push_back(recno);
    EXPECT_EQ(perl, order);
  }
  if (!readers) return;
  EXPECT_EQ(DbfreadVersions(dbase_test::DbfreadRows(path)), got);
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

// --- Power cuts --------------------------------------------------------------
// Every file event of a script of posts and a pack is recorded. A state that a
// power cut may leave has of each file what its last flush put on the disk and
// any subset of the pages written since (the size following the pages), one
// page perhaps torn after a sector, and of the names made, renamed or removed
// since the folder's last flush, a first few. Files keep their inodes (linked
// aside when made), as on the disk. Each state is opened as after a restart of
// the machine, checked, posted to once more and checked again; dbfread then
// reads every final state in one run.

constexpr size_t kPage = 4096, kSector = 512;

std::string NameIn(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

struct Disk {
  struct Content {
    std::string durable, current;
    std::set<size_t> dirty;  // pages written since the last flush
  };
  std::map<uint64_t, Content> files;                    // by inode
  std::map<std::string, uint64_t> durableNames, names;  // file name -> inode
  std::vector<FileEvent> nameEvents;                    // since the folder's flush

  void Apply(const FileEvent& e) {
    switch (e.kind) {
      case FileEvent::Create:
        names[NameIn(e.path)] = e.inode;
        files[e.inode] = {};
        nameEvents.push_back(e);
        break;
      case FileEvent::Write: {
        Content& f = files[e.inode];
        if (f.current.size() < e.offset + e.bytes.size())
          f.current.resize(e.offset + e.bytes.size());
        f.current.replace(e.offset, e.bytes.size(), e.bytes);
        for (size_t p = e.offset / kPage; p * kPage < e.offset + e.bytes.size(); ++p)
          f.dirty.insert(p);
        break;
      }
      case FileEvent::Truncate: files[e.inode].current.resize(e.offset); break;
      case FileEvent::Sync:
        files[e.inode].durable = files[e.inode].current;
        files[e.inode].dirty.clear();
        break;
      case FileEvent::Rename:
      case FileEvent::Remove:
        Rename(names, e);
        nameEvents.push_back(e);
        break;
      case FileEvent::SyncFolder:
        durableNames = names;
        nameEvents.clear();
        break;
    }
  }
  static void Rename(std::map<std::string, uint64_t>& n, const FileEvent& e) {
    auto it = n.find(NameIn(e.path));
    if (it == n.end()) return;
    uint64_t inode = it->second;
    n.erase(it);
    if (e.kind == FileEvent::Rename) n[NameIn(e.to)] = inode;
  }
  // Variant 0: nothing unflushed reached the disk; 1: everything; 2, 3:
  // random pages and names; 4: everything, one page torn.
  // File name -> (inode, bytes).
  std::map<std::string, std::pair<uint64_t, std::string>> State(int variant,
                                                                std::mt19937& rng) const {
    std::map<std::string, uint64_t> n = durableNames;
    size_t made = variant == 0                   ? 0
                  : variant == 1 || variant == 4 ? nameEvents.size()
                                                 : rng() % (nameEvents.size() + 1);
    for (size_t i = 0; i < made; ++i) {
      const FileEvent& e = nameEvents[i];
      if (e.kind == FileEvent::Create) n[NameIn(e.path)] = e.inode;
      else Rename(n, e);
    }
    std::vector<std::pair<uint64_t, size_t>> dirty;
    for (const auto& [inode, f] : files)
      for (size_t p : f.dirty) dirty.emplace_back(inode, p);
    std::pair<uint64_t, size_t> torn{0, SIZE_MAX};
    if (variant == 4 && !dirty.empty()) torn = dirty[rng() % dirty.size()];
    std::map<std::string, std::pair<uint64_t, std::string>> state;
    for (const auto& [name, inode] : n) {
      const Content& f = files.at(inode);
      std::string bytes = f.durable;
      for (size_t p : f.dirty) {
        if (variant == 0 || (variant >= 2 && variant <= 3 && rng() % 2 == 0)) continue;
        size_t from = p * kPage, end = std::min(from + kPage, f.current.size());
        if (std::make_pair(inode, p) == torn)
          end = std::min(end, from + kSector * (1 + rng() % (kPage / kSector - 1)));
        if (end <= from) continue;
        if (bytes.size() < end) bytes.resize(end);
        bytes.replace(from, end - from, f.current, from, end - from);
      }
      state[name] = {inode, bytes};
    }
    return state;
  }
};

std::string Keep(const std::string& keep, uint64_t inode) {
  return keep + "/" + std::to_string(inode);
}

uint64_t InodeOfPath(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_ino) : 0;
}

Op Locate(Table& t, char kind, int nr, int version) {
  EXPECT_TRUE(t.Locate("NR", std::to_string(nr))) << nr;
  return Op{kind, nr, version};
}

// A table of rows 1..n (version 0), open in t.
void Fill(Table& t, const std::string& path, int n, Model& model) {
  Table::Create(path, RegisterLike());
  t.Open(path);
  for (int nr = 1; nr <= n; ++nr) {
    t.Append();
    SetValues(t, nr, 0);
    t.Post();
    model.rows[nr] = 0;
  }
}

TEST(PowerCut, EveryStateAPowerCutMayLeaveHoldsEachPostThatReturned) {
  TempDir dir, keep, states, finals;
  const std::string path = dir / "SPIS.DBF";
  Model start;
  Table t;
  Fill(t, path, 4, start);
  // What is there now is on the disk.
  Disk disk;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
    const std::string name = e.path().filename().string();
    uint64_t inode = InodeOfPath(e.path().string());
    ASSERT_EQ(::link(e.path().c_str(), Keep(keep.Path(), inode).c_str()), 0);
    disk.durableNames[name] = disk.names[name] = inode;
    disk.files[inode].durable = disk.files[inode].current = ReadFileBytes(e.path().string());
  }
  std::vector<FileEvent> events;
  Seams().fileEvent = [&](const FileEvent& e) {
    events.push_back(e);
    if (e.kind == FileEvent::Create) ::link(e.path.c_str(), Keep(keep.Path(), e.inode).c_str());
  };
  // The script: appends, edits of fields and memos, a delete, a pack, and
  // posts after it (whose journal must not meet the old one's records).
  std::vector<std::pair<Op, size_t>> script;  // each step, and the events when it returned
  auto step = [&](Op op, const std::function<void()>& run) {
    run();
    script.emplace_back(op, events.size());
  };
  auto append = [&](int nr) {
    step({'A', nr, 0}, [&] {
      t.Append();
      SetValues(t, nr, 0);
      t.Post();
    });
  };
  auto edit = [&](int nr, int version) {
    step(Locate(t, 'E', nr, version), [&] {
      t.Edit();
      SetValues(t, nr, version);
      t.Post();
    });
  };
  append(5);
  append(6);
  edit(2, 1);
  step(Locate(t, 'X', 3, 0), [&] { t.Delete(); });
  edit(5, 1);
  step({'P', 0, 0}, [&] {
    t.Close();
    t.Open(path, ShareMode::Exclusive);
    t.Pack();
    t.Close();
    t.Open(path);
  });
  edit(1, 1);
  append(7);
  Seams().fileEvent = nullptr;
  t.Close();

  std::vector<std::map<int, int>> rowsAfter{start.rows};  // after each step of the script
  for (const auto& [op, at] : script) {
    rowsAfter.push_back(rowsAfter.back());
    if (op.kind == 'X') rowsAfter.back().erase(op.nr);
    else if (op.kind != 'P') rowsAfter.back()[op.nr] = op.version;
  }
  // As after a restart of the machine.
  const auto bootId = Seams().bootId;
  Seams().bootId = [] { return std::string("another boot"); };
  std::mt19937 rng(25);
  std::vector<std::string> finalTables;
  std::vector<std::map<int, int>> finalRows;
  int count = 0;
  for (size_t i = 0; i <= events.size(); ++i) {
    const bool flush = i < events.size() && (events[i].kind == FileEvent::Sync ||
                                             events[i].kind == FileEvent::SyncFolder);
    if (flush || i == events.size()) {
      size_t returned = 0;
      while (returned < script.size() && script[returned].second <= i) ++returned;
      for (int variant = 0; variant < 5; ++variant) {
        const std::string trial =
            "event " + std::to_string(i) + " of " + std::to_string(events.size()) + ", variant " +
            std::to_string(variant) + ", steps returned " + std::to_string(returned);
        const std::string at = states / std::to_string(count);
        std::filesystem::create_directory(at);
        for (const auto& [name, file] : disk.State(variant, rng)) {
          const std::string kept = Keep(keep.Path(), file.first);
          dbase_test::WriteFileBytes(kept, file.second);  // the same inode
          ASSERT_EQ(::link(kept.c_str(), (at + "/" + name).c_str()), 0) << name;
        }
        Model model;
        model.rows = rowsAfter[returned];
        if (returned < script.size() && script[returned].first.kind != 'P')
          model.pending = script[returned].first;
        Verify(at, model, trial, false);
        {
          Table u;
          u.Open(at + "/SPIS.DBF");
          u.Append();
          SetValues(u, 100, 0);
          u.Post();
        }
        model.rows[100] = 0;
        Verify(at, model, trial + ", posted to", false);
        if (HasFatalFailure()) {
          Seams().bootId = bootId;
          return;
        }
        const std::string final = finals / std::to_string(count);
        std::filesystem::create_directory(final);
        for (const char* name : {"SPIS.DBF", "SPIS.DBT"})
          std::filesystem::copy_file(at + "/" + name, final + "/" + name);
        finalTables.push_back(final + "/SPIS.DBF");
        finalRows.push_back(model.rows);
        std::filesystem::remove_all(at);
        ++count;
      }
    }
    if (i < events.size()) disk.Apply(events[i]);
  }
  Seams().bootId = bootId;
  EXPECT_GT(count, 80);
  // What dbfread reads of each final state: every row whole, the same rows.
  const auto tables = dbase_test::DbfreadTables(finalTables);
  ASSERT_EQ(tables.size(), finalRows.size());
  for (size_t k = 0; k < tables.size(); ++k)
    EXPECT_EQ(DbfreadVersions(tables[k]), finalRows[k]) << finalTables[k];
}

// A pack, then the post journal as it stood before it (its new start never
// reached the disk) and a restart of the machine: its records belong to the
// table before the pack and are not applied to the packed one, where the
// rows moved (its epoch begins after the rows were made, as after a close).
TEST(PowerCut, AJournalOfTheTableBeforeAPackIsNotAppliedToThePackedOne) {
  TempDir dir;
  const std::string path = dir / "SPIS.DBF";
  Model model;
  Table t;
  Fill(t, path, 4, model);
  t.Close();
  t.Open(path);
  Locate(t, 'E', 2, 1);
  t.Edit();
  SetValues(t, 2, 1);
  t.Post();
  model.rows[2] = 1;
  Locate(t, 'X', 1, 0);
  t.Delete();
  model.rows.erase(1);
  const std::string journal = ReadFileBytes(PostJournalPath(path));
  t.Close();
  t.Open(path, ShareMode::Exclusive);
  t.Pack();
  t.Close();
  dbase_test::WriteFileBytes(PostJournalPath(path), journal);
  const auto bootId = Seams().bootId;
  Seams().bootId = [] { return std::string("another boot"); };
  Verify(dir.Path(), model, "stale journal");
  Seams().bootId = bootId;
}

std::string& Boot() {
  static std::string boot = "this boot";
  return boot;
}

// The journal as the previous version wrote it: its header ("PJ02") marks
// the first `applied` records applied, its records ("PR02") have no stamp.
std::string PreviousFormat(const std::string& journal, int applied) {
  const auto le = [](uint64_t v) {
    std::string s;
    for (int i = 0; i < 8; ++i) s += static_cast<char>(v >> (8 * i));
    return s;
  };
  std::string header = "PJ02" + journal.substr(4, 24) + le(static_cast<uint64_t>(applied)), records;
  uint64_t mark = 512;
  for (size_t at = 512; journal.compare(at, 4, "PR03") == 0; --applied) {
    uint32_t length = 0;
    std::memcpy(&length, journal.data() + at + 4, 4);
    records += "PR02" + journal.substr(at + 4, 28 + length);
    at += 40 + length;
    if (applied > 0) mark = 512 + records.size();
  }
  header += le(mark) + le(1);
  header += le(JournalChecksum(header, 4, 52));
  return header + std::string(512 - header.size(), '\0') + records;
}

// What other programs write to the table stays theirs. After a clean close
// of ours (yesterday's backup then copied back over the files in place, a
// field changed, a row appended) another boot replays nothing; while a
// program of ours still has the table open, its journal is its own; after a
// crash of ours the replay writes only the fields our posts changed (the
// same bytes written by the other program meanwhile are the one window) and
// keeps the rows appended since.
TEST(PowerCut, WhatOtherProgramsWroteStays) {
  TempDir dir;
  const std::string path = dir / "SPIS.DBF", index = dir / "SPIS.MDX";
  const auto bootId = Seams().bootId;
  Seams().bootId = [] { return Boot(); };
  Model model;
  Table t, u;
  Fill(t, path, 4, model);
  t.Close();
  const std::string dbf = ReadFileBytes(path), mdx = ReadFileBytes(index);
  const size_t row2 = 32 + 5 * 32 + 1 + 116;  // after the header and row 1
  // Another program writes row 2's NAZWISKO (at 6) or IMIONA (at 36) in
  // place, and may append a copy of row 1 (keeping no index).
  const auto otherProgram = [&](size_t field, bool append) {
    std::string b = ReadFileBytes(path);
    b.replace(row2 + field, 30, Padded("Obcy", 30));
    if (append) {
      b.insert(b.size() - 1, b.substr(row2 - 116, 116));
      ++b[4];
    }
    dbase_test::WriteFileBytes(path, b);
    return b;
  };
  // Ours, on yesterday's files copied back in place: row 2's NAZWISKO, row 5.
  const auto ourPosts = [&] {
    dbase_test::WriteFileBytes(path, dbf);
    dbase_test::WriteFileBytes(index, mdx);
    Boot() = "ours";
    t.Open(path);
    Locate(t, 'E', 2, 1);
    t.Edit();
    t.SetString("NAZWISKO", "Nasz");
    t.Post();
    t.Append();
    SetValues(t, 5, 0);
    t.Post();
    Boot() = "another";
  };
  ourPosts();
  t.Close();
  dbase_test::WriteFileBytes(path, dbf);
  dbase_test::WriteFileBytes(index, mdx);
  std::string theirs = otherProgram(36, true);
  u.Open(path);
  u.Close();
  EXPECT_EQ(ReadFileBytes(path), theirs);
  EXPECT_EQ(ReadFileBytes(index), mdx);

  ourPosts();
  const std::string left = ReadFileBytes(PostJournalPath(path));  // as a crash would
  theirs = otherProgram(6, false);
  u.Open(path);
  EXPECT_EQ(ReadFileBytes(path), theirs) << "a journal of a program still at work";
  u.Close();
  t.Close();
  dbase_test::WriteFileBytes(PostJournalPath(path), left);
  theirs = otherProgram(36, true);
  u.Open(path);
  u.Close();
  EXPECT_EQ(ReadFileBytes(path), theirs.replace(row2 + 6, 30, Padded("Nasz", 30)));

  // A journal of the previous format that a killed writer left: of it only
  // the records past its mark are applied (row 5), not the whole epoch (row
  // 2's name), though another boot opens it; it then starts anew.
  ourPosts();
  const std::string ours = ReadFileBytes(path);
  const std::string previous = PreviousFormat(ReadFileBytes(PostJournalPath(path)), 1);
  t.Close();
  dbase_test::WriteFileBytes(path, dbf);
  dbase_test::WriteFileBytes(index, mdx);
  otherProgram(6, false);
  dbase_test::WriteFileBytes(PostJournalPath(path), previous);
  u.Open(path);
  EXPECT_EQ(ReadFileBytes(path), std::string(ours).replace(row2 + 6, 30, Padded("Obcy", 30)));
  EXPECT_EQ(ReadFileBytes(PostJournalPath(path)).substr(0, 4), "PJ03");
  u.Close();
  Seams().bootId = bootId;
}

// A full disk (a small file system of this test's own): a post whose new
// memo blocks find no room fails and is not in the table afterwards; a table
// whose journal a crash left to replay opens read-only saying why while
// there is no room, and whole once there is.
TEST(PowerCut, AFullDiskFailsThePostAndStillOpensTheTable) {
  TempDir dir;
  if (::unshare(CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=1m") != 0)
    GTEST_SKIP() << "no file system of its own here: " << std::strerror(errno);
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{dir.Path()};
  const auto bootId = Seams().bootId;
  Seams().bootId = [] { return Boot(); };
  const std::string path = dir / "SPIS.DBF", filler = dir / "filler", memo(20000, 'm');
  const auto fill = [&] {
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const std::string page(4096, 'f');
    while (::write(fd, page.data(), page.size()) > 0) {
    }
    ::close(fd);
  };
  const auto post4 = [&](Table& t) {
    t.Append();
    SetValues(t, 4, 0);
    t.SetString("UWAGI", memo);
    t.Post();
  };
  Model model;
  Table t;
  Fill(t, path, 3, model);
  fill();
  try {
    post4(t);
    ADD_FAILURE() << "posted on a full disk";
  } catch (const DbError& e) {
    EXPECT_NE(std::string(e.what()).find("brak miejsca na dysku"), std::string::npos) << e.what();
  }
  t.Close();
  std::filesystem::remove(filler);
  Boot() = "after the failed post";
  Verify(dir.Path(), model, "the post that failed", false);

  t.Open(path);
  const uintmax_t memoSize = std::filesystem::file_size(dir / "SPIS.DBT");
  post4(t);
  const std::string journal = ReadFileBytes(PostJournalPath(path));
  t.Close();
  dbase_test::WriteFileBytes(PostJournalPath(path), journal);
  std::filesystem::resize_file(dir / "SPIS.DBT", memoSize);  // its new blocks lost
  fill();
  Boot() = "after the crash";
  t.Open(path);
  EXPECT_TRUE(t.ReadOnly());
  EXPECT_FALSE(t.PackRepairs());
  EXPECT_NE(t.ReadOnlyReason().find("brak miejsca na dysku"), std::string::npos)
      << t.ReadOnlyReason();
  t.Close();
  std::filesystem::remove(filler);
  t.Open(path);
  EXPECT_FALSE(t.ReadOnly()) << t.ReadOnlyReason();
  ASSERT_TRUE(t.Locate("NR", "4"));
  EXPECT_EQ(t.AsString("UWAGI"), memo);
  Seams().bootId = bootId;
}

// Each damage the pack repairs, on a table of four rows: what it reports, the
// damaged files it keeps, and the rows and tags after it.
TEST(PackRepair, EachKindOfDamageIsRepairedAndTheDamagedFilesKept) {
  struct Case {
    const char* file;  // damaged, kept as <stem>_USZKODZONY.<ext> unless removed
    std::function<void(std::string& bytes, const std::string& dbf)> damage;
    std::vector<std::string> repairs;  // "@" stands for the folder
    const char* kept = nullptr;        // the file kept, when not the one damaged
  };
  const std::vector<Case> cases = {
      {"SPIS.MDX",
       [](std::string& mdx, const std::string&) {
         // NR's root page (its tag header is page 4) holds more keys than fit.
         mdx.replace(static_cast<uint8_t>(mdx[4 * 512]) * 512u, 4, "\xFF\xFF\0\0", 4);
       },
       {"indeks @/SPIS.MDX odbudowany z rekordów tabeli (Uszkodzony indeks @/SPIS.MDX (strona 6))"}},
      {"SPIS.MDX", nullptr,
       {"indeks @/SPIS.MDX odbudowany z rekordów tabeli (Brak pliku @/SPIS.MDX)"}},
      {"SPIS.DBF", [](std::string& dbf, const std::string&) { dbf[4] = 6; },
       {"tabela @/SPIS.DBF: nagłówek podawał 6 rekordów, a całych było 4; zostały te 4"}},
      {"SPIS.DBT",
       [](std::string& dbt, const std::string& dbf) {
         // The file ends before the fourth row's memo.
         const size_t at = (static_cast<uint8_t>(dbf[8]) | static_cast<uint8_t>(dbf[9]) << 8) +
                           4 * (static_cast<uint8_t>(dbf[10]) | static_cast<uint8_t>(dbf[11]) << 8);
         dbt.resize(std::stoul(dbf.substr(at - 10, 10)) * 512);
       },
       {"plik notatek @/SPIS.DBT: pierwszy wolny blok policzony od nowa z notatek w użyciu (plik "
        "notatek @/SPIS.DBT jest uszkodzony: pierwszy wolny blok 7 leży poza plikiem, który ma 6 "
        "bloków)",
        "plik notatek @/SPIS.DBT: 1 notatka była nieczytelna i jest teraz pusta"}},
      // One word of text over the next free block: a post would write 276 GB on.
      {"SPIS.DBT", [](std::string& dbt, const std::string&) { dbt.replace(0, 4, "e   "); },
       {"plik notatek @/SPIS.DBT: pierwszy wolny blok policzony od nowa z notatek w użyciu (plik "
        "notatek @/SPIS.DBT jest uszkodzony: pierwszy wolny blok 538976357 leży poza plikiem, "
        "który ma 7 bloków)"}},
      // A program that keeps no index deleted row 4 and appended it again.
      {"SPIS.DBF",
       [](std::string& dbf, const std::string&) {
         const size_t length = 116, row4 = 32 + 5 * 32 + 1 + 3 * length;
         dbf = dbf.substr(0, row4 + length) + dbf.substr(row4, length) + "\x1A";
         dbf[row4] = '*';
         dbf[4] = 5;
       },
       {"indeks @/SPIS.MDX odbudowany z rekordów tabeli (Uszkodzony indeks @/SPIS.MDX (znacznik NR "
        "nie ma rekordu 5))"},
       "SPIS.MDX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.repairs.back());
    TempDir dir;
    const std::string path = dir / "SPIS.DBF", damaged = dir / c.file,
                      keptFile = dir / (c.kept ? c.kept : c.file);
    Model model;
    Table t;
    Fill(t, path, 4, model);
    t.Close();
    std::filesystem::remove(PostJournalPath(path));  // as another program leaves the files
    std::string bytes = ReadFileBytes(damaged);
    if (c.damage) c.damage(bytes, ReadFileBytes(path));
    if (c.damage) dbase_test::WriteFileBytes(damaged, bytes);
    else std::filesystem::remove(damaged);
    t.Open(path, ShareMode::Exclusive);
    EXPECT_TRUE(t.PackRepairs()) << t.ReadOnlyReason();
    const std::string before = c.damage ? ReadFileBytes(keptFile) : "";
    const Table::PackReport report = t.Pack(RegisterLike().tags);
    std::vector<std::string> repairs;
    for (std::string repair : c.repairs) {
      for (size_t at; (at = repair.find('@')) != std::string::npos;)
        repair.replace(at, 1, dir.Path());
      repairs.push_back(dbase_test::W(repair.c_str()));
    }
    EXPECT_EQ(report.repairs, repairs);
    const std::string kept = keptFile.substr(0, keptFile.size() - 4) + "_USZKODZONY" +
                             keptFile.substr(keptFile.size() - 4);
    EXPECT_EQ(report.backups,
              c.damage ? std::vector<std::string>{kept} : std::vector<std::string>{});
    EXPECT_EQ(ReadFileBytes(kept), before);
    EXPECT_FALSE(t.ReadOnly()) << t.ReadOnlyReason();
    if (c.repairs.back().find("teraz pust") != std::string::npos) {  // a memo left empty
      ASSERT_TRUE(t.Locate("NR", "4"));
      EXPECT_EQ(t.AsString("UWAGI"), "");
      t.Edit();  // whole again, for the check
      SetValues(t, 4, 0);
      t.Post();
    }
    t.Close();
    Verify(dir.Path(), model, c.file);
  }
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
        Seams().postStep = [step](int s) {
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
