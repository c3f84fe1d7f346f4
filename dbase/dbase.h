#pragma once
// The dBASE engine: tables (.DBF of dBASE III and IV), their memos (.DBT) and
// the index tags of their production index (.MDX), opened shared or
// exclusive, on the same files that the other programs of the mail system
// use. Texts crossing this interface are Windows-1250 bytes, whatever code
// page the table stores (the header's code-page byte, 0 meaning Windows-1250).
//
// A Table is one opened table with its one cursor: the current row, the
// current index tag, and the browse/edit/insert state that data-aware
// controls follow. Every post is written through (memo, record, header, index
// tags) before the call returns, with a journal that the next open (or the
// next writer) replays when a writer of ours was killed in the middle of it
// or the machine lost power before the files had it (see post_journal.h); a
// close flushes the files, so nothing of it is replayed later. An edit holds
// its row's lock. Failures are DbError exceptions.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dbase {

enum class ErrorCode {
  FileNotFound,   // a table, memo or index file is missing
  InUse,          // shared/exclusive conflict with another open handle, or
                  // a row that another handle is editing
  BadFormat,      // not a table this engine reads, or a damaged file
  NotActive,      // the table is not open
  NotExclusive,   // the operation needs the table opened exclusively
  FieldNotFound,  // no field of that name
  TagNotFound,    // no index tag of that name
  ValueTooWide,   // the value does not fit its field
  InvalidValue,   // the value is not valid for its field type
  NotEditing,     // a field was set or a post asked while browsing
  NoRecord,       // no current row (empty table, or the row was deleted)
  ReadOnly,       // writes refused: read-only file, or an index tag that
                  // the engine cannot evaluate
  Io,             // the operating system refused a read or write
};

// Message texts are Windows-1250, meant for the user's error box.
class DbError : public std::runtime_error {
 public:
  DbError(ErrorCode code, const std::string& message);
  ErrorCode Code() const { return code_; }

 private:
  ErrorCode code_;
};

enum class FieldType : char {
  Character = 'C',
  Numeric = 'N',
  Float = 'F',
  Logical = 'L',
  Date = 'D',
  Memo = 'M',
};

struct FieldDef {
  std::string name;  // up to 10 characters: letters, digits, '_'
  FieldType type = FieldType::Character;
  int length = 0;    // L is 1, D is 8, M is 10 whatever is given here
  int decimals = 0;  // N and F only
};

struct TagDef {
  std::string name;        // up to 10 characters
  std::string expression;  // a field name, or character fields joined with '+'
};

enum class TableLevel { DBase3, DBase4 };

struct TableDef {
  TableLevel level = TableLevel::DBase4;
  uint8_t codePageByte = 0;  // 0 (or 0xC8) Windows-1250; see CodePageName
  std::vector<FieldDef> fields;
  std::vector<TagDef> tags;  // written to the production index; dBASE IV only
};

enum class ShareMode { Shared, Exclusive };

enum class DataState { Inactive, Browse, Edit, Insert };

// What a data-aware control hears from its table.
enum class DataEvent {
  Opened,        // the table was opened (or reopened after a pack)
  Closing,       // the table is about to close
  Scrolled,      // another row became current
  StateChanged,  // browse/edit/insert changed
  FieldChanged,  // a field of the edit buffer was set (field named)
  DataChanged,   // rows changed: post, delete, refresh, index switch
};

using Bookmark = uint32_t;  // the physical record number; 0 means none

class Table {
 public:
  using Observer = std::function<void(DataEvent event, const std::string& field)>;

