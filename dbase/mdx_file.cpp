#include "dbase/mdx_file.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "dbase/dbase.h"
#include "dbase/dbf_format.h"

namespace dbase {

namespace {

constexpr uint32_t kPage = 512;
constexpr uint32_t kHeaderPages = 4;  // 2048 bytes: header and tag table
constexpr uint32_t kTagTableAt = 544;
constexpr uint32_t kTagEntryLength = 32;
constexpr uint32_t kMaxTags = 47;
constexpr uint32_t kDefaultBlock = 1024;
// A tag header's fields that change with its keys (root, pages, serial, the
// "has keys" flag, first and last leaf) all lie in its first 256 bytes.
constexpr size_t kTagHeaderBytes = 256;

uint32_t Get32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}
uint16_t Get16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}
void Put16(std::string& b, size_t at, uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

void PutToday(std::string& b, size_t at) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  b[at] = static_cast<char>(tm.tm_year);
  b[at + 1] = static_cast<char>(tm.tm_mon + 1);
  b[at + 2] = static_cast<char>(tm.tm_mday);
}

[[noreturn]] void Damaged(const std::string& path, const std::string& why) {
  throw DbError(ErrorCode::BadFormat, "Uszkodzony indeks " + path + " (" + why + ")");
}

uint32_t ItemLength(int keyLength) { return (static_cast<uint32_t>(keyLength) + 4 + 3) / 4 * 4; }

}  // namespace

std::string NumericKey(const std::string& number) {
  std::string key(12, '\0');
  std::string t = Trim(number);
  bool negative = false;
  size_t i = 0;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  std::string whole, frac;
  bool dot = false;
  for (; i < t.size(); ++i) {
    if (t[i] == '.') dot = true;
    else if (t[i] >= '0' && t[i] <= '9') (dot ? frac : whole) += t[i];
  }
  size_t lead = whole.find_first_not_of('0');
  whole = lead == std::string::npos ? "" : whole.substr(lead);
  if (dot) {
    size_t end = frac.find_last_not_of('0');
    frac = end == std::string::npos ? "" : frac.substr(0, end + 1);
  }
  int sig = static_cast<int>(whole.size());
  std::string digits = whole + frac;
  if (whole.empty()) {
    size_t z = digits.find_first_not_of('0');
    if (z == std::string::npos) digits.clear();
    else {
      sig -= static_cast<int>(z);
      digits = digits.substr(z);
    }
  }
  if (digits.empty()) negative = false, sig = 0;
  if (digits.size() > 20) digits.resize(20);
  key[0] = static_cast<char>(52 + sig);
  key[1] =
      static_cast<char>((std::min<size_t>(digits.size(), 31) << 2) | 0x01 | (negative ? 0x80 : 0));
  for (size_t d = 0; d < digits.size(); ++d) {
    auto nibble = static_cast<uint8_t>(digits[d] - '0');
    auto& byte = key[2 + d / 2];
    byte = static_cast<char>(static_cast<uint8_t>(byte) | (d % 2 == 0 ? nibble << 4 : nibble));
  }
  return key;
}

int CompareNumericKeys(const std::string& a, const std::string& b) {
  auto cls = [](const std::string& k) {
    bool zero = true;
    for (size_t i = 2; i < 12 && i < k.size(); ++i)
      if (k[i] != '\0') zero = false;
    if (zero) return 0;
    return (static_cast<uint8_t>(k[1]) & 0x80) ? -1 : 1;
  };
  int ca = cls(a), cb = cls(b);
  if (ca != cb) return ca < cb ? -1 : 1;
  if (ca == 0) return 0;
  int r = 0;
  auto sa = static_cast<uint8_t>(a[0]), sb = static_cast<uint8_t>(b[0]);
  if (sa != sb) r = sa < sb ? -1 : 1;
  else r = std::memcmp(a.data() + 2, b.data() + 2, 10);
  if (r != 0) r = r < 0 ? -1 : 1;
  return ca < 0 ? -r : r;
}

