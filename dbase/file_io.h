#pragma once
// Plain file access for the engine: whole-range reads and writes that raise
// DbError, and open-file-description locks, which conflict between two
// opens of one file even inside one process.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace dbase {

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens for reading and writing, or for reading only where writing is not
  // allowed (writable() tells). A missing file raises FileNotFound.
  static File Open(const std::string& path);
  // Creates a new file; an existing one raises.
  static File Create(const std::string& path);
  // Opens a file that belongs to a table (its journal) as Open does, but
  // never through a symbolic link and only a regular file: another kind
  // raises DbError(ReadOnly) naming the file and what it is.
  static File OpenOwn(const std::string& path);
  // Creates a new file with the permission bits and the group of another
  // open file, so that whoever may write that one may write this one. A
  // group that cannot be given removes the file again and raises.
  static File CreateLike(const std::string& path, const File& like);
  // Gives this file the permission bits and the group of another open file;
  // raises DbError(Io) when the group cannot be given.
  void TakeModeOf(const File& like);

  bool IsOpen() const { return fd_ >= 0; }
  bool Writable() const { return writable_; }
  const std::string& Path() const { return path_; }
  void SetPath(const std::string& path) { path_ = path; }  // after a rename
  void Close();

  // Short reads at the end of the file are errors (BadFormat).
  void ReadAt(uint64_t offset, void* buffer, size_t size) const;
  // Bytes read, fewer at the end of the file.
  size_t ReadSomeAt(uint64_t offset, void* buffer, size_t size) const;
  void WriteAt(uint64_t offset, const void* buffer, size_t size);
  uint64_t Size() const;
  void Truncate(uint64_t size);
  void Sync();
  // The data (and the size) on the disk, without the other metadata.
  void DataSync();
  // The device and inode: which file this is, whatever name it has now
  // (asked once: an open file keeps them).
  std::pair<uint64_t, uint64_t> Identity() const;
  // A token that changes when the file is written by anyone.
  struct Stamp {
    int64_t sec = 0, nsec = 0, size = -1;
    bool operator==(const Stamp&) const = default;
  };
  Stamp GetStamp() const;
  // True while the path still names this open file (not replaced by a rename).
  bool IsAt(const std::string& path) const;

  // Open-file-description locks on one byte. Try* returns false when another
  // open description holds a conflicting lock; Wait* blocks until it can.
  bool TryLock(uint64_t offset, bool exclusive);
  // True when another open description holds a lock on the byte (this
  // one's own lock does not count); nothing is locked.
  bool LockedByOthers(uint64_t offset) const;
  void WaitLock(uint64_t offset, bool exclusive);
  void Unlock(uint64_t offset);

 private:
  int fd_ = -1;
  bool writable_ = false;
  std::string path_;
  mutable std::pair<uint64_t, uint64_t> identity_{};  // {0, 0}: not asked yet
};

// Lock bytes of a table, placed far beyond any data so that they never hide
// a record from a reader that honours no locks.
inline constexpr uint64_t kOpenLockByte = 0x7FFFFFFEull;
inline constexpr uint64_t kTableLockByte = 0x7FFFFFFDull;
inline constexpr uint64_t kRecordLockBase = 0x40000000ull;

// Paths, split at the last '/'. The folder of a bare name is ".", of a name
// at the root "/"; a name beside a bare name stays bare.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);
std::string Beside(const std::string& path, const std::string& name);
std::string StemOf(const std::string& name);  // without its extension

// Folder work of the engine, each raising DbError(Io) with the message given.
void RenameFile(const std::string& from, const std::string& to, const std::string& what);
void RemoveFile(const std::string& path);  // a missing file is no error
// Flushes a folder (its names: files and folders made, renamed or removed),
// or the folder of path.
void SyncFolder(const std::string& folder);
void SyncFolderOf(const std::string& path);

// What reaches the disk, told to tests that model a power cut: every write,
// flush, creation, rename and removal of the engine's files (files by their
// inode). Empty in the programs.
// The kernel's boot id.
std::string KernelBootId();

struct FileEvent {
  enum Kind { Create, Write, Truncate, Sync, Rename, Remove, SyncFolder } kind;
  uint64_t inode = 0;
  uint64_t offset = 0;   // Write: where; Truncate: the size
  std::string bytes;     // Write: what
  std::string path, to;  // Create, Rename, Remove, SyncFolder
};

// What tests replace in the engine, kept in one place; the programs leave it
// as it starts.
struct EngineSeams {
  // Told every FileEvent. Empty.
  std::function<void(const FileEvent&)> fileEvent;
  // Stops a pack between its steps (pack_hook.h). Empty.
  std::function<void(int step)> packStep;
  // Stops a post between its steps (post_journal.h). Empty.
  std::function<void(int step)> postStep;
  // This boot of the machine (post_journal.h): the kernel's boot id.
  std::string (*bootId)() = KernelBootId;
};
EngineSeams& Seams();

// The common system errors in Polish; others by their number.
std::string SystemErrorText(int err);
// Throws DbError(Io): the message (naming the file), a colon and the error.
[[noreturn]] void ThrowIo(const std::string& what, int err);

}  // namespace dbase
