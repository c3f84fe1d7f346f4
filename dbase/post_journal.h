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
// No file is synced: a kill leaves every write in the page cache, where the
// next reader finds it. A power loss can lose any write not yet on the disk,
// in any order: the newest posts may be gone, and where part of a post's
// ranges reached the disk but its journal did not, a row may have its new
// record while a tag lacks its new key, or a tag block may be torn. The next
// open replays a journal that reached the disk whole and ignores a torn one
// (its checksum fails). An index block that no longer adds up is refused by
// the index's checks when the table is opened; a tag that only lacks or
// misplaces a key is walked without looping (walks never meet an entry
// twice) until a pack, which rebuilds every tag from the table.
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
  // Why a post could not write this journal ("" when it can): an open
  // journal that is read-only, or a missing one whose folder takes no new
  // file (a folder where files may be changed but not made).
  std::string WriteRefusal() const;
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
