#include "correspondent_register/core/win_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/texts.h"
#include "platform/files/file_replace.h"
#include "platform/text/cp1250.h"
#include "platform/win_errors.h"

namespace fs = std::filesystem;

namespace zorvel {

namespace {

constexpr uint32_t kErrorPathNotFound = 3;

fs::file_type TypeOf(const DriveMap& drives, std::string_view path) {
  std::optional<fs::path> host = drives.HostPath(path);
  if (!host) return fs::file_type::not_found;
  std::error_code ec;
  fs::file_status status = fs::status(*host, ec);
  return ec ? fs::file_type::not_found : status.type();
}

// Makes the root folder of a drive that stands in for the user's own disk.
void EnsureDriveRoot(const DriveMap& drives, std::string_view path) {
  char letter = 'C';
  if (path.size() >= 2 && path[1] == ':') letter = path[0];
  if (!drives.CreatesRoot(letter)) return;
  std::error_code ec;
  fs::create_directories(*drives.Root(letter), ec);
}

std::string Reason(int err) { return SystemErrorText(err); }

[[noreturn]] void RaiseWriteError(std::string_view path, int err) {
  throw InOutError(platform::Cp1250FromUtf8("Nie można zapisać pliku ") + std::string(path) + " (" +
                       Reason(err) + ")",
                   platform::WinErrorFromErrno(err));
}

[[noreturn]] void RaiseReadError(std::string_view path, int err) {
  throw InOutError(platform::Cp1250FromUtf8("Błąd odczytu pliku ") + std::string(path) + " (" +
                       Reason(err) + ")",
                   platform::WinErrorFromErrno(err));
}

}  // namespace

bool FileExists(const DriveMap& drives, std::string_view path) {
  fs::file_type type = TypeOf(drives, path);
  return type != fs::file_type::not_found && type != fs::file_type::directory &&
         type != fs::file_type::none;
}

bool DirectoryExists(const DriveMap& drives, std::string_view path) {
  return TypeOf(drives, path) == fs::file_type::directory;
}

bool CreateFolder(const DriveMap& drives, std::string_view path) {
  EnsureDriveRoot(drives, path);
  std::optional<fs::path> host = drives.HostPath(path);
  if (!host) return false;
  return ::mkdir(host->c_str(), 0777) == 0;
}

bool ForceFolders(const DriveMap& drives, std::string_view path) {
  EnsureDriveRoot(drives, path);
  std::optional<fs::path> host = drives.HostPath(path);
  if (!host) return false;
  std::error_code ec;
  fs::create_directories(*host, ec);
  return !ec && fs::is_directory(*host, ec);
}

bool DeleteFile(const DriveMap& drives, std::string_view path) {
  std::optional<fs::path> host = drives.HostPath(path);
  if (!host) return false;
  std::error_code ec;
  if (fs::symlink_status(*host, ec).type() == fs::file_type::directory) return false;
  return ::unlink(host->c_str()) == 0;
}

bool RemoveFolder(const DriveMap& drives, std::string_view path) {
  std::optional<fs::path> host = drives.HostPath(path);
  if (!host) return false;
  return ::rmdir(host->c_str()) == 0;
}

std::vector<std::string> Subfolders(const DriveMap& drives, std::string_view path) {
  std::vector<std::string> names;
  std::optional<fs::path> host = drives.HostPath(path);
  if (!host) return names;
  std::error_code ec;
  fs::directory_iterator it(*host, ec);
  if (ec) return names;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    const std::string hostName = it->path().filename().string();
    std::string name = platform::Cp1250FromUtf8(hostName);
    if (platform::Utf8FromCp1250(name) == hostName) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return FoldCase(a) < FoldCase(b); });
  return names;
}

std::string ReadFirstLine(const DriveMap& drives, std::string_view path) {
  std::optional<fs::path> host = drives.HostPath(path);
  if (!host) return {};
  // Not blocking on a pipe or device: only a plain file is read, as Windows
  // opens no other kind by a file name.
  int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return {};
  }
  std::string line;
  char buffer[512];
  bool done = false;
  while (!done) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      RaiseReadError(path, err);
    }
    if (n == 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] == '\r' || buffer[i] == '\n') {
        done = true;
        break;
      }
      line += buffer[i];
    }
  }
  if (::close(fd) != 0 && errno != EINTR) RaiseReadError(path, errno);
  return line;
}

void WriteSingleLine(const DriveMap& drives, std::string_view path, std::string_view text) {
  std::optional<fs::path> host = drives.HostPath(path);
  if (!host)
    throw InOutError(platform::Cp1250FromUtf8("Nie można zapisać pliku ") + std::string(path) +
                         platform::Cp1250FromUtf8(" (brak dysku)"),
                     kErrorPathNotFound);
  std::string content(text);
  content += "\r\n";
  // A replaced file keeps its permissions (the mail system's peers read it).
  if (const int err = platform::ReplaceFile(*host, content)) RaiseWriteError(path, err);
}

std::string TrimLine(std::string_view text) {
  auto blank = [](char ch) { return static_cast<unsigned char>(ch) <= 0x20; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace zorvel
