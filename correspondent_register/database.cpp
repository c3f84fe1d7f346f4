#include "correspondent_register/database.h"

#include "correspondent_register/core/drive_map.h"
#include "dbase/dbase.h"
#include "platform/text/cp1250.h"

namespace zorvel {

void Database::SetParams(const std::string& dataDir) {
  Params = {"Path=" + dataDir, "type=files", "level=25"};
}

std::string Database::Path() const {
  for (const std::string& line : Params) {
    if (line.rfind("Path=", 0) == 0) return line.substr(5);
  }
  return std::string();
}

std::string Database::TableHostPath(const DriveMap& drives, const std::string& tableName) const {
  const std::string windowsPath = Path() + "\\" + tableName;
  if (auto host = drives.HostPath(windowsPath)) return host->string();
  throw dbase::DbError(dbase::ErrorCode::FileNotFound,
                       "Nie mogę otworzyć tabeli " + platform::Utf8FromCp1250(windowsPath));
}

}  // namespace zorvel
