// Opening and closing a table: its files and their locks, what damage they
// show, re-reading what other programs wrote, and the post journal's replay
// (see post_journal.h for when a record is replayed).
#include <cstdio>

#include "dbase/table_impl.h"
#include "platform/text/cp1250.h"

namespace dbase {

void Table::Impl::LoadHeader() {
  std::string first(32, '\0');
  dbf.ReadAt(0, first.data(), first.size());
  size_t length = static_cast<uint8_t>(first[8]) | static_cast<uint8_t>(first[9]) << 8;
  if (length < 33) throw DbError(ErrorCode::BadFormat, "Plik " + path + " nie jest tabelą dBASE");
  std::string all(length, '\0');
  dbf.ReadAt(0, all.data(), all.size());
  DbfHeader h = DbfHeader::Parse(all, path);
  // A count beyond the rows in the file: rows were lost (a file cut short).
  // Those present can be read; nothing is written, least of all the count.
  uint64_t size = dbf.Size();
  uint64_t rows = size > h.headerLength ? (size - h.headerLength) / h.recordLength : 0;
  damage.clear();
  statedCount = 0;
  if (h.recordCount > rows) {
    statedCount = h.recordCount;
    damage = "plik " + path + " jest uszkodzony: nagłówek podaje " + std::to_string(h.recordCount) +
             " rekordów, a w pliku jest " + std::to_string(rows);
    h.recordCount = static_cast<uint32_t>(rows);
  }
  header = std::move(h);
  defs.clear();
  for (const auto& f : header.fields) defs.push_back(f.def);
}

void Table::Impl::CountDeleted() {
  deletedCount = 0;
  live.assign(header.recordCount + 1, false);
  const uint32_t perChunk = std::max<uint32_t>(1, 65536 / header.recordLength);
  std::string chunk;
  for (uint32_t n = 1; n <= header.recordCount; n += perChunk) {
    uint32_t count = std::min(perChunk, header.recordCount - n + 1);
    chunk.resize(static_cast<size_t>(count) * header.recordLength);
    size_t got =
        dbf.ReadSomeAt(header.headerLength + static_cast<uint64_t>(n - 1) * header.recordLength,
                       chunk.data(), chunk.size());
    for (size_t at = 0, row = n; at + header.recordLength <= got; at += header.recordLength, ++row) {
      if (chunk[at] == '*') ++deletedCount;
      else live[row] = true;
    }
  }
}

std::string Table::Impl::TagGap() const {
  for (size_t t = 0; t < plans.size(); ++t) {
    if (uint32_t row = mdx.FirstMissing(static_cast<int>(t), live))
      return "Uszkodzony indeks " + mdx.Path() + " (znacznik " + mdx.Tags()[t].name +
             " nie ma rekordu " + std::to_string(row) + ")";
  }
  return {};
}

void Table::Impl::MarkFresh() {
  dbfStamp = dbf.GetStamp();
  if (mdx.IsOpen()) mdxStamp = mdx.Stamp();
}

void Table::Impl::Reread() {
  LoadHeader();
  CountDeleted();
  if (mdx.IsOpen()) {
    mdx.Reload();
    indexDamage = TagGap();
  }
  MarkFresh();
}

void Table::Impl::CheckFreshWhileStepping() {
  if (std::chrono::steady_clock::now() - lastCheck < std::chrono::milliseconds(100)) return;
  CheckFresh();
}

void Table::Impl::CheckFresh(bool strict) {
  lastCheck = std::chrono::steady_clock::now();
  // A reader whose files kept their stamps has nothing to re-read.
  if (!strict && dbf.GetStamp() == dbfStamp && (!mdx.IsOpen() || mdx.Stamp() == mdxStamp)) return;
  bool changed = false;
  bool countMoved = false;
  // Strict: this handle holds the write lock. Else the files are read under
  // the read lock: an index read while another program writes it could mix
  // two states, refused as damage, or taken for whole with a stale count of
  // its blocks that the next post here would allocate over.
  std::optional<ReadGuard> reading;
  reading.emplace(dbf, kTableLockByte, !strict);
  if (strict) {
    char h[8];
    dbf.ReadAt(0, h, sizeof h);
    uint32_t count = 0;
    for (int i = 0; i < 4; ++i)
      count |= static_cast<uint32_t>(static_cast<uint8_t>(h[4 + i])) << (8 * i);
    countMoved = count != header.recordCount;
  }
  if (countMoved || dbf.GetStamp() != dbfStamp) {
    LoadHeader();
    CountDeleted();
    changed = true;
  }
  if (mdx.IsOpen() && (mdx.Stamp() != mdxStamp || (strict && mdx.ChangedOnDisk()))) {
    mdx.Reload();
    changed = true;
  }
  if (changed && mdx.IsOpen()) indexDamage = TagGap();
  if (strict && memo.IsOpen()) memoDamage = memo.Damage(&memoNext);
  if (strict) RequireWritable();  // a file found damaged just now
  if (changed) MarkFresh();
  reading.reset();
  // A writer killed in a post changed the files: finish its post.
  if (changed && !strict && ReplayAbandonedJournal()) {
    ReadGuard again(dbf, kTableLockByte, true);
    Reread();
  }
}

namespace {

bool HasWrites(const std::vector<PostJournal::Record>& records, JournalTarget target) {
  for (const auto& r : records)
    for (const auto& w : r)
      if (w.target == target) return true;
  return false;
}

uint32_t Le(const char* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(p[i])) << (8 * i);
  return v;
}

// Rows another program appended since a replayed post stay: its row count
// is never written below the table's, nor its end mark over a row.
bool KeepsRows(const File& dbf, const JournalWrite& w) {
  char h[12];
  if (dbf.ReadSomeAt(0, h, sizeof h) != sizeof h) return false;
  const uint32_t count = Le(h + kCountAt, 4);
  if (w.offset == kCountAt && w.bytes.size() == 4) return count > Le(w.bytes.data(), 4);
  return w.bytes == std::string(1, kEndOfFile) &&
         w.offset < Le(h + 8, 2) + static_cast<uint64_t>(count) * Le(h + 10, 2);
}

// A record's ranges for one file, where the file differs (it may hold them).
void Replay(const PostJournal::Record& record, JournalTarget target, File* file) {
  if (file == nullptr) return;
  std::string now;
  for (const auto& w : record) {
    if (w.target != target) continue;
    now.resize(w.bytes.size());
    now.resize(file->ReadSomeAt(w.offset, now.data(), now.size()));
    if (now == w.bytes || (target == JournalTarget::Table && KeepsRows(*file, w))) continue;
    file->WriteAt(w.offset, w.bytes.data(), w.bytes.size());
  }
}

}  // namespace

