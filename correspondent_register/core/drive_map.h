#pragma once
// The tool's paths are Windows paths ("C:\Marvolt", "F:\Poczta\Skrzynki\12")
// and stay so inside the program. Only here are they turned into host paths:
// each drive letter is mapped to a host folder (ZORVEL_DRIVES, for example
// "C=/srv/c,F=/mnt/poczta"), and each component is matched without regard to
// case against the names that exist, as the mail system's peers expect of a
// Windows share. Paths are Windows-1250 strings; host names are UTF-8.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvel {

class DriveMap {
 public:
  // Reads ZORVEL_DRIVES; drive C, unless mapped there, is the folder
  // zorvel/C under the user's data directory, made when first needed.
  // Entries that cannot be read are reported on standard error and skipped.
  static DriveMap FromEnvironment();
  // Parses "X=/host/folder,Y=..." (letters in any case). Relative host folders
  // are taken from the current directory. Unreadable entries go to problems.
  static DriveMap Parse(std::string_view mapping, std::vector<std::string>* problems = nullptr);
  // The folder that stands for C when ZORVEL_DRIVES does not name C.
  static std::filesystem::path DefaultDriveC();

  // Maps a drive; with createRoot the host folder is made when a folder is
  // created on that drive and the root is missing.
  void Map(char letter, std::filesystem::path hostRoot, bool createRoot = false);
  std::optional<std::filesystem::path> Root(char letter) const;
  bool CreatesRoot(char letter) const;
  // Mapped drive letters, upper case, in order.
  std::vector<char> Letters() const;

  // The host path of a Windows path. Existing components are matched without
  // regard to case (an exact match first); the rest is appended as written, so
  // that the result also names what is about to be created. "." and ".." are
  // resolved by name, never above the drive's root; empty components are
  // skipped. A path without a drive ("\Naczelnik", "Poczta") lies on drive C,
  // the program's current drive. nullopt: unmapped drive, UNC or device path,
  // or a component with a character Windows does not allow in a name.
  std::optional<std::filesystem::path> HostPath(std::string_view windowsPath) const;
  // The other way, for what the user reads: every host path under a mapped
  // drive's root in a text (Windows-1250) written as the Windows path the
  // tool knows ("/srv/poczta/Skrzynki/7" as "F:\Skrzynki\7"). A path ends at
  // a blank, a quote, a bracket, a colon, a comma or the end of a line.
  std::string WithWindowsPaths(std::string_view text) const;

 private:
  struct Drive {
    std::filesystem::path root;
    bool createRoot = false;
  };
  std::map<char, Drive> drives_;
};

// Case folding of Windows-1250 text as Windows compares file names: ASCII and
// the accented letters of the code page.
std::string FoldCase(std::string_view cp1250);

}  // namespace zorvel