void MdxFile::Create(const std::string& path, const std::string& tableName,
                     const std::vector<TagSpec>& tags) {
  if (tags.size() > kMaxTags) throw DbError(ErrorCode::BadFormat, "Za dużo znaczników indeksu");
  const uint32_t factor = kDefaultBlock / kPage;
  std::string head(kHeaderPages * kPage, '\0');
  head[0] = 2;
  PutToday(head, 1);
  std::string name = Upper(tableName).substr(0, 16);
  std::memcpy(&head[4], name.data(), name.size());
  Put16(head, 20, static_cast<uint16_t>(factor));
  Put16(head, 22, static_cast<uint16_t>(kDefaultBlock));
  head[24] = 1;  // production index
  head[25] = 48;
  head[26] = static_cast<char>(kTagEntryLength);
  Put16(head, 28, static_cast<uint16_t>(tags.size()));
  head[30] = static_cast<char>(tags.size() + 1);
  head[31] = 0x1B;
  PutToday(head, 44);
  head[529] = 1;

  std::vector<std::string> blocks;
  uint32_t page = kHeaderPages;
  // The tags' names form a binary tree in the tag table (left, right, parent).
  std::vector<int> left(tags.size(), 0), right(tags.size(), 0), parent(tags.size(), 0);
  for (size_t t = 1; t < tags.size(); ++t) {
    size_t at = 0;
    for (;;) {
      auto& branch = Upper(tags[t].name) < Upper(tags[at].name) ? left : right;
      if (branch[at] == 0) {
        branch[at] = static_cast<int>(t + 1);
        parent[t] = static_cast<int>(at + 1);
        break;
      }
      at = static_cast<size_t>(branch[at] - 1);
    }
  }
  for (size_t t = 0; t < tags.size(); ++t) {
    const TagSpec& s = tags[t];
    std::string tagName = Upper(s.name);
    if (!ValidName(tagName, 10))
      throw DbError(ErrorCode::BadFormat, "Nieprawidłowa nazwa znacznika \"" + s.name + "\"");
    if (s.expression.size() > 220)
      throw DbError(ErrorCode::BadFormat, "Za długie wyrażenie znacznika " + tagName);
    uint32_t headerPage = page;
    uint32_t root = page + factor;
    page += 2 * factor;
    size_t at = kTagTableAt + t * kTagEntryLength;
    Put32(head, at, headerPage);
    std::memcpy(&head[at + 4], tagName.data(), tagName.size());
    head[at + 15] = 0x10;
    head[at + 16] = static_cast<char>(left[t]);
    head[at + 17] = static_cast<char>(right[t]);
    head[at + 18] = static_cast<char>(parent[t]);
    head[at + 19] = 0x02;
    head[at + 20] = s.keyType;

    std::string th(kDefaultBlock, '\0');
    Put32(th, 0, root);
    Put32(th, 4, 2 * factor);
    th[8] = 0x10;
    th[9] = s.keyType;
    th[11] = 0x1B;
    uint32_t item = ItemLength(s.keyLength);
    Put16(th, 12, static_cast<uint16_t>(s.keyLength));
    Put16(th, 14, static_cast<uint16_t>((kDefaultBlock - 12) / item));
    Put16(th, 16, 0);
    Put16(th, 18, static_cast<uint16_t>(item));
    th[20] = 1;
    std::memcpy(&th[24], s.expression.data(), s.expression.size());
    Put32(th, 248, root);
    Put32(th, 252, root);
    PutToday(th, 257);
    th[480] = s.expression.find('+') == std::string::npos ? 1 : 0;
    blocks.push_back(th);
    blocks.push_back(std::string(kDefaultBlock, '\0'));  // the empty root leaf
  }
  Put32(head, 32, page);
  File f = File::Create(path);
  f.WriteAt(0, head.data(), head.size());
  uint64_t offset = head.size();
  for (const auto& b : blocks) {
    f.WriteAt(offset, b.data(), b.size());
    offset += b.size();
  }
}