bool Table::Impl::ReplayJournal(bool afterCrash) {
  if (!journal.IsOpen()) journal.Open(PostJournalPath(path));
  // A journal this program may not write is never replayed: the table is
  // read-only then (see OpenFiles), and its files stay as they are.
  if (!journal.WriteRefusal().empty()) return false;
  auto records = journal.Pending(dbf.Identity(), afterCrash);
  if (records.empty()) return false;
  File index, notes;
  File* mdxFile = mdx.IsOpen() ? &mdx.Raw() : nullptr;
  File* memoFile = memo.IsOpen() ? &memo.Raw() : nullptr;
  if (mdxFile == nullptr && HasWrites(records, JournalTarget::Index)) {
    // A lost index gets none: the table opens read-only for a pack to rebuild it.
    try {
      index = File::Open(MdxPathFor(path));
      mdxFile = &index;
    } catch (const DbError& e) {
      if (e.Code() != ErrorCode::FileNotFound) throw;
    }
  }
  if (memoFile == nullptr && HasWrites(records, JournalTarget::Memo)) {
    notes = File::Open(DbtPathFor(path));
    memoFile = &notes;
  }
  for (const auto& r : records) {
    Replay(r, JournalTarget::Memo, memoFile);
    Replay(r, JournalTarget::Table, &dbf);
    Replay(r, JournalTarget::Index, mdxFile);
  }
  if (!journal.PreviousFormat()) {
    journal.MarkApplied();
    return true;
  }
  // Records without stamps: the files on the disk, then a journal of this
  // format that holds none of them.
  for (File* f : {&dbf, memoFile, mdxFile})
    if (f != nullptr) f->DataSync();
  journal.Restart(dbf);
  return true;
}

bool Table::Impl::ReplayAbandonedJournal() {
  if (!dbf.Writable()) return false;
  if (!journal.IsOpen()) journal.Open(PostJournalPath(path));
  if (!journal.IsOpen() || journal.Pending(dbf.Identity(), false).empty()) return false;
  // Held by a live writer: its post is still running.
  if (!dbf.TryLock(kTableLockByte, true)) return false;
  LockGuard held(dbf, kTableLockByte, true);
  try {
    return ReplayJournal(false);
  } catch (const DbError& e) {
    // A disk without room: the post is finished by a later reader or writer.
    if (e.Code() != ErrorCode::Io) throw;
    return false;
  }
}

