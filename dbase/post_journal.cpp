#include "dbase/post_journal.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "dbase/dbase.h"

namespace dbase {

std::function<void(int step)> PostStepHook;

namespace {

// Header: magic, body length, checksum of the body. Body: per write its
// target (1 byte), offset (8), length (4) and bytes.
constexpr char kMagic[4] = {'P', 'J', '0', '1'};
constexpr size_t kHeader = 16;
constexpr uint32_t kMaxBody = 64u << 20;

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

std::optional<std::vector<JournalWrite>> PostJournal::Pending() const {
  if (!file_.IsOpen()) return std::nullopt;
  std::string head(kHeader, '\0');
  if (file_.ReadSomeAt(0, head.data(), head.size()) != head.size() ||
      std::memcmp(head.data(), kMagic, 4) != 0)
    return std::nullopt;
  auto length = static_cast<uint32_t>(GetLe(head, 4, 4));
  if (length > kMaxBody) return std::nullopt;
  std::string all(kHeader + length, '\0');
  if (file_.ReadSomeAt(0, all.data(), all.size()) != all.size()) return std::nullopt;
  if (Checksum(all, kHeader) != GetLe(head, 8, 8)) return std::nullopt;
  std::vector<JournalWrite> writes;
  for (size_t at = kHeader; at < all.size();) {
    if (at + 13 > all.size()) return std::nullopt;
    JournalWrite w;
    w.target = static_cast<JournalTarget>(all[at]);
    w.offset = GetLe(all, at + 1, 8);
    auto size = static_cast<size_t>(GetLe(all, at + 9, 4));
    at += 13;
    if (size > all.size() - at || static_cast<uint8_t>(w.target) > 1) return std::nullopt;
    w.bytes = all.substr(at, size);
    at += size;
    writes.push_back(std::move(w));
  }
  return writes;
}

void PostJournal::Commit(const std::vector<JournalWrite>& writes) {
  if (!file_.IsOpen()) Open(path_, true);
  std::string all(kHeader, '\0');
  for (const auto& w : writes) {
    all += static_cast<char>(w.target);
    PutLe(all, w.offset, 8);
    PutLe(all, w.bytes.size(), 4);
    all += w.bytes;
  }
  std::string head(kMagic, 4);
  PutLe(head, all.size() - kHeader, 4);
  PutLe(head, Checksum(all, kHeader), 8);
  all.replace(0, kHeader, head);
  file_.WriteAt(0, all.data(), all.size());
}

void PostJournal::Clear() {
  static const char zero[kHeader] = {};
  file_.WriteAt(0, zero, sizeof zero);
}

}  // namespace dbase
