#include "dbase/post_journal.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <random>

#include "dbase/dbase.h"

namespace dbase {

std::string KernelBootId() {
  std::ifstream f("/proc/sys/kernel/random/boot_id");
  std::string id;
  std::getline(f, id);
  return id;
}

namespace {

// Header (its own sector): magic, epoch, the table file's device and
// inode, the applied mark (sequence number and end of the last record
// applied), a hash of the boot that wrote the header, and a checksum of
// those. Records follow from kFirstRecord:
// magic, body length, epoch, sequence number, body, checksum of all but the
// magic. Body: per write its target (1 byte), offset (8), length (4), bytes.
constexpr char kMagic[4] = {'P', 'J', '0', '2'};
constexpr char kRecordMagic[4] = {'P', 'R', '0', '2'};
constexpr size_t kHeaderBytes = 60;
constexpr uint64_t kFirstRecord = 512;
constexpr size_t kRecordHead = 24;
constexpr uint32_t kMaxBody = 64u << 20;
// Past this the next post flushes the table's files and starts anew: a
// flush of three files every several hundred posts, and an open's replay
// of at most this much after a power cut.
constexpr uint64_t kRestartAt = 2u << 20;
constexpr uint64_t kGrowth = 256u << 10;

uint64_t Mix(uint64_t h, uint64_t w) {
  h = (h ^ w) * 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 29);
}

// Four independent lanes of 8-byte words, folded together at the end.
uint64_t Checksum(const std::string& s, size_t from) {
  uint64_t lane[4] = {0x6A09E667F3BCC908ull, 0xBB67AE8584CAA73Bull, 0x3C6EF372FE94F82Bull,
                      0xA54FF53A5F1D36F1ull};
  const char* p = s.data() + from;
  size_t n = s.size() - from, i = 0;
  for (; i + 32 <= n; i += 32) {
    for (size_t k = 0; k < 4; ++k) {
      uint64_t w;
      std::memcpy(&w, p + i + 8 * k, 8);
      lane[k] = Mix(lane[k], w);
    }
  }
  for (; i < n; ++i) lane[0] = Mix(lane[0], static_cast<uint8_t>(p[i]));
  uint64_t h = n;
  for (uint64_t l : lane) h = Mix(h, l);
  return h;
}

void PutLe(std::string& s, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

uint64_t GetLe(const std::string& s, size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i)
    v |= static_cast<uint64_t>(static_cast<uint8_t>(s[at + static_cast<size_t>(i)])) << (8 * i);
  return v;
}

}  // namespace

std::string PostJournalPath(const std::string& dbfPath) { return dbfPath + ".post-journal"; }

void PostJournal::Open(const std::string& path, bool create) {
  path_ = path;
  try {
    file_ = File::Open(path);
    return;
  } catch (const DbError& e) {
    if (e.Code() != ErrorCode::FileNotFound) throw;
  }
  if (!create) return;
  try {
    file_ = File::Create(path);
  } catch (const DbError& notMade) {
    // Made by another writer in between; if it is still missing, the
    // reason it could not be made is the error.
    try {
      file_ = File::Open(path);
    } catch (const DbError& e) {
      if (e.Code() == ErrorCode::FileNotFound) throw notMade;
      throw;
    }
  }
}

std::string PostJournal::WriteRefusal() const {
  if (file_.IsOpen())
    return file_.Writable() ? std::string() : "dziennik zapisu " + path_ + " jest tylko do odczytu";
  const size_t slash = path_.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : path_.substr(0, slash);
  if (::access(folder.c_str(), W_OK | X_OK) == 0) return std::string();
  return "nie można utworzyć dziennika zapisu " + path_ + ": " + SystemErrorText(errno);
}

std::optional<PostJournal::Header> PostJournal::ReadHeader() const {
  std::string h(kHeaderBytes, '\0');
  if (file_.ReadSomeAt(0, h.data(), h.size()) != h.size() ||
      std::memcmp(h.data(), kMagic, 4) != 0 || Checksum(h.substr(0, 52), 4) != GetLe(h, 52, 8))
    return std::nullopt;
  Header r;
  r.epoch = GetLe(h, 4, 8);
  r.table = {GetLe(h, 12, 8), GetLe(h, 20, 8)};
  r.appliedSeq = GetLe(h, 28, 8);
  r.appliedEnd = GetLe(h, 36, 8);
  r.boot = GetLe(h, 44, 8);
  return r;
}

void PostJournal::WriteHeader(const Header& r) {
  std::string h(kMagic, 4);
  PutLe(h, r.epoch, 8);
  PutLe(h, r.table.first, 8);
  PutLe(h, r.table.second, 8);
  PutLe(h, r.appliedSeq, 8);
  PutLe(h, r.appliedEnd, 8);
  PutLe(h, r.boot, 8);
  PutLe(h, Checksum(h, 4), 8);
  file_.WriteAt(0, h.data(), h.size());
}