void MdxFile::Open(const std::string& path) {
  file_ = File::Open(path);
  Reload();
}

void MdxFile::Close() {
  file_.Close();
  nodes_.clear();
  dirty_.clear();
  freedNext_.clear();
  specs_.clear();
  tags_.clear();
}

int MdxFile::FindTag(const std::string& name) const {
  std::string u = Upper(Trim(name));
  for (size_t i = 0; i < specs_.size(); ++i)
    if (specs_[i].name == u) return static_cast<int>(i);
  return -1;
}

void MdxFile::Reload() { Load(true); }

std::vector<TagSpec> MdxFile::ReadTags(const std::string& path) {
  MdxFile m;
  m.file_ = File::Open(path);
  m.Load(false);
  return m.specs_;
}

void MdxFile::Load(bool trees) {
  const std::string& path = file_.Path();
  nodes_.clear();
  dirty_.clear();
  freedNext_.clear();
  specs_.clear();
  tags_.clear();
  std::string head(kHeaderPages * kPage, '\0');
  file_.ReadAt(0, head.data(), head.size());
  if (head[0] != 2) Damaged(path, "wersja");
  pagesPerBlock_ = Get16(head, 20);
  blockBytes_ = Get16(head, 22);
  if (pagesPerBlock_ == 0 || blockBytes_ != pagesPerBlock_ * kPage) Damaged(path, "rozmiar bloku");
  uint32_t entryLength = static_cast<uint8_t>(head[26]);
  uint32_t used = Get16(head, 28);
  if (entryLength != kTagEntryLength || used > kMaxTags) Damaged(path, "tablica znaczników");
  pageCount_ = Get32(head, 32);
  firstFree_ = Get32(head, 36);
  freeBlocks_ = Get32(head, 40);
  stamped_ = head.substr(44, 3);
  headerDirty_ = false;
  for (uint32_t t = 0; t < used; ++t) {
    size_t at = kTagTableAt + t * kTagEntryLength;
    TagSpec s;
    Tag tag;
    tag.headerPage = Get32(head, at);
    size_t len = 0;
    while (len < 11 && head[at + 4 + len] != '\0') ++len;
    s.name = Upper(Trim(std::string_view(&head[at + 4], len)));
    std::string th(kPage, '\0');
    file_.ReadAt(static_cast<uint64_t>(tag.headerPage) * kPage, th.data(), th.size());
    tag.root = Get32(th, 0);
    s.keyType = th[9];
    s.keyLength = Get16(th, 12);
    tag.keyItemLength = Get16(th, 18);
    tag.serial = static_cast<uint8_t>(th[20]);
    tag.header = th.substr(0, kTagHeaderBytes);
    size_t end = th.find('\0', 24);
    s.expression =
        Trim(th.substr(24, (end == std::string::npos ? 244 : std::min<size_t>(end, 244)) - 24));
    // An entry is the record number and the key, padded to four bytes (or
    // not padded at all); any other length puts entries at wrong places.
    if (s.keyLength <= 0 || (tag.keyItemLength != static_cast<uint32_t>(s.keyLength) + 4 &&
                             tag.keyItemLength != ItemLength(s.keyLength))) {
      Damaged(path, "znacznik " + s.name);
    }
    tag.maxKeys = (blockBytes_ - 12) / tag.keyItemLength;
    if (tag.maxKeys < 3) Damaged(path, "znacznik " + s.name);
    specs_.push_back(s);
    tags_.push_back(tag);
    if (trees) LoadNode(static_cast<int>(t), tag.root, 0);
  }
}

