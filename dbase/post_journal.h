#pragma once
// The post journal of a table ("<table>.post-journal" beside the .DBF): a
// redo log that makes each post all or nothing, against a killed writer and
// against a power cut.
//
// Format (integers little-endian):
//
//   header, at 0 (the first 512 bytes are its own)
//     at  size  field
//      0     4  magic "PJ03"
//      4     8  epoch: a random number, new with every restart
//     12     8  device of the .DBF the journal belongs to
//     20     8  inode of that .DBF
//     28     8  checksum of bytes 4 to 27
//
//   records, from 512 on, one after the other
//     at  size  field
//      0     4  magic "PR03"
//      4     4  length L of the body
//      8     8  epoch (the header's)
//     16     8  sequence number: 1, 2, ... within the epoch
//     24     L  body: ranges to write, each
//                 at  size  field
//                  0     1  file: 0 the .DBF, 1 the .MDX, 2 the .DBT
//                  1     8  offset in that file
//                  9     4  length N
//                 13     N  the bytes
//   24+L     8  checksum of bytes 4 to 24+L-1
//   32+L     8  applied stamp: 0 as written; once the ranges are in the
//               files, the hash of the boot id of the machine that wrote
//               them there (never 0)
//
//   A record ends the journal where its magic, epoch, sequence number or
//   checksum does not follow (a torn record: that post did not return).
//
//   The previous format ("PJ02", records "PR02" without the stamp) kept an
//   applied mark in its header: at 28 the sequence number and at 36 the
//   start of the next record not yet applied, at 44 a boot hash, at 52 the
//   checksum of bytes 4 to 51. Of such a journal, left by a killed writer of
//   that version, the records past the mark are applied (what that version
//   did within a boot), never the whole epoch; the table's files are then
//   flushed and the journal starts anew in this format.
//
// Under the table's write lock a post appends one record holding only the
// bytes it changes: the fields it wrote (a new row whole), the header's count
// and date where they move, the deleted flag, the new memo blocks and the
// memo file's next free block, the index blocks and headers it changed. The
// record is flushed: that flush is the commit, and the only one a post waits
// for. Then the ranges are written to the files and the record's stamp is
// set (unflushed; the next record's flush takes it along, the stamp and that
// record being one run of the file, and the header's page stays clean: the
// header changes only at a restart). A writer killed before its record is
// whole changed nothing; one killed after it left a record without a stamp,
// which the next holder of the write lock (an opener, or the next writer or
// reader) applies and stamps.
//
// The records of an epoch are the posts that may not be on the disk in the
// table's files yet. A clean close (and the restart that a journal grown past
// its limit gets at the next post) flushes the table's files and starts a new
// epoch, flushed: nothing is left to replay. A power cut (or a killed program
// in another boot of the machine) before that leaves the epoch's records:
// the first opener after it, when no other program of ours has the table
// open, applies every record not stamped in this boot, and stamps it. A
// replay writes a range only where the files differ, and never the row
// count below the table's nor the end mark over a row (rows another program
// appended since stay). Within one boot the stamped records are in the files
// (the page cache), and while another program of ours has the table open
// its records are its own; then only records without a stamp are applied.
// So another program's writes after a clean close, or a backup copied back,
// are never undone; the one window left is a crash of ours with posts not
// yet flushed while another program wrote the same bytes before the next
// open.
//
// The journal's header names the .DBF it was written for (device and inode);
// a journal of another file, such as the table before a pack renamed new
// files over it, is never applied. The journal is the table's own: never
// opened through a link, created with the .DBF's permission bits and group.
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
// Steps: 1 before anything is written (the files' new tails, reserved before
// the journal record, then the record), 2 journal record written and flushed,
// 3 the table's and memos' ranges written, 4 the index's ranges written
// (the record not yet stamped). Seams().postStep; empty in the programs.

// This boot of the machine is Seams().bootId(); tests replace it to open
// files as after a power cut.

class PostJournal {
 public:
  using Identity = std::pair<uint64_t, uint64_t>;  // the .DBF's device and inode
  using Record = std::vector<JournalWrite>;

  // Opens the journal when it exists (a missing one is created by the first
  // Restart). One that is not a regular file of its own is not opened: the
  // refusal says why.
  void Open(const std::string& path);
  void Close() { file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }
  // Why a post could not write this journal ("" when it can): a link or
  // another kind of file at its name, a journal that is read-only, or a
  // missing one whose folder takes no new file (a folder where files may be
  // changed but not made).
  std::string WriteRefusal() const;
  // The records for the table file of that identity still to apply: those
  // without a stamp, or (afterCrash: no other program of ours has the table
  // open) every one not stamped in this boot. Nothing for a journal of
  // another file or a missing one. A walk goes on from where this handle's
  // last one left every record stamped, while the epoch is the same.
  std::vector<Record> Pending(const Identity& table, bool afterCrash);
  // The journal is of the previous format (asked after Pending): its
  // records, once applied, are flushed into the table's files and the
  // journal restarted, as it has no stamps.
  bool PreviousFormat() const { return previous_; }
  // Records of the current epoch are there (asked after Pending): a clean
  // close has the table's files to flush before it restarts the journal.
  bool Dirty() const;
  // True when the next Commit must first start the journal anew (Restart),
  // after the caller flushed the table's files: a journal grown past its
  // limit, of another file or format, or not yet begun.
  bool NeedsRestart() const;
  // A new epoch without records, for that table file; flushed. A missing
  // journal is created with the table file's permission bits and group.
  void Restart(const File& table);
  // Appends the record and flushes it. Pending must have been asked under
  // the same write lock.
  void Commit(const Record& writes);
  // The records Pending gave and those committed since are in the files:
  // their stamps are set (not flushed).
  void MarkApplied();

 private:
  struct Header {
    uint64_t epoch = 0;
    Identity table{};
    bool previous = false;  // the previous format, with its applied mark:
    uint64_t appliedSeq = 0, appliedEnd = 0;
  };
  std::optional<Header> ReadHeader() const;

  File file_;
  std::string path_;
  std::string refusal_;  // why the file at the journal's name is not used
  Header header_;
  bool current_ = false;   // the header was read, is of this format and belongs to the table
  bool previous_ = false;  // the header read is of the previous format
  uint64_t end_ = 0;       // where the next record goes
  uint64_t nextSeq_ = 1;
  // Where the next walk starts: every record before it is stamped (or, in
  // a walk not after a crash, another program's).
  uint64_t from_ = 0, fromSeq_ = 1;
  std::vector<uint64_t> unstamped_;  // the stamps MarkApplied sets
  uint64_t size_ = 0;                // the file is at least this long
};

// The checksum of the format above, over bytes [from, end) of s.
uint64_t JournalChecksum(const std::string& s, size_t from, size_t end);

}  // namespace dbase
