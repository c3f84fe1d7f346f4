#pragma once
// A shared library loaded for the time of one call (dlopen), standing in for
// the Windows library loader: a failure is reported with the nearest Windows
// error number, and the library is unloaded when the object goes.
#include <cstdint>
#include <filesystem>
#include <string>

namespace zorvel {

class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::filesystem::path& path);
  ~LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool Loaded() const { return handle_ != nullptr; }
  // 126 module not found, 5 access denied, 193 not a loadable library.
  uint32_t ErrorCode() const { return errorCode_; }
  void* Symbol(const char* name) const;

 private:
  void* handle_ = nullptr;
  uint32_t errorCode_ = 0;
};

// The folder of the running program.
std::filesystem::path ProgramFolder();

}  // namespace zorvel
