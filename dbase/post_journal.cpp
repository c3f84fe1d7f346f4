#include "dbase/post_journal.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <random>

#include "dbase/dbase.h"
#include "platform/text/cp1250.h"

namespace dbase {

std::string KernelBootId() {
  std::ifstream f("/proc/sys/kernel/random/boot_id");
  std::string id;
  std::getline(f, id);
  return id;
}

namespace {

// The layout of post_journal.h, by name.
namespace header {
constexpr char kMagic[4] = {'P', 'J', '0', '3'};
constexpr size_t kEpoch = 4, kDevice = 12, kInode = 20, kChecksum = 28, kBytes = 36;
}  // namespace header
namespace record {
constexpr char kMagic[4] = {'P', 'R', '0', '3'};
constexpr size_t kLength = 4, kEpoch = 8, kSeq = 16, kBody = 24, kChecksumBytes = 8,
                 kStampBytes = 8;
constexpr uint32_t kMaxBody = 64u << 20;
}  // namespace record
namespace range {
constexpr size_t kTarget = 0, kOffset = 1, kLength = 9, kBytes = 13;
}  // namespace range
// The previous format: the header's applied mark, records without a stamp.
namespace previous {
constexpr char kMagic[4] = {'P', 'J', '0', '2'}, kRecordMagic[4] = {'P', 'R', '0', '2'};
constexpr size_t kAppliedSeq = 28, kAppliedEnd = 36, kChecksum = 52, kBytes = 60;
}  // namespace previous
constexpr uint64_t kFirstRecord = 512;
// Past this the next post flushes the table's files and starts anew: a
// flush of three files every several hundred posts, and an open's replay
// of at most this much after a power cut.
constexpr uint64_t kRestartAt = 2u << 20;
constexpr uint64_t kGrowth = 256u << 10;

uint64_t Mix(uint64_t h, uint64_t w) {
  h = (h ^ w) * 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 29);
}

}  // namespace

