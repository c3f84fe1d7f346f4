#pragma once
// The register's tables and what the tool does to them, in one place: the
// layout of SPIS.DBF (correspondents, tags NR and NAI), GRUPY.DBF (mailing
// groups, tag NAZWAG) and PRZEPO.DBF (predictions, physical order), all
// dBASE IV in Windows-1250, and the operations on a correspondent: adding him
// with his folders, deleting him with his folders and from every group, and
// changing his membership of a group. The register window calls these on its
// open tables; the sample tool, the benchmark and the tests call them without
// a window. Texts are Windows-1250. The operations are handed the part of
// the core they work with: the drive map (files named in what they report),
// the hooks (the step hook) or both.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "correspondent_register/core/core_state.h"
#include "dbase/dbase.h"

namespace zorvel {

inline constexpr char kSpisFile[] = "SPIS.DBF";
inline constexpr char kGrupyFile[] = "GRUPY.DBF";
inline constexpr char kPrzepoFile[] = "PRZEPO.DBF";
inline constexpr char kNumberTag[] = "NR";     // SPIS by number
inline constexpr char kNameTag[] = "NAI";      // SPIS by surname and names
inline constexpr char kGroupTag[] = "NAZWAG";  // GRUPY by name

dbase::TableDef SpisDef();
dbase::TableDef GrupyDef();
dbase::TableDef PrzepoDef();

// The tags the register's layout gives the table file of that path (SPIS,
// GRUPY; none for another), for rebuilding a lost index.
std::vector<dbase::TagDef> RegisterTags(const std::string& path);

// Why a table cannot be written ("" when it can): the table closed, or
// opened read-only (a read-only or damaged file); names the file.
std::string WriteRefusal(const DriveMap& drives, const dbase::Table& table);

// The table is open and has a current row (a row being inserted counts).
bool HasRow(const dbase::Table& t);
// The table is open with that index tag (any case).
bool HasTag(const dbase::Table& t, const std::string& tag);
// This program may not write one of the table's files (or make its journal
// in the table's folder): permissions or a read-only disk, not damage.
bool WriteAccessDenied(const dbase::Table& t);

// Folders are made and removed under mailRoot (see folder_tree.h).
// Adds a correspondent: the number after the highest one (order NR is left
// current), the record inserted with POZIOM 3 and RP 2, the mailbox, the
// activation folder, their markers and the correspondent's folders made and
// flushed, and the record posted last. A folder or marker that cannot be made cancels the
// insert (the error is raised): nobody reaches the register without all his
// folders. The new record stays current. Raises dbase::DbError when SPIS
// cannot be written. Returns the new number.
long AddCorrespondent(const CoreState& core, dbase::Table& spis, const std::string& mailRoot);

// The current correspondent's membership of the current group: the member
// list rebuilt with his number added or taken out and stored in KTO, the
// group left in edit state (posted when the cursor moves or the window
// hides). Returns the refusal ("" when stored): no group or correspondent
// (nor one that another program deleted meanwhile), a number or list the
// flags cannot hold, a list too long for its field, a table that cannot be
// written.
std::string ChangeMembership(const DriveMap& drives, dbase::Table& grupy, dbase::Table& spis,
                             bool add);

// Deletion of the current correspondent: the check, the table writes, and
// his folders removed last, so that a program killed on the way never leaves
// a registered correspondent without his folders (at most spare folders of a
// deleted number). The check makes sure every write can succeed before
// anything is changed: both tables writable, his record and every group row
// lockable, every list valid and fitting its field. It leaves the cursors
// where they were.
struct DeletionPlan {
  long Number = 0;
  dbase::Bookmark Record = 0;
  std::vector<std::pair<dbase::Bookmark, std::string>> Lists;  // group row, new KTO
  std::string Refusal;                                         // "" when the deletion may go on
};
DeletionPlan CheckDeletion(const DriveMap& drives, dbase::Table& spis, dbase::Table& grupy);
// Writes every group's new list (each posted; progress gets the group's
// trimmed name before its write), brings the group cursor back, and deletes
// the correspondent's record.
void WriteDeletion(const RegisterToolHooks& hooks, dbase::Table& spis, dbase::Table& grupy,
                   const DeletionPlan& plan,
                   const std::function<void(const std::string& groupName)>& progress = {});
// The whole deletion without a window: check, writes, folders. Returns the
// refusal ("" when deleted).
std::string DeleteCorrespondent(const CoreState& core, dbase::Table& spis, dbase::Table& grupy,
                                const std::string& mailRoot);

}  // namespace zorvel