  Table();
  ~Table();  // closes; an unposted edit is lost
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Creates the table files (.DBF, .DBT when a memo field exists, .MDX when
  // tags are given) and fails when any of them exists already.
  static void Create(const std::string& dbfPath, const TableDef& def);
  // The iconv name of a code-page byte; empty for a byte the engine refuses.
  static std::string CodePageName(uint8_t codePageByte);

  // --- opening -----------------------------------------------------------
  // Opens the .DBF (and its .DBT and production .MDX). Shared fails while an
  // exclusive handle holds the table; Exclusive fails while any other handle,
  // in this process or another, has it open. Moves to the first row.
  void Open(const std::string& dbfPath, ShareMode mode = ShareMode::Shared);
  // An edit or insert in progress is cancelled, not posted. The files are
  // flushed and the journal starts anew (a table opened for writing).
  void Close();
  bool Active() const;
  ShareMode Mode() const;
  const std::string& Path() const;
  // Writes are refused (with the reason as the error) when this is true:
  // a read-only file, a tag the engine cannot keep, a journal that is not
  // the table's own regular file or may not be written, a journal that the
  // disk had no room to replay, or a damaged table file (the reason names
  // the file).
  bool ReadOnly() const;
  const std::string& ReadOnlyReason() const;
  // Read-only only for damage that Pack repairs (a missing or damaged .MDX,
  // a tag missing live rows, a header count past the rows, a .DBT whose next
  // free block lies outside it), so a pack would make it writable.
  bool PackRepairs() const;

  // --- structure -----------------------------------------------------------
  TableLevel Level() const;
  uint8_t CodePageByte() const;
  const std::vector<FieldDef>& Fields() const;
  int FieldIndex(std::string_view name) const;  // -1 when missing; any case
  std::vector<TagDef> Tags() const;             // tags of the production index

  // --- index order ---------------------------------------------------------
  // "" is the physical order. An unknown tag raises TagNotFound. The current
  // row stays current (a pending edit is posted or cancelled first).
  void SetIndexName(const std::string& tag);
  const std::string& IndexName() const;

  // --- moving --------------------------------------------------------------
  // Each move first posts a modified edit or insert and cancels an unmodified
  // one. Deleted rows are skipped.
  void First();
  void Last();
  void Next();   // at the last row: Eof() becomes true, the row stays
  void Prior();  // at the first row: Bof() becomes true, the row stays
  bool Eof() const;
  bool Bof() const;
  bool IsEmpty() const;
  // The first row in the current order whose field, trimmed, equals value
  // (numeric fields compare as numbers: "7" finds 7.00). Found: it becomes
  // current and true is returned; else nothing moves.
  bool Locate(const std::string& field, const std::string& value);
  Bookmark GetBookmark() const;
  void GotoBookmark(Bookmark bookmark);  // NoRecord for a deleted or bad one
  uint32_t RecNo() const;                // physical number, 0 without a row
  // For grids that show several rows: the live rows in the current order
  // (each once, even where a tag disagrees with its table), and values of
  // any row by its bookmark, without moving the cursor (the current row
  // while editing shows the edit buffer).
  std::vector<Bookmark> Bookmarks() const;
  std::string AsStringAt(Bookmark row, std::string_view field) const;
  uint32_t RecordCount() const;  // rows not deleted
  // Re-reads the files (other programs may have written them); the current
  // row stays current where it still exists.
  void Refresh();

  // --- editing ---------------------------------------------------------------
  DataState State() const;
  // The current row into the edit buffer, locked for this handle until Post
  // or Cancel (or Close): while another handle, in this process or another,
  // edits or deletes the row, this fails with InUse after a short retry.
  void Edit();
  void Insert();  // a blank row; posted, it is appended to the file
  void Append();  // the same as Insert
  // Writes the buffer through; the posted row stays current. An edit writes
  // the fields it changed over the row as stored now; a field that another
  // program changed meanwhile too raises InUse.
  void Post();
  void Cancel();
  // Marks the current row deleted (an insert is only cancelled); the next row
  // becomes current, or the previous one at the end. While another handle
  // edits the row, this fails with InUse after a short retry.
  void Delete();
  bool Modified() const;

  // --- field values of the current row (or of the edit buffer) --------------
  // Trailing blanks are trimmed; a blank field is null and reads as "" (and as
  // 0 through AsInteger). N/F read as stored ("12", "3.50"), L as "T" or "F",
  // D as "YYYYMMDD", M as the memo text (a memo that runs past the end of
  // its file raises BadFormat).
  std::string AsString(std::string_view field) const;
  int64_t AsInteger(std::string_view field) const;
  bool IsNull(std::string_view field) const;
  // Only in edit or insert state. A value too wide or invalid for the field
  // raises ValueTooWide or InvalidValue and leaves the buffer unchanged.
  void SetString(std::string_view field, const std::string& value);
  void SetInteger(std::string_view field, int64_t value);

  // --- packing ---------------------------------------------------------------
  // What a pack repaired, in Windows-1250 texts naming the files: the .MDX
  // rebuilt from the rows (missing, damaged, or missing live rows), a header
  // count past the rows cut to the whole rows, the .DBT's next free block
  // counted anew from the memos in use, memos whose blocks were lost or
  // damaged left empty; and the damaged originals kept beside the table
  // ("<name>_USZKODZONY.<ext>"), by path.
  struct PackReport {
    std::vector<std::string> repairs;
    std::vector<std::string> backups;
  };
  // Exclusive use only: removes deleted rows, compacts the memos and rebuilds
  // every tag from the rows, writing new files that replace the old ones by
  // renaming. Also the repair of damage that opened the table read-only (see
  // PackRepairs): the tags' definitions come from the old .MDX while its
  // headers are readable, else from tagsIfIndexLost.
  PackReport Pack(const std::vector<TagDef>& tagsIfIndexLost = {});

  // --- observers -----------------------------------------------------------
  // Observers are called synchronously after the change, on the caller's
  // thread. The returned id removes one.
  int AddObserver(Observer observer);
  void RemoveObserver(int id);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace dbase
