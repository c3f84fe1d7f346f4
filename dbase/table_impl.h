#pragma once
// The inside of Table, shared by its source files: table.cpp (keys, fields
// by name, observers), table_open.cpp (opening, damage, the journal's replay,
// closing), table_cursor.cpp (moving and finding), table_post.cpp (edit,
// insert, delete and the post path) and table_fields.cpp (field values).
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dbase/code_page.h"
#include "dbase/dbase.h"
#include "dbase/dbf_format.h"
#include "dbase/file_io.h"
#include "dbase/mdx_file.h"
#include "dbase/memo_file.h"
#include "dbase/post_journal.h"

namespace dbase {

// How one tag's key is built from a record.
struct KeyPlan {
  bool usable = false;
  std::string problem;  // why the key cannot be built
  char keyType = 'C';
  std::vector<int> fields;  // in the record layout
  int keyLength = 0;
};

std::string MdxPathFor(const std::string& dbfPath);
std::string DbtPathFor(const std::string& dbfPath);
// Parses "FIELD" or "A+B+C" against the fields; the plan says what is wrong.
KeyPlan PlanKey(const std::vector<FieldLayout>& fields, const std::string& expression);
std::string BuildKey(const KeyPlan& plan, const std::vector<FieldLayout>& fields,
                     const std::string& record);

// One lock byte held exclusively for a scope.
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

struct Table::Impl {
  Table* owner = nullptr;
  std::string path;
  ShareMode mode = ShareMode::Shared;
  bool active = false;
  File dbf;
  MemoFile memo;
  MdxFile mdx;
  PostJournal journal;
  DbfHeader header;
  std::vector<FieldDef> defs;  // the fields as the interface gives them
  std::unique_ptr<CodePage> codePage;
  std::vector<KeyPlan> plans;  // one per tag of the .MDX
  // Why writes are refused for a reason a pack does not mend (a read-only
  // file, a tag the engine cannot keep, a journal it may not use, a replay
  // the disk had no room for).
  std::string readOnlyReason;
  // Damage that a pack repairs, each naming its file.
  std::string damage;        // the table file's (found by LoadHeader)
  uint32_t statedCount = 0;  // the header's count when it ran past the rows
  std::string memoDamage;    // the .DBT's next free block past its end
  std::string indexDamage;   // the .MDX missing, damaged, or missing live rows
  const std::string& Damage() const {
    return !damage.empty() ? damage : !memoDamage.empty() ? memoDamage : indexDamage;
  }
  const std::string& WhyReadOnly() const {
    return readOnlyReason.empty() ? Damage() : readOnlyReason;
  }
  mutable std::string reasonShown;  // the reason in Windows-1250

  // Cursor.
  std::string indexName;
  int tag = -1;
  uint32_t recno = 0;
  std::string record;  // the current row as stored
  // The key of the current row's entry in the current tag, when the row was
  // reached through the tag: steps go on from the entry, not from a key
  // rebuilt from the record, which a stale entry would not match.
  std::optional<std::string> entryKey;
  uint32_t editLock = 0;  // the record this handle holds locked for its edit
  bool bof = true, eof = true;
  DataState state = DataState::Inactive;
  std::string buffer;                // edit/insert buffer, as stored
  std::map<int, std::string> memos;  // memo fields set in the buffer (program text)
  bool modified = false;
  uint32_t savedRecno = 0;  // the row current before an insert

  // What the files looked like after our last look.
  File::Stamp dbfStamp, mdxStamp;
  uint32_t memoNext = 0;  // where a new memo goes, as the writer's look under its lock found
  uint32_t deletedCount = 0;
  std::vector<bool> live;  // by record number: the row is there, not deleted

  std::vector<std::pair<int, Observer>> observers;
  int nextObserver = 1;

