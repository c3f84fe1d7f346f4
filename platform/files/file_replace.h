#pragma once
// Writing whole files so that a reader sees either the old file or the whole
// new one.
#include <filesystem>
#include <string_view>

namespace platform {

// Writes every byte, going on after an interrupted write. False on a failure,
// errno telling why.
bool WriteAll(int fd, std::string_view bytes);

// Flushes a folder: the names made, renamed or removed in it reach the disk.
// 0 on success (also where the file system has nothing to flush for a
// folder), else the errno of the step that failed.
int SyncFolder(const std::filesystem::path& folder);

// Replaces the file at `path` by one holding `content`: a temporary file in
// the same folder is written and flushed, renamed over the path and the
// folder flushed, so the replacement survives a crash. A link at `path` is
// replaced itself, not the file it points at. A replaced regular file's
// permissions stay (a new file gets 0666 less the umask). 0 on success, else
// the errno of the step that failed; the old file and the folder are then as
// they were.
int ReplaceFile(const std::filesystem::path& path, std::string_view content);

}  // namespace platform
