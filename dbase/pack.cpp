// Packing: the live rows go to new files (table, memos, production index
// rebuilt), which are synced and then renamed over the old ones. A journal
// written before the first rename lets the next open finish the renames, so
// the table never pairs new rows with old memos or an old index.
//
// The packer holds the exclusive open lock on whatever file the table's path
// names, the old one before its rename and the new one after. So an opener
// that holds a lock on the file at the path knows that no pack runs: a
// journal it finds belongs to a packer that is gone, and new files without a
// journal are the remains of a pack that never got so far. The journal names
// the files without their folder: they are found beside the journal,
// whatever path the table is opened by.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <strings.h>
#include <unistd.h>

#include <fstream>

#include "platform/text/cp1250.h"

#include "dbase/pack_hook.h"
#include "dbase/table_impl.h"

namespace dbase {

namespace {

constexpr char kNewSuffix[] = ".pak-new";
constexpr char kJournalSuffix[] = ".pak-journal";

// The pack's own journal (the renames still to do), apart from the post
// journal of post_journal.h.
std::string PackJournalPath(const std::string& dbfPath) { return dbfPath + kJournalSuffix; }
// "1 notatka była nieczytelna i jest teraz pusta", "3 notatki były ...",
// "5 notatek było ...": the words agree with the number, as Polish wants
// (12 to 14 take the form of 5).
std::string LostMemosText(uint32_t n) {
  const std::string count = std::to_string(n) + " ";
  if (n == 1) return count + "notatka była nieczytelna i jest teraz pusta";
  if (n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14))
    return count + "notatki były nieczytelne i są teraz puste";
  return count + "notatek było nieczytelnych i są teraz puste";
}

std::string NewPath(const std::string& path) { return path + kNewSuffix; }

void Step(int n) {
  if (Seams().packStep) Seams().packStep(n);
}

// The name of the backup of a damaged file: "SPIS.MDX" -> "SPIS_USZKODZONY.MDX",
// numbered when one is there already.
std::string BackupPath(const std::string& path) {
  const std::string name = NameOf(path), stem = StemOf(name), ext = name.substr(stem.size());
  for (int n = 1;; ++n) {
    std::string p = Beside(path, stem + "_USZKODZONY" + (n > 1 ? std::to_string(n) : "") + ext);
    if (::access(p.c_str(), F_OK) != 0) return p;
  }
}

// A copy of the file, flushed; returns its path.
std::string KeepBackup(const std::string& path) {
  File from = File::Open(path);
  std::string bytes(from.Size(), '\0');
  bytes.resize(from.ReadSomeAt(0, bytes.data(), bytes.size()));
  std::string to = BackupPath(path);
  File copy = File::Create(to);
  copy.WriteAt(0, bytes.data(), bytes.size());
  copy.DataSync();
  return to;
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Removes what a pack that stopped before its journal left: new files of
// the table, its memos and its index, and a journal never completed.
void RemoveUnfinishedPackFiles(const std::string& dbfPath) {
  const std::string table = NameOf(dbfPath), stem = StemOf(table);
  std::vector<std::string> stale;
  DIR* d = ::opendir(FolderOf(dbfPath).c_str());
  if (d == nullptr) return;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == table + kJournalSuffix + ".tmp") {
      stale.push_back(name);
      continue;
    }
    // STEM.EXT.pak-new, EXT being the table's, the memos' or the index's.
    if (name.size() != stem.size() + 4 + sizeof kNewSuffix - 1 || !EndsWith(name, kNewSuffix))
      continue;
    if (strncasecmp(name.c_str(), stem.c_str(), stem.size()) != 0 || name[stem.size()] != '.')
      continue;
    std::string ext = name.substr(stem.size() + 1, 3);
    for (const char* known : {"DBF", "DBT", "MDX"})
      if (strcasecmp(ext.c_str(), known) == 0) stale.push_back(name);
  }
  ::closedir(d);
  for (const auto& name : stale) RemoveFile(Beside(dbfPath, name));
}

}  // namespace