  void Notify(DataEvent e, const std::string& field = {});
  void RequireActive() const;
  const FieldLayout& FieldAt(std::string_view name) const;
  int FieldNo(std::string_view name) const;
  std::string ReadRecord(uint32_t n) const;
  static bool IsDeleted(const std::string& rec) { return !rec.empty() && rec[0] == '*'; }
  // The program form of one field of a stored row (memo texts read).
  std::string ValueOf(const FieldLayout& f, const std::string& rec) const;
  void LoadHeader();
  void CountDeleted();  // and which rows are live
  // A tag that misses a live row (one appended by a program that keeps no
  // index) is damage of the .MDX: "" or why.
  std::string TagGap() const;
  // The files read again (header, deleted rows, index) after others wrote.
  void Reread();
  // Strict: also asks the files themselves (under the table's write lock,
  // before anything is written from what is in memory).
  void CheckFresh(bool strict = false);
  // Between single steps the files are looked at every 100 ms at most.
  void CheckFreshWhileStepping();
  std::chrono::steady_clock::time_point lastCheck{};
  void MarkFresh();
  // Positioning. Steps through a tag go strictly forward (or back) in its
  // order, so no walk meets an entry twice.
  // The next live row in the current order after the position (row, and in
  // a tag the key of its entry); its bytes and entry key land in found and
  // foundKey.
  std::optional<uint32_t> Step(uint32_t from, const std::string& fromKey, bool forward,
                               std::string* found = nullptr, std::string* foundKey = nullptr);
  std::optional<uint32_t> Edge(bool last, std::string* found, std::string* foundKey = nullptr);
  // Where the current row stands in the current tag.
  std::string PositionKey() const;
  void SetCurrent(uint32_t n, std::string* known = nullptr,
                  std::optional<std::string> key = std::nullopt);
  void ClearCurrent();
  void BrowseMode();  // post if modified, else cancel
  // Writing.
  void RequireWritable() const;
  // The record lock of an edit or delete: a short retry, then InUse.
  void LockRecord(uint32_t n);
  void UnlockEdit();
  uint64_t RecordOffset(uint32_t n) const {
    return header.headerLength + static_cast<uint64_t>(n - 1) * header.recordLength;
  }
  // The header's date, where today moves it, and its row count (counted).
  void HeaderWrites(std::vector<JournalWrite>& writes, bool counted);
  // Under the table's write lock, before anything is written: replays a
  // journal left by a killed writer and re-reads what others wrote.
  void BeginWrite();
  // The files' new tails (reserved), journal record (flushed), files,
  // record stamped (see post_journal.h). After BeginWrite, whose look at
  // the files gave their sizes.
  void WriteThrough(const std::vector<JournalWrite>& writes);
  // Applies the journal's records without a stamp, or, first to open after
  // a crash (see post_journal.h), every one not stamped in this boot, where
  // the files differ; the caller holds the write lock.
  bool ReplayJournal(bool afterCrash);
  // The table's files on the disk (before the journal forgets a record).
  void FlushFiles();
  // A clean close: the journal's records flushed into the files and the
  // journal started anew, so that no later open replays them. Best effort:
  // a journal left dirty is replayed as after a crash.
  void CloseClean();
  // The buffer's memo texts to new blocks, journalled; rec gets their numbers.
  void PlanMemos(std::string& rec, std::vector<JournalWrite>& writes);
  // Outside a post: replays a journal whose writer is gone.
  bool ReplayAbandonedJournal();
  // The record to post: the changes of the edit buffer over the row as it
  // is stored now (another program may have written other fields).
  std::string MergedEdit(const std::string& stored) const;
  // The ranges of row n that differ between old and rec, field by field.
  void ChangedFields(uint32_t n, const std::string& old, const std::string& rec,
                     std::vector<JournalWrite>& writes) const;
  void PostEdit();
  void PostInsert();
  std::string KeyOf(int t, const std::string& rec) const {
    return BuildKey(plans[static_cast<size_t>(t)], header.fields, rec);
  }
  const std::string& Shown() const {
    return state == DataState::Browse || state == DataState::Inactive ? record : buffer;
  }
  void OpenFiles(const std::string& p, ShareMode m);
  // Finishes a pack that stopped after its new files were complete (only
  // under the exclusive open lock).
  static void RecoverPack(const std::string& dbfPath);
  // Opens the table file holding its open lock (shared or exclusive), after
  // finishing or clearing away what a pack that is gone left behind.
  static File OpenLocked(const std::string& dbfPath, ShareMode mode);
  void CloseFiles();
};

}  // namespace dbase
