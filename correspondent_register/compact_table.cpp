#include "correspondent_register/compact_table.h"

#include "correspondent_register/core/register_tables.h"
#include "platform/text/cp1250.h"

// The engine's errors take their messages in UTF-8.

namespace zorvel {

dbase::Table::PackReport CompactTable(dbase::Table& table, const std::string& name) {
  if (!table.Active()) {
    throw dbase::DbError(
        dbase::ErrorCode::NotActive,
        "Tablica \"" + platform::Utf8FromCp1250(name) + "\" musi być otwarta ....");
  }
  if (table.Mode() != dbase::ShareMode::Exclusive) {
    throw dbase::DbError(dbase::ErrorCode::NotExclusive,
                         "Tablica \"" + platform::Utf8FromCp1250(name) +
                             "\" do pakowania musi być otwarta excl....");
  }
  // Every table of this engine is a dBASE table: packed with its index tags
  // regenerated.
  return table.Pack(RegisterTags(table.Path()));  // ends on the first row
}

}  // namespace zorvel
