#include "correspondent_register/core/register_tables.h"

#include <strings.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/folder_tree.h"
#include "correspondent_register/core/member_lists.h"
#include "correspondent_register/core/texts.h"
#include "correspondent_register/core/win_files.h"
#include "dbase/file_io.h"
#include "platform/text/cp1250.h"

namespace zorvel {

using dbase::FieldType;

dbase::TableDef SpisDef() {
  dbase::TableDef def;
  def.fields = {
      {"NR", FieldType::Numeric, 5, 0},           {"POZIOM", FieldType::Numeric, 1, 0},
      {"NAZWISKO", FieldType::Character, 30, 0},  {"IMIONA", FieldType::Character, 30, 0},
      {"RP", FieldType::Numeric, 1, 0},           {"STANOWISKO", FieldType::Character, 60, 0},
      {"EMAIL", FieldType::Character, 50, 0},     {"USERID", FieldType::Character, 20, 0},
      {"SEKRETARKA", FieldType::Character, 1, 0}, {"SUPER_GRUP", FieldType::Character, 10, 0},
      {"MAIL", FieldType::Character, 40, 0},      {"LN", FieldType::Character, 20, 0},
      {"ZAKAZ_OPCJ", FieldType::Character, 1, 0}, {"TELEFON_KO", FieldType::Character, 20, 0},
      {"AKTYWACJA", FieldType::Character, 1, 0},  {"ZDALNY", FieldType::Character, 1, 0},
  };
  def.tags = {{kNumberTag, "NR"}, {kNameTag, "NAZWISKO+IMIONA"}};
  return def;
}

dbase::TableDef GrupyDef() {
  dbase::TableDef def;
  def.fields = {{"NAZWA", FieldType::Character, 40, 0}, {"KTO", FieldType::Memo, 10, 0}};
  def.tags = {{kGroupTag, "NAZWA"}};
  return def;
}

dbase::TableDef PrzepoDef() {
  dbase::TableDef def;
  def.fields = {{"TRESC", FieldType::Memo, 10, 0}};
  return def;
}

std::vector<dbase::TagDef> RegisterTags(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('/') + 1);
  if (strcasecmp(name.c_str(), kSpisFile) == 0) return SpisDef().tags;
  if (strcasecmp(name.c_str(), kGrupyFile) == 0) return GrupyDef().tags;
  return {};
}

bool HasRow(const dbase::Table& t) {
  return t.Active() && (t.State() == dbase::DataState::Insert || !t.IsEmpty());
}

bool HasTag(const dbase::Table& t, const std::string& tag) {
  if (!t.Active()) return false;
  for (const dbase::TagDef& def : t.Tags()) {
    if (strcasecmp(def.name.c_str(), tag.c_str()) == 0) return true;
  }
  return false;
}

bool WriteAccessDenied(const dbase::Table& t) {
  namespace fs = std::filesystem;
  const fs::path table(t.Path());
  const fs::path folder = table.parent_path().empty() ? fs::path(".") : table.parent_path();
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return true;
  // The table's files by their name before the first dot, in any case
  // (SPIS.DBF, spis.dbt, SPIS.MDX, the journal).
  const std::string stem = table.filename().string().substr(0, table.filename().string().find('.'));
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (strcasecmp(name.substr(0, name.find('.')).c_str(), stem.c_str()) != 0) continue;
    if (::access(entry.path().c_str(), W_OK) != 0) return true;
  }
  return false;
}

