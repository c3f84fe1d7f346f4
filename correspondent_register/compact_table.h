#pragma once
// Packing one table: the deleted rows removed and the index tags rebuilt,
// through the engine's pack (new files renamed over the old ones).
#include <string>

#include "dbase/dbase.h"

namespace zorvel {

// Packs a table that is open for exclusive use and leaves it open, first
// row current. Raises dbase::DbError:
//   Tablica "<name>" musi być otwarta ....             (not open)
//   Tablica "<name>" do pakowania musi być otwarta excl....   (not exclusive)
// and whatever the engine raises while packing. name is the table's
// component name ("Spis", "Grr"). The pack also repairs damage (see
// Table::Pack); the tags of a lost index come from the register's layout
// of that table. Returns what was repaired.
dbase::Table::PackReport CompactTable(dbase::Table& table, const std::string& name);

}  // namespace zorvel