void Table::Impl::RecoverPack(const std::string& dbfPath) {
  std::string journalPath = PackJournalPath(dbfPath);
  std::ifstream journal(journalPath);
  if (!journal) return;
  // Lines in pairs: the new file and the file it replaces. Older journals
  // held paths; only the names count, looked up beside the journal.
  std::vector<std::pair<std::string, std::string>> renames;
  std::string from, to;
  while (std::getline(journal, from) && std::getline(journal, to)) {
    from = NameOf(from);
    to = NameOf(to);
    if (to.empty() || from != to + kNewSuffix)
      throw DbError(ErrorCode::BadFormat, "Uszkodzony dziennik pakowania " + journalPath);
    renames.emplace_back(Beside(journalPath, from), Beside(journalPath, to));
  }
  if (renames.empty())
    throw DbError(ErrorCode::BadFormat, "Uszkodzony dziennik pakowania " + journalPath);
  for (const auto& [newFile, oldFile] : renames) {
    if (Exists(newFile))
      RenameFile(newFile, oldFile,
                 "Nie można dokończyć pakowania tabeli " + dbfPath + " (zamiana " + oldFile + ")");
  }
  SyncFolderOf(dbfPath);
  RemoveFile(journalPath);
  SyncFolderOf(dbfPath);
}

File Table::Impl::OpenLocked(const std::string& p, ShareMode m) {
  const bool exclusive = m == ShareMode::Exclusive;
  // A few rounds: the file can be replaced by a pack that ends meanwhile,
  // and two openers can meet a journal at once.
  constexpr int kRounds = 50;
  for (int round = 1;; ++round) {
    File f = File::Open(p);
    if (!f.TryLock(kOpenLockByte, exclusive)) {
      throw DbError(ErrorCode::InUse,
                    exclusive ? "Tabela " + p + " jest w użyciu"
                              : "Tabela " + p + " jest otwarta na wyłączność przez inny program");
    }
    if (!f.IsAt(p)) {
      if (round < kRounds) continue;
      throw DbError(ErrorCode::InUse, "Tabela " + p + " jest właśnie pakowana przez inny program");
    }
    if (!Exists(PackJournalPath(p))) {
      RemoveUnfinishedPackFiles(p);
      return f;
    }
    // The packer is gone; its journal is carried out under the exclusive
    // lock (a shared opener takes it for the moment), then the files are
    // opened anew.
    if (exclusive || f.TryLock(kOpenLockByte, true)) {
      RecoverPack(p);
      continue;
    }
    if (!f.Writable())
      throw DbError(
          ErrorCode::ReadOnly,
          "Pakowanie tabeli " + p + " nie zostało dokończone, a plik jest tylko do odczytu");
    f.Close();
    if (round >= kRounds)
      throw DbError(ErrorCode::InUse,
                    "Pakowanie tabeli " + p + " nie zostało dokończone, a tabela jest w użyciu");
    ::usleep(20000);
  }
}

