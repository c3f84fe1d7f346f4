#include "dbase/memo_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "dbase/dbf_format.h"

namespace dbase {

namespace {
constexpr uint32_t kHeaderBlock = 512;

uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void PutLe32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
}  // namespace

void MemoFile::Create(const std::string& path, TableLevel level, const std::string& dbfName) {
  File f = File::Create(path);
  unsigned char h[kHeaderBlock] = {};
  PutLe32(h, 1);  // the first free block
  std::string name = Upper(dbfName).substr(0, 8);
  if (level == TableLevel::DBase4) {
    std::memcpy(h + 8, name.data(), name.size());
    h[16] = 0;
    h[20] = kHeaderBlock & 0xFF;
    h[21] = kHeaderBlock >> 8;
  } else {
    h[16] = 3;
  }
  f.WriteAt(0, h, sizeof h);
}

void MemoFile::Open(const std::string& path, TableLevel level) {
  file_ = File::Open(path);
  level_ = level;
  unsigned char h[32] = {};
  file_.ReadAt(0, h, sizeof h);
  blockSize_ = 512;
  if (level == TableLevel::DBase4) {
    uint32_t size = static_cast<uint32_t>(h[20]) | static_cast<uint32_t>(h[21]) << 8;
    if (size >= 64 && size % 64 == 0) blockSize_ = size;
  }
}

std::string MemoFile::Damage(uint32_t* nextFree) const {
  unsigned char h[4];
  file_.ReadAt(0, h, 4);
  const uint32_t next = Le32(h);
  const uint64_t first = (kHeaderBlock + blockSize_ - 1) / blockSize_;
  const uint64_t blocks = (file_.Size() + blockSize_ - 1) / blockSize_;
  // Never trust a header that points into data already in the file.
  if (nextFree) *nextFree = next < blocks ? static_cast<uint32_t>(blocks) : next;
  if (next >= first && next <= std::max(blocks, first)) return {};
  return "plik notatek " + file_.Path() + " jest uszkodzony: pierwszy wolny blok " +
         std::to_string(next) + " leży poza plikiem, który ma " + std::to_string(blocks) +
         " bloków";
}

uint32_t MemoFile::NextFree() const {
  uint32_t next = 0;
  if (std::string why = Damage(&next); !why.empty()) throw DbError(ErrorCode::ReadOnly, why);
  return next;
}

std::string MemoFile::Read(uint32_t block) const {
  if (block == 0) return {};
  const auto damaged = [this, block] {
    return DbError(ErrorCode::BadFormat, "Uszkodzony plik notatek " + file_.Path() +
                                             " (notatka w bloku " + std::to_string(block) + ")");
  };
  // A block past the file's end reads nothing and is damage; the file's size
  // is asked only for a text longer than the first read brought.
  const uint64_t at = static_cast<uint64_t>(block) * blockSize_;
  try {
    if (level_ == TableLevel::DBase4) {
      // One read of the first block brings the header and, mostly, the text.
      std::string first(blockSize_, '\0');
      size_t got = file_.ReadSomeAt(at, first.data(), first.size());
      const auto* h = reinterpret_cast<const unsigned char*>(first.data());
      if (got < 8 || !(h[0] == 0xFF && h[1] == 0xFF && h[2] == 0x08 && h[3] == 0x00))
        throw damaged();
      uint32_t len = Le32(h + 4);
      if (len < 8) throw damaged();
      size_t length = len - 8;
      if (length + 8 <= got) return first.substr(8, length);
      if (at + len > file_.Size()) throw damaged();
      std::string text = first.substr(8, got - 8);
      size_t have = text.size();
      text.resize(length);
      file_.ReadAt(at + 8 + have, text.data() + have, length - have);
      return text;
    }
    // dBASE III: the text ends at the first 0x1A, which lies in the file.
    std::string text;
    std::vector<char> buf(blockSize_);
    for (uint64_t from = at;;) {
      size_t n = file_.ReadSomeAt(from, buf.data(), buf.size());
      if (n == 0) throw damaged();
      std::string_view chunk(buf.data(), n);
      size_t end = chunk.find('\x1A');
      if (end != std::string_view::npos) return text + std::string(chunk.substr(0, end));
      text += chunk;
      from += n;
    }
  } catch (const std::bad_alloc&) {
    throw damaged();
  }
}

namespace {
// The bytes of a memo, in whole blocks.
std::string Blocks(const std::string& text, TableLevel level, uint32_t blockSize) {
  std::string data;
  if (level == TableLevel::DBase4) {
    unsigned char h[8] = {0xFF, 0xFF, 0x08, 0x00};
    PutLe32(h + 4, static_cast<uint32_t>(text.size() + 8));
    data.assign(reinterpret_cast<char*>(h), 8);
    data += text;
    // Beyond the counted length: readers that look for an end mark find it.
    data += '\x1F';
  } else {
    if (text.find('\x1A') != std::string::npos) {
      throw DbError(ErrorCode::InvalidValue, "Notatka dBASE III nie może zawierać znaku 0x1A");
    }
    data = text + "\x1A\x1A";
  }
  uint32_t blocks = static_cast<uint32_t>((data.size() + blockSize - 1) / blockSize);
  data.resize(static_cast<size_t>(blocks) * blockSize, '\0');
  return data;
}
}  // namespace

uint32_t MemoFile::Write(const std::string& text) {
  std::vector<JournalWrite> writes;
  uint32_t next = 0;
  uint32_t block = Plan(text, writes, next);
  for (const auto& w : writes) file_.WriteAt(w.offset, w.bytes.data(), w.bytes.size());
  return block;
}

uint32_t MemoFile::Plan(const std::string& text, std::vector<JournalWrite>& out,
                        uint32_t& next) const {
  std::string data = Blocks(text, level_, blockSize_);
  uint32_t block = next != 0 ? next : NextFree();
  next = block + static_cast<uint32_t>(data.size() / blockSize_);
  out.push_back({JournalTarget::Memo, static_cast<uint64_t>(block) * blockSize_, std::move(data)});
  std::string h(4, '\0');
  PutLe32(reinterpret_cast<unsigned char*>(h.data()), next);
  out.push_back({JournalTarget::Memo, 0, std::move(h)});
  return block;
}

}  // namespace dbase
