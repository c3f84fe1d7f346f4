#pragma once
// The .DBT memo file in its two block layouts. dBASE III: 512-byte blocks,
// the text ends with two 0x1A bytes. dBASE IV: blocks of the size in the
// header, each memo starts with FF FF 08 00 and its length (8 + text).
// A memo is never rewritten in place: every text goes to new blocks at the
// end, so a row keeps its old text until its record is written (the blocks
// left behind are reclaimed by a pack). A post journals its new blocks with
// its other ranges (see post_journal.h).
#include <cstdint>
#include <string>
#include <vector>

#include "dbase/dbase.h"
#include "dbase/file_io.h"
#include "dbase/post_journal.h"

namespace dbase {

class MemoFile {
 public:
  static void Create(const std::string& path, TableLevel level, const std::string& dbfName);
  void Open(const std::string& path, TableLevel level);
  void Close() { file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }
  bool Writable() const { return file_.Writable(); }

  // A memo that runs past the end of the file (or has no end) raises
  // DbError(BadFormat): nothing is read or kept beyond what the file holds.
  std::string Read(uint32_t block) const;
  // Why the header's next free block cannot be right ("" when it can):
  // before the first block after the header, or past the end of the file,
  // where a post would write far beyond the memos. Names the file.
  // nextFree, when given, gets the block the next new memo goes to: the
  // header's next free block, or the file's end where that lies further.
  std::string Damage(uint32_t* nextFree = nullptr) const;
  // Writes the text to new blocks past the end; returns the first of them.
  uint32_t Write(const std::string& text);
  // The same as ranges for the post journal (new blocks, then the header's
  // next free block), written later. next: where the new blocks go (the
  // file's next free block for a post's first memo, 0 to read it from the
  // file); moved past them.
  uint32_t Plan(const std::string& text, std::vector<JournalWrite>& out, uint32_t& next) const;
  File& Raw() { return file_; }
  uint32_t BlockSize() const { return blockSize_; }
  void Sync() { file_.Sync(); }

 private:
  uint32_t NextFree() const;

  File file_;
  TableLevel level_ = TableLevel::DBase4;
  uint32_t blockSize_ = 512;
};

}  // namespace dbase