// Four independent lanes of 8-byte words, folded together at the end.
uint64_t JournalChecksum(const std::string& s, size_t from, size_t end) {
  uint64_t lane[4] = {0x6A09E667F3BCC908ull, 0xBB67AE8584CAA73Bull, 0x3C6EF372FE94F82Bull,
                      0xA54FF53A5F1D36F1ull};
  const char* p = s.data() + from;
  size_t n = end - from, i = 0;
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

namespace {

void PutLe(std::string& s, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

uint64_t GetLe(const std::string& s, size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i)
    v |= static_cast<uint64_t>(static_cast<uint8_t>(s[at + static_cast<size_t>(i)])) << (8 * i);
  return v;
}

uint64_t BootHash(const std::string& id) { return JournalChecksum(id, 0, id.size()) | 1; }

uint64_t ThisBoot() {
  // The kernel's does not change while the program runs: read once.
  static const uint64_t kernel = BootHash(KernelBootId());
  if (Seams().bootId == KernelBootId) return kernel;
  return BootHash(Seams().bootId ? Seams().bootId() : std::string());
}

}  // namespace

std::string PostJournalPath(const std::string& dbfPath) { return dbfPath + ".post-journal"; }

void PostJournal::Open(const std::string& path) {
  path_ = path;
  refusal_.clear();
  current_ = previous_ = false;
  unstamped_.clear();
  size_ = 0;
  try {
    file_ = File::OpenOwn(path);
  } catch (const DbError& e) {
    if (e.Code() == ErrorCode::FileNotFound) return;
    if (e.Code() != ErrorCode::ReadOnly) throw;
    refusal_ = platform::Utf8FromCp1250(e.what());
  }
}

std::string PostJournal::WriteRefusal() const {
  if (!refusal_.empty()) return refusal_;
  if (file_.IsOpen())
    return file_.Writable() ? std::string() : "dziennik zapisu " + path_ + " jest tylko do odczytu";
  const std::string folder = FolderOf(path_);
  if (::access(folder.c_str(), W_OK | X_OK) == 0) return std::string();
  return "nie można utworzyć dziennika zapisu " + path_ + ": " + SystemErrorText(errno);
}

std::optional<PostJournal::Header> PostJournal::ReadHeader() const {
  // As long as either format's header.
  std::string h(previous::kBytes, '\0');
  h.resize(file_.ReadSomeAt(0, h.data(), h.size()));
  Header r;
  size_t checksumAt = 0;
  if (h.size() >= header::kBytes && std::memcmp(h.data(), header::kMagic, 4) == 0) {
    checksumAt = header::kChecksum;
  } else if (h.size() >= previous::kBytes && std::memcmp(h.data(), previous::kMagic, 4) == 0) {
    checksumAt = previous::kChecksum;
    r.previous = true;
    r.appliedSeq = GetLe(h, previous::kAppliedSeq, 8);
    r.appliedEnd = GetLe(h, previous::kAppliedEnd, 8);
  } else {
    return std::nullopt;
  }
  if (JournalChecksum(h, header::kEpoch, checksumAt) != GetLe(h, checksumAt, 8))
    return std::nullopt;
  r.epoch = GetLe(h, header::kEpoch, 8);
  r.table = {GetLe(h, header::kDevice, 8), GetLe(h, header::kInode, 8)};
  return r;
}

namespace {

// The ranges of a record's body, bytes [record::kBody, bodyEnd); none when
// they do not add up.
std::optional<PostJournal::Record> Ranges(const std::string& bytes, size_t bodyEnd) {
  PostJournal::Record writes;
  for (size_t p = record::kBody; p < bodyEnd;) {
    if (p + range::kBytes > bodyEnd) return std::nullopt;
    JournalWrite w;
    w.target = static_cast<JournalTarget>(bytes[p + range::kTarget]);
    w.offset = GetLe(bytes, p + range::kOffset, 8);
    const auto size = static_cast<size_t>(GetLe(bytes, p + range::kLength, 4));
    p += range::kBytes;
    if (size > bodyEnd - p || static_cast<uint8_t>(w.target) > 2) return std::nullopt;
    w.bytes = bytes.substr(p, size);
    p += size;
    writes.push_back(std::move(w));
  }
  return writes;
}

}  // namespace

std::vector<PostJournal::Record> PostJournal::Pending(const Identity& table, bool afterCrash) {
  const bool known = current_ && !afterCrash;
  current_ = previous_ = false;
  unstamped_.clear();
  std::vector<Record> records;
  if (!file_.IsOpen()) return records;
  auto h = ReadHeader();
  if (!h || h->table != table) return records;
  previous_ = h->previous;
  uint64_t at = kFirstRecord, seq = 1;
  if (previous_) {
    at = std::max(h->appliedEnd, kFirstRecord);
    seq = h->appliedSeq + 1;
  } else if (known && h->epoch == header_.epoch) {
    at = from_;
    seq = fromSeq_;
  }
  header_ = *h;
  current_ = !previous_;
  from_ = at;
  fromSeq_ = seq;
  const char* magic = previous_ ? previous::kRecordMagic : record::kMagic;
  const size_t stampBytes = previous_ ? 0 : record::kStampBytes;
  const uint64_t thisBoot = ThisBoot();
  for (;; ++seq) {
    end_ = at;
    nextSeq_ = seq;
    std::string head(record::kBody, '\0');
    if (file_.ReadSomeAt(at, head.data(), head.size()) != head.size() ||
        std::memcmp(head.data(), magic, 4) != 0)
      break;
    const auto length = static_cast<uint32_t>(GetLe(head, record::kLength, 4));
    if (length > record::kMaxBody || GetLe(head, record::kEpoch, 8) != h->epoch ||
        GetLe(head, record::kSeq, 8) != seq)
      break;
    const size_t bodyEnd = record::kBody + length, stampAt = bodyEnd + record::kChecksumBytes;
    std::string bytes(stampAt + stampBytes, '\0');
    if (file_.ReadSomeAt(at, bytes.data(), bytes.size()) != bytes.size() ||
        JournalChecksum(bytes, record::kLength, bodyEnd) != GetLe(bytes, bodyEnd, 8))
      break;
    auto writes = Ranges(bytes, bodyEnd);
    if (!writes) break;
    // In the files already: stamped in this boot, or, while another
    // program of ours has the table open, stamped by it.
    const uint64_t stamp = stampBytes != 0 ? GetLe(bytes, stampAt, 8) : 0;
    if (stamp != thisBoot && (stamp == 0 || afterCrash)) {
      records.push_back(std::move(*writes));
      if (stampBytes != 0) unstamped_.push_back(at + stampAt);
    }
    at += bytes.size();
    if (records.empty()) {
      from_ = at;
      fromSeq_ = seq + 1;
    }
  }
  return records;
}

bool PostJournal::Dirty() const { return current_ && end_ > kFirstRecord; }

bool PostJournal::NeedsRestart() const { return !current_ || end_ > kRestartAt; }

void PostJournal::Restart(const File& table) {
  bool made = false;
  if (!file_.IsOpen()) {
    try {
      file_ = File::CreateLike(path_, table);
      made = true;
    } catch (const DbError& notMade) {
      // Made by another writer in between; if it is still missing, the
      // reason it could not be made is the error.
      try {
        file_ = File::OpenOwn(path_);
      } catch (const DbError& e) {
        if (e.Code() == ErrorCode::FileNotFound) throw notMade;
        throw;
      }
    }
    size_ = 0;
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
  h.table = table.Identity();
  std::string bytes(header::kMagic, 4);
  PutLe(bytes, h.epoch, 8);
  PutLe(bytes, h.table.first, 8);
  PutLe(bytes, h.table.second, 8);
  PutLe(bytes, JournalChecksum(bytes, header::kEpoch, header::kChecksum), 8);
  file_.WriteAt(0, bytes.data(), bytes.size());
  file_.DataSync();
  if (made) SyncFolderOf(path_);
  header_ = h;
  current_ = true;
  previous_ = false;
  end_ = from_ = kFirstRecord;
  nextSeq_ = fromSeq_ = 1;
  unstamped_.clear();
}

void PostJournal::Commit(const Record& writes) {
  std::string all(record::kMagic, 4);
  PutLe(all, 0, 4);  // the length, once known
  PutLe(all, header_.epoch, 8);
  PutLe(all, nextSeq_, 8);
  for (const auto& w : writes) {
    all += static_cast<char>(w.target);
    PutLe(all, w.offset, 8);
    PutLe(all, w.bytes.size(), 4);
    all += w.bytes;
  }
  const uint64_t length = all.size() - record::kBody;
  for (int i = 0; i < 4; ++i)
    all[record::kLength + static_cast<size_t>(i)] = static_cast<char>(length >> (8 * i));
  PutLe(all, JournalChecksum(all, record::kLength, all.size()), 8);
  PutLe(all, 0, 8);  // the stamp, set by MarkApplied
  // The file grows by a stretch of zeros at a time, so that most flushes
  // only take the record's blocks, not a new size. It never shrinks: a size
  // known to be enough is not asked again.
  const uint64_t needed = end_ + all.size();
  if (size_ < needed) size_ = file_.Size();
  if (size_ < needed) {
    const std::string zeros(needed + kGrowth - size_, '\0');
    file_.WriteAt(size_, zeros.data(), zeros.size());
    size_ = needed + kGrowth;
  }
  file_.WriteAt(end_, all.data(), all.size());
  file_.DataSync();
  end_ += all.size();
  ++nextSeq_;
  unstamped_.push_back(end_ - record::kStampBytes);
}

void PostJournal::MarkApplied() {
  std::string stamp;
  PutLe(stamp, ThisBoot(), 8);
  for (uint64_t at : unstamped_) file_.WriteAt(at, stamp.data(), stamp.size());
  unstamped_.clear();
  from_ = end_;
  fromSeq_ = nextSeq_;
}

}  // namespace dbase