void MdxFile::LoadNode(int tag, uint32_t page, int depth) {
  const std::string& path = file_.Path();
  if (depth > 40 || page < kHeaderPages || page >= pageCount_ + pagesPerBlock_ ||
      nodes_.count(page)) {
    Damaged(path, "strona " + std::to_string(page));
  }
  std::string b(blockBytes_, '\0');
  file_.ReadAt(static_cast<uint64_t>(page) * kPage, b.data(), b.size());
  const Tag& t = tags_[static_cast<size_t>(tag)];
  uint32_t n = Get32(b, 0);
  if (n > t.maxKeys) Damaged(path, "strona " + std::to_string(page));
  size_t keyLength = static_cast<size_t>(specs_[static_cast<size_t>(tag)].keyLength);
  Node node;
  node.tag = tag;
  for (uint32_t i = 0; i < n; ++i) {
    size_t at = 8 + i * t.keyItemLength;
    node.entries.push_back(IndexEntry{b.substr(at + 4, keyLength), Get32(b, at)});
  }
  uint32_t after = Get32(b, 8 + n * t.keyItemLength);
  node.leaf = after == 0;
  if (!node.leaf) {
    for (auto& e : node.entries) node.children.push_back(e.recno);
    node.children.push_back(after);
  }
  nodes_[page] = node;
  ++tags_[static_cast<size_t>(tag)].blocks;
  if (!node.leaf) {
    for (uint32_t child : nodes_[page].children) LoadNode(tag, child, depth + 1);
    // Separators carry record numbers too, so that equal keys keep order.
    ResetSeparators(nodes_[page]);
  }
}

int MdxFile::Compare(int tag, const IndexEntry& a, const IndexEntry& b) const {
  int r;
  if (specs_[static_cast<size_t>(tag)].keyType == 'N') r = CompareNumericKeys(a.key, b.key);
  else r = a.key.compare(b.key) < 0 ? -1 : (a.key == b.key ? 0 : 1);
  if (r != 0) return r;
  return a.recno < b.recno ? -1 : (a.recno == b.recno ? 0 : 1);
}

const IndexEntry& MdxFile::MaxOf(uint32_t page) const {
  const Node* n = &nodes_.at(page);
  while (!n->leaf) n = &nodes_.at(n->children.back());
  static const IndexEntry kNone{};
  return n->entries.empty() ? kNone : n->entries.back();
}

void MdxFile::ResetSeparators(Node& n) {
  std::vector<IndexEntry> seps;
  for (size_t i = 0; i + 1 < n.children.size(); ++i) seps.push_back(MaxOf(n.children[i]));
  n.entries = std::move(seps);
}

uint32_t MdxFile::Allocate(int tag) {
  uint32_t page;
  if (firstFree_ != 0) {
    page = firstFree_;
    if (auto it = freedNext_.find(page); it != freedNext_.end()) {
      firstFree_ = it->second;
      freedNext_.erase(it);
    } else {
      std::string b(8, '\0');
      file_.ReadAt(static_cast<uint64_t>(page) * kPage, b.data(), 8);
      firstFree_ = Get32(b, 4);
    }
    if (freeBlocks_ > 0) --freeBlocks_;
  } else {
    page = pageCount_;
    pageCount_ += pagesPerBlock_;
  }
  headerDirty_ = true;
  Node n;
  n.tag = tag;
  nodes_[page] = n;
  dirty_.insert(page);
  tags_[static_cast<size_t>(tag)].headerDirty = true;
  ++tags_[static_cast<size_t>(tag)].blocks;
  return page;
}

void MdxFile::Free(uint32_t page) {
  Tag& t = tags_[static_cast<size_t>(nodes_.at(page).tag)];
  t.headerDirty = true;
  --t.blocks;
  nodes_.erase(page);
  dirty_.erase(page);
  // The chain goes through the freed blocks themselves.
  freedNext_[page] = firstFree_;
  firstFree_ = page;
  ++freeBlocks_;
  headerDirty_ = true;
}

