#include <dirent.h>
#include <strings.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unordered_set>

#include "dbase/table_impl.h"
#include "platform/text/cp1250.h"

namespace dbase {

DbError::DbError(ErrorCode code, const std::string& message)
    : std::runtime_error(platform::Cp1250FromUtf8(message)), code_(code) {}

namespace {

// The sibling file with another extension: an existing one matched without
// regard to case, else the extension in the case of the table's.
std::string SiblingPath(const std::string& dbfPath, const char* upperExt) {
  size_t slash = dbfPath.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : dbfPath.substr(0, slash);
  std::string name = slash == std::string::npos ? dbfPath : dbfPath.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  std::string wanted = stem + upperExt;
  std::string prefix = slash == std::string::npos ? "" : dir + "/";
  if (DIR* d = opendir(dir.c_str())) {
    std::string found;
    while (dirent* e = readdir(d)) {
      if (strcasecmp(e->d_name, wanted.c_str()) == 0) {
        found = e->d_name;
        break;
      }
    }
    closedir(d);
    if (!found.empty()) return prefix + found;
  }
  bool lower = !ext.empty() && ext[1] >= 'a' && ext[1] <= 'z';
  std::string e = upperExt;
  if (lower)
    for (auto& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return prefix + stem + e;
}

// RAII for one lock byte.
class LockGuard {
 public:
  // held: the lock is taken already and only its release is left to this.
  LockGuard(File& f, uint64_t offset, bool held = false) : f_(f), offset_(offset) {
    if (!held) f_.WaitLock(offset_, true);
  }
  ~LockGuard() { f_.Unlock(offset_); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  File& f_;
  uint64_t offset_;
};

// Holds a lock byte shared while the files are read, when take is true:
// no writer is half way through a post meanwhile (writers hold it
// exclusively).
class ReadGuard {
 public:
  ReadGuard(File& f, uint64_t offset, bool take) : f_(take ? &f : nullptr), offset_(offset) {
    if (f_ != nullptr) f_->WaitLock(offset_, false);
  }
  ~ReadGuard() {
    if (f_ != nullptr) f_->Unlock(offset_);
  }
  ReadGuard(const ReadGuard&) = delete;
  ReadGuard& operator=(const ReadGuard&) = delete;

 private:
  File* f_;
  uint64_t offset_;
};

}  // namespace

std::string MdxPathFor(const std::string& dbfPath) { return SiblingPath(dbfPath, ".MDX"); }
std::string DbtPathFor(const std::string& dbfPath) { return SiblingPath(dbfPath, ".DBT"); }

KeyPlan PlanKey(const std::vector<FieldLayout>& fields, const std::string& expression) {
  KeyPlan plan;
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t plus = expression.find('+', start);
    parts.push_back(Upper(Trim(
        expression.substr(start, plus == std::string::npos ? std::string::npos : plus - start))));
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  for (const auto& p : parts) {
    int found = -1;
    for (size_t i = 0; i < fields.size(); ++i)
      if (fields[i].def.name == p) found = static_cast<int>(i);
    if (found < 0) {
      plan.problem = "nieobsługiwane wyrażenie klucza \"" + expression + "\"";
      return plan;
    }
    plan.fields.push_back(found);
  }
  const FieldDef& first = fields[static_cast<size_t>(plan.fields[0])].def;
  if (plan.fields.size() == 1 &&
      (first.type == FieldType::Numeric || first.type == FieldType::Float)) {
    plan.keyType = 'N';
    plan.keyLength = 12;
  } else {
    for (int f : plan.fields) {
      const FieldDef& d = fields[static_cast<size_t>(f)].def;
      if (d.type != FieldType::Character) {
        plan.problem =
            "klucz \"" + expression + "\" z polem " + d.name + " tego typu nie jest obsługiwany";
        return plan;
      }
      plan.keyLength += d.length;
    }
    plan.keyType = 'C';
    if (plan.keyLength > 100) {
      plan.problem = "klucz \"" + expression + "\" jest dłuższy niż 100 znaków";
      return plan;
    }
  }
  plan.usable = true;
  return plan;
}

std::string BuildKey(const KeyPlan& plan, const std::vector<FieldLayout>& fields,
                     const std::string& record) {
  if (plan.keyType == 'N') {
    const FieldLayout& f = fields[static_cast<size_t>(plan.fields[0])];
    return NumericKey(record.substr(1 + f.offset, static_cast<size_t>(f.def.length)));
  }
  std::string key;
  for (int i : plan.fields) {
    const FieldLayout& f = fields[static_cast<size_t>(i)];
    key += record.substr(1 + f.offset, static_cast<size_t>(f.def.length));
  }
  return key;
}

// ---------------------------------------------------------------------------

void Table::Impl::Notify(DataEvent e, const std::string& field) {
  auto copy = observers;  // an observer may remove itself
  for (auto& [id, o] : copy) o(e, field);
}

void Table::Impl::RequireActive() const {
  if (!active)
    throw DbError(ErrorCode::NotActive, path.empty() ? "Tabela nie jest otwarta"
                                                     : "Tabela " + path + " nie jest otwarta");
}

int Table::Impl::FieldNo(std::string_view name) const {
  // Names as the program writes them (upper case, no blanks) match directly.
  for (size_t i = 0; i < header.fields.size(); ++i)
    if (header.fields[i].def.name == name) return static_cast<int>(i);
  std::string u = Upper(Trim(name));
  for (size_t i = 0; i < header.fields.size(); ++i)
    if (header.fields[i].def.name == u) return static_cast<int>(i);
  return -1;
}

const FieldLayout& Table::Impl::FieldAt(std::string_view name) const {
  RequireActive();
  int n = FieldNo(name);
  if (n < 0)
    throw DbError(ErrorCode::FieldNotFound, "Brak pola " + std::string(name) + " w tabeli " + path);
  return header.fields[static_cast<size_t>(n)];
}

std::string Table::Impl::ReadRecord(uint32_t n) const {
  if (n == 0 || n > header.recordCount) return {};
  std::string rec(header.recordLength, '\0');
  uint64_t at = header.headerLength + static_cast<uint64_t>(n - 1) * header.recordLength;
  if (dbf.ReadSomeAt(at, rec.data(), rec.size()) != rec.size()) return {};
  return rec;
}

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
  const uint32_t perChunk = std::max<uint32_t>(1, 65536 / header.recordLength);
  std::string chunk;
  for (uint32_t n = 1; n <= header.recordCount; n += perChunk) {
    uint32_t count = std::min(perChunk, header.recordCount - n + 1);
    chunk.resize(static_cast<size_t>(count) * header.recordLength);
    size_t got =
        dbf.ReadSomeAt(header.headerLength + static_cast<uint64_t>(n - 1) * header.recordLength,
                       chunk.data(), chunk.size());
    for (size_t at = 0; at + header.recordLength <= got; at += header.recordLength)
      if (chunk[at] == '*') ++deletedCount;
  }
}

void Table::Impl::MarkFresh() {
  dbfStamp = dbf.GetStamp();
  if (mdx.IsOpen()) mdxStamp = mdx.Stamp();
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
  if (strict) RequireWritable();  // a file found damaged just now
  if (mdx.IsOpen() && (mdx.Stamp() != mdxStamp || (strict && mdx.ChangedOnDisk()))) {
    mdx.Reload();
    changed = true;
  }
  if (changed) MarkFresh();
  reading.reset();
  // A writer killed in a post changed the files: finish its post.
  if (changed && !strict && ReplayAbandonedJournal()) {
    ReadGuard again(dbf, kTableLockByte, true);
    LoadHeader();
    CountDeleted();
    if (mdx.IsOpen()) mdx.Reload();
    MarkFresh();
  }
}

std::optional<uint32_t> Table::Impl::Edge(bool last, std::string* found, std::string* foundKey) {
  if (tag < 0) {
    if (header.recordCount == 0) return std::nullopt;
    uint32_t n = last ? header.recordCount : 1;
    std::string rec = ReadRecord(n);
    if (!rec.empty() && !IsDeleted(rec)) {
      if (found) *found = std::move(rec);
      return n;
    }
    return Step(n, {}, !last, found);
  }
  auto e = last ? mdx.Last(tag) : mdx.First(tag);
  if (!e) return std::nullopt;
  std::string rec = ReadRecord(e->recno);
  if (!rec.empty() && !IsDeleted(rec)) {
    if (found) *found = std::move(rec);
    if (foundKey) *foundKey = e->key;
    return e->recno;
  }
  return Step(e->recno, e->key, !last, found, foundKey);
}

std::optional<uint32_t> Table::Impl::Step(uint32_t from, const std::string& fromKey, bool forward,
                                          std::string* found, std::string* foundKey) {
  if (tag < 0) {
    uint32_t n = from;
    for (;;) {
      if (forward ? n >= header.recordCount : n <= 1) return std::nullopt;
      n = forward ? n + 1 : n - 1;
      std::string rec = ReadRecord(n);
      if (!rec.empty() && !IsDeleted(rec)) {
        if (found) *found = std::move(rec);
        return n;
      }
    }
  }
  // Each entry comes strictly after (before) the one before it.
  auto e = forward ? mdx.Next(tag, fromKey, from) : mdx.Prior(tag, fromKey, from);
  while (e) {
    std::string rec = ReadRecord(e->recno);
    if (!rec.empty() && !IsDeleted(rec)) {
      if (found) *found = std::move(rec);
      if (foundKey) *foundKey = e->key;
      return e->recno;
    }
    e = forward ? mdx.Next(tag, e->key, e->recno) : mdx.Prior(tag, e->key, e->recno);
  }
  return std::nullopt;
}

std::string Table::Impl::PositionKey() const {
  if (tag < 0) return {};
  if (entryKey) return *entryKey;
  return record.empty() ? std::string() : KeyOf(tag, record);
}

void Table::Impl::SetCurrent(uint32_t n, std::string* known, std::optional<std::string> key) {
  recno = n;
  record = known ? std::move(*known) : ReadRecord(n);
  entryKey = std::move(key);
  Notify(DataEvent::Scrolled);
}

void Table::Impl::ClearCurrent() {
  recno = 0;
  record.clear();
  entryKey.reset();
  bof = eof = true;
  Notify(DataEvent::Scrolled);
}

void Table::Impl::BrowseMode() {
  if (state == DataState::Edit || state == DataState::Insert) {
    if (modified) owner->Post();
    else owner->Cancel();
  }
}

void Table::Impl::RequireWritable() const {
  if (!Damage().empty() || !readOnlyReason.empty())
    throw DbError(ErrorCode::ReadOnly, "Zapis do tabeli " + path + " jest niemożliwy: " +
                                           (Damage().empty() ? readOnlyReason : Damage()));
}

std::string Table::Impl::HeaderCounts() {
  header.StampToday();
  std::string h = {static_cast<char>(header.version), static_cast<char>(header.year),
                   static_cast<char>(header.month), static_cast<char>(header.day)};
  for (int i = 0; i < 4; ++i) h += static_cast<char>(header.recordCount >> (8 * i));
  return h;
}

void Table::Impl::LockRecord(uint32_t n) {
  // The other editor's post takes moments; a user editing holds it longer.
  for (int attempt = 0; !dbf.TryLock(kRecordLockBase + n, true); ++attempt) {
    if (attempt == 20) {
      throw DbError(ErrorCode::InUse, "Rekord " + std::to_string(n) + " tabeli " + path +
                                          " jest właśnie zmieniany przez innego użytkownika");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void Table::Impl::UnlockEdit() {
  if (editLock != 0) dbf.Unlock(kRecordLockBase + editLock);
  editLock = 0;
}

namespace {

void PostStep(int n) {
  if (Seams().postStep) Seams().postStep(n);
}

// differing: only ranges whose bytes differ are written (a replay of
// records the files may already hold).
void ApplyWrites(const std::vector<JournalWrite>& writes, JournalTarget target, File* file,
                 bool differing = false) {
  if (file == nullptr) return;
  std::string now;
  for (const auto& w : writes) {
    if (w.target != target) continue;
    if (differing) {
      now.resize(w.bytes.size());
      now.resize(file->ReadSomeAt(w.offset, now.data(), now.size()));
      if (now == w.bytes) continue;
    }
    file->WriteAt(w.offset, w.bytes.data(), w.bytes.size());
  }
}

void ApplyWrites(const std::vector<JournalWrite>& writes, File& dbf, File* memo, File* index,
                 bool differing = false) {
  ApplyWrites(writes, JournalTarget::Memo, memo, differing);
  ApplyWrites(writes, JournalTarget::Table, &dbf, differing);
  ApplyWrites(writes, JournalTarget::Index, index, differing);
}

std::string StoredMemo(const Table::Impl& t, int field, const std::string& rec) {
  const FieldLayout& f = t.header.fields[static_cast<size_t>(field)];
  return t.memo.Read(MemoBlock(rec.substr(1 + f.offset, 10)));
}

bool HasWrites(const std::vector<PostJournal::Record>& records, JournalTarget target) {
  for (const auto& r : records)
    for (const auto& w : r)
      if (w.target == target) return true;
  return false;
}

}  // namespace

bool Table::Impl::ReplayJournal(bool opening) {
  if (!journal.IsOpen()) journal.Open(PostJournalPath(path), false);
  bool all = false;
  auto records = journal.Pending(dbf.Identity(), opening, &all);
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
  for (const auto& r : records) ApplyWrites(r, dbf, memoFile, mdxFile, all);
  journal.MarkApplied();
  return true;
}

bool Table::Impl::ReplayAbandonedJournal() {
  if (!dbf.Writable()) return false;
  if (!journal.IsOpen()) journal.Open(PostJournalPath(path), false);
  if (!journal.IsOpen() || journal.Pending(dbf.Identity(), false).empty()) return false;
  // Held by a live writer: its post is still running.
  if (!dbf.TryLock(kTableLockByte, true)) return false;
  LockGuard held(dbf, kTableLockByte, true);
  return ReplayJournal(false);
}

void Table::Impl::BeginWrite() {
  if (ReplayJournal(false)) {
    dbfStamp = {};
    mdxStamp = {};
  }
  CheckFresh(true);
}

void Table::Impl::WriteThrough(const std::vector<JournalWrite>& writes) {
  PostStep(1);
  if (journal.NeedsRestart()) {
    // Every record so far must be in the files on the disk before the
    // journal forgets it.
    dbf.DataSync();
    if (memo.IsOpen()) memo.Raw().DataSync();
    if (mdx.IsOpen()) mdx.Raw().DataSync();
    journal.Restart(dbf.Identity());
  }
  journal.Commit(writes);
  PostStep(2);
  ApplyWrites(writes, JournalTarget::Memo, memo.IsOpen() ? &memo.Raw() : nullptr);
  ApplyWrites(writes, JournalTarget::Table, &dbf);
  PostStep(3);
  ApplyWrites(writes, JournalTarget::Index, mdx.IsOpen() ? &mdx.Raw() : nullptr);
  PostStep(4);
  journal.MarkApplied();
}

std::string Table::Impl::MergedEdit(const std::string& stored) const {
  if (stored == record) return buffer;
  // Another program wrote the row although this handle held its lock: keep
  // what it wrote in the fields this edit left alone.
  std::string rec = stored;
  for (size_t i = 0; i < header.fields.size(); ++i) {
    const FieldLayout& f = header.fields[i];
    size_t at = 1 + f.offset, length = static_cast<size_t>(f.def.length);
    bool mine = f.def.type == FieldType::Memo ? memos.count(static_cast<int>(i)) != 0
                                              : buffer.compare(at, length, record, at, length) != 0;
    if (!mine) continue;
    if (stored.compare(at, length, record, at, length) != 0)
      throw DbError(ErrorCode::InUse, "Pole " + f.def.name + " rekordu " + std::to_string(recno) +
                                          " tabeli " + path +
                                          " zmienił w tym czasie inny użytkownik");
    rec.replace(at, length, buffer, at, length);
  }
  return rec;
}

void Table::Impl::PlanMemos(std::string& rec, std::vector<JournalWrite>& writes) {
  uint32_t next = 0;
  for (const auto& [field, text] : memos) {
    const FieldLayout& f = header.fields[static_cast<size_t>(field)];
    rec.replace(1 + f.offset, 10, MemoField(text.empty() ? 0 : memo.Plan(text, writes, next)));
  }
}

void Table::Impl::PostEdit() {
  RequireWritable();
  LockGuard tableLock(dbf, kTableLockByte);
  BeginWrite();
  std::string old = ReadRecord(recno);
  if (old.empty() || IsDeleted(old))
    throw DbError(ErrorCode::NoRecord, "Rekord " + std::to_string(recno) + " tabeli " + path +
                                           " został usunięty przez innego użytkownika");
  std::string rec = MergedEdit(old);
  // New memo texts go to new blocks: the row keeps its old ones until its
  // record is written.
  std::vector<JournalWrite> writes;
  PlanMemos(rec, writes);
  writes.push_back({JournalTarget::Table, RecordOffset(recno), rec});
  writes.push_back({JournalTarget::Table, 0, HeaderCounts()});
  if (mdx.IsOpen()) {
    for (size_t t = 0; t < plans.size(); ++t) {
      int ti = static_cast<int>(t);
      std::string before = KeyOf(ti, old), after = KeyOf(ti, rec);
      if (before == after) continue;
      mdx.Remove(ti, before, recno);
      mdx.Insert(ti, after, recno);
    }
    mdx.TakeWrites(writes);
  }
  WriteThrough(writes);
  MarkFresh();
  record = rec;
  entryKey.reset();
}

void Table::Impl::PostInsert() {
  RequireWritable();
  LockGuard tableLock(dbf, kTableLockByte);
  BeginWrite();
  uint32_t n = header.recordCount + 1;
  std::string rec = buffer;
  std::vector<JournalWrite> writes;
  PlanMemos(rec, writes);
  writes.push_back({JournalTarget::Table, RecordOffset(n), rec + kEndOfFile});
  header.recordCount = n;
  writes.push_back({JournalTarget::Table, 0, HeaderCounts()});
  if (mdx.IsOpen()) {
    for (size_t t = 0; t < plans.size(); ++t)
      mdx.Insert(static_cast<int>(t), KeyOf(static_cast<int>(t), rec), n);
    mdx.TakeWrites(writes);
  }
  WriteThrough(writes);
  MarkFresh();
  recno = n;
  record = rec;
  entryKey.reset();
}

void Table::Impl::OpenFiles(const std::string& p, ShareMode m) {
  path = p;
  mode = m;
  dbf = OpenLocked(p, m);
  try {
    // A post cut short by a killed writer is finished before anything is read.
    journal.Close();
    // After a power cut any range may be missing from the files: every
    // record is applied again where the files differ (see post_journal.h).
    if (dbf.Writable()) journal.Open(PostJournalPath(p), false);
    if (journal.IsOpen()) {
      LockGuard tableLock(dbf, kTableLockByte);
      ReplayJournal(true);
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
    readOnlyReason.clear();
    if (!dbf.Writable()) readOnlyReason = "plik jest tylko do odczytu";
    if (header.HasMemo()) memo.Open(DbtPathFor(p), header.level);
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

// ---------------------------------------------------------------------------

Table::Table() : impl_(std::make_unique<Impl>()) { impl_->owner = this; }

Table::~Table() {
  if (impl_->active) {
    impl_->state = DataState::Browse;
    impl_->CloseFiles();
  }
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

  size_t slash = dbfPath.find_last_of('/');
  std::string base = slash == std::string::npos ? dbfPath : dbfPath.substr(slash + 1);
  base = base.substr(0, base.find_last_of('.'));
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
bool Table::ReadOnly() const { return !impl_->Damage().empty() || !impl_->readOnlyReason.empty(); }
const std::string& Table::ReadOnlyReason() const {
  impl_->reasonShown =
      platform::Cp1250FromUtf8(impl_->Damage().empty() ? impl_->readOnlyReason : impl_->Damage());
  return impl_->reasonShown;
}
bool Table::PackRepairs() const {
  return impl_->active && impl_->readOnlyReason.empty() && !impl_->Damage().empty();
}
TableLevel Table::Level() const { return impl_->header.level; }
uint8_t Table::CodePageByte() const { return impl_->header.codePageByte; }

const std::vector<FieldDef>& Table::Fields() const { return impl_->defs; }

int Table::FieldIndex(std::string_view name) const { return impl_->FieldNo(name); }

std::vector<TagDef> Table::Tags() const {
  std::vector<TagDef> tags;
  if (impl_->mdx.IsOpen())
    for (const auto& s : impl_->mdx.Tags()) tags.push_back(TagDef{s.name, s.expression});
  return tags;
}

void Table::SetIndexName(const std::string& name) {
  impl_->RequireActive();
  impl_->BrowseMode();
  std::string wanted = Upper(Trim(name));
  if (wanted.empty()) {
    impl_->tag = -1;
    impl_->indexName.clear();
  } else {
    int t = impl_->mdx.IsOpen() ? impl_->mdx.FindTag(wanted) : -1;
    if (t < 0)
      throw DbError(ErrorCode::TagNotFound,
                    "Brak znacznika indeksu " + name + " dla tabeli " + impl_->path);
    const KeyPlan& plan = impl_->plans[static_cast<size_t>(t)];
    if (!plan.usable)
      throw DbError(ErrorCode::BadFormat,
                    "Znacznik " + wanted + " tabeli " + impl_->path + ": " + plan.problem);
    impl_->tag = t;
    impl_->indexName = wanted;
  }
  impl_->entryKey.reset();
  impl_->Notify(DataEvent::DataChanged);
}

const std::string& Table::IndexName() const { return impl_->indexName; }

void Table::First() {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->CheckFresh();
  std::string rec, key;
  if (auto r = impl_->Edge(false, &rec, &key)) {
    impl_->SetCurrent(*r, &rec, key);
    impl_->bof = true;
    impl_->eof = false;
  } else {
    impl_->ClearCurrent();
  }
}

void Table::Last() {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->CheckFresh();
  std::string rec, key;
  if (auto r = impl_->Edge(true, &rec, &key)) {
    impl_->SetCurrent(*r, &rec, key);
    impl_->bof = false;
    impl_->eof = true;
  } else {
    impl_->ClearCurrent();
  }
}

void Table::Next() {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->CheckFreshWhileStepping();
  if (impl_->recno == 0) {
    impl_->eof = true;
    return;
  }
  std::string rec, key;
  if (auto r = impl_->Step(impl_->recno, impl_->PositionKey(), true, &rec, &key)) {
    impl_->SetCurrent(*r, &rec, key);
    impl_->bof = impl_->eof = false;
  } else {
    impl_->eof = true;
  }
}

void Table::Prior() {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->CheckFreshWhileStepping();
  if (impl_->recno == 0) {
    impl_->bof = true;
    return;
  }
  std::string rec, key;
  if (auto r = impl_->Step(impl_->recno, impl_->PositionKey(), false, &rec, &key)) {
    impl_->SetCurrent(*r, &rec, key);
    impl_->bof = impl_->eof = false;
  } else {
    impl_->bof = true;
  }
}

bool Table::Eof() const { return impl_->eof; }
bool Table::Bof() const { return impl_->bof; }
bool Table::IsEmpty() const { return RecordCount() == 0; }

namespace {
// The program form of one field of a stored row (memo texts read).
std::string ValueOf(const Table::Impl& t, const FieldLayout& f, const std::string& rec) {
  if (rec.empty()) return {};
  std::string stored = rec.substr(1 + f.offset, static_cast<size_t>(f.def.length));
  if (f.def.type == FieldType::Memo) return t.codePage->ToProgram(t.memo.Read(MemoBlock(stored)));
  if (f.def.type == FieldType::Character) return t.codePage->ToProgram(TrimRight(stored));
  return DecodeValue(f.def, stored);
}

bool SameValue(const FieldDef& f, const std::string& stored, const std::string& wanted) {
  if (stored == wanted) return true;
  if ((f.type == FieldType::Numeric || f.type == FieldType::Float) && !stored.empty() &&
      !wanted.empty()) {
    char* end1 = nullptr;
    char* end2 = nullptr;
    double a = std::strtod(stored.c_str(), &end1), b = std::strtod(wanted.c_str(), &end2);
    return *end1 == '\0' && *end2 == '\0' && a == b;
  }
  return false;
}
}  // namespace

std::vector<Bookmark> Table::Bookmarks() const {
  std::vector<Bookmark> rows;
  if (!impl_->active) return rows;
  impl_->CheckFresh();
  // A row with two entries in a stale tag is listed once.
  std::unordered_set<Bookmark> seen;
  std::string key;
  for (auto r = impl_->Edge(false, nullptr, &key); r; r = impl_->Step(*r, key, true, nullptr, &key))
    if (seen.insert(*r).second) rows.push_back(*r);
  return rows;
}

std::string Table::AsStringAt(Bookmark row, std::string_view field) const {
  const FieldLayout& f = impl_->FieldAt(field);
  if (row == impl_->recno) return AsString(field);
  impl_->CheckFresh();
  std::string rec = impl_->ReadRecord(row);
  if (rec.empty() || Impl::IsDeleted(rec))
    throw DbError(ErrorCode::NoRecord,
                  "Rekord " + std::to_string(row) + " tabeli " + impl_->path + " nie istnieje");
  return ValueOf(*impl_, f, rec);
}

bool Table::Locate(const std::string& field, const std::string& value) {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->CheckFresh();
  const FieldLayout& f = impl_->FieldAt(field);
  std::string wanted = Trim(value);
  std::string rec, key;
  for (auto r = impl_->Edge(false, &rec, &key); r; r = impl_->Step(*r, key, true, &rec, &key)) {
    if (SameValue(f.def, Trim(ValueOf(*impl_, f, rec)), wanted)) {
      impl_->SetCurrent(*r, &rec, key);
      impl_->bof = impl_->eof = false;
      return true;
    }
  }
  return false;
}

Bookmark Table::GetBookmark() const { return impl_->recno; }

void Table::GotoBookmark(Bookmark b) {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->CheckFresh();
  std::string rec = impl_->ReadRecord(b);
  if (rec.empty() || Impl::IsDeleted(rec))
    throw DbError(ErrorCode::NoRecord,
                  "Rekord " + std::to_string(b) + " tabeli " + impl_->path + " nie istnieje");
  impl_->SetCurrent(b);
  impl_->bof = impl_->eof = false;
}

uint32_t Table::RecNo() const { return impl_->recno; }

uint32_t Table::RecordCount() const {
  if (!impl_->active) return 0;
  impl_->CheckFresh();
  return impl_->header.recordCount - impl_->deletedCount;
}

void Table::Refresh() {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->dbfStamp = {};
  impl_->mdxStamp = {};
  impl_->CheckFresh();
  std::string rec = impl_->ReadRecord(impl_->recno);
  if (impl_->recno != 0 && (rec.empty() || Impl::IsDeleted(rec))) {
    std::string from = impl_->PositionKey(), key;
    auto r = impl_->Step(impl_->recno, from, true, nullptr, &key);
    if (!r) r = impl_->Step(impl_->recno, from, false, nullptr, &key);
    if (r) impl_->SetCurrent(*r, nullptr, key);
    else impl_->ClearCurrent();
  } else if (impl_->recno != 0) {
    if (rec != impl_->record) impl_->entryKey.reset();
    impl_->record = rec;
  } else if (std::string key; auto r = impl_->Edge(false, nullptr, &key)) {
    impl_->SetCurrent(*r, nullptr, key);
    impl_->bof = impl_->eof = false;
  }
  impl_->Notify(DataEvent::DataChanged);
}

DataState Table::State() const { return impl_->state; }
bool Table::Modified() const { return impl_->modified; }

void Table::Edit() {
  impl_->RequireActive();
  if (impl_->state == DataState::Edit || impl_->state == DataState::Insert) return;
  impl_->RequireWritable();
  if (impl_->recno == 0)
    throw DbError(ErrorCode::NoRecord, "Tabela " + impl_->path + " jest pusta");
  // The row stays locked until Post or Cancel: a second editor is refused
  // instead of overwriting this edit (or having it overwrite his).
  impl_->LockRecord(impl_->recno);
  impl_->editLock = impl_->recno;
  std::string rec = impl_->ReadRecord(impl_->recno);
  if (rec.empty() || Impl::IsDeleted(rec)) {
    impl_->UnlockEdit();
    throw DbError(ErrorCode::NoRecord, "Rekord " + std::to_string(impl_->recno) + " tabeli " +
                                           impl_->path + " został usunięty");
  }
  impl_->record = rec;
  impl_->buffer = rec;
  impl_->memos.clear();
  impl_->modified = false;
  impl_->state = DataState::Edit;
  impl_->Notify(DataEvent::StateChanged);
}

void Table::Insert() {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->RequireWritable();
  impl_->savedRecno = impl_->recno;
  impl_->buffer.assign(impl_->header.recordLength, ' ');
  impl_->memos.clear();
  impl_->modified = false;
  impl_->state = DataState::Insert;
  impl_->Notify(DataEvent::StateChanged);
}

void Table::Append() { Insert(); }

void Table::Post() {
  impl_->RequireActive();
  try {
    if (impl_->state == DataState::Edit) impl_->PostEdit();
    else if (impl_->state == DataState::Insert) impl_->PostInsert();
    else return;
  } catch (...) {
    // What is in memory may be ahead of the files: read them again.
    impl_->dbfStamp = {};
    impl_->mdxStamp = {};
    throw;
  }
  impl_->UnlockEdit();
  impl_->state = DataState::Browse;
  impl_->memos.clear();
  impl_->modified = false;
  impl_->bof = impl_->eof = false;
  impl_->Notify(DataEvent::StateChanged);
  impl_->Notify(DataEvent::DataChanged);
}

void Table::Cancel() {
  impl_->RequireActive();
  DataState was = impl_->state;
  if (was != DataState::Edit && was != DataState::Insert) return;
  impl_->state = DataState::Browse;
  impl_->UnlockEdit();
  impl_->memos.clear();
  impl_->modified = false;
  impl_->buffer.clear();
  if (was == DataState::Insert) {
    std::string rec = impl_->ReadRecord(impl_->savedRecno);
    impl_->entryKey.reset();
    if (!rec.empty() && !Impl::IsDeleted(rec)) {
      impl_->recno = impl_->savedRecno;
      impl_->record = rec;
    } else if (std::string key; auto r = impl_->Edge(false, nullptr, &key)) {
      impl_->recno = *r;
      impl_->record = impl_->ReadRecord(*r);
      impl_->entryKey = key;
    } else {
      impl_->recno = 0;
      impl_->record.clear();
    }
  }
  impl_->Notify(DataEvent::StateChanged);
  impl_->Notify(DataEvent::DataChanged);
}

void Table::Delete() {
  impl_->RequireActive();
  if (impl_->state == DataState::Insert) {
    Cancel();
    return;
  }
  if (impl_->state == DataState::Edit) {
    impl_->state = DataState::Browse;
    impl_->memos.clear();
    impl_->modified = false;
    impl_->Notify(DataEvent::StateChanged);
  }
  impl_->RequireWritable();
  if (impl_->recno == 0)
    throw DbError(ErrorCode::NoRecord, "Tabela " + impl_->path + " jest pusta");
  uint32_t n = impl_->recno;
  std::string from = impl_->PositionKey();
  {
    // Not while another handle edits the row (this one's own edit lock is
    // taken over and released here).
    if (impl_->editLock != n) impl_->LockRecord(n);
    impl_->editLock = 0;
    LockGuard recordLock(impl_->dbf, kRecordLockBase + n, true);
    LockGuard tableLock(impl_->dbf, kTableLockByte);
    impl_->BeginWrite();
    std::string old = impl_->ReadRecord(n);
    if (!old.empty() && !Impl::IsDeleted(old)) {
      // One byte: the row is deleted or it is not.
      impl_->WriteThrough({{JournalTarget::Table, impl_->RecordOffset(n), "*"},
                           {JournalTarget::Table, 0, impl_->HeaderCounts()}});
      ++impl_->deletedCount;
    }
    impl_->MarkFresh();
  }
  std::string key;
  auto r = impl_->Step(n, from, true, nullptr, &key);
  bool atEnd = !r;
  if (!r) r = impl_->Step(n, from, false, nullptr, &key);
  if (r) {
    impl_->SetCurrent(*r, nullptr, key);
    impl_->bof = false;
    impl_->eof = atEnd;
  } else {
    impl_->ClearCurrent();
  }
  impl_->Notify(DataEvent::DataChanged);
}

// --- field values ------------------------------------------------------------

std::string Table::AsString(std::string_view field) const {
  const FieldLayout& f = impl_->FieldAt(field);
  int no = static_cast<int>(&f - impl_->header.fields.data());
  const std::string& rec = impl_->Shown();
  if (f.def.type == FieldType::Memo) {
    auto it = impl_->memos.find(no);
    if (impl_->state != DataState::Browse && it != impl_->memos.end())
      return impl_->codePage->ToProgram(it->second);
    if (rec.empty()) return {};
    return impl_->codePage->ToProgram(StoredMemo(*impl_, no, rec));
  }
  if (rec.empty()) return {};
  std::string stored = rec.substr(1 + f.offset, static_cast<size_t>(f.def.length));
  if (f.def.type == FieldType::Character) return impl_->codePage->ToProgram(TrimRight(stored));
  return DecodeValue(f.def, stored);
}

int64_t Table::AsInteger(std::string_view field) const {
  const FieldLayout& f = impl_->FieldAt(field);
  std::string v = Trim(AsString(field));
  if (v.empty()) return 0;
  switch (f.def.type) {
    case FieldType::Logical: return v == "T" ? 1 : 0;
    case FieldType::Date:
    case FieldType::Memo:
      throw DbError(ErrorCode::InvalidValue, "Pole " + f.def.name + " nie jest liczbą");
    default: break;
  }
  int64_t n = 0;
  auto r = std::from_chars(v.data(), v.data() + v.size(), n);
  if (r.ec == std::errc() && r.ptr == v.data() + v.size()) return n;
  char* end = nullptr;
  double d = std::strtod(v.c_str(), &end);
  if (end == v.c_str() + v.size() && std::isfinite(d) && std::fabs(d) < 9.2e18)
    return std::llround(d);
  throw DbError(ErrorCode::InvalidValue,
                "Wartość \"" + v + "\" pola " + f.def.name + " nie jest liczbą całkowitą");
}

bool Table::IsNull(std::string_view field) const {
  const FieldLayout& f = impl_->FieldAt(field);
  int no = static_cast<int>(&f - impl_->header.fields.data());
  if (f.def.type == FieldType::Memo && impl_->state != DataState::Browse) {
    auto it = impl_->memos.find(no);
    if (it != impl_->memos.end()) return it->second.empty();
  }
  const std::string& rec = impl_->Shown();
  if (rec.empty()) return true;
  std::string stored = rec.substr(1 + f.offset, static_cast<size_t>(f.def.length));
  if (f.def.type == FieldType::Memo) return MemoBlock(stored) == 0;
  if (f.def.type == FieldType::Logical) return DecodeValue(f.def, stored).empty();
  return IsBlank(stored);
}

namespace {
void RequireEditing(const Table::Impl& t) {
  t.RequireActive();
  if (t.state != DataState::Edit && t.state != DataState::Insert)
    throw DbError(ErrorCode::NotEditing,
                  "Tabela " + t.path + " nie jest w trybie edycji ani wstawiania");
}
}  // namespace

void Table::SetString(std::string_view field, const std::string& value) {
  const FieldLayout& f = impl_->FieldAt(field);
  RequireEditing(*impl_);
  int no = static_cast<int>(&f - impl_->header.fields.data());
  std::string stored;
  bool representable = impl_->codePage->ToStored(value, stored);
  if (f.def.type == FieldType::Memo || f.def.type == FieldType::Character) {
    if (!representable)
      throw DbError(ErrorCode::InvalidValue,
                    "Tekst pola " + f.def.name + " ma znaki spoza strony kodowej tabeli");
  }
  if (f.def.type == FieldType::Memo) {
    if (impl_->header.level == TableLevel::DBase3 && stored.find('\x1A') != std::string::npos)
      throw DbError(ErrorCode::InvalidValue, "Notatka dBASE III nie może zawierać znaku 0x1A");
    impl_->memos[no] = stored;
  } else {
    std::string encoded = EncodeText(f.def, f.def.type == FieldType::Character ? stored : value);
    impl_->buffer.replace(1 + f.offset, static_cast<size_t>(f.def.length), encoded);
  }
  impl_->modified = true;
  impl_->Notify(DataEvent::FieldChanged, f.def.name);
}

void Table::SetInteger(std::string_view field, int64_t value) {
  const FieldLayout& f = impl_->FieldAt(field);
  RequireEditing(*impl_);
  if (f.def.type == FieldType::Character) return SetString(field, std::to_string(value));
  std::string encoded = EncodeInteger(f.def, value);
  impl_->buffer.replace(1 + f.offset, static_cast<size_t>(f.def.length), encoded);
  impl_->modified = true;
  impl_->Notify(DataEvent::FieldChanged, f.def.name);
}

int Table::AddObserver(Observer o) {
  int id = impl_->nextObserver++;
  impl_->observers.emplace_back(id, std::move(o));
  return id;
}

void Table::RemoveObserver(int id) {
  auto& v = impl_->observers;
  for (auto it = v.begin(); it != v.end(); ++it)
    if (it->first == id) {
      v.erase(it);
      return;
    }
}

}  // namespace dbase
