#pragma once
// The post journal of a table ("<table>.post-journal" beside the .DBF): a
// redo log that makes each post all or nothing against a killed writer.
//
// A post first writes its new memo blocks past the end of the .DBT (nothing
// refers to them yet), then, under the table's write lock, the journal: every
// byte range it is about to write to the .DBF (record, header count) and to
// the .MDX (tag blocks, tag headers, index header), in one write with a
// checksum. Only then are those ranges written to the files, and the journal
// is cleared. A writer killed before the journal is complete changed nothing
// that any row refers to; one killed after it left a complete journal, which
// the next holder of the write lock (an opener, shared or exclusive, or the
// next post) writes again, since every range is written whole at a fixed
// place. The lock is held for the whole post, so a journal found complete
// under it belongs to a writer that is gone.
//
// No file is synced: a kill leaves every write in the page cache. A power
// loss can lose any write not yet on the disk, in any order: the journal
// may be lost while some of the ranges it covered reached the disk, so a
// tag may lack the newest rows or hold torn blocks. The next open then finds
// no journal to replay; the damage checks of the index refuse a torn block,
// and an exclusive open with a pack rebuilds every tag from the table.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dbase/file_io.h"

namespace dbase {

enum class JournalTarget : uint8_t { Table = 0, Index = 1 };

struct JournalWrite {
  JournalTarget target = JournalTarget::Table;
  uint64_t offset = 0;
  std::string bytes;
};

std::string PostJournalPath(const std::string& dbfPath);

// A hook that tests use to stop a post between its steps (a simulated kill).
// Steps: 1 new memo blocks written, 2 journal written, 3 the table's ranges
// written, 4 the index's ranges written (journal not yet cleared). Empty in
// the programs.
extern std::function<void(int step)> PostStepHook;

class PostJournal {
 public:
  // Opens the journal when it exists; a missing one is created by the first
  // Commit (create = true) or left alone.
  void Open(const std::string& path, bool create);
  void Close() { file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }
  // The writes of a complete journal; nothing for an empty, cleared or torn
  // one.
  std::optional<std::vector<JournalWrite>> Pending() const;
  void Commit(const std::vector<JournalWrite>& writes);
  void Clear();

 private:
  File file_;
  std::string path_;
};

}  // namespace dbase