std::optional<uint32_t> MdxFile::InsertInto(uint32_t page, const IndexEntry& e) {
  Node* n = &nodes_.at(page);
  int tag = n->tag;
  const Tag& t = tags_[static_cast<size_t>(tag)];
  if (n->leaf) {
    auto pos = std::upper_bound(
        n->entries.begin(), n->entries.end(), e,
        [&](const IndexEntry& a, const IndexEntry& b) { return Compare(tag, a, b) < 0; });
    n->entries.insert(pos, e);
    dirty_.insert(page);
    if (n->entries.size() <= t.maxKeys) return std::nullopt;
    uint32_t right = Allocate(tag);
    n = &nodes_.at(page);
    Node& r = nodes_.at(right);
    size_t keep = (n->entries.size() + 1) / 2;
    r.leaf = true;
    r.entries.assign(n->entries.begin() + static_cast<long>(keep), n->entries.end());
    n->entries.resize(keep);
    return right;
  }
  size_t i = 0;
  while (i < n->entries.size() && Compare(tag, e, n->entries[i]) > 0) ++i;
  uint32_t child = n->children[i];
  std::optional<uint32_t> split = InsertInto(child, e);
  n = &nodes_.at(page);
  // Only the separators of the child written to (and of its new sibling)
  // can change.
  if (split) {
    n->children.insert(n->children.begin() + static_cast<long>(i) + 1, *split);
    n->entries.insert(n->entries.begin() + static_cast<long>(i), MaxOf(n->children[i]));
    if (i + 1 < n->entries.size()) n->entries[i + 1] = MaxOf(n->children[i + 1]);
    dirty_.insert(page);
  } else if (i < n->entries.size()) {
    const IndexEntry& max = MaxOf(child);
    if (max.recno != n->entries[i].recno || max.key != n->entries[i].key) {
      n->entries[i] = max;
      dirty_.insert(page);
    }
  }
  if (n->entries.size() <= t.maxKeys) return std::nullopt;
  uint32_t right = Allocate(tag);
  n = &nodes_.at(page);
  Node& r = nodes_.at(right);
  r.leaf = false;
  size_t keep = n->children.size() / 2;
  r.children.assign(n->children.begin() + static_cast<long>(keep), n->children.end());
  n->children.resize(keep);
  ResetSeparators(*n);
  ResetSeparators(r);
  return right;
}

void MdxFile::Insert(int tag, const std::string& key, uint32_t recno) {
  Tag& t = tags_[static_cast<size_t>(tag)];
  std::optional<uint32_t> split = InsertInto(t.root, IndexEntry{key, recno});
  if (split) {
    uint32_t root = Allocate(tag);
    Node& r = nodes_.at(root);
    r.leaf = false;
    r.children = {t.root, *split};
    ResetSeparators(r);
    t.root = root;
    t.headerDirty = true;
  }
}

int MdxFile::RemoveFrom(uint32_t page, const IndexEntry& e) {
  Node* n = &nodes_.at(page);
  int tag = n->tag;
  if (n->leaf) {
    for (size_t i = 0; i < n->entries.size(); ++i) {
      if (n->entries[i].recno == e.recno && Compare(tag, n->entries[i], e) == 0) {
        n->entries.erase(n->entries.begin() + static_cast<long>(i));
        dirty_.insert(page);
        return n->entries.empty() ? 2 : 1;
      }
    }
    return 0;
  }
  size_t i = 0;
  while (i < n->entries.size() && Compare(tag, e, n->entries[i]) > 0) ++i;
  int r = RemoveFrom(n->children[i], e);
  if (r == 0) return 0;
  n = &nodes_.at(page);
  if (r == 2) {
    Free(n->children[i]);
    n = &nodes_.at(page);
    n->children.erase(n->children.begin() + static_cast<long>(i));
  }
  if (n->children.empty()) return 2;
  ResetSeparators(*n);
  dirty_.insert(page);
  return 1;
}

bool MdxFile::Remove(int tag, const std::string& key, uint32_t recno) {
  Tag& t = tags_[static_cast<size_t>(tag)];
  int r = RemoveFrom(t.root, IndexEntry{key, recno});
  if (r == 0) return false;
  Node& root = nodes_.at(t.root);
  if (r == 2 && !root.leaf) {  // the whole tree emptied: an empty leaf root
    root.leaf = true;
    root.children.clear();
    root.entries.clear();
    dirty_.insert(t.root);
  }
  // A branch root with one child gives way to that child.
  while (!nodes_.at(t.root).leaf && nodes_.at(t.root).children.size() == 1) {
    uint32_t child = nodes_.at(t.root).children[0];
    Free(t.root);
    t.root = child;
    t.headerDirty = true;
  }
  return true;
}

