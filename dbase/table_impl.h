#pragma once
// The inside of Table, shared by its source files.
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dbase/code_page.h"
#include "dbase/dbase.h"
#include "dbase/dbf_format.h"
#include "dbase/file_io.h"
#include "dbase/mdx_file.h"
#include "dbase/memo_file.h"

namespace dbase {

// How one tag's key is built from a record.
struct KeyPlan {
  bool usable = false;
  std::string problem;      // why the key cannot be built
  char keyType = 'C';
  std::vector<int> fields;  // in the record layout
  int keyLength = 0;
};

std::string MdxPathFor(const std::string& dbfPath);
std::string DbtPathFor(const std::string& dbfPath);
// Parses "FIELD" or "A+B+C" against the fields; the plan says what is wrong.
KeyPlan PlanKey(const std::vector<FieldLayout>& fields, const std::string& expression);
std::string BuildKey(const KeyPlan& plan, const std::vector<FieldLayout>& fields, const std::string& record);

struct Table::Impl {
  Table* owner = nullptr;
  std::string path;
  ShareMode mode = ShareMode::Shared;
  bool active = false;
  File dbf;
  MemoFile memo;
  MdxFile mdx;
  DbfHeader header;
  std::vector<FieldDef> defs;  // the fields as the interface gives them
  std::unique_ptr<CodePage> codePage;
  std::vector<KeyPlan> plans;  // one per tag of the .MDX
  std::string readOnlyReason;
  std::string damage;  // why the table file is damaged (found by LoadHeader)
  mutable std::string reasonShown;  // the reason in Windows-1250

  // Cursor.
  std::string indexName;
  int tag = -1;
  uint32_t recno = 0;
  std::string record;  // the current row as stored
  bool bof = true, eof = true;
  DataState state = DataState::Inactive;
  std::string buffer;                 // edit/insert buffer, as stored
  std::map<int, std::string> memos;   // memo fields set in the buffer (program text)
  bool modified = false;
  uint32_t savedRecno = 0;            // the row current before an insert

  // What the files looked like after our last look.
  File::Stamp dbfStamp, mdxStamp;
  uint32_t deletedCount = 0;

  std::vector<std::pair<int, Observer>> observers;
  int nextObserver = 1;

  void Notify(DataEvent e, const std::string& field = {});
  void RequireActive() const;
  const FieldLayout& FieldAt(std::string_view name) const;
  int FieldNo(std::string_view name) const;
  std::string ReadRecord(uint32_t n) const;
  static bool IsDeleted(const std::string& rec) { return !rec.empty() && rec[0] == '*'; }
  void LoadHeader();
  void CountDeleted();
  // Strict: also asks the files themselves (under the table's write lock,
  // before anything is written from what is in memory).
  void CheckFresh(bool strict = false);
  // Between single steps the files are looked at every 100 ms at most.
  void CheckFreshWhileStepping();
  std::chrono::steady_clock::time_point lastCheck{};
  void MarkFresh();
  // Positioning.
  // The next live row in the current order; its bytes land in found.
  std::optional<uint32_t> Step(uint32_t from, const std::string& fromRecord, bool forward,
                               std::string* found = nullptr);
  std::optional<uint32_t> Edge(bool last, std::string* found);
  void SetCurrent(uint32_t n, std::string* known = nullptr);
  // Walk guard: a tag that disagrees with its table can lead Next or Prior
  // back to a row this walk has shown; that raises BadFormat instead of
  // walking for ever. A walk starts anew after any other move or change.
  void GuardWalk(bool forward, uint32_t to);
  std::set<uint32_t> walked;
  bool walkForward = true;
  uint32_t walkLast = 0;
  uint64_t walkSerial = 0, dataSerial = 0;
  void ClearCurrent();
  void BrowseMode();  // post if modified, else cancel
  // Writing.
  void RequireWritable() const;
  void WriteHeaderCounts();
  void PostEdit();
  void PostInsert();
  std::string KeyOf(int t, const std::string& rec) const { return BuildKey(plans[static_cast<size_t>(t)], header.fields, rec); }
  const std::string& Shown() const { return state == DataState::Browse || state == DataState::Inactive ? record : buffer; }
  void OpenFiles(const std::string& p, ShareMode m);
  // Finishes a pack that stopped after its new files were complete (only
  // under the exclusive open lock).
  static void RecoverPack(const std::string& dbfPath);
  // Opens the table file holding its open lock (shared or exclusive), after
  // finishing or clearing away what a pack that is gone left behind.
  static File OpenLocked(const std::string& dbfPath, ShareMode mode);
  void CloseFiles();
};

}  // namespace dbase
