#include "dbase/file_io.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "dbase/dbase.h"
#include "platform/files/file_replace.h"

namespace dbase {

EngineSeams& Seams() {
  static EngineSeams seams;
  return seams;
}

namespace {
void Tell(FileEvent e) {
  if (Seams().fileEvent) Seams().fileEvent(e);
}
uint64_t InodeOf(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? static_cast<uint64_t>(st.st_ino) : 0;
}
// Reads that leave the access time alone where the owner allows (as Open
// does): a journal read by every post after it was written would have its
// inode written with each post's flush.
void KeepAccessTime(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags | O_NOATIME);
}
}  // namespace

std::string SystemErrorText(int err) {
  switch (err) {
    case ENOENT: return "brak pliku lub folderu";
    case EACCES:
    case EPERM: return "brak uprawnień";
    case EROFS: return "dysk jest tylko do odczytu";
    case ENOSPC: return "brak miejsca na dysku";
    case EDQUOT: return "przekroczony przydział miejsca na dysku";
    case EFBIG: return "plik jest za duży";
    case EISDIR: return "to jest folder, a nie plik";
    case ENOTDIR: return "część ścieżki nie jest folderem";
    case EBUSY:
    case ETXTBSY: return "plik jest zajęty";
    case EEXIST: return "plik już istnieje";
    case ENAMETOOLONG: return "za długa nazwa pliku";
    case EMFILE:
    case ENFILE: return "za dużo otwartych plików";
    case EIO: return "błąd wejścia-wyjścia dysku";
    case EXDEV: return "pliki leżą na różnych dyskach";
    case ENOLCK: return "brak wolnych blokad";
    case ESTALE: return "plik zniknął z dysku sieciowego";
    default: return "błąd systemu nr " + std::to_string(err);
  }
}

void ThrowIo(const std::string& what, int err) {
  throw DbError(ErrorCode::Io, what + ": " + SystemErrorText(err));
}

File::~File() { Close(); }

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      writable_(other.writable_),
      path_(std::move(other.path_)),
      identity_(std::exchange(other.identity_, {})) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    writable_ = other.writable_;
    path_ = std::move(other.path_);
    identity_ = std::exchange(other.identity_, {});
  }
  return *this;
}

File File::Open(const std::string& path) {
  File f;
  f.path_ = path;
  // Without access-time updates where the owner allows: a post reads and
  // writes each file in turn, and every read would otherwise dirty its inode.
  f.fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOATIME);
  if (f.fd_ < 0 && errno == EPERM) f.fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  f.writable_ = f.fd_ >= 0;
  if (f.fd_ < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    f.fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (f.fd_ < 0) {
    if (errno == ENOENT) throw DbError(ErrorCode::FileNotFound, "Brak pliku " + path);
    ThrowIo("Nie można otworzyć " + path, errno);
  }
  return f;
}

File File::Create(const std::string& path) {
  File f;
  f.path_ = path;
  f.fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (f.fd_ < 0) ThrowIo("Nie można utworzyć " + path, errno);
  f.writable_ = true;
  if (Seams().fileEvent) Tell({FileEvent::Create, InodeOf(f.fd_), 0, {}, path, {}});
  return f;
}

File File::OpenOwn(const std::string& path) {
  // Not blocking on a pipe at the name either: only a regular file is used.
  File f;
  f.path_ = path;
  const int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
  f.fd_ = ::open(path.c_str(), O_RDWR | flags);
  f.writable_ = f.fd_ >= 0;
  if (f.fd_ < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
    f.fd_ = ::open(path.c_str(), O_RDONLY | flags);
  if (f.fd_ < 0) {
    if (errno == ENOENT) throw DbError(ErrorCode::FileNotFound, "Brak pliku " + path);
    if (errno == ELOOP)
      throw DbError(ErrorCode::ReadOnly, "plik " + path + " jest dowiązaniem symbolicznym");
    if (errno != EISDIR) ThrowIo("Nie można otworzyć " + path, errno);
  }
  struct stat st {};
  if (f.fd_ >= 0 && ::fstat(f.fd_, &st) != 0) ThrowIo("Błąd odczytu " + path, errno);
  if (f.fd_ < 0 || !S_ISREG(st.st_mode))
    throw DbError(ErrorCode::ReadOnly, "plik " + path + " nie jest zwykłym plikiem");
  KeepAccessTime(f.fd_);
  return f;
}

File File::CreateLike(const std::string& path, const File& like) {
  File f = Create(path);
  KeepAccessTime(f.fd_);
  try {
    f.TakeModeOf(like);
  } catch (const DbError&) {
    f.Close();
    RemoveFile(path);
    throw;
  }
  return f;
}

void File::TakeModeOf(const File& like) {
  struct stat st {};
  if (::fstat(like.fd_, &st) != 0) ThrowIo("Błąd odczytu " + like.path_, errno);
  // The bits exactly, whatever the umask. The group is the table's own; a
  // creator who may not give it would lock its members out.
  if (::fchmod(fd_, st.st_mode & 0777) != 0 ||
      ::fchown(fd_, static_cast<uid_t>(-1), st.st_gid) != 0) {
    const int err = errno;
    ThrowIo("Nie można nadać plikowi " + path_ + " grupy i uprawnień pliku " + like.path_, err);
  }
}

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  identity_ = {};
}