void Table::Impl::FlushFiles() {
  dbf.DataSync();
  if (memo.IsOpen()) memo.Raw().DataSync();
  if (mdx.IsOpen()) mdx.Raw().DataSync();
}

void Table::Impl::CloseClean() {
  if (!dbf.IsOpen() || !dbf.Writable() || !journal.IsOpen() || !WhyReadOnly().empty()) return;
  try {
    LockGuard tableLock(dbf, kTableLockByte);
    ReplayJournal(false);  // a killed writer's post first
    if (!journal.Dirty()) return;
    FlushFiles();
    journal.Restart(dbf);
  } catch (const std::exception&) {
    // The journal keeps its records: the next open after a crash replays them.
  }
}

void Table::Impl::OpenFiles(const std::string& p, ShareMode m) {
  path = p;
  mode = m;
  dbf = OpenLocked(p, m);
  try {
    // A post cut short by a killed writer is finished before anything is
    // read, and the first opener after a crash of ours (no other program of
    // ours has the table open) applies every record not known to be on the
    // disk (see post_journal.h).
    journal.Close();
    std::string replayFailed;
    if (dbf.Writable()) journal.Open(PostJournalPath(p));
    if (journal.IsOpen()) {
      LockGuard tableLock(dbf, kTableLockByte);
      try {
        ReplayJournal(m == ShareMode::Exclusive || !dbf.LockedByOthers(kOpenLockByte));
      } catch (const DbError& e) {
        // A full disk: the table is read, not written, until the replay fits.
        if (e.Code() != ErrorCode::Io) throw;
        replayFailed = "zapis z dziennika " + PostJournalPath(p) + " nie został dokończony (" +
                       platform::Utf8FromCp1250(e.what()) + ")";
      }
    }
    // Read while no writer is half way through a post (writers hold this
    // byte exclusively).
    dbf.WaitLock(kTableLockByte, false);
    LoadHeader();
    if (CodePageName(header.codePageByte).empty()) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", header.codePageByte);
      throw DbError(ErrorCode::BadFormat,
                    "Nieznana strona kodowa tabeli " + p + " (bajt " + hex + ")");
    }
    codePage = std::make_unique<CodePage>(header.codePageByte);
    readOnlyReason = replayFailed;
    if (!dbf.Writable()) readOnlyReason = "plik jest tylko do odczytu";
    memoDamage.clear();
    if (header.HasMemo()) {
      memo.Open(DbtPathFor(p), header.level);
      memoDamage = memo.Damage();
    }
    plans.clear();
    indexDamage.clear();
    if (header.production) {
      // A missing or damaged index opens the table read-only; a pack
      // rebuilds it from the rows.
      try {
        mdx.Open(MdxPathFor(p));
      } catch (const DbError& e) {
        if (e.Code() != ErrorCode::FileNotFound && e.Code() != ErrorCode::BadFormat) throw;
        mdx.Close();
        indexDamage = platform::Utf8FromCp1250(e.what());
      }
      for (const auto& s : mdx.Tags()) {
        KeyPlan plan = PlanKey(header.fields, s.expression);
        if (plan.usable && (plan.keyType != s.keyType || plan.keyLength != s.keyLength)) {
          plan.usable = false;
          plan.problem = "klucz znacznika " + s.name + " nie zgadza się z polami tabeli";
        }
        if (!plan.usable && readOnlyReason.empty())
          readOnlyReason = "znacznik " + s.name + ": " + plan.problem;
        plans.push_back(plan);
      }
    }
    // A post writes all files; one that cannot be written stops them all.
    if (readOnlyReason.empty() &&
        ((memo.IsOpen() && !memo.Writable()) || (mdx.IsOpen() && !mdx.Writable())))
      readOnlyReason = "plik notatek lub indeksu jest tylko do odczytu";
    // Nor can a post that cannot write its journal.
    if (readOnlyReason.empty() && dbf.Writable()) readOnlyReason = journal.WriteRefusal();
    CountDeleted();
    if (mdx.IsOpen()) indexDamage = TagGap();
    MarkFresh();
    dbf.Unlock(kTableLockByte);
  } catch (...) {
    CloseFiles();
    throw;
  }
}

void Table::Impl::CloseFiles() {
  editLock = 0;  // closing the table file releases every lock of this handle
  journal.Close();
  memo.Close();
  mdx.Close();
  dbf.Close();
  plans.clear();
}

