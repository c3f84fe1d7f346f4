#pragma once
// The post journal of a table ("<table>.post-journal" beside the .DBF): a
// redo log that makes each post all or nothing, against a killed writer and
// against a power cut.
//
// Under the table's write lock a post appends one record to the journal:
// every byte range it is about to write to the .DBT (new memo blocks, the
// next free block), the .DBF (record, header count, deleted flag) and the
// .MDX (tag blocks, tag headers, index header), with a checksum, and flushes
// it: that flush is the commit, and the only one a post waits for. Then the
// ranges are written to the files and the journal's header marks the record
// applied (unflushed). A writer killed before its record is whole changed
// nothing; one killed after it left a record past the mark, which the next
// holder of the write lock (an opener, shared or exclusive, or the next
// writer) applies. After a power cut the page cache is gone and any applied
// range may be lost: an opener that finds the journal last marked in another
// boot of the machine applies every record of it again, writing only ranges
// that differ (the programs of this engine write the files only through the
// journal). Within one boot the mark is trusted, so a peer's own writes to
// the files are never undone.
//
// The records are cleared lazily: when the journal has grown past a limit,
// the next post flushes the table's files (every record is then on the disk
// in them) and starts the journal anew, with a new epoch that every record
// carries (records of an older epoch are never applied). The journal's header
// names the .DBF it was written for (device and inode); a journal of another
// file, such as the table before a pack renamed new files over it, is never
// applied. A torn record fails its checksum and ends the journal.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dbase/file_io.h"

namespace dbase {

enum class JournalTarget : uint8_t { Table = 0, Index = 1, Memo = 2 };

struct JournalWrite {
  JournalTarget target = JournalTarget::Table;
  uint64_t offset = 0;
  std::string bytes;
};

std::string PostJournalPath(const std::string& dbfPath);

// A hook that tests use to stop a post between its steps (a simulated kill).
// Steps: 1 before the journal record, 2 journal record written and flushed,
// 3 the table's and memos' ranges written, 4 the index's ranges written
// (record not yet marked applied). Seams().postStep; empty in the programs.

// This boot of the machine is Seams().bootId(); tests replace it to open
// files as after a power cut.

class PostJournal {
 public:
  using Identity = std::pair<uint64_t, uint64_t>;  // the .DBF's device and inode
  using Record = std::vector<JournalWrite>;

  // Opens the journal when it exists; a missing one is created by the first
  // Commit or left alone.
  void Open(const std::string& path, bool create);
  void Close() { file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }
  // Why a post could not write this journal ("" when it can): an open
  // journal that is read-only, or a missing one whose folder takes no new
  // file (a folder where files may be changed but not made).
  std::string WriteRefusal() const;
  // The records for the table file of that identity still to apply: after
  // the applied mark, or (opening, and the journal was last marked in another
  // boot) every record of the current epoch, as after a power cut (all is
  // set then). Nothing for a journal of another file or a missing one.
  std::vector<Record> Pending(const Identity& table, bool opening, bool* all = nullptr);
  // True when the next Commit must first start the journal anew (Restart),
  // after the caller flushed the table's files: a journal grown past its
  // limit, of another file, or not yet begun.
  bool NeedsRestart() const;
  // A new epoch without records, for that table file; flushed.
  void Restart(const Identity& table);
  // Appends the record and flushes it (a new journal file and its folder too).
  // Pending must have been asked under the same write lock.
  void Commit(const Record& writes);
  // The records committed so far are in the files (not flushed).
  void MarkApplied();

 private:
  struct Header {
    uint64_t epoch = 0;
    Identity table{};
    uint64_t appliedSeq = 0, appliedEnd = 0;
    uint64_t boot = 0;
  };
  std::optional<Header> ReadHeader() const;
  void WriteHeader(const Header& h);

  File file_;
  std::string path_;
  Header header_;
  bool current_ = false;  // the header was read and belongs to the table
  uint64_t end_ = 0;      // where the next record goes
  uint64_t nextSeq_ = 1;
};

}  // namespace dbase