namespace {

std::string Name(const dbase::Table& grupy) { return TrimLine(grupy.AsString("NAZWA")); }

bool FitsMemberField(const dbase::Table& grupy, const std::string& list) {
  const int i = grupy.FieldIndex("KTO");
  if (i < 0) return true;  // the engine reports the missing field
  const dbase::FieldDef& def = grupy.Fields()[static_cast<size_t>(i)];
  return def.type == FieldType::Memo || static_cast<int>(list.size()) <= def.length;
}

// The message of an engine error with the files named as the tool knows them.
std::string Readable(const DriveMap& drives, const std::exception& e) {
  return drives.WithWindowsPaths(e.what());
}

// The current row can be taken for writing now (no other program holds its
// lock): "" or why not.
std::string LockRefusal(const DriveMap& drives, dbase::Table& t) {
  try {
    t.Edit();
    t.Cancel();
  } catch (const std::exception& e) {
    return Readable(drives, e);
  }
  return std::string();
}

// Two programs adding at once would both take the number after the highest.
// The number is chosen and its row posted holding this byte of SPIS.DBF, an
// open-file-description lock that goes with a killed program, far beyond
// the rows and the engine's own lock bytes.
constexpr uint64_t kNumberLockByte = 0x7FFFFFF0ull;
// Held shared by programs waiting for the number lock: one that comes back
// for its next number lets them go first, so that each gets its turn.
constexpr uint64_t kNumberWaitByte = kNumberLockByte + 1;

class NumberLock {
 public:
  explicit NumberLock(const std::string& spisPath) : file_(dbase::File::Open(spisPath)) {
    // The other program holds it while it makes a mailbox and posts a row.
    bool waiting = false;
    for (int attempt = 0;; ++attempt) {
      if ((waiting || !file_.LockedByOthers(kNumberWaitByte)) &&
          file_.TryLock(kNumberLockByte, true))
        break;
      if (!waiting) waiting = file_.TryLock(kNumberWaitByte, false);
      if (attempt == 300) {
        throw dbase::DbError(
            dbase::ErrorCode::InUse,
            "Tabela " + spisPath + " jest zajęta: inny użytkownik dodaje korespondenta");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (waiting) file_.Unlock(kNumberWaitByte);
  }
  ~NumberLock() { file_.Unlock(kNumberLockByte); }
  NumberLock(const NumberLock&) = delete;
  NumberLock& operator=(const NumberLock&) = delete;

 private:
  dbase::File file_;
};

}  // namespace

std::string WriteRefusal(const DriveMap& drives, const dbase::Table& table) {
  if (!table.Active()) return platform::Cp1250FromUtf8("Tabela nie jest otwarta");
  if (!table.ReadOnly()) return std::string();
  return TableNotWritableText(drives.WithWindowsPaths(table.Path()),
                              drives.WithWindowsPaths(table.ReadOnlyReason()));
}

long AddCorrespondent(const CoreState& core, dbase::Table& spis, const std::string& mailRoot) {
  spis.SetIndexName(kNumberTag);
  long n = 0;
  {
    std::optional<NumberLock> lock;
    if (spis.Active() && !spis.ReadOnly()) lock.emplace(spis.Path());
    spis.Refresh();  // the highest number as posted by now, by anyone
    spis.First();
    spis.Last();
    n = spis.IsEmpty() ? 1 : static_cast<long>(spis.AsInteger("NR")) + 1;
    spis.Insert();
    spis.SetInteger("NR", n);
    spis.SetInteger("POZIOM", 3);
    spis.SetInteger("RP", 2);
    // Every folder and marker before the record: a program killed (or a
    // folder refused) on the way leaves at most spare folders of a number
    // nobody holds, which the next add of that number reuses.
    try {
      CreateMailbox(core, mailRoot, n);
      CreateCorrespondentFolders(core, mailRoot, n);
    } catch (...) {
      spis.Cancel();
      throw;
    }
    spis.Post();
  }
  return n;
}

std::string ChangeMembership(const DriveMap& drives, dbase::Table& grupy, dbase::Table& spis,
                             bool add) {
  if (!HasRow(grupy)) return NoCurrentGroupText();
  if (!HasRow(spis)) return NoCurrentCorrespondentText();
  if (std::string refusal = WriteRefusal(drives, grupy); !refusal.empty()) return refusal;
  if (spis.State() == dbase::DataState::Browse) {
    // The row on screen may be one that another program has deleted since.
    try {
      spis.GotoBookmark(spis.GetBookmark());
    } catch (const std::exception& e) {
      return Readable(drives, e);
    }
  }
  const long n = static_cast<long>(spis.AsInteger("NR"));
  // The list as stored now (the edit reads it afresh under the row's lock):
  // one read before might miss another program's change and overwrite it.
  const bool started = grupy.State() == dbase::DataState::Browse;
  try {
    if (started) grupy.Edit();
  } catch (const std::exception& e) {
    return Readable(drives, e);
  }
  const auto refuse = [&](const std::string& refusal) {
    if (started) grupy.Cancel();
    return refusal;
  };
  std::string list;
  try {
    list = grupy.AsString("KTO");  // a damaged memo cannot be read
  } catch (const std::exception& e) {
    return refuse(Readable(drives, e));
  }
  const MemberListResult r = add ? ListWithMember(list, n) : ListWithoutMember(list, n);
  if (!r.Ok)
    return refuse(r.Error.rfind("Numer", 0) == 0 ? r.Error : BadListText(Name(grupy), r.Error));
  if (!FitsMemberField(grupy, r.List)) return refuse(ListTooLongText(Name(grupy)));
  try {
    grupy.SetString("KTO", r.List);
  } catch (const std::exception& e) {
    return refuse(Readable(drives, e));
  }
  return std::string();
}

DeletionPlan CheckDeletion(const DriveMap& drives, dbase::Table& spis, dbase::Table& grupy) {
  DeletionPlan plan;
  try {
    if (spis.Active()) spis.Post();
    if (grupy.Active()) grupy.Post();
  } catch (const std::exception& e) {
    plan.Refusal = Readable(drives, e);
    return plan;
  }
  if (!HasRow(spis)) {
    plan.Refusal = NoCurrentCorrespondentText();
    return plan;
  }
  plan.Refusal = WriteRefusal(drives, spis);
  if (plan.Refusal.empty()) plan.Refusal = WriteRefusal(drives, grupy);
  if (!plan.Refusal.empty()) return plan;
  plan.Number = static_cast<long>(spis.AsInteger("NR"));
  plan.Record = spis.GetBookmark();
  plan.Refusal = LockRefusal(drives, spis);
  if (!plan.Refusal.empty() || grupy.IsEmpty()) return plan;

  const dbase::Bookmark group = grupy.GetBookmark();
  for (grupy.First(); !grupy.Eof() && plan.Refusal.empty(); grupy.Next()) {
    const std::string list = grupy.IsNull("KTO") ? std::string(",") : grupy.AsString("KTO");
    const MemberListResult r = ListAfterDeletion(list, plan.Number);
    if (!r.Ok) {
      plan.Refusal = BadListText(Name(grupy), r.Error);
    } else if (!FitsMemberField(grupy, r.List)) {
      plan.Refusal = ListTooLongText(Name(grupy));
    } else {
      plan.Refusal = LockRefusal(drives, grupy);
    }
    plan.Lists.emplace_back(grupy.GetBookmark(), r.List);
  }
  if (group != 0) grupy.GotoBookmark(group);
  return plan;
}

void WriteDeletion(const RegisterToolHooks& hooks, dbase::Table& spis, dbase::Table& grupy,
                   const DeletionPlan& plan,
                   const std::function<void(const std::string&)>& progress) {
  if (!plan.Lists.empty()) {
    const dbase::Bookmark group = grupy.GetBookmark();
    for (const auto& [mark, list] : plan.Lists) {
      grupy.GotoBookmark(mark);
      if (progress) progress(Name(grupy));
      grupy.Edit();
      // Another program may have changed the list since the check: his
      // number is taken out of the list as stored now.
      const MemberListResult now = ListAfterDeletion(
          grupy.IsNull("KTO") ? std::string(",") : grupy.AsString("KTO"), plan.Number);
      grupy.SetString("KTO", now.Ok && FitsMemberField(grupy, now.List) ? now.List : list);
      grupy.Post();
      hooks.StepDone();
    }
    grupy.GotoBookmark(group);
  }
  spis.GotoBookmark(plan.Record);
  spis.Delete();
  hooks.StepDone();
}

std::string DeleteCorrespondent(const CoreState& core, dbase::Table& spis, dbase::Table& grupy,
                                const std::string& mailRoot) {
  const DeletionPlan plan = CheckDeletion(core.Drives, spis, grupy);
  if (!plan.Refusal.empty()) return plan.Refusal;
  WriteDeletion(core.Hooks, spis, grupy, plan);
  RemoveMailFolderTree(core, mailRoot, plan.Number);
  return std::string();
}

}  // namespace zorvel