Table::PackReport Table::Pack(const std::vector<TagDef>& tagsIfIndexLost) {
  Impl& t = *impl_;
  t.RequireActive();
  if (t.mode != ShareMode::Exclusive)
    throw DbError(ErrorCode::NotExclusive,
                  "Tabela " + t.path + " do pakowania musi być otwarta na wyłączność");
  t.BrowseMode();
  // Damage is what the pack repairs; other reasons stop it.
  auto requirePackable = [&t] {
    if (!t.readOnlyReason.empty())
      throw DbError(ErrorCode::ReadOnly,
                    "Zapis do tabeli " + t.path + " jest niemożliwy: " + t.readOnlyReason);
  };
  requirePackable();
  t.CheckFresh();
  requirePackable();  // found just now

  PackReport report;
  std::vector<std::string> damaged;  // the originals to keep
  const std::string mdxPath = MdxPathFor(t.path);
  // The tags: those of the index read, else the definitions its headers
  // still give, else the caller's.
  std::vector<TagSpec> tagDefs;
  std::vector<KeyPlan> plans;
  if (t.mdx.IsOpen()) {
    tagDefs = t.mdx.Tags();
    plans = t.plans;
  } else if (t.header.production) {
    try {
      tagDefs = MdxFile::ReadTags(mdxPath);
    } catch (const DbError&) {
      for (const auto& d : tagsIfIndexLost) {
        KeyPlan plan = PlanKey(t.header.fields, d.expression);
        if (!plan.usable) continue;
        tagDefs.push_back(
            {Upper(Trim(d.name)), Upper(Trim(d.expression)), plan.keyType, plan.keyLength});
      }
    }
    if (tagDefs.empty())
      throw DbError(ErrorCode::BadFormat, "Nie można odbudować indeksu " + mdxPath +
                                              ": nie wiadomo, jakie miał znaczniki (" +
                                              t.indexDamage + ")");
    for (const auto& tagDef : tagDefs) {
      plans.push_back(PlanKey(t.header.fields, tagDef.expression));
      if (!plans.back().usable)
        throw DbError(ErrorCode::BadFormat, "Nie można odbudować indeksu " + mdxPath +
                                                ": znacznik " + tagDef.name + ": " +
                                                plans.back().problem);
    }
  }
  // Missing, damaged, or missing live rows: rebuilt from the rows.
  if (!t.indexDamage.empty()) {
    report.repairs.push_back("indeks " + mdxPath + " odbudowany z rekordów tabeli (" +
                             t.indexDamage + ")");
    if (Exists(mdxPath)) damaged.push_back(mdxPath);
  }
  if (t.statedCount != 0) {
    report.repairs.push_back("tabela " + t.path + ": nagłówek podawał " +
                             std::to_string(t.statedCount) + " rekordów, a całych było " +
                             std::to_string(t.header.recordCount) + "; zostały te " +
                             std::to_string(t.header.recordCount));
    damaged.push_back(t.path);
  }
  // The new memo file's next free block follows the memos in use.
  if (!t.memoDamage.empty()) {
    report.repairs.push_back("plik notatek " + DbtPathFor(t.path) +
                             ": pierwszy wolny blok policzony od nowa z notatek w użyciu (" +
                             t.memoDamage + ")");
    damaged.push_back(DbtPathFor(t.path));
  }

  std::vector<std::pair<std::string, std::string>> renames;  // new -> final
  renames.emplace_back(NewPath(t.path), t.path);
  if (t.header.HasMemo()) renames.emplace_back(NewPath(DbtPathFor(t.path)), DbtPathFor(t.path));
  if (!tagDefs.empty()) renames.emplace_back(NewPath(mdxPath), mdxPath);
  for (const auto& r : renames) ::unlink(r.first.c_str());  // left by a pack that failed
  auto removeNew = [&renames] {
    for (const auto& r : renames) ::unlink(r.first.c_str());
  };

  File newDbf;
  uint32_t lostMemos = 0;
  try {
    // Each new file takes the permission bits and group of the file it
    // replaces (of the .DBF where there was none), so that whoever could
    // write the table still can after another user packed it.
    File oldIndex;
    const File* indexLike = t.mdx.IsOpen() ? &t.mdx.Raw() : &t.dbf;
    if (!t.mdx.IsOpen() && Exists(mdxPath)) {
      oldIndex = File::Open(mdxPath);
      indexLike = &oldIndex;
    }
    const std::string base = StemOf(NameOf(t.path));
    MemoFile newMemo;
    if (t.header.HasMemo()) {
      MemoFile::Create(renames[1].first, t.header.level, base);
      newMemo.Open(renames[1].first, t.header.level);
      newMemo.Raw().TakeModeOf(t.memo.IsOpen() ? t.memo.Raw() : t.dbf);
    }
    MdxFile newMdx;
    if (!tagDefs.empty()) {
      MdxFile::Create(renames.back().first, base, tagDefs);
      newMdx.Open(renames.back().first);
      newMdx.Raw().TakeModeOf(*indexLike);
    }
    newDbf = File::CreateLike(renames[0].first, t.dbf);
    if (!newDbf.TryLock(kOpenLockByte, true))
      throw DbError(ErrorCode::InUse, "Tabela " + t.path + " jest w użyciu");

    DbfHeader h = t.header;
    h.recordCount = 0;
    std::string out;
    uint64_t at = h.headerLength;
    for (uint32_t n = 1; n <= t.header.recordCount; ++n) {
      std::string rec = t.ReadRecord(n);
      if (rec.empty() || Impl::IsDeleted(rec)) continue;
      for (const auto& f : h.fields) {
        if (f.def.type != FieldType::Memo) continue;
        uint32_t block = MemoBlock(rec.substr(1 + f.offset, 10));
        std::string text;
        try {
          if (block) text = t.memo.Read(block);
        } catch (const DbError& e) {
          // A block lost or damaged: the memo is left empty.
          if (e.Code() != ErrorCode::BadFormat) throw;
          ++lostMemos;
        }
        rec.replace(1 + f.offset, 10, MemoField(text.empty() ? 0 : newMemo.Write(text)));
      }
      ++h.recordCount;
      for (size_t k = 0; k < plans.size(); ++k)
        newMdx.Insert(static_cast<int>(k), BuildKey(plans[k], h.fields, rec), h.recordCount);
      out += rec;
      if (out.size() >= (1u << 20)) {
        newDbf.WriteAt(at, out.data(), out.size());
        at += out.size();
        out.clear();
      }
    }
    Step(0);
    out += kEndOfFile;
    newDbf.WriteAt(at, out.data(), out.size());
    h.StampToday();
    std::string head = h.Serialize();
    newDbf.WriteAt(0, head.data(), head.size());
    if (newMdx.IsOpen()) {
      newMdx.Flush();
      newMdx.Raw().Sync();
    }
    if (newMemo.IsOpen()) newMemo.Sync();
    newDbf.Sync();
    if (lostMemos != 0) {
      report.repairs.push_back("plik notatek " + DbtPathFor(t.path) + ": " +
                               LostMemosText(lostMemos));
      if (t.memoDamage.empty()) damaged.push_back(DbtPathFor(t.path));
    }
    // The damaged originals stay beside the table, as they were.
    for (const auto& d : damaged) report.backups.push_back(KeepBackup(d));
    if (!damaged.empty()) SyncFolderOf(t.path);
    // The post journal is retired before any rename: the old files get every
    // record on the disk, and the journal then belongs to the new table
    // file, so nothing of it is ever applied to the packed table.
    t.FlushFiles();
    if (t.journal.IsOpen()) t.journal.Restart(newDbf);
  } catch (...) {
    newDbf.Close();
    removeNew();
    throw;
  }
  Step(1);

  {
    std::string journal = PackJournalPath(t.path);
    std::string tmp = journal + ".tmp";
    try {
      std::string lines;
      for (const auto& r : renames) lines += NameOf(r.first) + '\n' + NameOf(r.second) + '\n';
      RemoveFile(tmp);
      File jf = File::Create(tmp);
      jf.WriteAt(0, lines.data(), lines.size());
      jf.Sync();
      RenameFile(tmp, journal, "Nie można zapisać dziennika pakowania " + journal);
      SyncFolderOf(journal);
    } catch (...) {
      ::unlink(tmp.c_str());
      removeNew();
      throw;
    }
  }
  Step(2);
  int step = 3;
  for (const auto& r : renames) {
    try {
      RenameFile(r.first, r.second,
                 "Nie można zastąpić " + r.second + " po pakowaniu tabeli " + t.path);
    } catch (...) {
      // The journal stays: the next opening of the table finishes the pack.
      // This handle's files are replaced in part, so it is closed.
      Close();
      throw;
    }
    Step(step++);
  }
  SyncFolderOf(t.path);
  RemoveFile(PackJournalPath(t.path));
  SyncFolderOf(t.path);

  // The new table file is already locked for this handle; the rest reopen.
  t.memo.Close();
  t.mdx.Close();
  t.dbf = std::move(newDbf);
  t.dbf.SetPath(t.path);
  t.LoadHeader();
  if (t.header.HasMemo()) t.memo.Open(DbtPathFor(t.path), t.header.level);
  t.indexDamage.clear();
  t.memoDamage.clear();
  if (t.header.production) {
    t.mdx.Open(mdxPath);
    t.plans = plans;
  }
  t.CountDeleted();
  t.MarkFresh();
  // The row read before names memo blocks of the old file: observers must
  // not see it with the new files.
  t.recno = 0;
  t.record.clear();
  t.Notify(DataEvent::Opened);
  First();
  for (auto& text : report.repairs) text = platform::Cp1250FromUtf8(text);
  return report;
}

}  // namespace dbase
