#pragma once
// The mail folders of a sample mail root: the mail system's parent folders
// and, for every correspondent of the register, his folder tree and marker
// files, made by the register tool's own routines.
#include <string>

namespace register_tables {

// mailRoot is a host folder holding Naczelnik/tovmir/SPIS.DBF. Returns the
// number of correspondents whose folders were made.
int MakeSampleMailFolders(const std::string& mailRoot);

}  // namespace register_tables