size_t File::ReadSomeAt(uint64_t offset, void* buffer, size_t size) const {
  auto* p = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd_, p + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowIo("Błąd odczytu " + path_, errno);
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void File::ReadAt(uint64_t offset, void* buffer, size_t size) const {
  if (ReadSomeAt(offset, buffer, size) != size) {
    throw DbError(ErrorCode::BadFormat, "Plik " + path_ + " jest uszkodzony (za krótki)");
  }
}

void File::WriteAt(uint64_t offset, const void* buffer, size_t size) {
  if (!writable_) throw DbError(ErrorCode::ReadOnly, "Plik " + path_ + " jest tylko do odczytu");
  const auto* p = static_cast<const char*>(buffer);
  if (Seams().fileEvent)
    Tell({FileEvent::Write, InodeOf(fd_), offset, std::string(p, size), {}, {}});
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pwrite(fd_, p + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowIo("Błąd zapisu " + path_, errno);
    }
    done += static_cast<size_t>(n);
  }
}

uint64_t File::Size() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) ThrowIo("Błąd odczytu " + path_, errno);
  return static_cast<uint64_t>(st.st_size);
}

void File::Truncate(uint64_t size) {
  if (Seams().fileEvent) Tell({FileEvent::Truncate, InodeOf(fd_), size, {}, {}, {}});
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) ThrowIo("Błąd zapisu " + path_, errno);
}

void File::Sync() {
  if (::fsync(fd_) != 0) ThrowIo("Błąd zapisu " + path_, errno);
  if (Seams().fileEvent) Tell({FileEvent::Sync, InodeOf(fd_), 0, {}, {}, {}});
}

void File::DataSync() {
  if (::fdatasync(fd_) != 0) ThrowIo("Błąd zapisu " + path_, errno);
  if (Seams().fileEvent) Tell({FileEvent::Sync, InodeOf(fd_), 0, {}, {}, {}});
}

std::pair<uint64_t, uint64_t> File::Identity() const {
  if (identity_ != std::pair<uint64_t, uint64_t>{}) return identity_;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) ThrowIo("Błąd odczytu " + path_, errno);
  identity_ = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return identity_;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Beside(const std::string& path, const std::string& name) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

std::string StemOf(const std::string& name) { return name.substr(0, name.find_last_of('.')); }

void RenameFile(const std::string& from, const std::string& to, const std::string& what) {
  if (::rename(from.c_str(), to.c_str()) != 0) ThrowIo(what, errno);
  if (Seams().fileEvent) Tell({FileEvent::Rename, 0, 0, {}, from, to});
}

void RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0 && Seams().fileEvent)
    Tell({FileEvent::Remove, 0, 0, {}, path, {}});
}

void SyncFolder(const std::string& folder) {
  if (const int err = platform::SyncFolder(folder)) ThrowIo("Błąd zapisu folderu " + folder, err);
  if (Seams().fileEvent) Tell({FileEvent::SyncFolder, 0, 0, {}, folder, {}});
}

void SyncFolderOf(const std::string& path) { SyncFolder(FolderOf(path)); }

File::Stamp File::GetStamp() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) ThrowIo("Błąd odczytu " + path_, errno);
  return Stamp{st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_size};
}

bool File::IsAt(const std::string& path) const {
  struct stat mine {
  }, there{};
  if (::fstat(fd_, &mine) != 0 || ::stat(path.c_str(), &there) != 0) return false;
  return mine.st_dev == there.st_dev && mine.st_ino == there.st_ino;
}

namespace {
struct flock OneByte(uint64_t offset, short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = 1;
  fl.l_pid = 0;  // required for open-file-description locks
  return fl;
}
}  // namespace

bool File::TryLock(uint64_t offset, bool exclusive) {
  // A read-only descriptor cannot take a write lock; it reads as a conflict.
  if (exclusive && !writable_) return false;
  struct flock fl = OneByte(offset, exclusive ? F_WRLCK : F_RDLCK);
  if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return true;
  if (errno == EAGAIN || errno == EACCES) return false;
  ThrowIo("Blokada " + path_, errno);
}

bool File::LockedByOthers(uint64_t offset) const {
  struct flock fl = OneByte(offset, F_WRLCK);
  if (::fcntl(fd_, F_OFD_GETLK, &fl) != 0) ThrowIo("Blokada " + path_, errno);
  return fl.l_type != F_UNLCK;
}

void File::WaitLock(uint64_t offset, bool exclusive) {
  if (exclusive && !writable_)
    throw DbError(ErrorCode::ReadOnly, "Plik " + path_ + " jest tylko do odczytu");
  struct flock fl = OneByte(offset, exclusive ? F_WRLCK : F_RDLCK);
  while (::fcntl(fd_, F_OFD_SETLKW, &fl) != 0) {
    if (errno != EINTR) ThrowIo("Blokada " + path_, errno);
  }
}

void File::Unlock(uint64_t offset) {
  struct flock fl = OneByte(offset, F_UNLCK);
  ::fcntl(fd_, F_OFD_SETLK, &fl);
}

}  // namespace dbase
