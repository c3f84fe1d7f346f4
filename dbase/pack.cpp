// Packing: the live rows go to new files (table, memos, production index
// rebuilt), which are synced and then renamed over the old ones. A journal
// written before the first rename lets the next open finish the renames, so
// the table never pairs new rows with old memos or an old index.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <fstream>

#include "dbase/pack_hook.h"
#include "dbase/table_impl.h"

namespace dbase {

std::function<void(int step)> PackStepHook;

namespace {

std::string JournalPath(const std::string& dbfPath) { return dbfPath + ".pak-journal"; }
std::string NewPath(const std::string& path) { return path + ".pak-new"; }

void Step(int n) {
  if (PackStepHook) PackStepHook(n);
}

void SyncDirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

void Table::Impl::RecoverPack(const std::string& dbfPath) {
  std::ifstream journal(JournalPath(dbfPath));
  if (!journal) return;
  std::string from, to;
  while (std::getline(journal, from) && std::getline(journal, to)) {
    if (::access(from.c_str(), F_OK) == 0 && ::rename(from.c_str(), to.c_str()) != 0)
      ThrowIo("Nie można dokończyć pakowania " + dbfPath, errno);
  }
  SyncDirectoryOf(dbfPath);
  ::unlink(JournalPath(dbfPath).c_str());
}

void Table::Pack() {
  Impl& t = *impl_;
  t.RequireActive();
  if (t.mode != ShareMode::Exclusive)
    throw DbError(ErrorCode::NotExclusive, "Tabela " + t.path + " do pakowania musi być otwarta na wyłączność");
  t.BrowseMode();
  t.RequireWritable();
  t.CheckFresh();

  std::vector<std::pair<std::string, std::string>> renames;  // new -> final
  renames.emplace_back(NewPath(t.path), t.path);
  if (t.header.HasMemo()) renames.emplace_back(NewPath(DbtPathFor(t.path)), DbtPathFor(t.path));
  if (t.mdx.IsOpen()) renames.emplace_back(NewPath(MdxPathFor(t.path)), MdxPathFor(t.path));
  for (const auto& r : renames) ::unlink(r.first.c_str());  // left by a pack that failed

  File newDbf;
  try {
    size_t slash = t.path.find_last_of('/');
    std::string base = slash == std::string::npos ? t.path : t.path.substr(slash + 1);
    base = base.substr(0, base.find_last_of('.'));
    MemoFile newMemo;
    if (t.header.HasMemo()) {
      MemoFile::Create(renames[1].first, t.header.level, base);
      newMemo.Open(renames[1].first, t.header.level);
    }
    MdxFile newMdx;
    if (t.mdx.IsOpen()) {
      MdxFile::Create(renames.back().first, base, t.mdx.Tags());
      newMdx.Open(renames.back().first);
    }
    newDbf = File::Create(renames[0].first);
    if (!newDbf.TryLock(kOpenLockByte, true)) throw DbError(ErrorCode::InUse, "Tabela " + t.path + " jest w użyciu");

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
        std::string text = block ? t.memo.Read(block) : std::string();
        rec.replace(1 + f.offset, 10, MemoField(text.empty() ? 0 : newMemo.Write(text)));
      }
      ++h.recordCount;
      for (size_t k = 0; k < t.plans.size(); ++k)
        newMdx.Insert(static_cast<int>(k), t.KeyOf(static_cast<int>(k), rec), h.recordCount);
      out += rec;
      if (out.size() >= (1u << 20)) {
        newDbf.WriteAt(at, out.data(), out.size());
        at += out.size();
        out.clear();
      }
    }
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
  } catch (...) {
    newDbf.Close();
    for (const auto& r : renames) ::unlink(r.first.c_str());
    throw;
  }
  Step(1);

  {
    std::string journal = JournalPath(t.path);
    std::string tmp = journal + ".tmp";
    {
      std::ofstream j(tmp, std::ios::trunc);
      for (const auto& r : renames) j << r.first << '\n' << r.second << '\n';
      if (!j.flush()) {
        ::unlink(tmp.c_str());
        for (const auto& r : renames) ::unlink(r.first.c_str());
        ThrowIo("Nie można zapisać dziennika pakowania " + journal, errno);
      }
    }
    File jf = File::Open(tmp);
    jf.Sync();
    if (::rename(tmp.c_str(), journal.c_str()) != 0) ThrowIo("Nie można zapisać dziennika pakowania", errno);
    SyncDirectoryOf(journal);
  }
  Step(2);
  int step = 3;
  for (const auto& r : renames) {
    if (::rename(r.first.c_str(), r.second.c_str()) != 0) ThrowIo("Nie można zastąpić " + r.second, errno);
    Step(step++);
  }
  SyncDirectoryOf(t.path);
  ::unlink(JournalPath(t.path).c_str());

  // The new table file is already locked for this handle; the rest reopen.
  t.memo.Close();
  t.mdx.Close();
  t.dbf = std::move(newDbf);
  t.dbf.SetPath(t.path);
  t.LoadHeader();
  if (t.header.HasMemo()) t.memo.Open(DbtPathFor(t.path), t.header.level);
  if (t.header.production) t.mdx.Open(MdxPathFor(t.path));
  t.CountDeleted();
  t.MarkFresh();
  t.Notify(DataEvent::Opened);
  First();
}

}  // namespace dbase