void Table::Create(const std::string& dbfPath, const TableDef& def) {
  DbfHeader h;
  h.level = def.level;
  h.codePageByte = def.codePageByte;
  const std::string in = " (tabela " + dbfPath + ")";
  if (CodePageName(def.codePageByte).empty())
    throw DbError(ErrorCode::BadFormat,
                  "Nieznana strona kodowa bajtu " + std::to_string(def.codePageByte) + in);
  if (def.fields.empty()) throw DbError(ErrorCode::BadFormat, "Tabela musi mieć pola" + in);
  if (def.fields.size() > (def.level == TableLevel::DBase3 ? 128u : 255u))
    throw DbError(ErrorCode::BadFormat, "Za dużo pól" + in);
  for (const auto& f : def.fields) {
    FieldLayout l;
    l.def = NormalisedField(f);
    for (const auto& other : h.fields)
      if (other.def.name == l.def.name)
        throw DbError(ErrorCode::BadFormat, "Powtórzone pole " + l.def.name + in);
    h.fields.push_back(l);
  }
  h.Layout();
  if (h.recordLength > 4000) throw DbError(ErrorCode::BadFormat, "Za długi rekord" + in);
  if (!def.tags.empty() && def.level != TableLevel::DBase4)
    throw DbError(ErrorCode::BadFormat, "Znaczniki indeksu wymagają tabeli dBASE IV" + in);
  std::vector<TagSpec> tagDefs;
  for (const auto& t : def.tags) {
    KeyPlan plan = PlanKey(h.fields, t.expression);
    if (!plan.usable)
      throw DbError(ErrorCode::BadFormat, "Znacznik " + t.name + ": " + plan.problem + in);
    for (const auto& s : tagDefs)
      if (s.name == Upper(Trim(t.name)))
        throw DbError(ErrorCode::BadFormat, "Powtórzony znacznik " + t.name + in);
    tagDefs.push_back(
        TagSpec{Upper(Trim(t.name)), Upper(Trim(t.expression)), plan.keyType, plan.keyLength});
    if (plan.fields.size() == 1) h.fields[static_cast<size_t>(plan.fields[0])].indexed = true;
  }
  h.production = !tagDefs.empty();
  h.StampToday();

  const std::string base = StemOf(NameOf(dbfPath));
  std::vector<std::string> made;
  try {
    if (h.HasMemo()) {
      std::string p = DbtPathFor(dbfPath);
      MemoFile::Create(p, def.level, base);
      made.push_back(p);
    }
    if (h.production) {
      std::string p = MdxPathFor(dbfPath);
      MdxFile::Create(p, base, tagDefs);
      made.push_back(p);
    }
    File f = File::Create(dbfPath);
    made.push_back(dbfPath);
    std::string bytes = h.Serialize() + kEndOfFile;
    f.WriteAt(0, bytes.data(), bytes.size());
    // A journal left by an earlier table of this name is no post of this one.
    RemoveFile(PostJournalPath(dbfPath));
    // The new files and their names on the disk before the first post.
    for (const auto& p : made) File::Open(p).DataSync();
    SyncFolderOf(dbfPath);
  } catch (...) {
    for (const auto& p : made) ::unlink(p.c_str());
    throw;
  }
}

void Table::Open(const std::string& dbfPath, ShareMode mode) {
  if (impl_->active) Close();
  impl_->OpenFiles(dbfPath, mode);
  impl_->active = true;
  impl_->state = DataState::Browse;
  impl_->tag = -1;
  impl_->indexName.clear();
  impl_->Notify(DataEvent::Opened);
  First();
}

void Table::Close() {
  if (!impl_->active) return;
  impl_->Notify(DataEvent::Closing);
  impl_->state = DataState::Inactive;
  impl_->memos.clear();
  impl_->modified = false;
  impl_->CloseClean();
  impl_->CloseFiles();
  impl_->active = false;
  impl_->recno = 0;
  impl_->record.clear();
  impl_->bof = impl_->eof = true;
  impl_->Notify(DataEvent::StateChanged);
}

bool Table::Active() const { return impl_->active; }
ShareMode Table::Mode() const { return impl_->mode; }
const std::string& Table::Path() const { return impl_->path; }
bool Table::ReadOnly() const { return !impl_->WhyReadOnly().empty(); }
const std::string& Table::ReadOnlyReason() const {
  impl_->reasonShown = platform::Cp1250FromUtf8(impl_->WhyReadOnly());
  return impl_->reasonShown;
}
bool Table::PackRepairs() const {
  return impl_->active && impl_->readOnlyReason.empty() && !impl_->Damage().empty();
}

}  // namespace dbase