std::optional<IndexEntry> MdxFile::First(int tag) const {
  const Node* n = &nodes_.at(tags_[static_cast<size_t>(tag)].root);
  while (!n->leaf) n = &nodes_.at(n->children.front());
  if (n->entries.empty()) return std::nullopt;
  return n->entries.front();
}

std::optional<IndexEntry> MdxFile::Last(int tag) const {
  const Node* n = &nodes_.at(tags_[static_cast<size_t>(tag)].root);
  while (!n->leaf) n = &nodes_.at(n->children.back());
  if (n->entries.empty()) return std::nullopt;
  return n->entries.back();
}

std::optional<IndexEntry> MdxFile::NextIn(uint32_t page, int tag, const IndexEntry& e) const {
  const Node& n = nodes_.at(page);
  if (n.leaf) {
    for (const auto& x : n.entries)
      if (Compare(tag, x, e) > 0) return x;
    return std::nullopt;
  }
  size_t i = 0;
  while (i < n.entries.size() && Compare(tag, n.entries[i], e) <= 0) ++i;
  return NextIn(n.children[i], tag, e);
}

std::optional<IndexEntry> MdxFile::PriorIn(uint32_t page, int tag, const IndexEntry& e) const {
  const Node& n = nodes_.at(page);
  if (n.leaf) {
    for (auto it = n.entries.rbegin(); it != n.entries.rend(); ++it)
      if (Compare(tag, *it, e) < 0) return *it;
    return std::nullopt;
  }
  size_t i = 0;
  while (i < n.entries.size() && Compare(tag, n.entries[i], e) < 0) ++i;
  auto r = PriorIn(n.children[i], tag, e);
  if (!r && i > 0) return n.entries[i - 1];
  return r;
}

std::optional<IndexEntry> MdxFile::Next(int tag, const std::string& key, uint32_t recno) const {
  return NextIn(tags_[static_cast<size_t>(tag)].root, tag, IndexEntry{key, recno});
}

std::optional<IndexEntry> MdxFile::Prior(int tag, const std::string& key, uint32_t recno) const {
  return PriorIn(tags_[static_cast<size_t>(tag)].root, tag, IndexEntry{key, recno});
}

std::vector<IndexEntry> MdxFile::Entries(int tag) const {
  std::vector<IndexEntry> all;
  for (auto e = First(tag); e; e = Next(tag, e->key, e->recno)) all.push_back(*e);
  return all;
}

uint32_t MdxFile::FirstMissing(int tag, const std::vector<bool>& rows) const {
  std::vector<bool> listed(rows.size(), false);
  for (const auto& [page, node] : nodes_) {
    if (node.tag != tag || !node.leaf) continue;
    for (const IndexEntry& e : node.entries)
      if (e.recno < listed.size()) listed[e.recno] = true;
  }
  for (size_t n = 1; n < rows.size(); ++n)
    if (rows[n] && !listed[n]) return static_cast<uint32_t>(n);
  return 0;
}

std::string MdxFile::Serialize(const Node& n) const {
  const Tag& t = tags_[static_cast<size_t>(n.tag)];
  size_t keyLength = static_cast<size_t>(specs_[static_cast<size_t>(n.tag)].keyLength);
  std::string b(blockBytes_, '\0');
  Put32(b, 0, static_cast<uint32_t>(n.entries.size()));
  for (size_t i = 0; i < n.entries.size(); ++i) {
    size_t at = 8 + i * t.keyItemLength;
    Put32(b, at, n.leaf ? n.entries[i].recno : n.children[i]);
    std::memcpy(&b[at + 4], n.entries[i].key.data(), std::min(keyLength, n.entries[i].key.size()));
  }
  if (!n.leaf) Put32(b, 8 + n.entries.size() * t.keyItemLength, n.children.back());
  return b;
}

