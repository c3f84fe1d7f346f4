// Field values of the current row or of the edit buffer: read in the
// program's code page, and set with their checks.
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "dbase/table_impl.h"

namespace dbase {

std::string Table::Impl::ValueOf(const FieldLayout& f, const std::string& rec) const {
  if (rec.empty()) return {};
  std::string stored = rec.substr(1 + f.offset, static_cast<size_t>(f.def.length));
  if (f.def.type == FieldType::Memo) return codePage->ToProgram(memo.Read(MemoBlock(stored)));
  if (f.def.type == FieldType::Character) return codePage->ToProgram(TrimRight(stored));
  return DecodeValue(f.def, stored);
}

std::string Table::AsString(std::string_view field) const {
  const FieldLayout& f = impl_->FieldAt(field);
  const int no = static_cast<int>(&f - impl_->header.fields.data());
  if (f.def.type == FieldType::Memo && impl_->state != DataState::Browse) {
    auto it = impl_->memos.find(no);
    if (it != impl_->memos.end()) return impl_->codePage->ToProgram(it->second);
  }
  return impl_->ValueOf(f, impl_->Shown());
}

int64_t Table::AsInteger(std::string_view field) const {
  const FieldLayout& f = impl_->FieldAt(field);
  std::string v = Trim(AsString(field));
  if (v.empty()) return 0;
  switch (f.def.type) {
    case FieldType::Logical: return v == "T" ? 1 : 0;
    case FieldType::Date:
    case FieldType::Memo:
      throw DbError(ErrorCode::InvalidValue, "Pole " + f.def.name + " nie jest liczbą");
    default: break;
  }
  int64_t n = 0;
  auto r = std::from_chars(v.data(), v.data() + v.size(), n);
  if (r.ec == std::errc() && r.ptr == v.data() + v.size()) return n;
  char* end = nullptr;
  double d = std::strtod(v.c_str(), &end);
  if (end == v.c_str() + v.size() && std::isfinite(d) && std::fabs(d) < 9.2e18)
    return std::llround(d);
  throw DbError(ErrorCode::InvalidValue,
                "Wartość \"" + v + "\" pola " + f.def.name + " nie jest liczbą całkowitą");
}

bool Table::IsNull(std::string_view field) const {
  const FieldLayout& f = impl_->FieldAt(field);
  int no = static_cast<int>(&f - impl_->header.fields.data());
  if (f.def.type == FieldType::Memo && impl_->state != DataState::Browse) {
    auto it = impl_->memos.find(no);
    if (it != impl_->memos.end()) return it->second.empty();
  }
  const std::string& rec = impl_->Shown();
  if (rec.empty()) return true;
  std::string stored = rec.substr(1 + f.offset, static_cast<size_t>(f.def.length));
  if (f.def.type == FieldType::Memo) return MemoBlock(stored) == 0;
  if (f.def.type == FieldType::Logical) return DecodeValue(f.def, stored).empty();
  return IsBlank(stored);
}

namespace {
void RequireEditing(const Table::Impl& t) {
  t.RequireActive();
  if (t.state != DataState::Edit && t.state != DataState::Insert)
    throw DbError(ErrorCode::NotEditing,
                  "Tabela " + t.path + " nie jest w trybie edycji ani wstawiania");
}
}  // namespace

void Table::SetString(std::string_view field, const std::string& value) {
  const FieldLayout& f = impl_->FieldAt(field);
  RequireEditing(*impl_);
  int no = static_cast<int>(&f - impl_->header.fields.data());
  std::string stored;
  bool representable = impl_->codePage->ToStored(value, stored);
  if (f.def.type == FieldType::Memo || f.def.type == FieldType::Character) {
    if (!representable)
      throw DbError(ErrorCode::InvalidValue,
                    "Tekst pola " + f.def.name + " ma znaki spoza strony kodowej tabeli");
  }
  if (f.def.type == FieldType::Memo) {
    if (impl_->header.level == TableLevel::DBase3 && stored.find('\x1A') != std::string::npos)
      throw DbError(ErrorCode::InvalidValue, "Notatka dBASE III nie może zawierać znaku 0x1A");
    impl_->memos[no] = stored;
  } else {
    std::string encoded = EncodeText(f.def, f.def.type == FieldType::Character ? stored : value);
    impl_->buffer.replace(1 + f.offset, static_cast<size_t>(f.def.length), encoded);
  }
  impl_->modified = true;
  impl_->Notify(DataEvent::FieldChanged, f.def.name);
}

void Table::SetInteger(std::string_view field, int64_t value) {
  const FieldLayout& f = impl_->FieldAt(field);
  RequireEditing(*impl_);
  if (f.def.type == FieldType::Character) return SetString(field, std::to_string(value));
  std::string encoded = EncodeInteger(f.def, value);
  impl_->buffer.replace(1 + f.offset, static_cast<size_t>(f.def.length), encoded);
  impl_->modified = true;
  impl_->Notify(DataEvent::FieldChanged, f.def.name);
}

}  // namespace dbase
