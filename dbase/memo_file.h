#pragma once
// The .DBT memo file in its two block layouts. dBASE III: 512-byte blocks,
// the text ends with two 0x1A bytes. dBASE IV: blocks of the size in the
// header, each memo starts with FF FF 08 00 and its length (8 + text).
// A memo is rewritten in place only while it fits the blocks it has; a
// longer one moves to new blocks at the end, never over a neighbour.
#include <cstdint>
#include <string>

#include "dbase/dbase.h"
#include "dbase/file_io.h"

namespace dbase {

class MemoFile {
 public:
  static void Create(const std::string& path, TableLevel level, const std::string& dbfName);
  void Open(const std::string& path, TableLevel level);
  void Close() { file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }
  bool Writable() const { return file_.Writable(); }

  std::string Read(uint32_t block) const;
  // Writes the text; returns its block (the old one when it still fits).
  uint32_t Write(uint32_t oldBlock, const std::string& text);
  uint32_t BlockSize() const { return blockSize_; }
  void Sync() { file_.Sync(); }
  File::Stamp Stamp() const { return file_.GetStamp(); }

 private:
  uint32_t BlocksUsed(uint32_t block) const;
  uint32_t NextFree() const;

  File file_;
  TableLevel level_ = TableLevel::DBase4;
  uint32_t blockSize_ = 512;
};

}  // namespace dbase
