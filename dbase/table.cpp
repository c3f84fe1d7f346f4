// Table: what its source files share (the index keys, fields by name, the
// current row's bytes), and its observers. See table_impl.h for the others.
#include <dirent.h>
#include <strings.h>

#include "dbase/table_impl.h"
#include "platform/text/cp1250.h"

namespace dbase {

DbError::DbError(ErrorCode code, const std::string& message)
    : std::runtime_error(platform::Cp1250FromUtf8(message)), code_(code) {}

namespace {

// The sibling file with another extension: an existing one matched without
// regard to case, else the extension in the case of the table's.
std::string SiblingPath(const std::string& dbfPath, const char* upperExt) {
  const std::string name = NameOf(dbfPath), stem = StemOf(name);
  const size_t dot = name.find_last_of('.');
  const std::string wanted = stem + upperExt;
  if (DIR* d = opendir(FolderOf(dbfPath).c_str())) {
    std::string found;
    while (dirent* e = readdir(d)) {
      if (strcasecmp(e->d_name, wanted.c_str()) == 0) {
        found = e->d_name;
        break;
      }
    }
    closedir(d);
    if (!found.empty()) return Beside(dbfPath, found);
  }
  const bool lower = dot != std::string::npos && name[dot + 1] >= 'a' && name[dot + 1] <= 'z';
  std::string e = upperExt;
  if (lower)
    for (auto& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Beside(dbfPath, stem + e);
}

}  // namespace

std::string MdxPathFor(const std::string& dbfPath) { return SiblingPath(dbfPath, ".MDX"); }
std::string DbtPathFor(const std::string& dbfPath) { return SiblingPath(dbfPath, ".DBT"); }

KeyPlan PlanKey(const std::vector<FieldLayout>& fields, const std::string& expression) {
  KeyPlan plan;
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t plus = expression.find('+', start);
    parts.push_back(Upper(Trim(
        expression.substr(start, plus == std::string::npos ? std::string::npos : plus - start))));
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  for (const auto& p : parts) {
    int found = -1;
    for (size_t i = 0; i < fields.size(); ++i)
      if (fields[i].def.name == p) found = static_cast<int>(i);
    if (found < 0) {
      plan.problem = "nieobsługiwane wyrażenie klucza \"" + expression + "\"";
      return plan;
    }
    plan.fields.push_back(found);
  }
  const FieldDef& first = fields[static_cast<size_t>(plan.fields[0])].def;
  if (plan.fields.size() == 1 &&
      (first.type == FieldType::Numeric || first.type == FieldType::Float)) {
    plan.keyType = 'N';
    plan.keyLength = 12;
  } else {
    for (int f : plan.fields) {
      const FieldDef& d = fields[static_cast<size_t>(f)].def;
      if (d.type != FieldType::Character) {
        plan.problem =
            "klucz \"" + expression + "\" z polem " + d.name + " tego typu nie jest obsługiwany";
        return plan;
      }
      plan.keyLength += d.length;
    }
    plan.keyType = 'C';
    if (plan.keyLength > 100) {
      plan.problem = "klucz \"" + expression + "\" jest dłuższy niż 100 znaków";
      return plan;
    }
  }
  plan.usable = true;
  return plan;
}

std::string BuildKey(const KeyPlan& plan, const std::vector<FieldLayout>& fields,
                     const std::string& record) {
  if (plan.keyType == 'N') {
    const FieldLayout& f = fields[static_cast<size_t>(plan.fields[0])];
    return NumericKey(record.substr(1 + f.offset, static_cast<size_t>(f.def.length)));
  }
  std::string key;
  for (int i : plan.fields) {
    const FieldLayout& f = fields[static_cast<size_t>(i)];
    key += record.substr(1 + f.offset, static_cast<size_t>(f.def.length));
  }
  return key;
}

// ---------------------------------------------------------------------------

void Table::Impl::Notify(DataEvent e, const std::string& field) {
  auto copy = observers;  // an observer may remove itself
  for (auto& [id, o] : copy) o(e, field);
}

void Table::Impl::RequireActive() const {
  if (!active)
    throw DbError(ErrorCode::NotActive, path.empty() ? "Tabela nie jest otwarta"
                                                     : "Tabela " + path + " nie jest otwarta");
}

int Table::Impl::FieldNo(std::string_view name) const {
  // Names as the program writes them (upper case, no blanks) match directly.
  for (size_t i = 0; i < header.fields.size(); ++i)
    if (header.fields[i].def.name == name) return static_cast<int>(i);
  std::string u = Upper(Trim(name));
  for (size_t i = 0; i < header.fields.size(); ++i)
    if (header.fields[i].def.name == u) return static_cast<int>(i);
  return -1;
}

const FieldLayout& Table::Impl::FieldAt(std::string_view name) const {
  RequireActive();
  int n = FieldNo(name);
  if (n < 0)
    throw DbError(ErrorCode::FieldNotFound, "Brak pola " + std::string(name) + " w tabeli " + path);
  return header.fields[static_cast<size_t>(n)];
}

std::string Table::Impl::ReadRecord(uint32_t n) const {
  if (n == 0 || n > header.recordCount) return {};
  std::string rec(header.recordLength, '\0');
  uint64_t at = header.headerLength + static_cast<uint64_t>(n - 1) * header.recordLength;
  if (dbf.ReadSomeAt(at, rec.data(), rec.size()) != rec.size()) return {};
  return rec;
}

// ---------------------------------------------------------------------------

Table::Table() : impl_(std::make_unique<Impl>()) { impl_->owner = this; }

Table::~Table() {
  if (impl_->active) {
    impl_->state = DataState::Browse;
    impl_->CloseClean();
    impl_->CloseFiles();
  }
}

TableLevel Table::Level() const { return impl_->header.level; }
uint8_t Table::CodePageByte() const { return impl_->header.codePageByte; }

const std::vector<FieldDef>& Table::Fields() const { return impl_->defs; }

int Table::FieldIndex(std::string_view name) const { return impl_->FieldNo(name); }

std::vector<TagDef> Table::Tags() const {
  std::vector<TagDef> tags;
  if (impl_->mdx.IsOpen())
    for (const auto& s : impl_->mdx.Tags()) tags.push_back(TagDef{s.name, s.expression});
  return tags;
}

int Table::AddObserver(Observer o) {
  int id = impl_->nextObserver++;
  impl_->observers.emplace_back(id, std::move(o));
  return id;
}

void Table::RemoveObserver(int id) {
  auto& v = impl_->observers;
  for (auto it = v.begin(); it != v.end(); ++it)
    if (it->first == id) {
      v.erase(it);
      return;
    }
}

}  // namespace dbase