namespace {
uint64_t ThisBoot() { return Checksum(Seams().bootId ? Seams().bootId() : std::string(), 0) | 1; }
}  // namespace

std::vector<PostJournal::Record> PostJournal::Pending(const Identity& table, bool opening,
                                                      bool* allOut) {
  current_ = false;
  if (allOut) *allOut = false;
  std::vector<Record> records;
  if (!file_.IsOpen()) return records;
  auto h = ReadHeader();
  if (!h || h->table != table) return records;
  header_ = *h;
  current_ = true;
  const bool all = opening && h->boot != ThisBoot();
  if (allOut) *allOut = all;
  uint64_t at = all ? kFirstRecord : std::max(h->appliedEnd, kFirstRecord);
  uint64_t seq = all ? 1 : h->appliedSeq + 1;
  for (;; ++seq) {
    end_ = at;
    nextSeq_ = seq;
    std::string head(kRecordHead, '\0');
    if (file_.ReadSomeAt(at, head.data(), head.size()) != head.size() ||
        std::memcmp(head.data(), kRecordMagic, 4) != 0)
      break;
    auto length = static_cast<uint32_t>(GetLe(head, 4, 4));
    if (length > kMaxBody || GetLe(head, 8, 8) != h->epoch || GetLe(head, 16, 8) != seq) break;
    std::string recordBytes(kRecordHead + length + 8, '\0');
    if (file_.ReadSomeAt(at, recordBytes.data(), recordBytes.size()) != recordBytes.size()) break;
    if (Checksum(recordBytes.substr(0, kRecordHead + length), 4) != GetLe(recordBytes, kRecordHead + length, 8))
      break;
    Record writes;
    bool whole = true;
    for (size_t p = kRecordHead; p < kRecordHead + length;) {
      if (p + 13 > kRecordHead + length) {
        whole = false;
        break;
      }
      JournalWrite w;
      w.target = static_cast<JournalTarget>(recordBytes[p]);
      w.offset = GetLe(recordBytes, p + 1, 8);
      auto size = static_cast<size_t>(GetLe(recordBytes, p + 9, 4));
      p += 13;
      if (size > kRecordHead + length - p || static_cast<uint8_t>(w.target) > 2) {
        whole = false;
        break;
      }
      w.bytes = recordBytes.substr(p, size);
      p += size;
      writes.push_back(std::move(w));
    }
    if (!whole) break;
    records.push_back(std::move(writes));
    at += recordBytes.size();
  }
  return records;
}

bool PostJournal::NeedsRestart() const { return !current_ || end_ > kRestartAt; }

void PostJournal::Restart(const Identity& table) {
  bool made = false;
  if (!file_.IsOpen()) {
    Open(path_, true);
    made = true;
  }
  // An epoch no record in the file carries: records of an earlier epoch
  // (of this table file or another) are never taken for new ones.
  std::random_device random;
  auto old = ReadHeader();
  Header h;
  do {
    h.epoch =
        (static_cast<uint64_t>(random()) << 32) ^ random() ^ static_cast<uint64_t>(::time(nullptr));
  } while (old && h.epoch == old->epoch);
  h.table = table;
  h.appliedEnd = kFirstRecord;
  h.boot = ThisBoot();
  WriteHeader(h);
  file_.DataSync();
  if (made) SyncFolderOf(path_);
  header_ = h;
  current_ = true;
  end_ = kFirstRecord;
  nextSeq_ = 1;
}

void PostJournal::Commit(const Record& writes) {
  std::string all(kRecordMagic, 4);
  PutLe(all, 0, 4);
  PutLe(all, header_.epoch, 8);
  PutLe(all, nextSeq_, 8);
  for (const auto& w : writes) {
    all += static_cast<char>(w.target);
    PutLe(all, w.offset, 8);
    PutLe(all, w.bytes.size(), 4);
    all += w.bytes;
  }
  const uint64_t length = all.size() - kRecordHead;
  for (int i = 0; i < 4; ++i)
    all[4 + static_cast<size_t>(i)] = static_cast<char>(length >> (8 * i));
  PutLe(all, Checksum(all, 4), 8);
  // The file grows by a stretch of zeros at a time, so that most flushes
  // only take the record's blocks, not a new size.
  if (const uint64_t size = file_.Size(); size < end_ + all.size()) {
    const std::string zeros(end_ + all.size() + kGrowth - size, '\0');
    file_.WriteAt(size, zeros.data(), zeros.size());
  }
  file_.WriteAt(end_, all.data(), all.size());
  file_.DataSync();
  end_ += all.size();
  ++nextSeq_;
}

void PostJournal::MarkApplied() {
  header_.appliedSeq = nextSeq_ - 1;
  header_.appliedEnd = end_;
  header_.boot = ThisBoot();
  WriteHeader(header_);
}

}  // namespace dbase
