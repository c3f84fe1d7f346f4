#pragma once
// File work on Windows paths, through the drive map handed in. Folder work
// reports success as a boolean, as unchecked input/output does; the one-line
// files raise InOutError.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "correspondent_register/core/drive_map.h"

namespace zorvel {

// A failed read or write of a file. The message (Windows-1250) names the file
// and the reason; ErrorCode is the nearest Windows error number.
class InOutError : public std::runtime_error {
 public:
  InOutError(const std::string& message, uint32_t errorCode)
      : std::runtime_error(message), ErrorCode(errorCode) {}
  uint32_t ErrorCode;
};

bool FileExists(const DriveMap& drives, std::string_view path);  // a file, not a folder
bool DirectoryExists(const DriveMap& drives, std::string_view path);
// Makes one folder whose parent exists; false when it exists already or
// cannot be made.
bool CreateFolder(const DriveMap& drives, std::string_view path);
// Makes a folder together with its missing parents.
bool ForceFolders(const DriveMap& drives, std::string_view path);
// Deletes a file (never a folder).
bool DeleteFile(const DriveMap& drives, std::string_view path);
// Removes an empty folder.
bool RemoveFolder(const DriveMap& drives, std::string_view path);
// Names of the sub-folders of a folder in the program's code page, sorted
// without regard to case; names that the code page cannot hold are left out.
std::vector<std::string> Subfolders(const DriveMap& drives, std::string_view path);

// The first line of a text file: the bytes up to the first CR or LF or the
// end. A file that cannot be opened (missing, a folder or other non-file, no
// access, unmapped drive) gives the empty string; a failing read raises
// InOutError.
std::string ReadFirstLine(const DriveMap& drives, std::string_view path);
// Replaces the file by one holding text followed by CR LF. The new content is
// written to a temporary file beside it and renamed over the old one, so a
// reader sees either the old file or the whole new one. The folder must
// exist. Failures raise InOutError and leave any old file as it was.
void WriteSingleLine(const DriveMap& drives, std::string_view path, std::string_view text);

// Leading and trailing blanks and control characters removed.
std::string TrimLine(std::string_view text);

}  // namespace zorvel
