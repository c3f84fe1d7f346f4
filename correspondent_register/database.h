#pragma once
// A database connection of the tool: a name and the parameter lines that
// point it at the register folder ("Path=" + folder, "type=files",
// "level=25"). Tables are opened from its path through the drive map.
#include <string>
#include <vector>

namespace zorvel {

class DriveMap;

struct Database {
  std::string DatabaseName;
  std::vector<std::string> Params;
  bool Connected = false;

  // The three parameter lines for a register folder.
  void SetParams(const std::string& dataDir);
  void Connect() { Connected = true; }
  void Disconnect() { Connected = false; }
  // The folder of the "Path=" line.
  std::string Path() const;
  // The host path of a table of this database; raises dbase::DbError
  // (FileNotFound) when the folder lies on no mapped drive.
  std::string TableHostPath(const DriveMap& drives, const std::string& tableName) const;
};

}  // namespace zorvel