uint32_t MdxFile::EdgeLeaf(int tag, bool last) const {
  uint32_t page = tags_[static_cast<size_t>(tag)].root;
  for (const Node* n = &nodes_.at(page); !n->leaf; n = &nodes_.at(page))
    page = last ? n->children.back() : n->children.front();
  return page;
}

bool MdxFile::ChangedOnDisk() const {
  if (tags_.empty()) return false;
  uint64_t high = 0;
  for (const Tag& t : tags_)
    high = std::max<uint64_t>(high, static_cast<uint64_t>(t.headerPage) * kPage + 21);
  // The block counts first: a post that allocated from stale ones would
  // write over blocks in use. Then the serials of all tags: with the counts
  // in one read, mostly.
  constexpr uint64_t kCounts = 32;
  const bool oneRead = high - kCounts <= 65536;
  std::string span(oneRead ? high - kCounts : 12, '\0');
  file_.ReadAt(kCounts, span.data(), span.size());
  if (Get32(span, 0) != pageCount_ || Get32(span, 4) != firstFree_ || Get32(span, 8) != freeBlocks_)
    return true;
  for (const Tag& t : tags_) {
    const uint64_t at = static_cast<uint64_t>(t.headerPage) * kPage + 20;
    char serial = 0;
    if (oneRead) serial = span[at - kCounts];
    else file_.ReadAt(at, &serial, 1);
    if (static_cast<uint8_t>(serial) != t.serial) return true;
  }
  return false;
}

void MdxFile::TakeWrites(std::vector<JournalWrite>& out) {
  auto add = [&](uint64_t at, std::string bytes) {
    out.push_back(JournalWrite{JournalTarget::Index, at, std::move(bytes)});
  };
  for (const auto& [page, next] : freedNext_) {
    std::string b(blockBytes_, '\0');
    Put32(b, 4, next);
    add(static_cast<uint64_t>(page) * kPage, std::move(b));
  }
  freedNext_.clear();
  std::vector<bool> changed(tags_.size(), false);
  for (uint32_t page : dirty_) {
    const Node& n = nodes_.at(page);
    changed[static_cast<size_t>(n.tag)] = true;
    add(static_cast<uint64_t>(page) * kPage, Serialize(n));
  }
  dirty_.clear();
  for (size_t i = 0; i < tags_.size(); ++i) {
    Tag& t = tags_[i];
    if (!changed[i] && !t.headerDirty) continue;
    std::string& h = t.header;
    h.resize(kTagHeaderBytes, '\0');
    h[20] = static_cast<char>(++t.serial);
    h[246] = First(static_cast<int>(i)).has_value() ? 1 : 0;
    if (t.headerDirty) {
      Put32(h, 0, t.root);
      Put32(h, 4, (t.blocks + 1) * pagesPerBlock_);  // with the tag's header block
      Put32(h, 248, EdgeLeaf(static_cast<int>(i), false));
      Put32(h, 252, EdgeLeaf(static_cast<int>(i), true));
      t.headerDirty = false;
    }
    add(static_cast<uint64_t>(t.headerPage) * kPage, h);
  }
  // The page counts when they moved, and the update date once a day.
  std::string h(15, '\0');
  Put32(h, 0, pageCount_);
  Put32(h, 4, firstFree_);
  Put32(h, 8, freeBlocks_);
  PutToday(h, 12);
  if (headerDirty_ || h.substr(12) != stamped_) {
    add(32, h);
    stamped_ = h.substr(12);
  }
  headerDirty_ = false;
}

void MdxFile::Flush() {
  std::vector<JournalWrite> writes;
  TakeWrites(writes);
  for (const auto& w : writes) file_.WriteAt(w.offset, w.bytes.data(), w.bytes.size());
}

}  // namespace dbase
