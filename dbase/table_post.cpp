// The post path: edit, insert and delete, each written through the post
// journal (see post_journal.h) under the table's write lock, and the record
// lock of an edit.
#include <thread>

#include "dbase/table_impl.h"

namespace dbase {

void Table::Impl::RequireWritable() const {
  if (!WhyReadOnly().empty())
    throw DbError(ErrorCode::ReadOnly,
                  "Zapis do tabeli " + path + " jest niemożliwy: " + WhyReadOnly());
}

void Table::Impl::HeaderWrites(std::vector<JournalWrite>& writes, bool counted) {
  const std::string was = {static_cast<char>(header.year), static_cast<char>(header.month),
                           static_cast<char>(header.day)};
  header.StampToday();
  const std::string date = {static_cast<char>(header.year), static_cast<char>(header.month),
                            static_cast<char>(header.day)};
  if (date != was) writes.push_back({JournalTarget::Table, kDateAt, date});
  if (!counted) return;
  std::string count;
  for (int i = 0; i < 4; ++i) count += static_cast<char>(header.recordCount >> (8 * i));
  writes.push_back({JournalTarget::Table, kCountAt, count});
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

// Writes the ranges for one file from `from` on (the part of each at or past
// it), ranges that follow each other in one write.
void WriteRanges(const std::vector<JournalWrite>& writes, JournalTarget target, File& file,
                 uint64_t from = 0) {
  uint64_t at = 0;
  std::string run;
  const auto flush = [&] {
    if (!run.empty()) file.WriteAt(at, run.data(), run.size());
    run.clear();
  };
  for (const auto& w : writes) {
    const uint64_t end = w.offset + w.bytes.size();
    if (w.target != target || end <= from) continue;
    const uint64_t start = std::max(w.offset, from);
    if (run.empty() || at + run.size() != start) {
      flush();
      at = start;
    }
    run.append(w.bytes, static_cast<size_t>(start - w.offset));
  }
  flush();
}

}  // namespace

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
    FlushFiles();
    journal.Restart(dbf);
  }
  File* memoFile = memo.IsOpen() ? &memo.Raw() : nullptr;
  File* mdxFile = mdx.IsOpen() ? &mdx.Raw() : nullptr;
  // Each file's new tail (rows, memo blocks, index blocks past its end)
  // before the record counts: a disk without room for it fails the post
  // while nothing of the post is in the table. No reader looks past the row
  // count, the next free memo block or the index's page count, which the
  // post moves only after its record. The sizes, and the memo's next free
  // block, are those BeginWrite's look found under this lock.
  if (memoFile != nullptr)
    WriteRanges(writes, JournalTarget::Memo, *memoFile,
                static_cast<uint64_t>(memoNext) * memo.BlockSize());
  WriteRanges(writes, JournalTarget::Table, dbf, static_cast<uint64_t>(dbfStamp.size));
  if (mdxFile != nullptr)
    WriteRanges(writes, JournalTarget::Index, *mdxFile, static_cast<uint64_t>(mdxStamp.size));
  journal.Commit(writes);
  PostStep(2);
  if (memoFile != nullptr) WriteRanges(writes, JournalTarget::Memo, *memoFile);
  WriteRanges(writes, JournalTarget::Table, dbf);
  PostStep(3);
  if (mdxFile != nullptr) WriteRanges(writes, JournalTarget::Index, *mdxFile);
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

void Table::Impl::ChangedFields(uint32_t n, const std::string& old, const std::string& rec,
                                std::vector<JournalWrite>& writes) const {
  const uint64_t row = RecordOffset(n);
  for (const FieldLayout& f : header.fields) {
    const size_t at = 1 + f.offset, length = static_cast<size_t>(f.def.length);
    if (old.compare(at, length, rec, at, length) != 0)
      writes.push_back({JournalTarget::Table, row + at, rec.substr(at, length)});
  }
}

void Table::Impl::PlanMemos(std::string& rec, std::vector<JournalWrite>& writes) {
  uint32_t next = memoNext;
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
  // Only the fields that change: a replay after a crash touches no other.
  std::vector<JournalWrite> writes;
  PlanMemos(rec, writes);
  ChangedFields(recno, old, rec, writes);
  HeaderWrites(writes, false);
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
  if (!writes.empty()) WriteThrough(writes);
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
  writes.push_back({JournalTarget::Table, RecordOffset(n), rec});
  writes.push_back({JournalTarget::Table, RecordOffset(n + 1), std::string(1, kEndOfFile)});
  header.recordCount = n;
  HeaderWrites(writes, true);
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
      std::vector<JournalWrite> writes = {{JournalTarget::Table, impl_->RecordOffset(n), "*"}};
      impl_->HeaderWrites(writes, false);
      impl_->WriteThrough(writes);
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

}  // namespace dbase
