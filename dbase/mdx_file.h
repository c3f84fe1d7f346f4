#pragma once
// The production index (.MDX) of a dBASE IV table: a 2048-byte header with
// the tag table, and per tag a header block (root page, key type and length,
// key expression) and a B-tree of blocks. A block starts with its key count;
// its entries are a 4-byte number and the key, padded to a multiple of four.
// In a leaf the number is the record; in a branch it is the child page, the
// key is the last key of that child, and one more child follows the last
// entry (a leaf has 0 there). Page numbers count 512-byte pages.
//
// Every tag is held in memory as its tree of blocks; changes mark blocks
// dirty, and TakeWrites hands over exactly those, with the headers that
// changed, as whole ranges for the post journal (Flush writes them at once).
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dbase/file_io.h"
#include "dbase/post_journal.h"

namespace dbase {

struct IndexEntry {
  std::string key;
  uint32_t recno = 0;
};

struct TagSpec {
  std::string name;
  std::string expression;
  char keyType = 'C';  // 'C' or 'N'
  int keyLength = 0;   // 'N' keys are 12 bytes
};

// dBASE IV numeric keys: 12 bytes of packed decimal. "" or blanks give 0.
std::string NumericKey(const std::string& number);
int CompareNumericKeys(const std::string& a, const std::string& b);

class MdxFile {
 public:
  static void Create(const std::string& path, const std::string& tableName,
                     const std::vector<TagSpec>& tags);
  void Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }
  bool Writable() const { return file_.Writable(); }
  // Re-reads everything from the file (another program wrote it).
  void Reload();
  // The tags' definitions alone, from the header and the tag headers (their
  // trees may be damaged); raises for a file whose headers do not add up.
  static std::vector<TagSpec> ReadTags(const std::string& path);
  // True when another user changed a tag since this one last read or wrote
  // the file (the tags' serial numbers or the block counts moved).
  bool ChangedOnDisk() const;
  File::Stamp Stamp() const { return file_.GetStamp(); }
  File& Raw() { return file_; }
  const std::string& Path() const { return file_.Path(); }

  const std::vector<TagSpec>& Tags() const { return specs_; }
  int FindTag(const std::string& name) const;  // -1 when missing; any case

  void Insert(int tag, const std::string& key, uint32_t recno);
  // False when the entry is not in the tag.
  bool Remove(int tag, const std::string& key, uint32_t recno);
  std::optional<IndexEntry> First(int tag) const;
  std::optional<IndexEntry> Last(int tag) const;
  // The entry right after / before (key, recno) in the tag's order; the pair
  // itself need not be in the tag.
  std::optional<IndexEntry> Next(int tag, const std::string& key, uint32_t recno) const;
  std::optional<IndexEntry> Prior(int tag, const std::string& key, uint32_t recno) const;
  // Every entry of the tag in order (tests and checks).
  std::vector<IndexEntry> Entries(int tag) const;
  // The first record whose flag in rows (by record number) is set and that
  // has no entry in the tag; 0 when every such record has one.
  uint32_t FirstMissing(int tag, const std::vector<bool>& rows) const;
  // The changed blocks and headers as ranges to write (appended to out);
  // afterwards the file is taken to hold them.
  void TakeWrites(std::vector<JournalWrite>& out);
  // Writes the changed blocks and headers.
  void Flush();

 private:
  struct Node {
    int tag = 0;
    bool leaf = true;
    std::vector<IndexEntry> entries;  // leaf: keys; branch: last entry of each child but the last
    std::vector<uint32_t> children;   // branch only: entries.size() + 1 pages
  };
  struct Tag {
    uint32_t headerPage = 0;
    uint32_t root = 0;
    uint32_t keyItemLength = 0;
    uint32_t maxKeys = 0;
    uint32_t blocks = 0;  // B-tree blocks in use
    uint8_t serial = 0;   // bumped with every change of the tag, for every user
    bool headerDirty = false;
    std::string header;  // the first bytes of the tag's header block, as written
  };

  void Load(bool trees);
  int Compare(int tag, const IndexEntry& a, const IndexEntry& b) const;
  const IndexEntry& MaxOf(uint32_t page) const;
  void LoadNode(int tag, uint32_t page, int depth);
  uint32_t Allocate(int tag);
  void Free(uint32_t page);
  void ResetSeparators(Node& n);
  std::optional<uint32_t> InsertInto(uint32_t page, const IndexEntry& e);
  // 0: not found, 1: removed, 2: removed and the node is empty now.
  int RemoveFrom(uint32_t page, const IndexEntry& e);
  std::optional<IndexEntry> NextIn(uint32_t page, int tag, const IndexEntry& e) const;
  std::optional<IndexEntry> PriorIn(uint32_t page, int tag, const IndexEntry& e) const;
  std::string Serialize(const Node& n) const;
  uint32_t EdgeLeaf(int tag, bool last) const;

  File file_;
  uint32_t blockBytes_ = 1024;
  uint32_t pagesPerBlock_ = 2;
  uint32_t pageCount_ = 4;
  uint32_t firstFree_ = 0;
  uint32_t freeBlocks_ = 0;
  bool headerDirty_ = false;
  std::string stamped_;  // the update date in the file
  std::vector<TagSpec> specs_;
  std::vector<Tag> tags_;
  std::map<uint32_t, Node> nodes_;
  std::set<uint32_t> dirty_;
  // Blocks freed since the last TakeWrites, with the next free block each
  // links to (written into the block itself when it stays free).
  std::map<uint32_t, uint32_t> freedNext_;
};

}  // namespace dbase
