// The cursor: the current row, the index order, moving through it and
// finding rows, and re-reading the files when others wrote them.
#include <cstdlib>
#include <unordered_set>

#include "dbase/table_impl.h"

namespace dbase {

std::optional<uint32_t> Table::Impl::Edge(bool last, std::string* found, std::string* foundKey) {
  if (tag < 0) {
    if (header.recordCount == 0) return std::nullopt;
    uint32_t n = last ? header.recordCount : 1;
    std::string rec = ReadRecord(n);
    if (!rec.empty() && !IsDeleted(rec)) {
      if (found) *found = std::move(rec);
      return n;
    }
    return Step(n, {}, !last, found);
  }
  auto e = last ? mdx.Last(tag) : mdx.First(tag);
  if (!e) return std::nullopt;
  std::string rec = ReadRecord(e->recno);
  if (!rec.empty() && !IsDeleted(rec)) {
    if (found) *found = std::move(rec);
    if (foundKey) *foundKey = e->key;
    return e->recno;
  }
  return Step(e->recno, e->key, !last, found, foundKey);
}

std::optional<uint32_t> Table::Impl::Step(uint32_t from, const std::string& fromKey, bool forward,
                                          std::string* found, std::string* foundKey) {
  if (tag < 0) {
    uint32_t n = from;
    for (;;) {
      if (forward ? n >= header.recordCount : n <= 1) return std::nullopt;
      n = forward ? n + 1 : n - 1;
      std::string rec = ReadRecord(n);
      if (!rec.empty() && !IsDeleted(rec)) {
        if (found) *found = std::move(rec);
        return n;
      }
    }
  }
  // Each entry comes strictly after (before) the one before it.
  auto e = forward ? mdx.Next(tag, fromKey, from) : mdx.Prior(tag, fromKey, from);
  while (e) {
    std::string rec = ReadRecord(e->recno);
    if (!rec.empty() && !IsDeleted(rec)) {
      if (found) *found = std::move(rec);
      if (foundKey) *foundKey = e->key;
      return e->recno;
    }
    e = forward ? mdx.Next(tag, e->key, e->recno) : mdx.Prior(tag, e->key, e->recno);
  }
  return std::nullopt;
}

std::string Table::Impl::PositionKey() const {
  if (tag < 0) return {};
  if (entryKey) return *entryKey;
  return record.empty() ? std::string() : KeyOf(tag, record);
}

void Table::Impl::SetCurrent(uint32_t n, std::string* known, std::optional<std::string> key) {
  recno = n;
  record = known ? std::move(*known) : ReadRecord(n);
  entryKey = std::move(key);
  Notify(DataEvent::Scrolled);
}

void Table::Impl::ClearCurrent() {
  recno = 0;
  record.clear();
  entryKey.reset();
  bof = eof = true;
  Notify(DataEvent::Scrolled);
}

void Table::Impl::BrowseMode() {
  if (state == DataState::Edit || state == DataState::Insert) {
    if (modified) owner->Post();
    else owner->Cancel();
  }
}

void Table::SetIndexName(const std::string& name) {
  impl_->RequireActive();
  impl_->BrowseMode();
  std::string wanted = Upper(Trim(name));
  if (wanted.empty()) {
    impl_->tag = -1;
    impl_->indexName.clear();
  } else {
    int t = impl_->mdx.IsOpen() ? impl_->mdx.FindTag(wanted) : -1;
    if (t < 0)
      throw DbError(ErrorCode::TagNotFound,
                    "Brak znacznika indeksu " + name + " dla tabeli " + impl_->path);
    const KeyPlan& plan = impl_->plans[static_cast<size_t>(t)];
    if (!plan.usable)
      throw DbError(ErrorCode::BadFormat,
                    "Znacznik " + wanted + " tabeli " + impl_->path + ": " + plan.problem);
    impl_->tag = t;
    impl_->indexName = wanted;
  }
  impl_->entryKey.reset();
  impl_->Notify(DataEvent::DataChanged);
}

const std::string& Table::IndexName() const { return impl_->indexName; }

namespace {

// Moves to the first or the last row in the current order (both flags set
// where the order ends, as a dataset that was moved to its edge reports).
void GoToEdge(Table::Impl& t, bool last) {
  t.RequireActive();
  t.BrowseMode();
  t.CheckFresh();
  std::string rec, key;
  if (auto r = t.Edge(last, &rec, &key)) {
    t.SetCurrent(*r, &rec, key);
    t.bof = !last;
    t.eof = last;
  } else {
    t.ClearCurrent();
  }
}

}  // namespace

void Table::First() { GoToEdge(*impl_, false); }

void Table::Last() { GoToEdge(*impl_, true); }

namespace {

// Moves one row on in the current order; at the order's end the row stays
// and the end's flag is set.
void StepOne(Table::Impl& t, bool forward) {
  t.RequireActive();
  t.BrowseMode();
  t.CheckFreshWhileStepping();
  bool& end = forward ? t.eof : t.bof;
  if (t.recno == 0) {
    end = true;
    return;
  }
  std::string rec, key;
  if (auto r = t.Step(t.recno, t.PositionKey(), forward, &rec, &key)) {
    t.SetCurrent(*r, &rec, key);
    t.bof = t.eof = false;
  } else {
    end = true;
  }
}

}  // namespace

void Table::Next() { StepOne(*impl_, true); }

void Table::Prior() { StepOne(*impl_, false); }

bool Table::Eof() const { return impl_->eof; }
bool Table::Bof() const { return impl_->bof; }
bool Table::IsEmpty() const { return RecordCount() == 0; }

namespace {
bool SameValue(const FieldDef& f, const std::string& stored, const std::string& wanted) {
  if (stored == wanted) return true;
  if ((f.type == FieldType::Numeric || f.type == FieldType::Float) && !stored.empty() &&
      !wanted.empty()) {
    char* end1 = nullptr;
    char* end2 = nullptr;
    double a = std::strtod(stored.c_str(), &end1), b = std::strtod(wanted.c_str(), &end2);
    return *end1 == '\0' && *end2 == '\0' && a == b;
  }
  return false;
}
}  // namespace

std::vector<Bookmark> Table::Bookmarks() const {
  std::vector<Bookmark> rows;
  if (!impl_->active) return rows;
  impl_->CheckFresh();
  // A row with two entries in a stale tag is listed once.
  std::unordered_set<Bookmark> seen;
  std::string key;
  for (auto r = impl_->Edge(false, nullptr, &key); r; r = impl_->Step(*r, key, true, nullptr, &key))
    if (seen.insert(*r).second) rows.push_back(*r);
  return rows;
}

std::string Table::AsStringAt(Bookmark row, std::string_view field) const {
  const FieldLayout& f = impl_->FieldAt(field);
  if (row == impl_->recno) return AsString(field);
  impl_->CheckFresh();
  std::string rec = impl_->ReadRecord(row);
  if (rec.empty() || Impl::IsDeleted(rec))
    throw DbError(ErrorCode::NoRecord,
                  "Rekord " + std::to_string(row) + " tabeli " + impl_->path + " nie istnieje");
  return impl_->ValueOf(f, rec);
}

bool Table::Locate(const std::string& field, const std::string& value) {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->CheckFresh();
  const FieldLayout& f = impl_->FieldAt(field);
  std::string wanted = Trim(value);
  std::string rec, key;
  for (auto r = impl_->Edge(false, &rec, &key); r; r = impl_->Step(*r, key, true, &rec, &key)) {
    if (SameValue(f.def, Trim(impl_->ValueOf(f, rec)), wanted)) {
      impl_->SetCurrent(*r, &rec, key);
      impl_->bof = impl_->eof = false;
      return true;
    }
  }
  return false;
}

Bookmark Table::GetBookmark() const { return impl_->recno; }

void Table::GotoBookmark(Bookmark b) {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->CheckFresh();
  std::string rec = impl_->ReadRecord(b);
  if (rec.empty() || Impl::IsDeleted(rec))
    throw DbError(ErrorCode::NoRecord,
                  "Rekord " + std::to_string(b) + " tabeli " + impl_->path + " nie istnieje");
  impl_->SetCurrent(b);
  impl_->bof = impl_->eof = false;
}

uint32_t Table::RecNo() const { return impl_->recno; }

uint32_t Table::RecordCount() const {
  if (!impl_->active) return 0;
  impl_->CheckFresh();
  return impl_->header.recordCount - impl_->deletedCount;
}

void Table::Refresh() {
  impl_->RequireActive();
  impl_->BrowseMode();
  impl_->dbfStamp = {};
  impl_->mdxStamp = {};
  impl_->CheckFresh();
  std::string rec = impl_->ReadRecord(impl_->recno);
  if (impl_->recno != 0 && (rec.empty() || Impl::IsDeleted(rec))) {
    std::string from = impl_->PositionKey(), key;
    auto r = impl_->Step(impl_->recno, from, true, nullptr, &key);
    if (!r) r = impl_->Step(impl_->recno, from, false, nullptr, &key);
    if (r) impl_->SetCurrent(*r, nullptr, key);
    else impl_->ClearCurrent();
  } else if (impl_->recno != 0) {
    if (rec != impl_->record) impl_->entryKey.reset();
    impl_->record = rec;
  } else if (std::string key; auto r = impl_->Edge(false, nullptr, &key)) {
    impl_->SetCurrent(*r, nullptr, key);
    impl_->bof = impl_->eof = false;
  }
  impl_->Notify(DataEvent::DataChanged);
}

}  // namespace dbase
